#pragma once
// One thin line along an edge of the engine's current selection, for code
// that draws on OutSheet's instance.

#include "layoutbook/export_state.h"

namespace kolumbra {

// The bottom edge of the selection.
void senhiki_sita(ExportState& state);
// The left edge of the selection.
void senhiki_Left(ExportState& state);

}  // namespace kolumbra
