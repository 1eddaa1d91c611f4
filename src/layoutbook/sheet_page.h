#pragma once
// One page of the table-definition form ("ﾃｰﾌﾞﾙﾚｲｱｳﾄ"): 38 narrow columns
// A:AL and 44 rows, a header block in rows 2 to 9, column headers in row 10
// and 34 field rows, all inside a ruled frame.

#include <cstdint>

#include "catalog/session.h"
#include "common/window_services.h"
#include "layoutbook/export_state.h"

namespace kolumbra {

// Field rows on one page, and the first of them.
inline constexpr int FieldsPerPage = 34;
inline constexpr int FirstFieldRow = 11;

// Draws the form on OutSheet and fills in page `page` of `pages` of the
// current table. Engine failures pass to the caller as RuntimeError; the
// sheet keeps what was done before the failing step.
void BuildSheetPage(Session& session, ExportState& state, std::int16_t page, std::int16_t pages);

// Adds the progress increment to the bar and repaints it.
void AdvanceProgress(WindowServices& window, std::int16_t step);

}  // namespace kolumbra
