#pragma once
// Writing the current table's pages into the workbook named in Text2.

#include <cstdint>
#include <string>

#include "catalog/session.h"
#include "common/runtime_error.h"
#include "layoutbook/export_state.h"

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

// The 1-based tab position of the first sheet named exactly `name`, or 0.
std::int16_t FindSheetIndex(ExportState& state, const std::string& name);

// True when `path` is a file that can be opened for reading.
bool FileExists(const std::string& path);

// The error report of the sheet writer: "ｴﾗｰが発生しました", CR and the
// error's description, with the critical icon.
void ReportSheetError(WindowServices& window, const RuntimeError& error);

// Writes the pages of CurrentTable, one worksheet each, after the sheets the
// workbook already has, saving after every page. Failures are reported to
// the user here; the caller goes on with the next table.
void WriteTableSheets(Session& session, ExportState& state);

}  // namespace kolumbra
