#pragma once
// The table-definition form drawn by the export's own page builder onto a
// sheet the caller added, with a sample table of numbered fields, keys,
// index marks and descriptions: for the workbook engine's tests and the
// sheet benchmark, which have a workbook but no database or window.

#include "engine/sheet/workbook.h"

namespace kolumbra::testing {

// Page `page` of `pages`: fields FIELD_1 ... on page 1, numbered on from
// (page - 1) * 34 + 1 on later pages.
void DrawFormPage(sheet::Worksheet& sheet, int page, int pages);

}  // namespace kolumbra::testing
