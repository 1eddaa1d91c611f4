#include "engine/db/odbc/odbc_source.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>

#include "common/runtime_error.h"
#include "engine/db/odbc/odbc_types.h"

namespace kolumbra::db {

namespace {

constexpr const char* CallFailed = "ODBC--呼び出しが失敗しました。";

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

void Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle) {
    if (SQL_SUCCEEDED(rc)) return;
    std::string detail = rc == SQL_ERROR ? Diagnostic(handleType, handle) : "";
    throw RuntimeError(dberr::OdbcCallFailed, detail.empty() ? CallFailed : std::string(CallFailed) + "\r" + detail);
}

// A handle freed when it goes out of scope.
class Handle {
public:
    Handle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
        SQLRETURN rc = SQLAllocHandle(type, parent, &handle_);
        if (!SQL_SUCCEEDED(rc)) throw RuntimeError(dberr::OdbcCallFailed, CallFailed);
    }
    ~Handle() { SQLFreeHandle(type_, handle_); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    SQLHANDLE get() const { return handle_; }
    void check(SQLRETURN rc) const { Check(rc, type_, handle_); }

private:
    SQLSMALLINT type_;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

std::unique_ptr<Handle> MakeEnvironment() {
    auto env = std::make_unique<Handle>(SQL_HANDLE_ENV, SQLHANDLE{});
    env->check(SQLSetEnvAttr(env->get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0));
    return env;
}

// Column `column` of the current row as text; empty when NULL.
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

std::int64_t IntegerColumn(const Handle& stmt, SQLUSMALLINT column, bool* isNull = nullptr) {
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

SQLCHAR* Sql(const std::string& text) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str())); }

struct TableEntry {
    std::string catalog, schema, name;
    std::int32_t attributes;
};

// Table types other than plain tables are reported as system objects.
std::int32_t AttributesOfTableType(const std::string& type) { return type == "TABLE" ? 0 : attr::System; }

class OdbcDatabase : public Database {
public:
    explicit OdbcDatabase(const std::string& dsn) : env_(MakeEnvironment()), dbc_(SQL_HANDLE_DBC, env_->get()) {
        std::string in = "DSN=" + dsn + ";";
        SQLCHAR out[4096] = {};
        SQLSMALLINT outLength = 0;
        dbc_.check(SQLDriverConnect(dbc_.get(), nullptr, Sql(in), SQL_NTS, out, sizeof out, &outLength,
                                    SQL_DRIVER_NOPROMPT));
        connected_ = true;
        connect_ = "ODBC;" + std::string(reinterpret_cast<char*>(out));
        name_ = DatabaseName();
        ReadTableList();
    }
    ~OdbcDatabase() override { Disconnect(); }

    std::string Name() override { return name_; }
    std::string Connect() override { return connect_; }
    std::int16_t TableDefCount() override {
        return static_cast<std::int16_t>(std::min<std::size_t>(tables_.size(), 32767));
    }
    TableDef TableDefItem(std::int16_t index) override {
        if (index < 0 || static_cast<std::size_t>(index) >= tables_.size()) {
            throw RuntimeError(dberr::ItemNotFound, "このコレクションには項目がありません。");
        }
        const TableEntry& entry = tables_[static_cast<std::size_t>(index)];
        TableDef def{entry.name, entry.attributes, ReadFields(entry), ReadIndexes(entry), {}};
        return def;
    }
    void Close() override { Disconnect(); }

private:
    std::unique_ptr<Handle> env_;
    Handle dbc_;
    bool connected_ = false;
    std::string connect_, name_;
    std::vector<TableEntry> tables_;

    void Disconnect() {
        if (connected_) SQLDisconnect(dbc_.get());
        connected_ = false;
    }

