// kolumbra-cli xls writing into workbooks another application saved: its
// sheets stay as they were, table sheets go after them.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli_runner.h"
#include "sqlite_source.h"
#include "temp_dir.h"
#include "workbook_probe.h"

namespace kolumbra::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::string Mdb = std::string(KOLUMBRA_FIXTURES) + "/mdb/";
const std::string Xls = std::string(KOLUMBRA_FIXTURES) + "/xls/";

std::vector<std::string> SheetNames(const std::vector<SheetView>& book) {
    std::vector<std::string> names;
    for (const auto& sheet : book) names.push_back(sheet.name);
    return names;
}

std::map<std::string, std::string> Values(const SheetView& sheet) {
    std::map<std::string, std::string> values;
    for (const auto& [address, cell] : sheet.cells)
        if (!cell.value.empty()) values[address] = cell.value;
    return values;
}

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string CopyFixture(const TempDir& dir, const std::string& name) {
    const std::string path = dir.file(name);
    std::filesystem::copy_file(Xls + name, path);
    std::filesystem::permissions(path, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    return path;
}

TEST(CliForeignBook, TableSheetsGoAfterTheSheetsOfAnotherApplication) {
    TempDir dir;
    const std::string out = CopyFixture(dir, "jp-jma-areaforecast-3sheets.xls");
    const std::vector<SheetView> before = ProbeWorkbook(out);
    ASSERT_THAT(SheetNames(before), ElementsAre("Sheet1", "Sheet2", "Sheet3"));

    const auto first = RunCli({"xls", Mdb + "nwind.mdb", out, "Orders", "Customers"});
    EXPECT_EQ(first.status, 0) << first.err;
    const auto replaced = RunCli({"xls", "--replace", "--author", "again", Mdb + "nwind.mdb", out, "Orders"});
    EXPECT_EQ(replaced.status, 0) << replaced.err;

    const std::vector<SheetView> after = ProbeWorkbook(out);
    EXPECT_THAT(SheetNames(after), ElementsAre("Sheet1", "Sheet2", "Sheet3", "Customers", "Orders"));
    ASSERT_FALSE(Values(before[0]).empty()) << "the first sheet holds the forecast areas";
    for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(Values(after[i]), Values(before[i])) << before[i].name;
    EXPECT_EQ(after[4].value("E11"), "OrderID");
    EXPECT_EQ(after[4].value("AC5"), "again");
}

TEST(CliForeignBook, AnOriginalSheetOfATablesNameIsReplacedUnlessItHasCodeOrIsTheLast) {
    SqliteSource source("kolumbra foreign book", "CREATE TABLE Sheet1 (コード CHAR(5));\n"
                                                 "CREATE TABLE Sheet2 (名称 VARCHAR(40));\n"
                                                 "CREATE TABLE \"reported claim lag dump\" (ID INTEGER);\n");
    TempDir dir;
    const std::string names = CopyFixture(dir, "names-34-4sheets.xls");
    const std::vector<SheetView> before = ProbeWorkbook(names);
    const auto replaced = RunCli({"xls", "--replace", "--dsn", source.name(), names, "Sheet2"}, source.Environment());
    EXPECT_EQ(replaced.status, 0) << replaced.err;
    const std::vector<SheetView> after = ProbeWorkbook(names);
    EXPECT_THAT(SheetNames(after), ElementsAre("Sheet1", "Sheet3", "Seamus O'Reilly", "Sheet2"));
    EXPECT_EQ(Values(after[0]), Values(before[0]));
    EXPECT_EQ(Values(after[2]), Values(before[3]));
    EXPECT_EQ(after[3].value("E11"), "名称");

    // Sheets that carry code of their own stay, and so does every byte of
    // the file, the only sheet of a workbook among them.
    const std::string modules = CopyFixture(dir, "vba-18sheets-3d-notes.xls");
    const std::string only = CopyFixture(dir, "jp-vba-filecopy.xls");
    const std::string modulesStored = Bytes(modules), onlyStored = Bytes(only);
    const auto module =
        RunCli({"xls", "--replace", "--dsn", source.name(), modules, "reported claim lag dump"}, source.Environment());
    EXPECT_EQ(module.status, 1);
    EXPECT_THAT(module.err, HasSubstr("ｴﾗｰが発生しました\nシート 'reported claim lag dump' には VBA のコード"));
    EXPECT_EQ(Bytes(modules), modulesStored);
    const auto last = RunCli({"xls", "--replace", "--dsn", source.name(), only, "Sheet1"}, source.Environment());
    EXPECT_EQ(last.status, 1);
    EXPECT_THAT(last.err, HasSubstr("ｴﾗｰが発生しました\nシート 'Sheet1' には VBA のコード"));
    EXPECT_EQ(Bytes(only), onlyStored);
}

}  // namespace
}  // namespace kolumbra::testing
