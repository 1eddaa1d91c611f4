#pragma once
// One page of the table-definition form ("ﾃｰﾌﾞﾙﾚｲｱｳﾄ"): 38 narrow columns
// A:AL and 44 rows, a header block in rows 2 to 9, column headers in row 10
// and 34 field rows, all inside a ruled frame.

#include <cstdint>
#include <string>

#include "common/export_report.h"
#include "layoutbook/export_state.h"

namespace kolumbra {

// Field rows on one page, and the first of them.
inline constexpr int FieldsPerPage = 34;
inline constexpr int FirstFieldRow = 11;

// The values every page of a table shows in its header.
struct PageHeading {
    std::string table;
    std::string database;  // the database's display name
    std::string author;
    bool remarks = false;  // descriptions go in the remarks boxes
};

// Draws the form on OutSheet and fills in page `page` of `pages` of the
// table in the field buffer, moving the bar on by ProgressStep five times.
// Engine failures pass to the caller as RuntimeError; the sheet keeps what
// was done before the failing step.
void BuildSheetPage(ExportState& state, const PageHeading& heading, std::int16_t page, std::int16_t pages,
                    const ProgressCallback& progress);

// Moves the bar of `table` on by `step`.
void AdvanceProgress(const ProgressCallback& progress, const std::string& table, std::int16_t step);

}  // namespace kolumbra
