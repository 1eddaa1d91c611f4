#pragma once
// Reading and adjusting a worksheet substream kept as records: the parts of
// a stored sheet that change when the workbook around it changes.

#include <optional>

#include "engine/sheet/biff/bytes.h"
#include "engine/sheet/biff/record.h"
#include "engine/sheet/rect.h"

namespace kolumbra::sheet::biff {

// Moves the absolute offsets in INDEX (DEFCOLWIDTH and DBCELL positions) by
// `delta` bytes, for a substream that moved in the stream.
void RelocateIndex(RecordList& sheet, std::int64_t delta);

// Marks the sheet as selected and shown (the active sheet) or neither.
void SetSheetActive(RecordList& sheet, bool active);

// Cells that refer to the shared strings (LABELSST records).
std::uint32_t CountStringRefs(const RecordList& sheet);

// A cell value as stored: a number, a shared-string index, or nothing.
struct StoredValue {
    bool isNumber = false;
    double number = 0;
    std::uint32_t sstIndex = 0;
};
std::optional<StoredValue> FindStoredValue(const RecordList& sheet, int row, int column);

// The selected rectangle as SELECTION stores it (A1 when absent), and a
// body storing one.
Rect ReadSelection(const RecordList& sheet);
Bytes SelectionBody(const Rect& selection);
// Replaces the sheet's one SELECTION; a sheet with split panes (several)
// keeps its own.
void ReplaceSelection(RecordList& sheet, const Rect& selection);

}  // namespace kolumbra::sheet::biff
