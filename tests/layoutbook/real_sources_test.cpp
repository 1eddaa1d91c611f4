// The workbook command on real databases: the Access fixtures through the
// Access back end, and SQLite tables through the SQLite3 ODBC driver. The
// expected marks follow the indexes the files hold (primary keys as the
// schema lists them, automatic indexes named after their field).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

#include "catalog/connection.h"
#include "common/text.h"
#include "layoutbook/export_driver.h"
#include "scripted_window.h"
#include "sqlite_source.h"
#include "temp_dir.h"
#include "workbook_probe.h"

namespace kolumbra::testing {
namespace {

using ::testing::ElementsAre;

const std::string Mdb = std::string(KOLUMBRA_FIXTURES) + "/mdb/";

// The read button, then the workbook button on the tables named.
class RealExport {
public:
    RealExport() : engine(db::MakeDbEngine()), session(window, *engine) { window.text2 = dir.file("out.xls"); }

    void Read(const std::string& text1, std::optional<std::string> dataSource = std::nullopt) {
        window.text1 = text1;
        window.dataSourceChoice = std::move(dataSource);
        Command1_Click(session);
        ASSERT_NE(session.gDb, nullptr);
    }

    std::vector<SheetView> Export(const std::vector<std::string>& tables) {
        for (auto& entry : window.list) entry.selected = false;
        window.Select(tables);
        window.messages.clear();
        Command4_Click(session, state);
        EXPECT_EQ(window.messages.size(), 2u) << "confirmation and completion only";
        return ProbeWorkbook(window.text2);
    }

    TempDir dir;
    ScriptedWindow window;
    std::unique_ptr<db::DbEngine> engine;
    Session session;
    ExportState state;
};

struct Row {
    std::string name, key, index;
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name << " [" << row.key << "|" << row.index << "]"; }

// Field name, key column and index column of the field rows in use.
std::vector<Row> rowsOf(const SheetView& sheet) {
    std::vector<Row> rows;
    for (int r = 11; r <= 44 && !sheet.value("E" + std::to_string(r)).empty(); ++r) {
        const std::string n = std::to_string(r);
        rows.push_back({sheet.value("E" + n), sheet.value("C" + n), sheet.value("D" + n)});
    }
    return rows;
}

Row rowNamed(const std::vector<Row>& rows, const std::string& name) {
    for (const auto& row : rows) {
        if (row.name == name) return row;
    }
    ADD_FAILURE() << "no row " << name;
    return {};
}

MATCHER_P3(IsRow, name, key, index, "") { return arg.name == name && arg.key == key && arg.index == index; }

TEST(AccessMarks, NwindPrimaryKeyOverTwoFieldsAndIndexesNamedAfterFields) {
    RealExport run;
    run.Read(Mdb + "nwind.mdb");
    const auto sheets = run.Export({"Order Details", "Orders"});
    ASSERT_EQ(sheets.size(), 3u);
    EXPECT_EQ(sheets[1].value("A7"), "nwind.mdb");
    // Indexes in collection order: OrderID, PrimaryKey (OrderID, ProductID),
    // ProductID. Both fields of the key show it alike, although the index
    // ProductID comes after the key.
    EXPECT_THAT(rowsOf(sheets[1]), ElementsAre(IsRow("OrderID", "PU", "I"), IsRow("ProductID", "PU", "I"),
                                               IsRow("UnitPrice", "", ""), IsRow("Quantity", "", ""),
                                               IsRow("Discount", "", "")));
    const auto orders = rowsOf(sheets[2]);
    ASSERT_EQ(orders.size(), 14u);
    EXPECT_THAT(rowNamed(orders, "OrderID"), IsRow("OrderID", "PU", "I"));
    for (const char* indexed : {"CustomerID", "EmployeeID", "OrderDate", "ShippedDate", "ShipPostalCode"}) {
        EXPECT_THAT(rowNamed(orders, indexed), IsRow(indexed, "", "I"));
    }
    for (const char* plain : {"RequiredDate", "Freight", "ShipName", "ShipCity", "ShipCountry"}) {
        EXPECT_THAT(rowNamed(orders, plain), IsRow(plain, "", ""));
    }
}

TEST(AccessMarks, HanbaiPrimaryKeysNamedIndexStillShowAsKeys) {
    RealExport run;
    run.session.gJap = 1;
    run.Read(Mdb + "hanbai.mdb");
    // Sheets come in list order: 取引データ, 商品集計, 社員マスタ.
    const auto sheets = run.Export({"取引データ", "社員マスタ", "商品集計"});
    ASSERT_EQ(sheets.size(), 4u);
    ASSERT_EQ(sheets[3].name, "社員マスタ");
    // The keys are indexes named "Index_..." whose Primary property is set.
    const auto trades = rowsOf(sheets[1]);
    ASSERT_EQ(trades.size(), 10u);
    for (const char* key : {"取引区分", "伝票番号", "行"}) EXPECT_THAT(rowNamed(trades, key), IsRow(key, "PU", "I"));
    int unmarked = 0;
    for (const auto& row : trades) unmarked += row.key.empty() && row.index.empty() ? 1 : 0;
    EXPECT_EQ(unmarked, 7);
    EXPECT_THAT(rowNamed(rowsOf(sheets[3]), "社員コード"), IsRow("社員コード", "PU", "I"));
    for (const auto& row : rowsOf(sheets[2])) EXPECT_THAT(row, IsRow(row.name, "", "")) << "a table without indexes";
    EXPECT_EQ(sheets[3].value("T7"), "社員マスタ");
    EXPECT_EQ(sheets[3].value("A7"), "hanbai.mdb");
}

class OdbcSheets : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string sql =
            "CREATE TABLE items (code TEXT NOT NULL PRIMARY KEY, serial INTEGER, name TEXT, note TEXT);\n"
            "CREATE UNIQUE INDEX items_serial ON items (serial);\n"
            "CREATE INDEX items_name ON items (name);\n"
            "CREATE TABLE 商品 (商品コード CHAR(8) NOT NULL PRIMARY KEY, 商品名 VARCHAR(40), 単価 INTEGER);\n";
        for (int count : {1, 33, 34, 35, 68, 251, 252}) sql += WideTableSql("W" + std::to_string(count), count);
        source_ = new SqliteSource("kolumbra layout test", sql);
        source_->Activate();
    }
    static void TearDownTestSuite() { delete source_; }

