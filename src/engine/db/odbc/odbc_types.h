#pragma once
// How an ODBC column description becomes the engine's field type and size.

#include <cstdint>

namespace kolumbra::db {

// The engine's type code for an ODBC SQL data type; 0 when it has none.
std::int16_t EngineTypeOfSqlType(std::int16_t sqlType);

// The size the engine reports: fixed sizes for fixed-size types, the column
// size for character and binary types, 0 for long types.
std::int32_t EngineSizeOf(std::int16_t engineType, std::int64_t columnSize);

}  // namespace kolumbra::db
