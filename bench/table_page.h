#pragma once
// The table-definition page as the export draws it, one engine call at a
// time: grid, margins, frame, rules, merges, captions and field rows.

#include "engine/sheet/workbook.h"

namespace kolumbra::bench {

void BuildTablePage(sheet::Worksheet& sheet, int page);

}  // namespace kolumbra::bench
