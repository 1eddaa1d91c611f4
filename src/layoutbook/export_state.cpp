#include "layoutbook/export_state.h"

#include <algorithm>

namespace kolumbra {

void ClearFieldBuffer(ExportState& state) {
    state.FieldBuffer.assign(FieldBufferMinimum, FieldEntry{});
    state.TableRemarks.clear();
}

void ReserveFieldBuffer(ExportState& state, std::size_t fieldCount) {
    state.FieldBuffer.resize(std::max(FieldBufferMinimum, fieldCount + 1));
}

}  // namespace kolumbra
