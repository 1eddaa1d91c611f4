#pragma once
// A table definition as the form shows its fields.

#include <cstdint>
#include <vector>

#include "engine/db/database.h"
#include "layoutbook/export_state.h"

namespace kolumbra {

// The entries the export puts in the field buffer for `definition`: names,
// type names in the language `jap` picks, sizes, marks and, with `remarks`,
// descriptions. `odbc` selects the marking rules of an ODBC source.
std::vector<FieldEntry> FieldEntriesOf(const db::TableDef& definition, std::int16_t jap, bool odbc, bool remarks);

// The key column's text of an entry: its key mark, with "U" for a unique index.
std::string KeyCellText(const FieldEntry& entry);

}  // namespace kolumbra
