// The form of one page as an independent reader sees it: grid, page setup,
// rules, merges, captions, alignments and the values of the fill step.

#include <gtest/gtest.h>

#include "catalog/field_type_name.h"
#include "common/text.h"
#include "layout_fixture.h"

namespace kolumbra::testing {
namespace {

std::string columnName(int column) {
    std::string name;
    for (; column > 0; column = (column - 1) / 26) name.insert(name.begin(), static_cast<char>('A' + (column - 1) % 26));
    return name;
}

std::string at(int column, int row) { return columnName(column) + std::to_string(row); }

db::TableDef employees() {
    db::TableDef table{"社員", 0, {{"社員番号", 4, 4, {}}, {"氏名", 10, 50, {}}, {"入社日", 8, 8, {}}}, {}, {}};
    table.Indexes.push_back({"Index_0A1B2C3D", true, true, {"社員番号"}});
    table.Indexes.push_back({"入社日", false, false, {"入社日"}});
    return table;
}

class FormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ExportRig exporter;
        exporter.session.gJap = 1;
        exporter.Export({employees()});
        page_ = new SheetView(exporter.Sheets().back());
    }
    static void TearDownTestSuite() { delete page_; }
    const SheetView& page() const { return *page_; }
    static SheetView* page_;
};

SheetView* FormTest::page_ = nullptr;

TEST_F(FormTest, ColumnsAToALAreTwoCharactersWideAndNoOthers) {
    ASSERT_EQ(page().widths.size(), 38u);
    const int width = page().widths.at("A");
    EXPECT_GE(width, 2 * 256);
    EXPECT_LT(width, 4 * 256);
    for (int column = 1; column <= 38; ++column) EXPECT_EQ(page().widths.at(columnName(column)), width) << columnName(column);
}

TEST_F(FormTest, NothingIsStoredOutsideTheForm) {
    // A cell past AL or under row 44, even one carrying only the frame's
    // line, widens the printed area and shrinks the one-page form.
    EXPECT_EQ(page().cells.size(), 44u * 38u) << "xlrd sees the sheet as A1:AL44";
    EXPECT_EQ(page().cells.count("AM2"), 0u);
    EXPECT_EQ(page().cells.count("A45"), 0u);
}

TEST_F(FormTest, RowHeights) {
    std::map<int, std::string> expected;
    for (int row = 1; row <= 9; ++row) expected[row] = "12";
    expected[10] = "30";
    for (int row = 11; row <= 44; ++row) expected[row] = "20";
    EXPECT_EQ(page().heights, expected);
}

TEST_F(FormTest, TheEightySixMerges) {
    std::set<std::string> expected;
    for (int row = 11; row <= 44; ++row) {
        expected.insert("X" + std::to_string(row) + ":Y" + std::to_string(row));
        expected.insert("A" + std::to_string(row) + ":B" + std::to_string(row));
    }
    for (const char* range : {"M4:Q4", "R4:S4", "A10:B10", "C10:D10", "E10:N10", "O10:T10", "U10:W10", "X10:Z10",
                              "AA10:AL10", "M2:Q2", "R2:S2", "T2:V2", "W2:Y2", "Z2:AB2", "AC2:AL2", "A7:S7", "T7:AL7",
                              "AC5:AL5"}) {
        expected.insert(range);
    }
    ASSERT_EQ(expected.size(), 86u);
    EXPECT_EQ(page().merges, expected);
}

TEST_F(FormTest, FrameWithADoubleTopLine) {
    for (int column = 1; column <= 38; ++column) {
        EXPECT_EQ(page().cell(at(column, 2)).top, "double") << at(column, 2);
        EXPECT_EQ(page().cell(at(column, 44)).bottom, "thin") << at(column, 44);
        EXPECT_EQ(page().cell(at(column, 1)).value, column == 36 ? " 1/ 1" : "") << at(column, 1);
    }
    for (int row = 2; row <= 44; ++row) {
        EXPECT_EQ(page().cell(at(1, row)).left, "thin") << row;
        EXPECT_EQ(page().cell(at(38, row)).right, "thin") << row;
    }
}

TEST_F(FormTest, FieldRowsRuledThinUnderADoubleLine) {
    for (int column = 1; column <= 38; ++column) {
        EXPECT_EQ(page().cell(at(column, 11)).top, "double") << at(column, 11);
        for (int row = 12; row <= 44; ++row) EXPECT_EQ(page().cell(at(column, row)).top, "thin") << at(column, row);
    }
}

TEST_F(FormTest, VerticalRulesOfTheFieldArea) {
    for (int row = 11; row <= 44; ++row) {
        for (const char* column : {"C", "E", "O", "U", "X", "AA"}) {
            EXPECT_EQ(page().cell(column + std::to_string(row)).left, "thin") << column << row;
        }
        EXPECT_EQ(page().cell("D" + std::to_string(row)).left, "hair") << row;
        EXPECT_EQ(page().cell("Z" + std::to_string(row)).left, "hair") << row;
        EXPECT_EQ(page().cell("F" + std::to_string(row)).left, "none") << row;
    }
    for (const char* cell : {"C10", "E10", "O10", "U10", "X10", "AA10"}) EXPECT_EQ(page().cell(cell).left, "thin") << cell;
}