    std::vector<SheetView> Export(const std::vector<std::string>& tables) {
        run_.Read("", source_->name());
        return run_.Export(tables);
    }

    static SqliteSource* source_;
    RealExport run_;
};

SqliteSource* OdbcSheets::source_ = nullptr;

TEST_F(OdbcSheets, UniqueIndexesGiveUAndNeverP) {
    const auto sheets = Export({"items", "商品"});
    ASSERT_EQ(sheets.size(), 3u);
    EXPECT_THAT(rowsOf(sheets[1]), ElementsAre(IsRow("code", "U", "I"), IsRow("serial", "U", "I"),
                                               IsRow("name", "", "I"), IsRow("note", "", "")));
    EXPECT_THAT(rowsOf(sheets[2]), ElementsAre(IsRow("商品コード", "U", "I"), IsRow("商品名", "", ""), IsRow("単価", "", "")));
}

TEST_F(OdbcSheets, PagesSplitEveryThirtyFourFields) {
    const auto sheets = Export({"W1", "W33", "W34", "W35", "W68"});
    std::vector<std::string> names;
    for (const auto& sheet : sheets) names.push_back(sheet.name);
    EXPECT_THAT(names, ElementsAre("Sheet1", "W1", "W33", "W34_ 1", "W34_ 2", "W35_ 1", "W35_ 2", "W68_ 1", "W68_ 2",
                                   "W68_ 3"));
    ASSERT_EQ(sheets.size(), 10u);
    EXPECT_EQ(rowsOf(sheets[1]).size(), 1u);
    EXPECT_EQ(rowsOf(sheets[2]).size(), 33u);
    EXPECT_EQ(rowsOf(sheets[3]).size(), 34u);
    EXPECT_EQ(rowsOf(sheets[4]).size(), 0u);
    EXPECT_EQ(sheets[4].value("AJ1"), " 2/ 2");
    EXPECT_EQ(sheets[6].value("E11"), "F35");
    EXPECT_EQ(text::TrimBlanks(sheets[6].value("A11")), "35");
    EXPECT_EQ(rowsOf(sheets[8]).size(), 34u);
    EXPECT_EQ(sheets[8].value("E44"), "F68");
    EXPECT_EQ(rowsOf(sheets[9]).size(), 0u);
    EXPECT_EQ(sheets[9].value("AJ1"), " 3/ 3");
    // The data source's name stands for the database.
    EXPECT_EQ(sheets[1].value("A7"), run_.session.DbName);
    EXPECT_FALSE(run_.session.DbName.empty());
}

TEST_F(OdbcSheets, TablesOfMoreThan251FieldsLoseNoPage) {
    const auto sheets = Export({"W251", "W252"});
    ASSERT_EQ(sheets.size(), 1u + 8 + 8);
    EXPECT_EQ(sheets[8].name, "W251_ 8");
    EXPECT_EQ(rowsOf(sheets[8]).size(), 13u);
    EXPECT_EQ(sheets[8].value("E23"), "F251");
    EXPECT_EQ(sheets[16].name, "W252_ 8");
    EXPECT_EQ(rowsOf(sheets[16]).size(), 14u);
    EXPECT_EQ(sheets[16].value("E24"), "F252");
    EXPECT_EQ(text::TrimBlanks(sheets[16].value("A24")), "252");
    EXPECT_FALSE(sheets[16].value("U24").empty());
    EXPECT_EQ(sheets[16].value("U24"), sheets[9].value("U11"));
}

}  // namespace
}  // namespace kolumbra::testing
