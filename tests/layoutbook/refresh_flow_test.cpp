// The workbook command with refresh on, through the window: forms already
// in the workbook are brought up to date where they stand, without the
// same-name question, and 変更履歴 tells what changed.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "layout_fixture.h"

namespace kolumbra::testing {
namespace {

using ::testing::ElementsAreArray;
using ::testing::IsSupersetOf;

// A cell typed into the workbook between the two commands.
struct Typed {
    const char* sheet;
    const char* address;
    const char* value;
};

struct RefreshCase {
    const char* what;
    std::vector<db::TableDef> before;
    std::vector<Typed> typed;
    std::vector<db::TableDef> after;
    std::vector<std::string> sheets;                  // afterwards, in order
    std::vector<std::pair<std::string, std::string>> values;  // "Sheet!A1", value
    std::vector<std::string> history;                 // rows without the date, among those written
    std::int16_t japBefore = 0;                       // the forms' language; the refresh writes English
};

db::TableDef Without(db::TableDef table, const std::string& field) {
    std::erase_if(table.Fields, [&](const db::Field& f) { return f.Name == field; });
    return table;
}

const std::vector<RefreshCase> Cases = {
    {"a table grows to a second page, placed after its first",
     {TableWithFields("Orders", 3), TableWithFields("Items", 1)},
     {{"Orders", "O11", "ID-1"}, {"Orders", "AA13", "memo"}},
     {TableWithFields("Orders", 35), TableWithFields("Items", 1)},
     {"Sheet1", "Orders", "Orders_ 2", "Items", "変更履歴"},
     {{"Orders!O11", "ID-1"}, {"Orders!AA13", "memo"}, {"Orders!AJ1", " 1/ 2"}, {"Orders_ 2!E11", "F35"}},
     {"Orders\tF35\t項目追加\t\t35\t\t", "Orders\t\tﾍﾟｰｼﾞ追加\t\tOrders_ 2\t\t"}},
    {"a removed field's typed cells go to the history; the rest move up",
     {TableWithFields("Orders", 3)},
     {{"Orders", "O12", "ID-2"}, {"Orders", "AA12", "gone"}, {"Orders", "O13", "ID-3"}},
     {Without(TableWithFields("Orders", 3), "F2")},
     {"Sheet1", "Orders", "変更履歴"},
     {{"Orders!E12", "F3"}, {"Orders!O12", "ID-3"}, {"Orders!O13", ""}, {"Orders!AA12", ""}, {"Orders!E13", ""}},
     {"Orders\tF2\t項目削除\t2\t\tID-2\tgone"}},
    {"a surplus page goes when nothing typed is left on it",
     {TableWithFields("Orders", 35)},
     {{"Orders_ 2", "O11", "ID-35"}},
     {TableWithFields("Orders", 3)},
     {"Sheet1", "Orders_ 1", "変更履歴"},
     {{"Orders_ 1!AJ1", " 1/ 1"}},
     {"Orders\t\tﾍﾟｰｼﾞ削除\tOrders_ 2\t\t\t", "Orders\tF35\t項目削除\t35\t\tID-35\t"}},
    {"a surplus page with something typed in its header stays",
     {TableWithFields("Orders", 35)},
     {{"Orders_ 2", "A3", "my title"}},
     {TableWithFields("Orders", 3)},
     {"Sheet1", "Orders_ 1", "Orders_ 2", "変更履歴"},
     {{"Orders_ 2!A3", "my title"}},
     {"Orders\t\tﾍﾟｰｼﾞ削除\tOrders_ 2\t入力があるため残しました\t\t"}},
    {"a table gone keeps its form; a new one goes before the history",
     {TableWithFields("Orders", 2), TableWithFields("Old", 1)},
     {{"Old", "O11", "kept"}},
     {TableWithFields("Orders", 3), TableWithFields("New", 1)},
     {"Sheet1", "Orders", "Old", "New", "変更履歴"},
     {{"Old!O11", "kept"}, {"New!E11", "F1"}},
     {"Old\t\tﾃｰﾌﾞﾙ削除\tOld\t\t\t"}},
    {"type names of the other language are written again as no change",
     {TableWithFields("Orders", 2)}, {}, {TableWithFields("Orders", 2)},
     {"Sheet1", "Orders"},
     {{"Orders!U11", "Text"}, {"Orders!U12", "Text"}},
     {}, 1},
};

TEST_F(LayoutTest, RefreshBringsFormsUpToDateWhereTheyStand) {
    for (const RefreshCase& c : Cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(window.text2);
        session.gRefresh = 0;
        session.gJap = c.japBefore;
        Export(c.before);
        session.gJap = 0;
        auto book = sheet::GetWorkbook(window.text2);
        for (const Typed& t : c.typed) {
            for (int i = 1; i <= book->GetSheets().Count(); ++i) {
                if (book->GetSheets().Item(i).Name() == t.sheet) book->GetSheets().Item(i).GetRange(t.address).SetText(t.value);
            }
        }
        book->Save();
        book->GetApplication().Quit();

        window.messages.clear();
        session.gRefresh = 1;
        Export(c.after);
        EXPECT_THAT(Prompts(), ElementsAreArray({Confirmation, std::string("out.xlsが作成されました")}));
        EXPECT_THAT(SheetNames(), ElementsAreArray(c.sheets));
        const auto sheets = Sheets();
        for (const auto& [at, value] : c.values) {
            const std::string name = at.substr(0, at.find('!'));
            const auto sheet = std::find_if(sheets.begin(), sheets.end(), [&](const SheetView& s) { return s.name == name; });
            ASSERT_NE(sheet, sheets.end()) << name;
            EXPECT_EQ(sheet->value(at.substr(at.find('!') + 1)), value) << at;
        }
        EXPECT_THAT(HistoryRows(sheets.back()), IsSupersetOf(c.history));

        // Up to date now: a second refresh records nothing more.
        Export(c.after);
        EXPECT_EQ(HistoryRows(Sheets().back()), HistoryRows(sheets.back()));
    }
}

TEST_F(LayoutTest, RefreshStillAsksAboutASameNamedSheetThatIsNoForm) {
    writeWorkbookWithSheets(window.text2, {"Sheet1", "Orders"});
    session.gRefresh = 1;
    window.answers = {Answer::Ok, Answer::Cancel};
    Export({TableWithFields("Orders", 1)});
    EXPECT_THAT(Prompts(), ElementsAreArray({Confirmation, std::string("ｼｰﾄ作成時に同一名ｼｰﾄを検出しました｡ Orders\r上書きします、よろしいですか？")}));
    EXPECT_EQ(Sheets()[1].value("E11"), "");
}

}  // namespace
}  // namespace kolumbra::testing
