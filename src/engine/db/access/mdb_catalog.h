#pragma once
// Reads the catalogue of an Access file with libmdb. Runs only inside the
// isolated child process: a damaged file may crash or hang the library.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/db/database.h"

namespace kolumbra::db::mdb {

// The tables of the file in the catalogue's physical order, or nothing
// when the library cannot read it.
std::optional<std::vector<TableDef>> ReadCatalog(const std::string& absolutePath);

// A column's stored type as the engine's type code. The type that ACE files
// store for "date/time extended", which no other code names, is a date/time
// field.
inline constexpr int DateTimeExtended = 0x14;
std::int16_t EngineType(int columnType);

// A column's size as the engine reports it. A date/time extended value is
// stored as a text of 42 bytes.
std::int32_t EngineSize(int columnType, int columnSize, bool textInBytes);

// Puts the tables in the order of the engine's name index.
void SortByName(std::vector<TableDef>& tables);

}  // namespace kolumbra::db::mdb
