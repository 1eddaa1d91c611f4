// Descriptions on the form, only when the remarks option is on: a field's
// in the remarks box of its row, the table's under the title caption.

#include <gtest/gtest.h>

#include "common/text.h"
#include "layout_fixture.h"
#include "layoutbook/remarks_text.h"

namespace kolumbra::testing {
namespace {

db::TableDef described() {
    db::TableDef table{"受注", 0, {}, {}, "受注伝票の見出し。\r\n明細は受注明細に。"};
    table.Fields = {{"受注番号", 4, 4, "伝票ごとの番号"},
                    {"得意先", 10, 8, ""},
                    {"摘要", 10, 255, "一行目\r\n二行目\n三行目\r四行目\t終わり"},
                    {"Amount", 5, 8, "The amount, tax included."}};
    return table;
}

db::TableDef withoutDescriptions(db::TableDef table) {
    table.Description.clear();
    for (auto& field : table.Fields) field.Description.clear();
    return table;
}

std::vector<SheetView> exportWith(std::int16_t remarks, const db::TableDef& table) {
    ExportRig rig;
    rig.session.gRemarks = remarks;
    rig.Export({table});
    return rig.Sheets();
}

TEST(Remarks, OnDescriptionsFillTheirRowsAndTheTitleArea) {
    const SheetView page = exportWith(1, described()).back();
    EXPECT_EQ(page.value("AA11"), "伝票ごとの番号");
    EXPECT_EQ(page.value("AA12"), "") << "a field without a description";
    EXPECT_EQ(page.value("AA13"), "一行目 二行目 三行目 四行目 終わり") << "line breaks and the tab become blanks";
    EXPECT_EQ(page.value("AA14"), "The amount, tax included.");
    for (int row = 11; row <= 44; ++row) {
        const std::string r = std::to_string(row);
        EXPECT_EQ(page.merges.count("AA" + r + ":AL" + r), 1u) << row;
        EXPECT_TRUE(page.cell("AA" + r).shrink) << row;
        // Wider than its box, a description is shrunk to fill it, set right.
        EXPECT_EQ(page.cell("AA" + r).halign, row == 13 ? "right" : "left") << row;
        EXPECT_EQ(page.cell("AA" + r).left, "thin") << row;
    }
    EXPECT_EQ(page.value("A2"), "ﾀｲﾄﾙ");
    EXPECT_EQ(page.value("A3"), "受注伝票の見出し。");
    EXPECT_EQ(page.value("A4"), "明細は受注明細に。");
    EXPECT_EQ(page.value("A5"), "");
    EXPECT_EQ(page.cell("A3").halign, "left");

    // Beside the remarks boxes nothing is merged or ruled anew.
    const SheetView off = exportWith(0, described()).back();
    std::set<std::string> merges = off.merges;
    for (int row = 11; row <= 44; ++row) merges.insert("AA" + std::to_string(row) + ":AL" + std::to_string(row));
    EXPECT_EQ(page.merges, merges);
    for (const auto& [address, cell] : off.cells) {
        const CellView on = page.cell(address);
        EXPECT_EQ(on.left + on.top + on.right + on.bottom, cell.left + cell.top + cell.right + cell.bottom) << address;
    }
}

TEST(Remarks, OffTheSheetIsTheSameWithOrWithoutDescriptions) {
    const auto plain = exportWith(0, withoutDescriptions(described()));
    EXPECT_EQ(exportWith(0, described()), plain);
    const SheetView& page = plain.back();
    EXPECT_EQ(page.value("AA11"), "");
    EXPECT_EQ(page.value("A3"), "");
    EXPECT_EQ(page.merges.count("AA11:AL11"), 0u);
    EXPECT_FALSE(page.cell("AA11").shrink);
}

TEST(Remarks, ADescriptionBeyondWhatACellHoldsIsCutNotRefused) {
    db::TableDef table = TableWithFields("Long", 1);
    table.Fields[0].Description = std::string(40000, 'x');
    ExportRig rig;
    rig.session.gRemarks = 1;
    rig.Export({table});
    EXPECT_EQ(rig.Prompts().back(), "out.xlsが作成されました");
    EXPECT_EQ(rig.Sheets().back().value("AA11").size(), CellTextLimit);
}

TEST(RemarksText, LinesAndWrapping) {
    EXPECT_EQ(RemarksLine("a\r\nb\rc\nd"), "a b c d");
    EXPECT_EQ(RemarksLine("\r\n\r\n"), "  ");
    EXPECT_EQ(HalfWidthUnits("ab ｶﾅ漢字"), 2u + 1 + 2 + 4);
    struct Case {
        const char* text;
        std::size_t width;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", 10, {}},
        {"short", 10, {"short"}},
        {"one two three four", 10, {"one two", "three four"}},
        {"abcdefghijklmnop", 10, {"abcdefghij", "klmnop"}},
        {"漢字かな交じりの文", 10, {"漢字かな交", "じりの文"}},
        {"a b c d e f g h i j k l m n o", 5, {"a b c", "d e f", "g h…"}},
        {"一二三四五六七八九十", 6, {"一二三", "四五六", "七八…"}},
        {"𠀋𠀋𠀋", 4, {"𠀋𠀋", "𠀋"}},
        {"  leading  and trailing  ", 30, {"leading  and trailing"}},
    };
    for (const Case& c : cases) EXPECT_EQ(WrapLines(c.text, c.width, 3), c.lines) << c.text;
}

}  // namespace
}  // namespace kolumbra::testing
