// The workbook command from the button to the file: checks, pages, the
// same-name question, errors and what the window sees of the progress.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <utility>

#include "common/text.h"
#include "engine/sheet/workbook.h"
#include "layout_fixture.h"
#include "layoutbook/table_sheets.h"

namespace kolumbra::testing {
namespace {

using ::testing::ElementsAre;

RecordedMessage completion(const std::string& file) { return {file + "が作成されました", Buttons::Ok, Icon::None, "完了"}; }

std::string number(const SheetView& sheet, int row) { return text::TrimBlanks(sheet.value("A" + std::to_string(row))); }

TEST_F(LayoutTest, RequestChecksComeBeforeTheConfirmation) {
    window.list = {{"Orders", false}};
    session.gDb = std::make_unique<FakeDatabase>(std::vector<db::TableDef>{TableWithFields("Orders", 1)});
    Command4_Click(session, state);
    window.list[0].selected = true;
    for (const char* path : {"out.Xls", "out.xlsx", "xls", ""}) {
        window.text2 = dir.file(path);
        if (std::string(path).size() < 4) window.text2 = path;
        Command4_Click(session, state);
    }
    const RecordedMessage noTable{"書き出すﾃｰﾌﾞﾙを選択してください。", Buttons::Ok, Icon::Exclamation, "確認"};
    const RecordedMessage badPath{"Out_xlsはｴｸｾﾙｼｰﾄを指定してください", Buttons::Ok, Icon::Exclamation, "確認"};
    EXPECT_THAT(window.messages, ElementsAre(noTable, badPath, badPath, badPath, badPath));
    EXPECT_TRUE(window.events.empty());
}

TEST_F(LayoutTest, DeclinedConfirmationChangesNothing) {
    window.answers = {Answer::Cancel};
    Export({TableWithFields("Orders", 2)});
    EXPECT_THAT(window.messages, ElementsAre(RecordedMessage{Confirmation, Buttons::OkCancel, Icon::Exclamation, "確認"}));
    EXPECT_FALSE(FileExists(window.text2));
    EXPECT_TRUE(window.events.empty());
}

TEST_F(LayoutTest, UpperCaseExtensionAndSeveralTablesGiveOneConfirmationAndOneCompletion) {
    window.text2 = dir.file("Book.XLS");
    Export({TableWithFields("A", 1), TableWithFields("B", 1), TableWithFields("C", 1)}, {"A", "C"});
    EXPECT_THAT(window.messages, ElementsAre(RecordedMessage{Confirmation, Buttons::OkCancel, Icon::Exclamation, "確認"},
                                             completion("Book.XLS")));
    EXPECT_THAT(SheetNames(), ElementsAre("Sheet1", "A", "C"));
    EXPECT_EQ(session.CurrentTable, "C");
    EXPECT_EQ(state.OutBook, nullptr);
}

// A workbook another program wrote between two commands is bound anew, and
// all it holds stays, though the first command's pages were saved one by
// one into the file it replaced.
TEST_F(LayoutTest, WorkbookReplacedBetweenTwoCommandsIsBoundAnewWithNothingLost) {
    Export({TableWithFields("A", 70), TableWithFields("B", 1), TableWithFields("C", 1)});
    EXPECT_THAT(SheetNames(), ElementsAre("Sheet1", "A_ 1", "A_ 2", "A_ 3", "B", "C"));
    const std::string other = window.text2 + ".other";
    std::filesystem::copy_file(KOLUMBRA_FIXTURES "/xls/3d-multisheet-refs.xls", other);
    std::filesystem::rename(other, window.text2);
    Export({TableWithFields("D", 1)});
    EXPECT_THAT(SheetNames(), ElementsAre("Sheet1", "Sheet2", "Sheet3", "D"));
}

// Pages of two table names alike in their first 26 characters: the later
// ones get "~2" after their page number, which stays whole.
TEST_F(LayoutTest, PagesOfOneCommandWithTheSameNameKeepTheirPageNumbers) {
    const std::string prefix(26, 'T');
    Export({TableWithFields(prefix + "_A", 306), TableWithFields(prefix + "_B", 306)});
    const std::vector<std::string> names = SheetNames();
    ASSERT_EQ(names.size(), 21u);
    EXPECT_EQ(names[10], prefix + "_ 10");
    EXPECT_EQ(names[11], prefix + "_ 1~2");
    EXPECT_EQ(names[20], prefix.substr(0, 25) + "_ 10~2");
}

TEST_F(LayoutTest, PagesSplitAtThirtyFourFields) {
    Export({TableWithFields("T0", 0), TableWithFields("T33", 33), TableWithFields("T34", 34), TableWithFields("T35", 35),
            TableWithFields("T68", 68)});
    const auto sheets = Sheets();
    std::vector<std::string> names;
    for (const auto& sheet : sheets) names.push_back(sheet.name);
    EXPECT_THAT(names, ElementsAre("Sheet1", "T0", "T33", "T34_ 1", "T34_ 2", "T35_ 1", "T35_ 2", "T68_ 1", "T68_ 2", "T68_ 3"));
    ASSERT_EQ(sheets.size(), 10u);

    EXPECT_EQ(sheets[1].value("AJ1"), " 1/ 1");
    EXPECT_EQ(sheets[1].value("E11"), "");
    EXPECT_EQ(sheets[1].value("T7"), "T0");
    EXPECT_EQ(sheets[2].value("E43"), "F33");
    EXPECT_EQ(number(sheets[2], 43), "33");
    EXPECT_EQ(sheets[2].value("E44"), "");
    EXPECT_EQ(sheets[3].value("E44"), "F34");
    EXPECT_EQ(sheets[4].value("AJ1"), " 2/ 2");
    EXPECT_EQ(sheets[4].value("T7"), "T34");
    EXPECT_EQ(sheets[4].value("AC5"), "山田 太郎");
    EXPECT_EQ(sheets[4].value("E11"), "");
    EXPECT_EQ(sheets[6].value("E11"), "F35");
    EXPECT_EQ(number(sheets[6], 11), "35");
    EXPECT_EQ(sheets[6].value("E12"), "");
    EXPECT_EQ(sheets[8].value("E44"), "F68");
    EXPECT_EQ(sheets[9].value("AJ1"), " 3/ 3");
    EXPECT_EQ(sheets[9].value("E11"), "");
    // Every page carries the whole template.
    EXPECT_EQ(sheets[9].merges, sheets[1].merges);
    EXPECT_EQ(sheets[9].heights, sheets[1].heights);
    EXPECT_EQ(sheets[9].widths, sheets[1].widths);
}

TEST_F(LayoutTest, EveryFieldOfAWideTableIsWritten) {
    Export({TableWithFields("W251", 251), TableWithFields("W300", 300)});
    const auto sheets = Sheets();
    ASSERT_EQ(sheets.size(), 1u + 8 + 9);
    EXPECT_EQ(sheets[8].name, "W251_ 8");
    EXPECT_EQ(sheets[8].value("E11"), "F239");
    EXPECT_EQ(sheets[8].value("E23"), "F251");
    EXPECT_EQ(sheets[8].value("E24"), "");
    EXPECT_EQ(sheets[17].name, "W300_ 9");
    EXPECT_EQ(sheets[17].value("E38"), "F300");
    EXPECT_EQ(number(sheets[17], 38), "300");
    EXPECT_EQ(window.messages.size(), 2u);  // confirmation and completion, no error
}

TEST_F(LayoutTest, ATableTooLargeForTheProgressBarStillExports) {
    Export({TableWithFields("Huge", 1200)});
    const auto sheets = Sheets();
    ASSERT_EQ(sheets.size(), 1u + 36);
    EXPECT_EQ(sheets[36].value("E20"), "F1200");  // fields 1191 to 1200 in rows 11 to 20
    EXPECT_EQ(sheets[36].value("E21"), "");
    EXPECT_EQ(sheets[36].value("AJ1"), " 36/ 36");
    // The step rounds to 0; a maximum of 0 would leave a busy bar.
    EXPECT_EQ(std::count(window.events.begin(), window.events.end(), "max 1"), 1);
    EXPECT_EQ(window.messages.size(), 2u);
}

TEST_F(LayoutTest, WindowSeesTableProgressAndPausesInOrder) {
    Export({TableWithFields("Orders", 3)});
    std::vector<std::string> expected = {"hourglass on", "status 2 Orders", "refresh status", "max 102", "value 0", "refresh progress"};
    for (int value = 17; value <= 102; value += 17) {
        expected.push_back("value " + std::to_string(value));
        expected.push_back("refresh progress");
        if (value == 17) expected.push_back("pause 400");
    }
    for (const char* event : {"value 0", "status 2 ", "refresh status", "hourglass off"}) expected.push_back(event);
    EXPECT_EQ(window.events, expected);
}

TEST_F(LayoutTest, ProgressOfSeveralPagesEndsAtItsMaximum) {
    struct Case { int fields; const char* maximum; int step; int pages; };
    for (const Case c : {Case{40, "max 96", 8, 2}, Case{70, "max 108", 6, 3}, Case{250, "max 96", 2, 8}}) {
        window.events.clear();
        Export({TableWithFields("P" + std::to_string(c.fields), c.fields)});
        std::vector<std::string> values;
        for (const auto& event : window.events) {
            if (event.starts_with("value ")) values.push_back(event);
        }
        std::vector<std::string> expected = {"value 0"};
        for (int i = 1; i <= c.pages * 6; ++i) expected.push_back("value " + std::to_string(i * c.step));
        expected.push_back("value 0");
        EXPECT_EQ(values, expected) << c.fields;
        EXPECT_EQ(std::count(window.events.begin(), window.events.end(), c.maximum), 1) << c.fields;
        EXPECT_EQ(std::count(window.events.begin(), window.events.end(), "pause 400"), c.pages) << c.fields;
    }
}

TEST_F(LayoutTest, SameNameSheetIsReplacedAtTheEndOnOk) {
    Export({TableWithFields("Orders", 1), TableWithFields("Customers", 1)});
    window.messages.clear();
    window.answers = {Answer::Ok, Answer::Ok};
    Export({TableWithFields("Orders", 2)});
    const RecordedMessage question{"ｼｰﾄ作成時に同一名ｼｰﾄを検出しました｡ Orders\r上書きします、よろしいですか？",
                                   Buttons::OkCancel, Icon::Exclamation, "確認"};
    EXPECT_THAT(Prompts(), ElementsAre(Confirmation, question.prompt, completion("out.xls").prompt));
    EXPECT_EQ(window.messages[1], question);
    const auto sheets = Sheets();
    ASSERT_EQ(sheets.size(), 3u);
    EXPECT_EQ(sheets[1].name, "Customers");
    EXPECT_EQ(sheets[2].name, "Orders");
    EXPECT_EQ(sheets[2].value("E12"), "F2");
}

TEST_F(LayoutTest, CancelStopsThatTableAndTheNextGoesOn) {
    Export({TableWithFields("Orders", 1)});
    window.answers = {Answer::Ok, Answer::Cancel};
    Export({TableWithFields("Orders", 2), TableWithFields("Extra", 1)});
    const auto sheets = Sheets();
    ASSERT_EQ(sheets.size(), 3u);
    EXPECT_EQ(sheets[1].name, "Orders");
    EXPECT_EQ(sheets[1].value("E12"), "");  // the old sheet, untouched
    EXPECT_EQ(sheets[2].name, "Extra");
    EXPECT_EQ(window.messages.back(), completion("out.xls"));
    EXPECT_EQ(state.OutBook, nullptr);
}

// The workbook holds no two names that differ only in letter case: such a
// sheet is the same name, asked about and replaced or kept like any other.
TEST(LayoutSameName, ANameDifferingOnlyInCaseIsTheSameName) {
    struct Case {
        std::vector<std::string> existing;
        db::TableDef first;
        std::deque<Answer> answers;  // the confirmation, then the same-name question
        const char* asked;
        std::vector<std::string> sheets;
    };
    const Case cases[] = {
        {{"Sheet1", "orders"}, TableWithFields("Orders", 1), {Answer::Ok, Answer::Ok}, "Orders", {"Sheet1", "Orders", "Next"}},
        // Kept on page 2: page 1 stays saved and the next table goes on.
        {{"Sheet1", "long_ 2"}, TableWithFields("Long", 40), {Answer::Ok, Answer::Cancel}, "Long_ 2",
         {"Sheet1", "long_ 2", "Long_ 1", "Next"}},
    };
    for (const Case& c : cases) {
        ExportRig rig;
        writeWorkbookWithSheets(rig.window.text2, c.existing);
        rig.window.answers = c.answers;
        rig.Export({c.first, TableWithFields("Next", 1)});
        const std::string question = "ｼｰﾄ作成時に同一名ｼｰﾄを検出しました｡ " + std::string(c.asked) + "\r上書きします、よろしいですか？";
        EXPECT_THAT(rig.Prompts(), ElementsAre(Confirmation, question, completion("out.xls").prompt)) << c.asked;
        EXPECT_EQ(rig.SheetNames(), c.sheets) << c.asked;
        EXPECT_EQ(rig.state.OutBook, nullptr);
    }
}

// Where no page was saved, the error is the whole report. Whatever is at the
// path and cannot be read as a file is reported and left as it was.
TEST(LayoutNothingSaved, TheErrorIsTheWholeReportAndNothingIsReplaced) {
    namespace fs = std::filesystem;
    const std::pair<std::string, const char*> cases[] = {
        {"missing/out.xls", ""}, {"text.xls", "をブックとして開けません"}, {"folder.xls", "フォルダーです。"},
        {"fifo.xls", "通常のファイルではありません。"}, {"link.xls", "リンク先がありません。"},
        {"held.xls", "はann@pc1が使用中です。ロックファイル: "}};
    for (const auto& [name, reason] : cases) {
        ExportRig rig;
        const std::string path = rig.window.text2 = rig.dir.file(name);
        if (name == "text.xls") WriteBytes(path, "name,size\r\n");
        if (name == "folder.xls") fs::create_directory(path);
        if (name == "fifo.xls") ::mkfifo(path.c_str(), 0600);
        if (name == "link.xls") fs::create_symlink("nowhere.xls", path);
        if (name == "held.xls") WriteBytes(rig.dir.file(".~lock.held.xls#"), ",ann,pc1,09.12.2026 14:06,file:///x;");
        const fs::file_type before = fs::symlink_status(path).type();
        rig.Export({TableWithFields("Orders", 1)});
        ASSERT_EQ(rig.window.messages.size(), 2u) << name;
        EXPECT_TRUE(rig.window.messages[1].prompt.starts_with("ｴﾗｰが発生しました\r")) << name;
        EXPECT_NE(rig.window.messages[1].prompt.find(reason), std::string::npos) << rig.window.messages[1].prompt;
        EXPECT_EQ(fs::symlink_status(path).type(), before) << name;
        if (name == "text.xls") {
            EXPECT_EQ(ReadBytes(path), "name,size\r\n");
        }
        EXPECT_EQ(rig.state.OutBook, nullptr);
    }
}

TEST_F(LayoutTest, ATableGoneFromTheCatalogueGetsAnEmptySheet) {
    window.list = {{"Orders", true}, {"Gone", true}};
    session.gDb = std::make_unique<FakeDatabase>(std::vector<db::TableDef>{TableWithFields("Orders", 3)});
    Command4_Click(session, state);
    const auto sheets = Sheets();
    ASSERT_EQ(sheets.size(), 3u);
    EXPECT_EQ(sheets[2].name, "Gone");
    EXPECT_EQ(sheets[2].value("T7"), "Gone");
    EXPECT_EQ(sheets[2].value("E11"), "");
    EXPECT_EQ(state.FieldCount, 0);
}

TEST_F(LayoutTest, ADatabaseFailureWhileReadingATableIsReportedAndTheNextGoesOn) {
    window.list = {{"A", true}, {"Broken", true}, {"C", true}};
    auto database = std::make_unique<FakeDatabase>(
        std::vector<db::TableDef>{TableWithFields("A", 1), TableWithFields("C", 2), TableWithFields("Broken", 3)});
    database->failingTable = "Broken";
    session.gDb = std::move(database);
    Command4_Click(session, state);

    const RecordedMessage failure{"ｴﾗｰが発生しました\rODBC 呼び出しが失敗しました。", Buttons::Ok, Icon::Critical, "ｴﾗｰ"};
    EXPECT_THAT(window.messages, ElementsAre(::testing::_, failure, completion("out.xls")));
    EXPECT_THAT(SheetNames(), ElementsAre("Sheet1", "A", "C"));
    EXPECT_EQ(Sheets()[2].value("E12"), "F2");
    const auto broken = std::find(window.events.begin(), window.events.end(), "status 2 Broken");
    ASSERT_NE(broken, window.events.end());
    EXPECT_THAT(std::vector<std::string>(broken, broken + 4),
                ElementsAre("status 2 Broken", "refresh status", "status 2 ", "refresh status"));
    EXPECT_EQ(window.events.back(), "hourglass off");
}

TEST_F(LayoutTest, EachDefinitionIsReadOnceHoweverManyTablesAreExported) {
    std::vector<db::TableDef> tables;
    for (int i = 0; i < 30; ++i) tables.push_back(TableWithFields("T" + std::to_string(100 + i), 1));
    window.list.clear();
    // Listed in the reverse of the catalogue order: the worst case of a search from the first.
    for (auto table = tables.rbegin(); table != tables.rend(); ++table) window.list.push_back({table->Name, true});
    window.list.push_back({"Gone", true});
    auto database = std::make_unique<FakeDatabase>(tables);
    FakeDatabase& counted = *database;
    session.gDb = std::move(database);
    Command4_Click(session, state);
    EXPECT_EQ(counted.definitionReads, 30);
    const auto sheets = Sheets();
    ASSERT_EQ(sheets.size(), 32u);
    EXPECT_EQ(sheets[1].name, "T129");
    EXPECT_EQ(sheets[30].value("T7"), "T100");
    EXPECT_EQ(sheets[30].value("E11"), "F1");
}

TEST_F(LayoutTest, OdbcSourceShowsUniqueWithoutKey) {
    window.text1 = "";
    db::TableDef table = TableWithFields("items", 2);
    table.Indexes.push_back({"sqlite_autoindex_items_1", true, true, {"F1"}});
    table.Indexes.push_back({"F2", false, false, {"F2"}});
    Export({table});
    const auto page = Sheets().back();
    EXPECT_EQ(page.value("C11"), "U");
    EXPECT_EQ(page.value("D11"), "I");
    EXPECT_EQ(page.value("C12"), "");
    EXPECT_EQ(page.value("D12"), "I");
}

TEST_F(LayoutTest, FortyCharacterTableNames) {
    const std::string forty = "Table_with_a_name_of_forty_characters_40";
    ASSERT_EQ(forty.size(), 40u);
    Export({TableWithFields(forty, 3), TableWithFields(forty + "b", 40)});
    EXPECT_THAT(SheetNames(), ElementsAre("Sheet1", forty.substr(0, 30), forty.substr(0, 26) + "_ 1", forty.substr(0, 26) + "_ 2"));
    EXPECT_EQ(Sheets()[1].value("T7"), forty);
}

}  // namespace
}  // namespace kolumbra::testing
