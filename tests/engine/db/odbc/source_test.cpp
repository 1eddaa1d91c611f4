// The ODBC back end against the SQLite3 driver: what the driver reports
// for the tests' own database, as the engine hands it on.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "../catalogue_text.h"
#include "common/runtime_error.h"
#include "engine/db/odbc/odbc_source.h"
#include "odbc_fixture.h"

namespace kolumbra::testing {
namespace {

std::unique_ptr<db::Database> OpenTestSource() {
    TestDatabasePath();
    return db::OpenOdbcSource(TestDsn);
}

RuntimeError OpenError(const std::string& dsn) {
    TestDatabasePath();
    try {
        db::OpenOdbcSource(dsn);
    } catch (const RuntimeError& error) {
        return error;
    }
    return RuntimeError(0, "opened");
}

TEST(OdbcSource, TablesSortedByNameViewsAreNoOrdinaryTables) {
    auto source = OpenTestSource();
    EXPECT_EQ(TableList(*source),
              "alpha 00000000\ndetails 00000000\nm_t 00000000\nmxt 00000000\ntypes 00000000\n"
              "社員マスタ 00000000\n社員一覧 80000002\n");
}

TEST(OdbcSource, ConnectHoldsTheCompletedStringAndNameTheDatabase) {
    auto source = OpenTestSource();
    EXPECT_EQ(source->Connect().rfind("ODBC;DSN=" + TestDsn + ";", 0), 0u) << source->Connect();
    EXPECT_NE(source->Connect().find("Database=" + TestDatabasePath()), std::string::npos);
    // The driver names the database by its file's path; the form, by its name.
    EXPECT_EQ(source->Name(), "test.db");
    // The same database through a connection string, without the data source.
    auto direct = db::OpenOdbcSource("Driver=" KOLUMBRA_SQLITE_ODBC_DRIVER ";Database=" + TestDatabasePath() + ";");
    EXPECT_EQ(direct->Name(), "test.db");
    EXPECT_EQ(TableList(*direct), TableList(*source));
}

TEST(OdbcSource, FieldTypesAndSizes) {
    // The driver reports BLOB as binary of size 0 and knows no REAL or CHAR
    // types of its own; DECIMAL(4,2) it reports as varchar(2) and
    // NUMERIC(10,2) as DOUBLE, which their declared names correct.
    auto source = OpenTestSource();
    EXPECT_EQ(FieldList(TableNamed(*source, "types")),
              "c_bit 1 1\nc_tiny 2 1\nc_small 3 2\nc_int 4 4\nc_double 7 8\nc_date 8 8\nc_time 22 8\n"
              "c_ts 23 8\nc_varchar 10 33\nc_text 12 0\nc_blob 9 0\nc_varbin 17 20\nc_big 16 8\n"
              "c_decimal 20 16\nc_numeric 19 16\n");
    EXPECT_EQ(FieldList(TableNamed(*source, "社員マスタ")), "社員コード 10 6\n氏名 10 40\n部署コード 10 4\n");
}

TEST(OdbcSource, FieldsOfATableWhoseNameIsAPattern) {
    // "m_t" as a search pattern also matches "mxt".
    auto source = OpenTestSource();
    EXPECT_EQ(FieldList(TableNamed(*source, "m_t")), "one 4 4\n");
    EXPECT_EQ(FieldList(TableNamed(*source, "mxt")), "two 4 4\n");
}

TEST(OdbcSource, UniqueIndexesArePrimaryOnlyForTheKey) {
    // In the order the driver returns them.
    auto source = OpenTestSource();
    EXPECT_EQ(IndexList(TableNamed(*source, "社員マスタ")),
              "社員マスタ_部署 - - 部署コード\n"
              "社員マスタ_氏名 U - 氏名\n"
              "sqlite_autoindex_社員マスタ_1 U P 社員コード\n");
    // A unique index over the key's fields in another order is no key.
    EXPECT_EQ(IndexList(TableNamed(*source, "details")),
              "details_item U - item,order_no\n"
              "sqlite_autoindex_details_1 U P order_no,line\n");
    EXPECT_EQ(IndexList(TableNamed(*source, "alpha")), "");
}

TEST(OdbcSource, AFailedConnectionCarriesTheDriversDiagnostic) {
    // The engine's line, then the driver manager's or the driver's state and message.
    struct Case {
        std::string dsn, diagnostic;
    };
    for (const Case& c : {Case{"No such source", "IM002 [unixODBC][Driver Manager]Data source name not found"},
                          Case{DriverlessDsn, "01000 [unixODBC][Driver Manager]Can't open lib '"},
                          Case{RefusingDsn, "HY000 "}}) {
        RuntimeError error = OpenError(c.dsn);
        EXPECT_EQ(error.number(), db::dberr::OdbcCallFailed) << c.dsn;
        EXPECT_EQ(error.description().rfind("ODBC--呼び出しが失敗しました。\r" + c.diagnostic, 0), 0u)
            << error.description();
    }
}

TEST(OdbcSource, ReadingAfterCloseIsAnError) {
    auto source = OpenTestSource();
    source->Close();
    EXPECT_THROW(source->TableDefItem(0), RuntimeError);
    source->Close();
}

TEST(OdbcSource, ListsTheDataSourcesOfTheIniFilesWithTheirDescriptions) {
    TestDatabasePath();
    std::map<std::string, std::string> sources;
    for (const auto& source : db::ListDataSources()) sources[source.Name] = source.Description;
    EXPECT_EQ(sources[TestDsn], TestDescription);
    ASSERT_TRUE(sources.contains(RefusingDsn));
    EXPECT_EQ(sources[RefusingDsn], "");
}

}  // namespace
}  // namespace kolumbra::testing
