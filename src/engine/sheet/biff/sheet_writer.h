#pragma once
// Turns a modelled sheet into its worksheet substream.

#include "engine/sheet/biff/globals.h"
#include "engine/sheet/rect.h"
#include "engine/sheet/sheet_model.h"

namespace kolumbra::sheet::biff {

struct SheetWriteContext {
    Globals& globals;       // receives the XFs and strings the sheet needs
    int maxDigitWidth = 7;  // pixels of the standard font's widest digit
    std::uint16_t defaultRowTwips = 270;
    bool active = false;  // the workbook's active (selected) sheet
    Rect selection;
    std::uint16_t phoneticFont = 5;  // font of PHONETICINFO
};

struct WrittenSheet {
    // INDEX offsets as if the substream started at stream offset 0.
    RecordList records;
    std::uint32_t stringRefs = 0;
};

WrittenSheet WriteSheet(const SheetModel& model, SheetWriteContext& context);

// Stored column width (1/256 of the widest digit, padding included) of a
// width in characters.
std::uint16_t ColumnWidthUnits(double characters, int maxDigitWidth);

}  // namespace kolumbra::sheet::biff
