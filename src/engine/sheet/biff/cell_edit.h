#pragma once
// Changing cell values in a worksheet substream kept as records, as written
// by any application: only the cell records of the cells changed are
// replaced, every other record (formats, merges, row heights, comments,
// drawings, print settings) stays as it was. The cell table around them is
// laid out again: its ROW records, the DBCELL of every block of 32 rows,
// DIMENSIONS and the INDEX.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/sheet/biff/bytes.h"
#include "engine/sheet/biff/record.h"

namespace kolumbra::sheet::biff {

struct CellEdit {
    enum class Kind : std::uint8_t { Empty, Number, Text };
    int row = 0;  // 0-based
    int column = 0;
    Kind kind = Kind::Empty;
    double number = 0;
    std::uint32_t sstIndex = 0;  // of the text, in the shared strings
};

// An edit of a cell that anchors a shared or array formula, which the
// formula's other cells would lose: refused, though nothing is malformed.
class FormulaAnchorError : public FormatError {
public:
    using FormatError::FormatError;
};

// Applies `edits` in order. A cell keeps its XF; a cell that had no record
// gets `newCellXf`, and an emptied one stays as a formatted blank. `base`
// is the stream offset of the substream, which the INDEX counts from.
// Throws FormatError, with the records unchanged, when the substream is
// malformed, and FormulaAnchorError when an edit would break a shared or
// array formula.
void EditCells(RecordList& sheet, std::size_t base, const std::vector<CellEdit>& edits, std::uint16_t newCellXf);

}  // namespace kolumbra::sheet::biff
