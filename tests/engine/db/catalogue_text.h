#pragma once
// What a database reports, as text that tests compare whole.

#include <string>

#include "engine/db/database.h"

namespace kolumbra::testing {

// Every table definition, one line each: name, a blank, the attributes in hex.
std::string TableList(db::Database& database);

// The definition named `name`; a test failure when there is none.
db::TableDef TableNamed(db::Database& database, const std::string& name);

// "name type size" per field, one line each.
std::string FieldList(const db::TableDef& table);

// "name U|- P|- field,field" per index, one line each.
std::string IndexList(const db::TableDef& table);

}  // namespace kolumbra::testing
