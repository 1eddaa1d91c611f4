#include <gtest/gtest.h>

#include <filesystem>

#include "listing_fixture.h"

namespace kolumbra::testing {
namespace {

// Code page 932 bytes written out by hand, independent of the converter.
const std::string TableLineShain = "\xC3\xB0\xCC\xDE\xD9\x96\xBC,\x8E\xD0\x88\xF5,\r\n";
const std::string HeadingLine = "\x8D\x80\x96\xDA\x96\xBC,\xC3\xDE\xB0\xC0\x8C\x5E,\xCA\xDE\xB2\xC4\x90\x94\r\n";
const std::string FieldShimei = "\x8E\x81\x96\xBC,Text,20\r\n";
const std::string TableLineBusho = "\xC3\xB0\xCC\xDE\xD9\x96\xBC,\x95\x94\x8F\x90,\r\n";

class CsvListing : public ListingTest {
protected:
    void SetUp() override {
        Open({Table("社員", {{"ID", 4, 4, {}}, {"氏名", 10, 20, {}}}), Table("部署", {{"CD", 10, 10, {}}})});
    }
};

TEST_F(CsvListing, WorkedExampleFirstRunThenAppend) {
    const std::string out = dir.file("out.csv");
    Run(out, {"社員"});
    const std::string first = TableLineShain + HeadingLine + "ID,Long,4\r\n" + FieldShimei + "\r\n,,\r\n";
    EXPECT_EQ(ReadBytes(out), first);
    EXPECT_EQ(window.messages, std::vector{Done(out)});
    EXPECT_EQ(session.CurrentTable, "社員");

    Run(out, {"部署"});
    const std::string oldKept = TableLineShain + HeadingLine + "ID,Long,4\r\n" + FieldShimei + ",,\r\n";
    EXPECT_EQ(ReadBytes(out), oldKept + "\r\n" + TableLineBusho + HeadingLine + "CD,Text,10\r\n" + "\r\n,,\r\n");
    EXPECT_EQ(window.messages, std::vector{Done(out)});
    EXPECT_EQ(session.CurrentTable, "部署");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"out.csv"});
    // No progress bar, status bar or pointer change.
    EXPECT_TRUE(window.events.empty());
}

TEST_F(CsvListing, BlocksFollowListOrderNotSelectionOrder) {
    const std::string out = dir.file("out.csv");
    Run(out, {"部署", "社員"});
    const std::string text = ReadBytes(out);
    EXPECT_LT(text.find(TableLineShain), text.find(TableLineBusho));
    EXPECT_EQ(session.CurrentTable, "部署");
}

TEST_F(CsvListing, JapaneseTypeNames) {
    session.gJap = 1;
    const std::string out = dir.file("out.csv");
    Run(out, {"部署"});
    EXPECT_EQ(ReadBytes(out), TableLineBusho + HeadingLine + Sjis("CD,テキスト型,10\r\n") + "\r\n,,\r\n");
}

TEST_F(CsvListing, FileOfEmptyLinesGetsNoSeparator) {
    const std::string out = dir.file("out.csv");
    WriteBytes(out, "\r\n\r\n\r\r\n");
    Run(out, {"部署"});
    EXPECT_EQ(ReadBytes(out), TableLineBusho + HeadingLine + "CD,Text,10\r\n\r\n,,\r\n");
}

TEST_F(CsvListing, OldLinesComeBackByteForByte) {
    const std::string out = dir.file("out.csv");
    // Not code page 932 (a lone lead byte, an invalid trail, 0xFF), a lone
    // LF inside a line, a line of blanks, a lone CR as line end and a last
    // line without end.
    WriteBytes(out, "\x81\r\nbad\x81\x20\xFF trail\r\n\r\nunix\nline\r  \r\nlast\x82");
    Run(out, {});
    EXPECT_EQ(ReadBytes(out), "\x81\r\nbad\x81\x20\xFF trail\r\nunix\nline\r\n  \r\nlast\x82\r\n\r\n");
    EXPECT_EQ(window.messages, std::vector{Done(out)});
}

TEST_F(CsvListing, NothingSelectedWritesOldContentBack) {
    const std::string out = dir.file("out.csv");
    Run(out, {});
    EXPECT_EQ(ReadBytes(out), "");
    EXPECT_EQ(window.messages, std::vector{Done(out)});
    WriteBytes(out, "a,b\r\n");
    Run(out, {});
    EXPECT_EQ(ReadBytes(out), "a,b\r\n\r\n");
    EXPECT_EQ(database->itemReads, 0);
}

TEST_F(CsvListing, NameMatchingNoTableGivesAnEmptyBlock) {
    window.list.push_back({"消えた表", false});
    const std::string out = dir.file("out.csv");
    Run(out, {"消えた表"});
    EXPECT_EQ(ReadBytes(out), Sjis("ﾃｰﾌﾞﾙ名,消えた表,\r\n") + HeadingLine + "\r\n,,\r\n");
    EXPECT_EQ(window.messages, std::vector{Done(out)});
}

