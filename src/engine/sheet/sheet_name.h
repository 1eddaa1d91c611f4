#pragma once
// The sheet names a workbook accepts.

#include <string>
#include <vector>

namespace kolumbra::sheet {

// Raises error 1004 unless `name` is 1 to 31 characters without : \ / ? * [ ],
// neither begins nor ends with an apostrophe, is not the reserved "History"
// and differs, ignoring letter case, from every name in `others`.
void CheckSheetName(const std::string& name, const std::vector<std::string>& others);

// Whether two sheet names count as the same (letter case ignored).
bool SameSheetName(const std::string& a, const std::string& b);

}  // namespace kolumbra::sheet
