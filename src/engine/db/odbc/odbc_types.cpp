#include "engine/db/odbc/odbc_types.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>
#include <string_view>

namespace kolumbra::db {

std::int16_t EngineTypeOfSqlType(std::int16_t sqlType) {
    switch (sqlType) {
        case SQL_BIT: return 1;
        case SQL_TINYINT: return 2;
        case SQL_SMALLINT: return 3;
        case SQL_INTEGER: return 4;
        case SQL_REAL: return 6;
        case SQL_DOUBLE: return 7;
        case SQL_FLOAT: return 21;
        case SQL_DATE:
        case SQL_TYPE_DATE: return 8;
        case SQL_TIME:
        case SQL_TYPE_TIME: return 22;
        case SQL_TIMESTAMP:
        case SQL_TYPE_TIMESTAMP: return 23;
        case SQL_CHAR:
        case SQL_WCHAR: return 18;
        case SQL_VARCHAR:
        case SQL_WVARCHAR: return 10;
        case SQL_LONGVARCHAR:
        case SQL_WLONGVARCHAR: return 12;
        case SQL_BINARY: return 9;
        case SQL_VARBINARY: return 17;
        case SQL_LONGVARBINARY: return 11;
        case SQL_BIGINT: return 16;
        case SQL_NUMERIC: return 19;
        case SQL_DECIMAL: return 20;
        case SQL_GUID: return 15;
        default: return 0;
    }
}

std::int32_t EngineSizeOf(std::int16_t engineType, std::int64_t columnSize) {
    switch (engineType) {
        case 1:
        case 2: return 1;
        case 3: return 2;
        case 4:
        case 6: return 4;
        case 5:
        case 7:
        case 8:
        case 21:
        case 22:
        case 23:
        case 16: return 8;
        case 15:
        case 19:
        case 20: return 16;
        case 9:
        case 10:
        case 17:
        case 18:
            if (columnSize < 0) return 0;
            return columnSize > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                                          : static_cast<std::int32_t>(columnSize);
        default: return 0;
    }
}

namespace {

using Length = ColumnDescription::Length;

// A type name whose columns a driver reports as another SQL type: the
// DBMS (a prefix of SQL_DBMS_NAME, small letters), the type name without
// its "(...)", small letters, the declared length where it matters, and
// the engine type the column really has.
struct DeclaredType {
    std::string_view dbms;
    std::string_view typeName;
    Length length;
    std::int16_t engineType;
};

// psqlODBC reports varchar(n) with n above MaxVarcharSize as a long
// varchar, and varchar without a length as varchar(MaxVarcharSize);
// money as FLOAT. The SQLite driver reads the size of DECIMAL(p,s) from
// its scale and reports it as varchar, and NUMERIC(p,s) as DOUBLE.
constexpr std::array DeclaredTypes{
    DeclaredType{"postgresql", "varchar", Length::Unknown, 10},
    DeclaredType{"postgresql", "varchar", Length::Undeclared, 12},
    DeclaredType{"postgresql", "money", Length::Unknown, 5},
    DeclaredType{"sqlite", "decimal", Length::Unknown, 20},
    DeclaredType{"sqlite", "numeric", Length::Unknown, 19},
};

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// "DECIMAL(4,2)" is "decimal".
std::string BaseTypeName(const std::string& typeName) {
    std::string_view base(typeName);
    base = base.substr(0, base.find('('));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    return Lower(base);
}

// A row of Length::Unknown stands for every length not named by a row of
// its own.
const DeclaredType* FindDeclaredType(const std::string& dbms, const ColumnDescription& column) {
    const std::string server = Lower(dbms);
    const std::string typeName = BaseTypeName(column.typeName);
    const DeclaredType* any = nullptr;
    for (const DeclaredType& row : DeclaredTypes) {
        if (!server.starts_with(row.dbms) || typeName != row.typeName) continue;
        if (row.length == column.length) return &row;
        if (row.length == Length::Unknown) any = &row;
    }
    return any;
}

}  // namespace

EngineType EngineTypeOfColumn(const std::string& dbms, const ColumnDescription& column) {
    const DeclaredType* declared = FindDeclaredType(dbms, column);
    const std::int16_t type = declared ? declared->engineType : EngineTypeOfSqlType(column.sqlType);
    return {type, EngineSizeOf(type, column.columnSize)};
}

}  // namespace kolumbra::db
