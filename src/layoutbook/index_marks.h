#pragma once
// The key and index marks of the field buffer, set from a table's indexes.

#include "engine/db/database.h"
#include "layoutbook/export_state.h"

namespace kolumbra {

// Applies one index to the entries 0 to FieldCount - 1. `odbc` selects the
// rules of an ODBC source; otherwise those of a database file.
void MarkIndex(ExportState& state, const db::Index& index, bool odbc);

}  // namespace kolumbra
