#include "engine/db/odbc/odbc_calls.h"

#include "common/runtime_error.h"
#include "engine/db/database.h"

namespace kolumbra::db::odbc {

namespace {

// The driver's first diagnostic record for a handle, when it has one.
std::string Diagnostic(SQLSMALLINT handleType, SQLHANDLE handle) {
    SQLCHAR state[6] = {};
    SQLCHAR message[512] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    if (handle == SQL_NULL_HANDLE ||
        !SQL_SUCCEEDED(SQLGetDiagRec(handleType, handle, 1, state, &native, message, sizeof message, &length))) {
        return "";
    }
    return std::string(reinterpret_cast<char*>(state)) + " " + reinterpret_cast<char*>(message);
}

}  // namespace

void Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle) {
    if (SQL_SUCCEEDED(rc)) return;
    std::string detail = rc == SQL_ERROR ? Diagnostic(handleType, handle) : "";
    throw RuntimeError(dberr::OdbcCallFailed, detail.empty() ? CallFailed : std::string(CallFailed) + "\r" + detail);
}

Handle::Handle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
    SQLRETURN rc = SQLAllocHandle(type, parent, &handle_);
    if (!SQL_SUCCEEDED(rc)) throw RuntimeError(dberr::OdbcCallFailed, CallFailed);
}

std::unique_ptr<Handle> MakeEnvironment() {
    auto env = std::make_unique<Handle>(SQL_HANDLE_ENV, SQLHANDLE{});
    env->check(SQLSetEnvAttr(env->get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0));
    return env;
}

std::string TextColumn(const Handle& stmt, SQLUSMALLINT column) {
    std::string value;
    char buffer[1024];
    SQLLEN indicator = 0;
    for (;;) {
        SQLRETURN rc = SQLGetData(stmt.get(), column, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA) break;
        stmt.check(rc);
        if (indicator == SQL_NULL_DATA) break;
        std::size_t got = indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(sizeof buffer)
                              ? sizeof buffer - 1
                              : static_cast<std::size_t>(indicator);
        value.append(buffer, got);
        if (rc == SQL_SUCCESS) break;
    }
    return value;
}

std::int64_t IntegerColumn(const Handle& stmt, SQLUSMALLINT column, bool* isNull) {
    SQLBIGINT value = 0;
    SQLLEN indicator = 0;
    stmt.check(SQLGetData(stmt.get(), column, SQL_C_SBIGINT, &value, 0, &indicator));
    if (isNull) *isNull = indicator == SQL_NULL_DATA;
    return indicator == SQL_NULL_DATA ? 0 : value;
}

bool Fetch(const Handle& stmt) {
    SQLRETURN rc = SQLFetch(stmt.get());
    if (rc == SQL_NO_DATA) return false;
    stmt.check(rc);
    return true;
}


SQLUSMALLINT ResultColumnNamed(const Handle& stmt, const std::string& name) {
    SQLSMALLINT count = 0;
    if (!SQL_SUCCEEDED(SQLNumResultCols(stmt.get(), &count))) return 0;
    for (SQLUSMALLINT column = 1; column <= count; ++column) {
        SQLCHAR label[128] = {};
        SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        if (SQL_SUCCEEDED(SQLDescribeCol(stmt.get(), column, label, sizeof label, &length, &type, &size, &digits,
                                         &nullable)) &&
            name == reinterpret_cast<char*>(label)) {
            return column;
        }
    }
    return 0;
}

}  // namespace kolumbra::db::odbc
