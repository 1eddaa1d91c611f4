#pragma once
// The values of a stored worksheet part's cells, whoever wrote it: shared
// and inline strings (rich runs joined, phonetic runs left out), numbers,
// Booleans, error values and the cached results of formulas.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolumbra::sheet::ooxml {

// A cell with a value; `number` is set for a numeric one, `text` otherwise.
struct StoredCell {
    int row = 0;     // 0-based
    int column = 0;  // 0-based
    std::optional<double> number;
    std::string text;
};

// The strings of a shared-strings part, in index order.
std::vector<std::string> ReadSharedStrings(std::string_view xml);

// The cells of a worksheet part that hold a value, in document order.
// Refuses (error 1004) a part that is not well-formed XML.
std::vector<StoredCell> ReadStoredCells(std::string_view xml, const std::vector<std::string>& sharedStrings);

}  // namespace kolumbra::sheet::ooxml
