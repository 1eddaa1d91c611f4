// How driver-reported tables become list names, for servers the tests have
// no instance of (SQL Server) as well as those they have.

#include <gtest/gtest.h>

#include "engine/db/odbc/odbc_names.h"

namespace kolumbra::db {
namespace {

TEST(OdbcNames, SystemSchemasOfEachServer) {
    struct Case {
        const char* dbms;
        const char* schema;
        bool system;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"PostgreSQL", "pg_catalog", true},         {"PostgreSQL", "pg_toast_temp_1", true},
             {"PostgreSQL", "information_schema", true}, {"PostgreSQL", "sys", false},
             {"PostgreSQL", "public", false},            {"MariaDB", "performance_schema", true},
             {"MySQL", "mysql", true},                   {"MariaDB", "sys", true},
             {"MariaDB", "shop", false},                 {"Microsoft SQL Server", "sys", true},
             {"Microsoft SQL Server", "INFORMATION_SCHEMA", true},
             {"Microsoft SQL Server", "dbo", false},     {"SQLite", "sys", false},
         }) {
        EXPECT_EQ(IsSystemSchema(c.dbms, c.schema), c.system) << c.dbms << " " << c.schema;
    }
}

TEST(OdbcNames, OnlyTablesOutsideTheDefaultSchemaAreQualified) {
    EXPECT_EQ(ListedName("public", "public", "受注"), "受注");
    EXPECT_EQ(ListedName("経理", "public", "受注"), "経理.受注");
    EXPECT_EQ(ListedName("", "", "受注"), "受注");
    EXPECT_EQ(ListedName("dbo", "", "受注"), "dbo.受注");
    EXPECT_EQ(DefaultSchemaQuery("MariaDB"), "");
    EXPECT_NE(DefaultSchemaQuery("Microsoft SQL Server"), "");
}

TEST(OdbcNames, PatternsMatchingOnlyThemselves) {
    EXPECT_EQ(ExactPattern("m_t%x", "\\"), "m\\_t\\%x");
    EXPECT_EQ(ExactPattern("a\\b", "\\"), "a\\\\b");
    EXPECT_EQ(ExactPattern("受注_明細", ""), "受注_明細");
}

}  // namespace
}  // namespace kolumbra::db
