#pragma once
// Reads the catalogue of an Access file with libmdb. Runs only inside the
// isolated child process: a damaged file may crash or hang the library.

#include <optional>
#include <string>
#include <vector>

#include "engine/db/database.h"

namespace kolumbra::db::mdb {

// The tables of the file in the catalogue's physical order, or nothing
// when the library cannot read it.
std::optional<std::vector<TableDef>> ReadCatalog(const std::string& absolutePath);

// Puts the tables in the order of the engine's name index.
void SortByName(std::vector<TableDef>& tables);

}  // namespace kolumbra::db::mdb