TEST_F(FormTest, RulesOfTheHeaderBlock) {
    for (int column = 1; column <= 38; ++column) {
        for (int row : {5, 7, 9}) EXPECT_EQ(page().cell(at(column, row)).bottom, "thin") << at(column, row);
        // Captions share their box with the value below them.
        for (int row : {6, 8}) EXPECT_EQ(page().cell(at(column, row)).bottom, "none") << at(column, row);
        EXPECT_EQ(page().cell(at(column, 2)).bottom, column >= 13 ? "thin" : "none") << at(column, 2);
        EXPECT_EQ(page().cell(at(column, 3)).bottom, column >= 29 ? "thin" : "none") << at(column, 3);
    }
    for (const char* column : {"M", "R", "W", "Z", "AC"}) {
        for (int row = 2; row <= 5; ++row) EXPECT_EQ(page().cell(column + std::to_string(row)).left, "thin") << column << row;
        EXPECT_EQ(page().cell(column + std::string("6")).left, "none") << column;
    }
    for (int row = 2; row <= 7; ++row) EXPECT_EQ(page().cell("T" + std::to_string(row)).left, "thin") << row;
    for (const char* column : {"I", "Q", "Y", "AF"}) {
        for (int row : {8, 9}) EXPECT_EQ(page().cell(column + std::to_string(row)).left, "thin") << column << row;
        EXPECT_EQ(page().cell(column + std::string("7")).left, "none") << column;
    }
}

TEST_F(FormTest, CaptionsAndTheirAlignment) {
    struct Caption { const char* cell; const char* text; const char* halign; };
    const Caption captions[] = {
        {"A2", "ﾀｲﾄﾙ", "left"},          {"M2", "年 月 日", "center"},        {"R2", "版", "center"},
        {"T2", "承 認", "center"},        {"W2", "査 閲", "center"},           {"Z2", "担 当", "center"},
        {"AC2", "登録番号", "left"},      {"AC3", "参照番号", "left"},         {"AC4", "作 成 者", "left"},
        {"A6", "ＤＢファイル名", "left"}, {"T6", "テーブル名", "left"},        {"A8", "【 データ件数 】", "left"},
        {"I8", "【 ﾃﾞｰﾀ･ﾌﾞﾛｯｸ･ｻｲｽﾞ 】", "left"}, {"Q8", "【 PCTFREE 】", "left"}, {"Y8", "【 ブロック数 】", "left"},
        {"AF8", "【 バイト数 】", "left"}, {"A10", "番号", "center"},          {"C10", "ｷｰ", "center"},
        {"E10", "項　目　名", "center"},  {"O10", "項 目 Ｉ Ｄ", "center"},   {"U10", "属 性", "center"},
        {"X10", "ﾊﾞｲﾄ数", "center"},     {"AA10", "摘  要", "center"},
    };
    for (const auto& caption : captions) {
        const CellView cell = page().cell(caption.cell);
        EXPECT_EQ(cell.value, caption.text) << caption.cell;
        EXPECT_EQ(cell.halign, caption.halign) << caption.cell;
    }
    for (int column = 1; column <= 38; ++column) {
        EXPECT_EQ(page().cell(at(column, 10)).valign, "center") << at(column, 10);
        EXPECT_EQ(page().cell(at(column, 8)).halign, "left") << at(column, 8);
    }
    EXPECT_EQ(page().cell("A2").font, "ＭＳ 明朝");
    EXPECT_EQ(page().cell("A2").size, "10");
}

TEST_F(FormTest, HeaderValuesAreCentredAndTheirBoxesElseEmpty) {
    EXPECT_EQ(page().cell("T7").value, "社員");
    EXPECT_EQ(page().cell("A7").value, "fake.mdb");
    EXPECT_EQ(page().cell("AC5").value, "山田 太郎");
    for (const char* cell : {"T7", "A7", "AC5", "M4", "R4"}) EXPECT_EQ(page().cell(cell).halign, "center") << cell;
    for (int column = 1; column <= 38; ++column) EXPECT_EQ(page().value(at(column, 9)), "") << at(column, 9);
    for (int column = 13; column <= 28; ++column) {
        for (int row = 3; row <= 5; ++row) EXPECT_EQ(page().value(at(column, row)), "") << at(column, row);
    }
}

TEST_F(FormTest, FieldRowsWithMarks) {
    struct Row { const char* number; const char* key; const char* index; const char* name; std::int16_t type; const char* size; };
    const Row rows[] = {{"1", "PU", "I", "社員番号", 4, "4"}, {"2", "", "", "氏名", 10, "50"}, {"3", "", "I", "入社日", 8, "8"}};
    int r = 11;
    for (const auto& row : rows) {
        const std::string n = std::to_string(r++);
        EXPECT_EQ(text::TrimBlanks(page().value("A" + n)), row.number) << n;
        EXPECT_EQ(page().value("C" + n), row.key) << n;
        EXPECT_EQ(page().value("D" + n), row.index) << n;
        EXPECT_EQ(page().value("E" + n), row.name) << n;
        EXPECT_EQ(page().value("U" + n), FieldTypeName(row.type, 1)) << n;
        EXPECT_EQ(page().value("X" + n), row.size) << n;
    }
    for (int row = 14; row <= 44; ++row) {
        for (int column = 1; column <= 38; ++column) EXPECT_EQ(page().value(at(column, row)), "") << at(column, row);
    }
    for (int row = 11; row <= 44; ++row) {
        for (int column = 1; column <= 38; ++column) {
            const bool left = column >= 5 && column <= 23;
            EXPECT_EQ(page().cell(at(column, row)).halign, left ? "left" : "center") << at(column, row);
        }
    }
}

}  // namespace
}  // namespace kolumbra::testing
