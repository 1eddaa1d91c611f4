#pragma once
// A1-style addresses: "C10", "A2:AL44", "$A$1", whole columns "A:AL" and
// whole rows "1:9". A malformed address raises error 1004.

#include <string_view>

#include "engine/sheet/rect.h"

namespace kolumbra::sheet {

Rect ParseAddress(std::string_view address);

// 0-based column of a column name ("A" is 0, "AL" is 37).
int ColumnIndex(std::string_view letters);

}  // namespace kolumbra::sheet
