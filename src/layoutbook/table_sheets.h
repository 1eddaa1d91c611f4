#pragma once
// Writing one table's pages into the output workbook.

#include <cstdint>
#include <string>

#include "common/export_report.h"
#include "layoutbook/export_state.h"
#include "layoutbook/layout_export.h"

namespace kolumbra {

// Pages of a table: 34 fields a page, and a multiple of 34 gets a last page
// without field rows.
std::int16_t PageCount(std::int16_t fieldCount);

// The progress increment: 100 / (pages * 6), rounded to the nearest integer
// with ties to even. Each page advances the bar six times.
std::int16_t ProgressStepFor(std::int16_t pages);

// The tab name of page `page`: the table name cut to 30 characters for a
// one-page table, else its first 26 characters, "_" and the page number.
std::string SheetNameOf(const std::string& table, std::int16_t page, std::int16_t pages);

// The 1-based tab position of the first sheet whose name the workbook takes
// for `name` (letter case ignored, as it refuses a second such name), or 0.
std::int16_t FindSheetIndex(ExportState& state, const std::string& name);

// True when `path` is a file that can be opened for reading.
bool FileExists(const std::string& path);

// Writes the pages of the table in the field buffer, `report.table`, one
// worksheet each, after the sheets the workbook already has, saving after
// every page. The saved sheets, a kept sheet of the same name or the
// failure go into `report`; the caller goes on with the next table.
void WriteTableSheets(const layoutbook::LayoutRequest& request, const layoutbook::LayoutCallbacks& callbacks,
                      ExportState& state, TableReport& report);

}  // namespace kolumbra