    std::string InfoText(SQLUSMALLINT what) {
        SQLCHAR value[1024] = {};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetInfo(dbc_.get(), what, value, sizeof value, &length))) return "";
        return reinterpret_cast<char*>(value);
    }

    std::string DatabaseName() {
        std::string name = InfoText(SQL_DATABASE_NAME);
        if (!name.empty()) return name;
        SQLCHAR value[1024] = {};
        SQLINTEGER length = 0;
        if (!SQL_SUCCEEDED(SQLGetConnectAttr(dbc_.get(), SQL_ATTR_CURRENT_CATALOG, value, sizeof value, &length))) {
            return "";
        }
        return reinterpret_cast<char*>(value);
    }


    void ReadTableList() {
        Handle stmt(SQL_HANDLE_STMT, dbc_.get());
        stmt.check(SQLTables(stmt.get(), nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0));
        while (Fetch(stmt)) {
            TableEntry entry{TextColumn(stmt, 1), TextColumn(stmt, 2), TextColumn(stmt, 3), 0};
            entry.attributes = AttributesOfTableType(TextColumn(stmt, 4));
            tables_.push_back(entry);
        }
    }

    // Catalog and schema narrow a lookup only when the driver named them.
    static SQLCHAR* Part(const std::string& text) { return text.empty() ? nullptr : Sql(text); }
    static SQLSMALLINT PartLength(const std::string& text) { return text.empty() ? 0 : SQL_NTS; }

    std::vector<Field> ReadFields(const TableEntry& t) {
        Handle stmt(SQL_HANDLE_STMT, dbc_.get());
        stmt.check(SQLColumns(stmt.get(), Part(t.catalog), PartLength(t.catalog), Part(t.schema), PartLength(t.schema),
                              Sql(t.name), SQL_NTS, nullptr, 0));
        std::vector<Field> fields;
        while (Fetch(stmt)) {
            // The table name is a search pattern: "_" and "%" match other
            // tables too, so only rows of this very table count. Columns are
            // read in ascending order everywhere: drivers need not allow others.
            std::string schema = TextColumn(stmt, 2);
            if (TextColumn(stmt, 3) != t.name || schema != t.schema) continue;
            Field field;
            field.Name = TextColumn(stmt, 4);
            field.Type = EngineTypeOfSqlType(static_cast<std::int16_t>(IntegerColumn(stmt, 5)));
            field.Size = EngineSizeOf(field.Type, IntegerColumn(stmt, 7));
            fields.push_back(field);
        }
        return fields;
    }

    std::vector<std::string> PrimaryKeyName(const TableEntry& t, std::vector<std::string>& keyFields) {
        Handle stmt(SQL_HANDLE_STMT, dbc_.get());
        std::vector<std::string> names;
        if (!SQL_SUCCEEDED(SQLPrimaryKeys(stmt.get(), Part(t.catalog), PartLength(t.catalog), Part(t.schema),
                                          PartLength(t.schema), Sql(t.name), SQL_NTS))) {
            return names;
        }
        while (Fetch(stmt)) {
            keyFields.push_back(TextColumn(stmt, 4));
            std::string name = TextColumn(stmt, 6);
            if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
        }
        return names;
    }

    std::vector<Index> ReadIndexes(const TableEntry& t) {
        std::vector<std::string> keyFields;
        std::vector<std::string> keyNames = PrimaryKeyName(t, keyFields);
        Handle stmt(SQL_HANDLE_STMT, dbc_.get());
        stmt.check(SQLStatistics(stmt.get(), Part(t.catalog), PartLength(t.catalog), Part(t.schema),
                                 PartLength(t.schema), Sql(t.name), SQL_NTS, SQL_INDEX_ALL, SQL_QUICK));
        std::vector<Index> indexes;
        while (Fetch(stmt)) {
            bool nonUnique = IntegerColumn(stmt, 4) != 0;
            std::string name = TextColumn(stmt, 6);
            bool typeNull = false;
            bool statistics = IntegerColumn(stmt, 7, &typeNull) == SQL_TABLE_STAT;
            std::string column = TextColumn(stmt, 9);
            if (statistics || typeNull) continue;
            if (indexes.empty() || indexes.back().Name != name) indexes.push_back({name, !nonUnique, false, {}});
            indexes.back().Fields.push_back(column);
        }
        for (Index& index : indexes) {
            bool named = std::find(keyNames.begin(), keyNames.end(), index.Name) != keyNames.end();
            index.Primary = named || (keyNames.empty() && !keyFields.empty() && index.Unique && index.Fields == keyFields);
        }
        return indexes;
    }
};

}  // namespace

std::unique_ptr<Database> OpenOdbcSource(const std::string& dsn) { return std::make_unique<OdbcDatabase>(dsn); }

std::vector<DataSourceInfo> ListDataSources() {
    std::vector<DataSourceInfo> sources;
    auto env = MakeEnvironment();
    SQLCHAR name[SQL_MAX_DSN_LENGTH + 1];
    SQLCHAR description[512];
    SQLSMALLINT nameLength = 0, descriptionLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDataSources(env->get(), direction, name, sizeof name, &nameLength, description,
                                        sizeof description, &descriptionLength))) {
        sources.push_back({reinterpret_cast<char*>(name), reinterpret_cast<char*>(description)});
        direction = SQL_FETCH_NEXT;
    }
    return sources;
}

}  // namespace kolumbra::db