TEST_F(ListingTest, EveryDefinitionOfTheNameIsListedAndCaseCounts) {
    Open({Table("T", {{"a", 4, 4, {}}}), Table("t", {{"lower", 4, 4, {}}}), Table("T", {{"b", 12, 0, {}}, {"c", 3, -2, {}}})});
    const std::string out = dir.file("out.csv");
    Run(out, {"T"});
    // Both list entries named T are selected; each block holds the fields
    // of both definitions of that name.
    const std::string block = Sjis("ﾃｰﾌﾞﾙ名,T,\r\n") + HeadingLine + "a,Long,4\r\nb,Memo,0\r\nc,Integer,-2\r\n\r\n,,\r\n";
    EXPECT_EQ(ReadBytes(out), block + block);
}

TEST_F(ListingTest, EachDefinitionIsReadOnceHoweverManyTablesAreListed) {
    std::vector<db::TableDef> defs;
    for (int i = 0; i < 12; ++i) defs.push_back(Table("T" + std::to_string(100 + i), {{"f" + std::to_string(i), 4, 4, {}}}));
    defs.push_back(Table("T105", {{"again", 10, 8, {}}}));
    Open(defs);
    // Listed in the reverse of the catalogue order, the worst case of a
    // search from the first, and one name the catalogue no longer holds.
    window.list.clear();
    std::vector<std::string> names;
    for (int i = 11; i >= 0; --i) names.push_back("T" + std::to_string(100 + i));
    names.push_back("Gone");
    for (const auto& name : names) window.list.push_back({name, false});
    const std::string out = dir.file("out.csv");
    Run(out, names);

    EXPECT_EQ(database->itemReads, 13);
    EXPECT_EQ(database->countReads, 1);
    std::string expected;
    for (int i = 11; i >= 0; --i) {
        expected += Sjis("ﾃｰﾌﾞﾙ名,T" + std::to_string(100 + i) + ",\r\n") + HeadingLine + "f" + std::to_string(i) + ",Long,4\r\n";
        if (i == 5) expected += "again,Text,8\r\n";
        expected += "\r\n,,\r\n";
    }
    expected += Sjis("ﾃｰﾌﾞﾙ名,Gone,\r\n") + HeadingLine + "\r\n,,\r\n";
    EXPECT_EQ(ReadBytes(out), expected);
    EXPECT_EQ(window.messages, std::vector{Done(out)});
}

TEST_F(ListingTest, OnlyNamesThatWouldBreakTheFormatAreQuoted) {
    Open({Table("a,b", {{"x\"y", 4, 4, {}}, {"p\rq", 4, 4, {}}, {"l\nm", 4, 4, {}}, {"plain 'name'", 4, 4, {}}, {"\"", 10, 1, {}}})});
    const std::string out = dir.file("out.csv");
    Run(out, {"a,b"});
    EXPECT_EQ(ReadBytes(out), Sjis("ﾃｰﾌﾞﾙ名,\"a,b\",\r\n") + HeadingLine +
                                  "\"x\"\"y\",Long,4\r\n\"p\rq\",Long,4\r\n\"l\nm\",Long,4\r\nplain 'name',Long,4\r\n"
                                  "\"\"\"\",Text,1\r\n\r\n,,\r\n");
}

TEST_F(CsvListing, ValidationMessages) {
    const RecordedMessage noName{"出力ﾌｧｲﾙ名を入力してください。", Buttons::Ok, Icon::None, "確認"};
    const RecordedMessage notCsv{"CSVﾌｧｲﾙを指定してください。", Buttons::Ok, Icon::None, "確認"};
    for (const auto& [text3, expected] : std::vector<std::pair<std::string, RecordedMessage>>{
             {"", noName}, {"   ", noName}, {dir.file("out.Csv"), notCsv}, {"csv", notCsv}, {dir.file("out.txt"), notCsv},
             {dir.file("out.csv.bak"), notCsv}}) {
        Run(text3, {"社員"});
        EXPECT_EQ(window.messages, std::vector{expected}) << "[" << text3 << "]";
    }
    EXPECT_TRUE(FolderEntries().empty());
    EXPECT_EQ(database->itemReads, 0);
    EXPECT_EQ(session.CurrentTable, "");
}

TEST_F(CsvListing, BothExactExtensionsPass) {
    for (const std::string name : {"out.CSV", "out.csv"}) {
        Run(dir.file(name), {"部署"});
        EXPECT_EQ(window.messages, std::vector{Done(dir.file(name))});
        EXPECT_EQ(ReadBytes(dir.file(name)), TableLineBusho + HeadingLine + "CD,Text,10\r\n\r\n,,\r\n");
    }
}

TEST_F(CsvListing, BlanksAroundTheNamePassAndTheFileKeepsThem) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    Run("  out.csv ", {"部署"});
    std::filesystem::current_path(previous);
    EXPECT_EQ(window.messages, std::vector{Done("  out.csv ")});
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"  out.csv "});
}

}  // namespace
}  // namespace kolumbra::testing
