#include "sqlite_source.h"

#include <cstdlib>
#include <stdexcept>

namespace kolumbra::testing {

SqliteSource::SqliteSource(const std::string& name, const std::string& sql) : name_(name) {
    const std::string database = dir_.file("source.db");
    Execute(sql);
    WriteBytes(dir_.file("odbc.ini"),
               "[" + name + "]\nDriver=" KOLUMBRA_SQLITE_ODBC_DRIVER "\nDatabase=" + database + "\n");
    WriteBytes(dir_.file("odbcinst.ini"), "");
}

void SqliteSource::Execute(const std::string& sql) const {
    const std::string script = dir_.file("change.sql");
    WriteBytes(script, sql);
    const std::string command =
        "'" KOLUMBRA_SQLITE3 "' -bail '" + dir_.file("source.db") + "' \".read '" + script + "'\"";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("sqlite3 failed: " + command);
}

std::vector<std::string> SqliteSource::Environment() const {
    return {"ODBCINI=" + dir_.file("odbc.ini"), "ODBCSYSINI=" + dir_.path().string()};
}

void SqliteSource::Activate() const {
    ::setenv("ODBCINI", dir_.file("odbc.ini").c_str(), 1);
    ::setenv("ODBCSYSINI", dir_.path().c_str(), 1);
}

std::string WideTableSql(const std::string& name, int count) {
    std::string sql = "CREATE TABLE \"" + name + "\" (";
    for (int i = 1; i <= count; ++i) sql += (i > 1 ? ", F" : "F") + std::to_string(i) + " TEXT";
    return sql + ");\n";
}

}  // namespace kolumbra::testing
