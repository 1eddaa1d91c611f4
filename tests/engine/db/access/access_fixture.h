#pragma once
// Opening the Access fixtures and describing what the engine reports.

#include <memory>
#include <string>

#include "engine/db/database.h"

namespace kolumbra::testing {

// The fixture file of that name in the shared mdb folder.
std::string MdbFixture(const std::string& name);

std::unique_ptr<db::Database> OpenMdbFixture(const std::string& name);

// Every table definition, one line each: name, a blank, the attributes in hex.
std::string TableList(db::Database& database);

// The definition named `name`; a test failure when there is none.
db::TableDef TableNamed(db::Database& database, const std::string& name);

// "name type size" per field, one line each.
std::string FieldList(const db::TableDef& table);

// "name U|- P|- field,field" per index, one line each.
std::string IndexList(const db::TableDef& table);

}  // namespace kolumbra::testing
