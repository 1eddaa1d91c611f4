// The border routines draw on the engine's current selection.

#include <gtest/gtest.h>

#include "common/runtime_error.h"
#include "layoutbook/border_routines.h"
#include "temp_dir.h"
#include "workbook_probe.h"

namespace kolumbra {
namespace {

TEST(BorderRoutines, LinesGoOnTheSelectionEvenOnAnotherSheet) {
    testing::TempDir dir;
    ExportState state;
    state.OutBook = sheet::CreateWorkbook();
    auto sheets = state.OutBook->GetSheets();
    sheets.Add(sheets.Item(1));
    state.OutSheet = sheets.Item(1);
    sheets.Item(2).GetRange("B2:C3").Select();

    senhiki_sita(state);
    senhiki_sita(state);
    senhiki_Left(state);
    state.OutBook->SaveAs(dir.file("lines.xls"));
    state.OutBook->GetApplication().Quit();

    const auto book = testing::ProbeWorkbook(dir.file("lines.xls"));
    ASSERT_EQ(book.size(), 2u);
    const auto& other = book[1];
    EXPECT_EQ(other.cell("B3").bottom, "thin");
    EXPECT_EQ(other.cell("C3").bottom, "thin");
    EXPECT_EQ(other.cell("B2").bottom, "none");
    EXPECT_EQ(other.cell("B2").left, "thin");
    EXPECT_EQ(other.cell("B3").left, "thin");
    EXPECT_EQ(other.cell("C2").left, "none");
    EXPECT_EQ(book[0].cell("B3").bottom, "none");
}

TEST(BorderRoutines, WithoutAPageTheCallerGetsTheError) {
    ExportState state;
    try {
        senhiki_Left(state);
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::ObjectNotSet);
    }
}

}  // namespace
}  // namespace kolumbra
