#pragma once
// Reads a worksheet substream this engine wrote back into a modelled sheet,
// so that a sheet of a bound workbook can be changed like a new one.

#include <memory>

#include "engine/sheet/biff/globals.h"
#include "engine/sheet/sheet_model.h"

namespace kolumbra::sheet::biff {

// The model of the sheet, or null when the substream holds anything the
// model cannot represent (then the sheet stays as it was read).
std::unique_ptr<SheetModel> ReadModelledSheet(const RecordList& sheet, const Globals& globals, int maxDigitWidth);

}  // namespace kolumbra::sheet::biff
