#pragma once
// How an ODBC column description becomes the engine's field type and size.

#include <cstdint>
#include <string>

namespace kolumbra::db {

// The engine's type code for an ODBC SQL data type; 0 when it has none.
std::int16_t EngineTypeOfSqlType(std::int16_t sqlType);

// The size the engine reports: fixed sizes for fixed-size types, the column
// size for character and binary types, 0 for long types.
std::int32_t EngineSizeOf(std::int16_t engineType, std::int64_t columnSize);

// A column as SQLColumns describes it.
struct ColumnDescription {
    std::int16_t sqlType = 0;  // DATA_TYPE
    std::string typeName;      // TYPE_NAME, as declared or as the server names it
    std::int64_t columnSize = 0;
    // Whether the column was declared with a length; unknown where the
    // driver does not say (psqlODBC does, in its TYPMOD column).
    enum class Length { Unknown, Declared, Undeclared } length = Length::Unknown;
};

struct EngineType {
    std::int16_t type = 0;
    std::int32_t size = 0;
};

// The engine's type and size for a column of the DBMS `dbms` (as
// SQL_DBMS_NAME reports it): from the declared type name where the driver
// is known to report another SQL type, from the SQL type otherwise.
EngineType EngineTypeOfColumn(const std::string& dbms, const ColumnDescription& column);

}  // namespace kolumbra::db
