#pragma once
// The table-definition form drawn by the export's own page builder onto a
// sheet the caller added, with a sample table of numbered fields, keys,
// index marks and descriptions: for the workbook engine's tests and the
// sheet benchmark, which have a workbook but no database or window.

#include <string>

#include "engine/sheet/workbook.h"

namespace kolumbra::testing {

// Page `page` of `pages`: fields FIELD_1 ... on page 1, numbered on from
// (page - 1) * 34 + 1 on later pages.
void DrawFormPage(sheet::Worksheet& sheet, int page, int pages);

// A new workbook at `path` with the standard font the export sets, then two
// form pages added and saved one by one, as the export writes them.
void WriteTwoFormPages(const std::string& path);

}  // namespace kolumbra::testing
