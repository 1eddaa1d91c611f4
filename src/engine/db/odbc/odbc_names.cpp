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

std::string SchemaIndexesQuery(const std::string& dbms) {
    const std::string server = Lower(dbms);
    if (StartsWith(server, "postgresql")) {
        // An expression has no attribute: the server prints it, as the
        // driver does.
        return "SELECT t.relname, c.relname, CASE WHEN i.indisunique THEN 0 ELSE 1 END, "
               "CASE WHEN i.indisprimary THEN 1 ELSE 0 END, "
               "CASE WHEN i.indkey[k.n - 1] = 0 THEN pg_catalog.pg_get_indexdef(i.indexrelid, k.n, true) "
               "ELSE a.attname::text END "
               "FROM pg_catalog.pg_index i "
               "JOIN pg_catalog.pg_class c ON c.oid = i.indexrelid "
               "JOIN pg_catalog.pg_class t ON t.oid = i.indrelid "
               "JOIN pg_catalog.pg_namespace n ON n.oid = t.relnamespace "
               "CROSS JOIN LATERAL pg_catalog.generate_series(1, i.indnatts) AS k(n) "
               "LEFT JOIN pg_catalog.pg_attribute a ON a.attrelid = t.oid AND a.attnum = i.indkey[k.n - 1] "
               "WHERE n.nspname = ? "
               "ORDER BY t.relname, i.indisprimary DESC, i.indisunique, c.relname, k.n";
    }
    if (StartsWith(server, "mariadb") || StartsWith(server, "mysql")) {
        return "SELECT TABLE_NAME, INDEX_NAME, NON_UNIQUE, CASE WHEN INDEX_NAME = 'PRIMARY' THEN 1 ELSE 0 END, "
               "COLUMN_NAME FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = ? "
               "ORDER BY TABLE_NAME, NON_UNIQUE, INDEX_NAME, SEQ_IN_INDEX";
    }
    if (StartsWith(server, "microsoft sql server")) {
        // Included columns are no key columns (key_ordinal 0).
        return "SELECT t.name, i.name, CASE WHEN i.is_unique = 1 THEN 0 ELSE 1 END, "
               "CASE WHEN i.is_primary_key = 1 THEN 1 ELSE 0 END, col.name "
               "FROM sys.indexes i "
               "JOIN sys.tables t ON t.object_id = i.object_id "
               "JOIN sys.schemas s ON s.schema_id = t.schema_id "
               "JOIN sys.index_columns ic ON ic.object_id = i.object_id AND ic.index_id = i.index_id "
               "JOIN sys.columns col ON col.object_id = ic.object_id AND col.column_id = ic.column_id "
               "WHERE s.name = ? AND i.type > 0 AND i.is_hypothetical = 0 AND ic.key_ordinal > 0 "
               "ORDER BY t.name, 3, i.name, ic.key_ordinal";
    }
    return "";
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
