#pragma once
// The values of a worksheet substream's cells as text, whoever wrote it:
// shared strings, inline and rich strings, RK and number cells, formulas
// with their cached results. Blank cells carry no value.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/sheet/biff/record.h"
#include "engine/sheet/biff/sst.h"

namespace kolumbra::sheet::biff {

// 0-based row and column.
struct CellKey {
    int row = 0;
    int column = 0;
    auto operator<=>(const CellKey&) const = default;
};

// Cells with a value that shows as text, in row and column order. Numbers
// read as their shortest decimal text, Booleans as TRUE or FALSE, error
// values as their error text. Throws FormatError for a malformed record.
std::map<CellKey, std::string> ReadCellTexts(const RecordList& sheet, const std::vector<SstString>& strings);

// The same for one cell; "" when it holds no value.
std::string ReadCellText(const RecordList& sheet, const std::vector<SstString>& strings, int row, int column);

// How a cell record holds its value: the index of its cell format (XF)
// and whether a formula gives it.
struct CellMakeup {
    std::uint16_t xf = 0;
    bool formula = false;
    bool operator==(const CellMakeup&) const = default;
};

// Every cell with a record, blank ones included, in row and column order.
std::map<CellKey, CellMakeup> ReadCellMakeups(const RecordList& sheet);

}  // namespace kolumbra::sheet::biff
