#pragma once
// Reads the catalogue of an Access file with libmdb. Runs only inside the
// isolated child process: a damaged file may crash or hang the library.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/db/database.h"

namespace kolumbra::db::mdb {

// A table of the catalogue. When the library cannot read its definition,
// columns or indexes, Def holds only what the catalogue itself names (name
// and attributes) and Unreadable says what failed; the other tables stay
// usable.
struct CatalogTable {
    TableDef Def;
    std::string Unreadable;  // empty when the whole definition was read
};

// The tables of the file in the catalogue's physical order, or nothing
// when the library cannot read the catalogue itself.
std::optional<std::vector<CatalogTable>> ReadCatalog(const std::string& absolutePath);

// A column's stored type as the engine's type code. The type that ACE files
// store for "date/time extended", which no other code names, is a date/time
// field.
inline constexpr int DateTimeExtended = 0x14;
std::int16_t EngineType(int columnType);

// A column's size as the engine reports it. A date/time extended value is
// stored as a text of 42 bytes.
std::int32_t EngineSize(int columnType, int columnSize, bool textInBytes);

// Puts the tables in the order of the engine's name index.
void SortByName(std::vector<CatalogTable>& tables);

}  // namespace kolumbra::db::mdb
