#include "layoutbook/border_routines.h"

#include "common/runtime_error.h"

namespace kolumbra {

namespace {

namespace xl = sheet::xl;

// Each property goes to a selection fetched anew, as the selection may
// change between calls.
void lineOnSelection(ExportState& state, int edge) {
    if (!state.OutSheet) throw RuntimeError(err::ObjectNotSet);
    state.OutSheet->GetApplication().Selection().Borders(edge).SetLineStyle(xl::Continuous);
    state.OutSheet->GetApplication().Selection().Borders(edge).SetWeight(xl::Thin);
    state.OutSheet->GetApplication().Selection().Borders(edge).SetColorIndex(xl::ColorIndexAutomatic);
}

}  // namespace

void senhiki_sita(ExportState& state) { lineOnSelection(state, xl::EdgeBottom); }
void senhiki_Left(ExportState& state) { lineOnSelection(state, xl::EdgeLeft); }

}  // namespace kolumbra
