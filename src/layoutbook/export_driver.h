#pragma once
// The workbook command: writes the table-definition sheets of the selected
// tables into the workbook named in Text2.

#include "catalog/session.h"
#include "layoutbook/export_state.h"

namespace kolumbra {

void Command4_Click(Session& session, ExportState& state);

// Fills the field buffer from the definition of CurrentTable in gDb: names,
// type names, sizes and the index marks. An unknown table leaves it empty.
void ReadTableFields(Session& session, ExportState& state);

}  // namespace kolumbra
