#pragma once
// The change history sheet (変更履歴) of a workbook whose forms a refresh
// brought up to date: one row for each change, with the date, the table,
// the field, what changed, the old and the new value, and for a removed
// field what was typed for it.

#include <string>
#include <string_view>
#include <vector>

#include "engine/sheet/workbook.h"

namespace kolumbra {

inline constexpr std::string_view HistorySheetName = "変更履歴";

// What changed, as the history names it.
namespace changed {
inline constexpr std::string_view FieldAdded = "項目追加";
inline constexpr std::string_view FieldRemoved = "項目削除";
inline constexpr std::string_view Type = "属性";
inline constexpr std::string_view Size = "ﾊﾞｲﾄ数";
inline constexpr std::string_view Marks = "ｷｰ";
inline constexpr std::string_view Position = "位置";
inline constexpr std::string_view PageAdded = "ﾍﾟｰｼﾞ追加";
inline constexpr std::string_view PageRemoved = "ﾍﾟｰｼﾞ削除";
inline constexpr std::string_view TableRemoved = "ﾃｰﾌﾞﾙ削除";
// The new value of a surplus page that keeps what was typed on it.
inline constexpr std::string_view PageKept = "入力があるため残しました";
// The new value of a surplus page that formulas or names refer to.
inline constexpr std::string_view PageReferenced = "参照があるため残しました";
}  // namespace changed

struct HistoryRow {
    std::string table, field;
    std::string_view what;
    std::string before, after;
    std::string fieldId, remarks;  // typed for a removed field
};

// Today's date as the history writes it: "2026/12/09".
std::string HistoryDate();

// Appends `rows` dated `date` under the last row of the history sheet. The
// sheet is made on first use, after the last form of the workbook.
void AppendHistory(sheet::Workbook& book, const std::vector<HistoryRow>& rows, const std::string& date);

// Whether the history already has a row saying `table` was removed.
bool HistoryRecordsRemoval(sheet::Workbook& book, const std::string& table);

// The sheets of `table` the history records as surplus pages kept for
// what was typed on them, or for references to them.
std::vector<std::string> HistoryKeptPages(sheet::Workbook& book, const std::string& table);

// The 1-based tab position of the history sheet, 0 when there is none.
int HistorySheetPosition(sheet::Workbook& book);

}  // namespace kolumbra
