#include "table_page.h"

#include <string>

namespace kolumbra::bench {

namespace {

using namespace sheet;

void Edge(Worksheet& sheet, const std::string& address, int edge, int lineStyle, int weight) {
    Border border = sheet.GetRange(address).Borders(edge);
    border.SetLineStyle(lineStyle);
    border.SetWeight(weight);
    border.SetColorIndex(xl::ColorIndexAutomatic);
}

void Merge(Worksheet& sheet, const std::string& address) { sheet.GetRange(address).SetMergeCells(true); }

void Caption(Worksheet& sheet, int row, int column, const std::string& text, bool left) {
    Range cell = sheet.Cells(row, column);
    cell.SetValue(text);
    if (left) cell.SetHorizontalAlignment(xl::HAlignLeft);
}

void Rules(Worksheet& sheet) {
    Edge(sheet, "A2:AL44", xl::EdgeTop, xl::Double, xl::Thin);
    for (int edge : {xl::EdgeBottom, xl::EdgeLeft, xl::EdgeRight}) Edge(sheet, "A2:AL44", edge, xl::Continuous, xl::Thin);
    sheet.GetRange("A2:AL44").SetHorizontalAlignment(xl::HAlignCenter);
    Edge(sheet, "A11:AL43", xl::EdgeTop, xl::Double, xl::Thick);
    Edge(sheet, "A11:AL43", xl::EdgeBottom, xl::Continuous, xl::Thin);
    Edge(sheet, "A11:AL43", xl::InsideHorizontal, xl::Continuous, xl::Thin);
    for (const char* address : {"A5:AL5", "A7:AL7", "A9:AL9", "M2:AL2", "AC3:AL3"})
        Edge(sheet, address, xl::EdgeBottom, xl::Continuous, xl::Thin);
    for (const char* address : {"M2:M5", "R2:R5", "T2:T7", "W2:W5", "Z2:Z5", "AC2:AC5", "I8:I9", "Q8:Q9", "Y8:Y9", "AF8:AF9"})
        sheet.GetRange(address).Borders(xl::EdgeLeft).SetWeight(xl::Thin);
    const std::pair<const char*, int> fieldRules[] = {{"C10:C44", 2}, {"D11:D44", 1}, {"E10:E44", 2}, {"O10:O44", 2},
                                                      {"U10:U44", 2}, {"X10:X44", 2}, {"Z11:Z44", 1}, {"AA10:AA44", 2}};
    for (const auto& [address, weight] : fieldRules) sheet.GetRange(address).Borders(xl::EdgeLeft).SetWeight(weight);
}

void Merges(Worksheet& sheet) {
    for (int r = 11; r <= 44; ++r) Merge(sheet, "X" + std::to_string(r) + ":Y" + std::to_string(r));
    for (int r = 11; r <= 44; ++r) Merge(sheet, "A" + std::to_string(r) + ":B" + std::to_string(r));
    for (const char* address : {"M4:Q4", "R4:S4", "A10:B10", "C10:D10", "E10:N10", "O10:T10", "U10:W10", "X10:Z10",
                                "AA10:AL10", "M2:Q2", "R2:S2", "T2:V2", "W2:Y2", "Z2:AB2", "AC2:AL2", "A7:S7", "T7:AL7",
                                "AC5:AL5"})
        Merge(sheet, address);
}

void Captions(Worksheet& sheet) {
    Caption(sheet, 2, 1, "ﾀｲﾄﾙ", true);
    Caption(sheet, 2, 13, "年 月 日", false);
    Caption(sheet, 2, 18, "版", false);
    Caption(sheet, 2, 20, "承 認", false);
    Caption(sheet, 2, 23, "査 閲", false);
    Caption(sheet, 2, 26, "担 当", false);
    Caption(sheet, 2, 29, "登録番号", true);
    Caption(sheet, 3, 29, "参照番号", true);
    Caption(sheet, 4, 29, "作 成 者", true);
    Caption(sheet, 6, 1, "ＤＢファイル名", true);
    Caption(sheet, 6, 20, "テーブル名", true);
    Caption(sheet, 8, 1, "【 データ件数 】", false);
    Caption(sheet, 8, 9, "【 ﾃﾞｰﾀ･ﾌﾞﾛｯｸ･ｻｲｽﾞ 】", false);
    Caption(sheet, 8, 17, "【 PCTFREE 】", false);
    Caption(sheet, 8, 25, "【 ブロック数 】", false);
    Caption(sheet, 8, 32, "【 バイト数 】", false);
    sheet.GetRange("A8:AL8").SetHorizontalAlignment(xl::HAlignLeft);
    const std::pair<int, const char*> headers[] = {{1, "番号"},        {3, "ｷｰ"},    {5, "項　目　名"}, {15, "項 目 Ｉ Ｄ"},
                                                   {21, "属 性"},      {24, "ﾊﾞｲﾄ数"}, {27, "摘  要"}};
    for (const auto& [column, text] : headers) sheet.Cells(10, column).SetValue(text);
    sheet.GetRange("A10:AL10").SetVerticalAlignment(xl::VAlignCenter);
}

void Fill(Worksheet& sheet, int page) {
    sheet.Cells(7, 20).SetValue("T_SAMPLE");
    sheet.Cells(7, 1).SetValue("sample.mdb");
    sheet.Cells(5, 29).SetValue("作成者");
    sheet.GetRange("E11:W44").SetHorizontalAlignment(xl::HAlignLeft);
    sheet.Cells(1, 36).SetValue(" " + std::to_string(page) + "/ " + std::to_string(page));
    for (int k = 0; k < 34; ++k) {
        const int r = 11 + k;
        sheet.Cells(r, 1).SetValue(" " + std::to_string((page - 1) * 34 + k + 1));
        sheet.Cells(r, 5).SetValue("FIELD_" + std::to_string(k + 1));
        sheet.Cells(r, 21).SetValue(k % 2 ? "テキスト型" : "長整数型");
        sheet.Cells(r, 24).SetValue(std::to_string(4 + k));
        sheet.Cells(r, 4).SetValue(k < 2 ? "I" : "");
        sheet.Cells(r, 3).SetValue(k < 2 ? "P" : "");
        if (k == 0) {
            Range key = sheet.Cells(r, 3);
            key.SetValue(key.Value() + "U");
        }
    }
}

}  // namespace

void BuildTablePage(Worksheet& sheet, int page) {
    sheet.Columns("A:AL").SetColumnWidth(2);
    sheet.Rows("1:9").SetRowHeight(12);
    sheet.Rows("10:10").SetRowHeight(30);
    sheet.Rows("11:44").SetRowHeight(20);
    PageSetup setup = sheet.GetPageSetup();
    setup.SetLeftMargin(39.6);
    setup.SetRightMargin(32.4);
    setup.SetTopMargin(42.48);
    setup.SetBottomMargin(34.56);
    setup.SetHeaderMargin(22.32);
    setup.SetFooterMargin(18);
    Rules(sheet);
    Merges(sheet);
    Captions(sheet);
    Fill(sheet, page);
}

}  // namespace kolumbra::bench
