#pragma once
// The unixODBC calls the back end makes, as handles freed on leaving scope
// and reads of result columns; every failure is the engine's ODBC error.

#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <memory>
#include <string>

namespace kolumbra::db::odbc {

inline constexpr const char* CallFailed = "ODBC--呼び出しが失敗しました。";

// Throws the engine's ODBC error for a call that did not succeed, with
// the driver's first diagnostic on its own line when there is one.
void Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle);

// A handle freed when it goes out of scope.
class Handle {
public:
    Handle(SQLSMALLINT type, SQLHANDLE parent);
    ~Handle() { SQLFreeHandle(type_, handle_); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    SQLHANDLE get() const { return handle_; }
    void check(SQLRETURN rc) const { Check(rc, type_, handle_); }

private:
    SQLSMALLINT type_;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// An environment of ODBC 3 behaviour.
std::unique_ptr<Handle> MakeEnvironment();

// Column `column` of the current row as text; empty when NULL.
std::string TextColumn(const Handle& stmt, SQLUSMALLINT column);

// Column `column` of the current row as an integer; 0 when NULL.
std::int64_t IntegerColumn(const Handle& stmt, SQLUSMALLINT column, bool* isNull = nullptr);

// The next row; false after the last.
bool Fetch(const Handle& stmt);

inline SQLCHAR* Sql(const std::string& text) {
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str()));
}

// The number of the result column named `name`; 0 when there is none.
SQLUSMALLINT ResultColumnNamed(const Handle& stmt, const std::string& name);

}  // namespace kolumbra::db::odbc
