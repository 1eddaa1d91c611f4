#include "engine/db/odbc/odbc_names.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace kolumbra::db {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace

bool IsSystemSchema(const std::string& dbms, const std::string& schema) {
    const std::string name = Lower(schema);
    if (name == "information_schema") return true;
    const std::string server = Lower(dbms);
    if (StartsWith(server, "postgresql")) return name == "pg_catalog" || StartsWith(name, "pg_toast");
    if (StartsWith(server, "mariadb") || StartsWith(server, "mysql")) {
        constexpr std::array<std::string_view, 3> own{"mysql", "performance_schema", "sys"};
        return std::find(own.begin(), own.end(), name) != own.end();
    }
    if (StartsWith(server, "microsoft sql server")) return name == "sys";
    return false;
}

std::string DefaultSchemaQuery(const std::string& dbms) {
    const std::string server = Lower(dbms);
    if (StartsWith(server, "postgresql")) return "SELECT current_schema()";
    if (StartsWith(server, "microsoft sql server")) return "SELECT SCHEMA_NAME()";
    return "";
}

std::string CommentsQuery(const std::string& dbms) {
    if (!StartsWith(Lower(dbms), "postgresql")) return "";
    return "SELECT n.nspname, c.relname, COALESCE(a.attname, ''), d.description "
           "FROM pg_catalog.pg_description d "
           "JOIN pg_catalog.pg_class c ON c.oid = d.objoid "
           "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
           "LEFT JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid AND a.attnum = d.objsubid AND d.objsubid > 0 "
           "WHERE d.classoid = 'pg_catalog.pg_class'::regclass";
}

std::string ListedName(const std::string& schema, const std::string& defaultSchema, const std::string& table) {
    return schema.empty() || schema == defaultSchema ? table : schema + "." + table;
}

std::string ExactPattern(const std::string& text, const std::string& escape) {
    if (escape.empty()) return text;
    std::string pattern;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '_' || text[i] == '%' || text.compare(i, escape.size(), escape) == 0) pattern += escape;
        pattern += text[i];
    }
    return pattern;
}

}  // namespace kolumbra::db
