// The workbook export without a window, judged by its result: what became
// of each table, the sheets it saved and the run-time error of a failure.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "layout_fixture.h"
#include "layoutbook/layout_export.h"

namespace kolumbra::testing {
namespace {

using layoutbook::SameName;

struct Expected {
    std::string table;
    TableOutcome outcome;
    std::vector<std::string> sheets;
    std::int32_t error = 0;  // the error number of a failure
    bool found = true;
};

struct Case {
    const char* name;
    std::vector<std::string> existing;  // sheets the workbook holds before
    std::vector<std::string> requested;
    SameName answer = SameName::Keep;
    std::string output = "out.xls";
    std::vector<Expected> expected;
};

// Runs the export of `c` over tables A (1 field), Long (40), Orders (1) and
// Broken, whose definition cannot be read. `sabotage` runs at each page added.
ExportResult run(const Case& c, TempDir& dir, std::vector<std::string>& asked,
                 const std::function<void(int page)>& sabotage = {}) {
    FakeDatabase database({TableWithFields("A", 1), TableWithFields("Long", 40), TableWithFields("Orders", 1),
                           TableWithFields("Broken", 1)});
    database.failingTable = "Broken";
    layoutbook::LayoutRequest request;
    request.database = &database;
    request.databaseName = "fake.mdb";
    request.tables = c.requested;
    request.output = dir.file(c.output);
    if (!c.existing.empty()) writeWorkbookWithSheets(request.output, c.existing);
    int pages = 0;
    const layoutbook::LayoutCallbacks callbacks{
        [&](const ExportProgress& step) {
            if (step.kind == ExportProgress::Kind::PageAdded && sabotage) sabotage(++pages);
        },
        [&](const std::string& name) {
            asked.push_back(name);
            return c.answer;
        }};
    ExportState state;
    ExportResult result = layoutbook::ExportLayoutBook(request, callbacks, state);
    EXPECT_EQ(state.OutBook, nullptr) << c.name;
    return result;
}

void expectReports(const Case& c, const ExportResult& result) {
    ASSERT_EQ(result.tables.size(), c.expected.size()) << c.name;
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
        const TableReport& got = result.tables[i];
        const Expected& want = c.expected[i];
        EXPECT_EQ(got.table, want.table) << c.name;
        EXPECT_EQ(got.outcome, want.outcome) << c.name << " " << want.table;
        EXPECT_EQ(got.sheets, want.sheets) << c.name << " " << want.table;
        EXPECT_EQ(got.found, want.found) << c.name << " " << want.table;
        EXPECT_EQ(got.error.has_value(), want.outcome == TableOutcome::Failed) << c.name << " " << want.table;
        if (got.error) {
            EXPECT_FALSE(got.error->description().empty()) << c.name;
            if (want.error != 0) {
                EXPECT_EQ(got.error->number(), want.error) << c.name;
            }
        }
    }
}

TEST(LayoutExport, TheResultSaysWhatBecameOfEachTable) {
    using enum TableOutcome;
    const Case cases[] = {
        {"written", {}, {"A", "Long"}, SameName::Keep, "out.xls",
         {{"A", Written, {"A"}}, {"Long", Written, {"Long_ 1", "Long_ 2"}}}},
        {"gone from the database", {}, {"Gone", "A"}, SameName::Keep, "out.xls",
         {{"Gone", Written, {"Gone"}, 0, false}, {"A", Written, {"A"}}}},
        {"kept", {"Sheet1", "Orders"}, {"Orders", "A"}, SameName::Keep, "out.xls",
         {{"Orders", NotReplaced, {}}, {"A", Written, {"A"}}}},
        {"kept on page 2", {"Sheet1", "Long_ 2"}, {"Long"}, SameName::Keep, "out.xls",
         {{"Long", NotReplaced, {"Long_ 1"}}}},
        {"replaced", {"Sheet1", "Orders"}, {"Orders"}, SameName::Replace, "out.xls", {{"Orders", Written, {"Orders"}}}},
        {"replaced though in other letter case", {"Sheet1", "ORDERS"}, {"Orders"}, SameName::Replace, "out.xls",
         {{"Orders", Written, {"Orders"}}}},
        {"definition unreadable", {}, {"Broken", "A"}, SameName::Keep, "out.xls",
         {{"Broken", Failed, {}, db::dberr::OdbcCallFailed}, {"A", Written, {"A"}}}},
        {"folder missing", {}, {"A", "Orders"}, SameName::Keep, "missing/out.xls",
         {{"A", Failed, {}}, {"Orders", Failed, {}}}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        std::vector<std::string> asked;
        const ExportResult result = run(c, dir, asked);
        expectReports(c, result);
        const bool askedOnce = !c.existing.empty();
        EXPECT_EQ(asked.size(), askedOnce ? 1u : 0u) << c.name;
        std::vector<std::string> saved;
        for (const auto& want : c.expected) saved.insert(saved.end(), want.sheets.begin(), want.sheets.end());
        EXPECT_EQ(result.SheetsSaved(), saved) << c.name;
        const bool allWritten = std::all_of(c.expected.begin(), c.expected.end(),
                                            [](const Expected& want) { return want.outcome == Written; });
        EXPECT_EQ(result.AllWritten(), allWritten) << c.name;
    }
}

// A page that cannot be saved fails its table with the writer's error; the
// pages saved before stay in the file and in the result.
TEST(LayoutExport, AFailureOnALaterPageKeepsTheEarlierPages) {
    TempDir dir;
    std::vector<std::string> asked;
    const Case c{"later page", {}, {"Long", "A"}, SameName::Keep, "out.xls",
                 {{"Long", TableOutcome::Failed, {"Long_ 1"}}, {"A", TableOutcome::Failed, {}}}};
    const std::string path = dir.file(c.output);
    const ExportResult result = run(c, dir, asked, [&](int page) {
        if (page != 2) return;
        std::filesystem::rename(path, path + ".saved");
        std::filesystem::create_directory(path);
    });
    expectReports(c, result);
    EXPECT_THAT(ProbeWorkbook(path + ".saved").back().name, "Long_ 1");
}

TEST(LayoutExport, RequestsThatCannotGoAhead) {
    using enum layoutbook::RequestFault;
    struct Row {
        std::vector<std::string> tables;
        const char* output;
        layoutbook::RequestFault fault;
    };
    for (const Row& row : {Row{{}, "out.xls", NoTable}, Row{{"A"}, "out.XLS", None}, Row{{"A"}, "out.Xls", NotWorkbookPath},
                           Row{{"A"}, "out.xlsx", None}, Row{{"A"}, "out.XLSM", None}, Row{{"A"}, "out.Xlsx", NotWorkbookPath},
                           Row{{"A"}, "out.xlsx.bak", NotWorkbookPath}, Row{{"A"}, "xls", NotWorkbookPath}}) {
        layoutbook::LayoutRequest request;
        request.tables = row.tables;
        request.output = row.output;
        EXPECT_EQ(layoutbook::CheckLayoutRequest(request), row.fault) << row.output;
    }
}

}  // namespace
}  // namespace kolumbra::testing
