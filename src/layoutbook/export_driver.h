#pragma once
// The workbook command: writes the table-definition sheets of the selected
// tables into the workbook named in Text2.

#include "catalog/session.h"
#include "layoutbook/export_state.h"

namespace kolumbra {

void Command4_Click(Session& session, ExportState& state);

}  // namespace kolumbra
