#include "odbc_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "temp_dir.h"

namespace kolumbra::testing {

namespace {

// Created in this order; the driver lists tables as created, not by name.
const char* const Schema = R"(
CREATE TABLE "社員マスタ" (
    "社員コード" CHAR(6) NOT NULL PRIMARY KEY,
    "氏名" VARCHAR(40),
    "部署コード" CHAR(4));
CREATE UNIQUE INDEX "社員マスタ_氏名" ON "社員マスタ" ("氏名");
CREATE INDEX "社員マスタ_部署" ON "社員マスタ" ("部署コード");
CREATE TABLE types (
    c_bit BIT, c_tiny TINYINT, c_small SMALLINT, c_int INTEGER, c_double DOUBLE,
    c_date DATE, c_time TIME, c_ts TIMESTAMP, c_varchar VARCHAR(33), c_text TEXT,
    c_blob BLOB, c_varbin VARBINARY(20), c_big BIGINT, c_decimal DECIMAL(4,2), c_numeric NUMERIC(10,2));
CREATE TABLE details (
    order_no INTEGER NOT NULL, line SMALLINT NOT NULL, item VARCHAR(10),
    PRIMARY KEY (order_no, line));
CREATE UNIQUE INDEX details_item ON details (item, order_no);
CREATE TABLE m_t (one INTEGER);
CREATE TABLE mxt (two INTEGER);
CREATE VIEW "社員一覧" AS SELECT "氏名" FROM "社員マスタ";
CREATE TABLE alpha (a INTEGER);
)";

void CreateDatabase(const std::string& path) {
    std::string command = "sqlite3 -bail '" + path + "'";
    FILE* sqlite = ::popen(command.c_str(), "w");
    if (!sqlite) throw std::runtime_error("sqlite3 did not start");
    std::fputs(Schema, sqlite);
    if (::pclose(sqlite) != 0) throw std::runtime_error("sqlite3 failed");
}

struct DataSources {
    TempDir dir;
    std::string database = dir.file("test.db");

    DataSources() {
        CreateDatabase(database);
        std::ofstream(dir.file("odbc.ini")) << "[" << TestDsn << "]\nDescription=" << TestDescription
                                            << "\nDriver=" KOLUMBRA_SQLITE_ODBC_DRIVER "\n"
                                            << "Database=" << database << "\n\n"
                                            << "[" << RefusingDsn << "]\nDriver=" KOLUMBRA_SQLITE_ODBC_DRIVER "\n"
                                            << "Database=" << dir.file("missing.db") << "\nNoCreat=1\n\n"
                                            << "[" << DriverlessDsn << "]\nDriver=" << dir.file("no-driver.so") << "\n"
                                            << "Database=" << database << "\n";
        std::ofstream(dir.file("odbcinst.ini")) << "";
        // Our own folder for both files: no data source of the machine interferes.
        ::setenv("ODBCINI", dir.file("odbc.ini").c_str(), 1);
        ::setenv("ODBCSYSINI", dir.path().c_str(), 1);
    }
};

}  // namespace

const std::string& TestDatabasePath() {
    static DataSources sources;
    return sources.database;
}

}  // namespace kolumbra::testing
