#pragma once
// A SQLite database reached through the SQLite3 ODBC driver, under a data
// source the test writes into an odbc.ini of its own.

#include <string>
#include <vector>

#include "temp_dir.h"

namespace kolumbra::testing {

class SqliteSource {
public:
    // Builds the database from `sql` with the sqlite3 program and writes the
    // data source `name` for it. Throws std::runtime_error when sqlite3 fails.
    SqliteSource(const std::string& name, const std::string& sql);

    const std::string& name() const { return name_; }
    // Runs more SQL on the database, as a schema change behind a workbook.
    void Execute(const std::string& sql) const;
    // "ODBCINI=..." and "ODBCSYSINI=...": the environment that finds the source.
    std::vector<std::string> Environment() const;
    // Sets that environment in this process.
    void Activate() const;

private:
    TempDir dir_;
    std::string name_;
};

// CREATE TABLE of `name` with `count` text columns F1, F2, ...
std::string WideTableSql(const std::string& name, int count);

}  // namespace kolumbra::testing
