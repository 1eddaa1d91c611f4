#include "engine/db/odbc/odbc_types.h"

#include <sql.h>
#include <sqlext.h>

#include <limits>

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

}  // namespace kolumbra::db
