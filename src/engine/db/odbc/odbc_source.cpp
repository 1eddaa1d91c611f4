#include "engine/db/odbc/odbc_source.h"

#include <odbcinst.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <tuple>

#include "common/runtime_error.h"
#include "engine/db/name_order.h"
#include "engine/db/odbc/odbc_calls.h"
#include "engine/db/odbc/odbc_names.h"
#include "engine/db/odbc/odbc_types.h"

namespace kolumbra::db {

namespace {

using namespace odbc;

// A data-source name, or a whole connection string (a data-source name
// holds no "=").
std::string ConnectionString(const std::string& source) {
    return source.find('=') == std::string::npos ? "DSN=" + source + ";" : source;
}

// A driver over database files names the database by the file's path;
// the form shows its file name, as for a file opened directly.
std::string DisplayName(const std::string& name) {
    if (name.find('/') == std::string::npos) return name;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(name, ec)) return name;
    return std::filesystem::path(name).filename().string();
}

// A value read ahead, handed out once.
template <typename T>
std::optional<T> Take(std::map<std::int16_t, T>& ahead, std::int16_t index) {
    auto found = ahead.find(index);
    if (found == ahead.end()) return std::nullopt;
    std::optional<T> value = std::move(found->second);
    ahead.erase(found);
    return value;
}

// A table as the list knows it: where it lives, the name the list shows.
struct TableEntry {
    std::string catalog, schema, name;
    TableDef summary;
};

// Table types other than plain tables are reported as system objects.
std::int32_t AttributesOfTableType(const std::string& type) { return type == "TABLE" ? 0 : attr::System; }

class OdbcDatabase : public Database {
public:
    explicit OdbcDatabase(const std::string& source)
        : env_(MakeEnvironment()), dbc_(SQL_HANDLE_DBC, env_->get()) {
        std::string in = ConnectionString(source);
        SQLCHAR out[4096] = {};
        SQLSMALLINT outLength = 0;
        dbc_.check(SQLDriverConnect(dbc_.get(), nullptr, Sql(in), SQL_NTS, out, sizeof out, &outLength,
                                    SQL_DRIVER_NOPROMPT));
        connected_ = true;
        connect_ = "ODBC;" + std::string(reinterpret_cast<char*>(out));
        name_ = DisplayName(DatabaseName());
        dbms_ = InfoText(SQL_DBMS_NAME);
        escape_ = InfoText(SQL_SEARCH_PATTERN_ESCAPE);
        ReadTableList();
    }
    ~OdbcDatabase() override { Disconnect(); }

    std::string Name() override { return name_; }
    std::string Connect() override { return connect_; }
    std::int16_t TableDefCount() override {
        return static_cast<std::int16_t>(std::min<std::size_t>(tables_.size(), 32767));
    }
    TableDef TableDefSummary(std::int16_t index) override { return Entry(index).summary; }
    TableDef TableDefItem(std::int16_t index) override {
        const TableEntry& entry = Entry(index);
        TableDef def = entry.summary;
        std::optional<std::vector<Field>> fields = Take(expectedFields_, index);
        def.Fields = fields ? std::move(*fields) : ReadFields(entry);
        std::optional<std::vector<Index>> indexes = Take(expectedIndexes_, index);
        def.Indexes = indexes ? std::move(*indexes) : ReadIndexes(entry);
        return def;
    }
    std::vector<Field> TableDefFields(std::int16_t index) override {
        const TableEntry& entry = Entry(index);
        std::optional<std::vector<Field>> fields = Take(expectedFields_, index);
        return fields ? std::move(*fields) : ReadFields(entry);
    }

    // Many tables of one schema: their columns in one request per schema
    // rather than one per table. A schema whose request fails (an object
    // in it the driver cannot describe) is left to the reads per table.
    void ExpectFieldReads(const std::vector<std::int16_t>& indexes) override {
        expectedFields_.clear();
        expectedIndexes_.clear();
        if (indexes.size() < ManyTables) return;
        for (const auto& [where, tables] : BySchema(indexes)) ReadSchemaFields(where.first, where.second, tables);
    }

    // The same for whole definitions: the keys and indexes of a schema in
    // one query as well, where the server has one.
    void ExpectDefinitionReads(const std::vector<std::int16_t>& indexes) override {
        ExpectFieldReads(indexes);
        const std::string query = SchemaIndexesQuery(dbms_);
        if (indexes.size() < ManyTables || query.empty()) return;
        for (const auto& [where, tables] : BySchema(indexes)) {
            ReadSchemaIndexes(query, where.second.empty() ? where.first : where.second, tables);
        }
    }
    void Close() override { Disconnect(); }

private:
    std::unique_ptr<Handle> env_;
    Handle dbc_;
    bool connected_ = false;
    std::string connect_, name_, dbms_, escape_;
    std::vector<TableEntry> tables_;
    // Fields read ahead for TableDefFields, each handed out once.
    std::map<std::int16_t, std::vector<Field>> expectedFields_;
    std::map<std::int16_t, std::vector<Index>> expectedIndexes_;
    static constexpr std::size_t ManyTables = 20;
    // Comments the driver does not report: schema, table, column (empty
    // for the table) to the comment.
    std::map<std::tuple<std::string, std::string, std::string>, std::string> comments_;

    void Disconnect() {
        if (connected_) SQLDisconnect(dbc_.get());
        connected_ = false;
    }

    // Tables by catalogue and schema, each by its name.
    using SchemaTables = std::map<std::string, std::int16_t>;
    std::map<std::pair<std::string, std::string>, SchemaTables> BySchema(const std::vector<std::int16_t>& indexes) {
        std::map<std::pair<std::string, std::string>, SchemaTables> bySchema;
        for (std::int16_t index : indexes) {
            const TableEntry& entry = Entry(index);
            bySchema[{entry.catalog, entry.schema}][entry.name] = index;
        }
        return bySchema;
    }

    const TableEntry& Entry(std::int16_t index) {
        if (index < 0 || static_cast<std::size_t>(index) >= tables_.size()) {
            throw RuntimeError(dberr::ItemNotFound, "このコレクションには項目がありません。");
        }
        if (!connected_) throw RuntimeError(dberr::OdbcCallFailed, CallFailed);
        return tables_[static_cast<std::size_t>(index)];
    }

    std::string InfoText(SQLUSMALLINT what) {
        SQLCHAR value[1024] = {};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetInfo(dbc_.get(), what, value, sizeof value, &length))) return "";
        return reinterpret_cast<char*>(value);
    }

    std::string CurrentCatalog() {
        SQLCHAR value[1024] = {};
        SQLINTEGER length = 0;
        if (!SQL_SUCCEEDED(SQLGetConnectAttr(dbc_.get(), SQL_ATTR_CURRENT_CATALOG, value, sizeof value, &length))) {
            return "";
        }
        return reinterpret_cast<char*>(value);
    }

    std::string DatabaseName() {
        std::string name = InfoText(SQL_DATABASE_NAME);
        return name.empty() ? CurrentCatalog() : name;
    }

    // The schema whose tables go by their bare names; empty when the server
    // cannot say, and then every table that has a schema is qualified.
    std::string DefaultSchema() {
        const std::string query = DefaultSchemaQuery(dbms_);
        if (query.empty()) return "";
        Handle stmt(SQL_HANDLE_STMT, dbc_.get());
        if (!SQL_SUCCEEDED(SQLExecDirect(stmt.get(), Sql(query), SQL_NTS))) return "";
        return Fetch(stmt) ? TextColumn(stmt, 1) : "";
    }

    // Comments are a help, not the catalogue: a server that refuses the
    // query leaves the descriptions as the driver reports them.
    void ReadComments() {
        const std::string query = CommentsQuery(dbms_);
        if (query.empty()) return;
        Handle stmt(SQL_HANDLE_STMT, dbc_.get());
        if (!SQL_SUCCEEDED(SQLExecDirect(stmt.get(), Sql(query), SQL_NTS))) return;
        while (Fetch(stmt)) {
            std::string schema = TextColumn(stmt, 1), table = TextColumn(stmt, 2), column = TextColumn(stmt, 3);
            comments_[{schema, table, column}] = TextColumn(stmt, 4);
        }
    }

    std::string Comment(const TableEntry& t, const std::string& column, std::string remarks) const {
        if (!remarks.empty()) return remarks;
        auto found = comments_.find({t.schema, t.name, column});
        return found == comments_.end() ? "" : found->second;
    }

    // The tables of the connected database, outside the server's own
    // schemas, sorted as file databases are. A driver that reports no
    // catalogue (or the current one for every table) passes them all.
    void ReadTableList() {
        std::string catalog = CurrentCatalog();
        if (catalog.empty()) catalog = InfoText(SQL_DATABASE_NAME);
        const std::string defaultSchema = DefaultSchema();
        ReadComments();
        Handle stmt(SQL_HANDLE_STMT, dbc_.get());
        stmt.check(SQLTables(stmt.get(), nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0));
        while (Fetch(stmt)) {
            TableEntry entry{TextColumn(stmt, 1), TextColumn(stmt, 2), TextColumn(stmt, 3), {}};
            const std::string type = TextColumn(stmt, 4);
            const std::string remarks = TextColumn(stmt, 5);
            if (!entry.catalog.empty() && !catalog.empty() && entry.catalog != catalog) continue;
            if (IsSystemSchema(dbms_, entry.schema.empty() ? entry.catalog : entry.schema)) continue;
            entry.summary.Description = Comment(entry, "", remarks);
            entry.summary.Name = ListedName(entry.schema, defaultSchema, entry.name);
            entry.summary.Attributes = AttributesOfTableType(type);
            tables_.push_back(std::move(entry));
        }
        std::stable_sort(tables_.begin(), tables_.end(), [](const TableEntry& a, const TableEntry& b) {
            return NameOrderLess(a.summary.Name, b.summary.Name);
        });
    }

    // A catalogue call names exactly one table: the catalogue as it is, the
    // schema and the table as patterns that match only themselves.
    struct Target {
        std::string catalog, schema, table;
    };
    Target TargetOf(const TableEntry& t) const {
        return {t.catalog, ExactPattern(t.schema, escape_), ExactPattern(t.name, escape_)};
    }
    static SQLCHAR* Part(const std::string& text) { return text.empty() ? nullptr : Sql(text); }
    static SQLSMALLINT PartLength(const std::string& text) { return text.empty() ? 0 : SQL_NTS; }

    // One row of SQLColumns from column 4 on (the columns before it are
    // read already: drivers need not allow reading them out of order).
    // `typmod`: the driver's own column of the declared length, or 0.
    Field FieldOfRow(const Handle& stmt, const TableEntry& t, SQLUSMALLINT typmod) {
        Field field;
        field.Name = TextColumn(stmt, 4);
        ColumnDescription column;
        column.sqlType = static_cast<std::int16_t>(IntegerColumn(stmt, 5));
        column.typeName = TextColumn(stmt, 6);
        column.columnSize = IntegerColumn(stmt, 7);
        field.Description = Comment(t, field.Name, TextColumn(stmt, 12));
        if (typmod > 12) {
            bool isNull = false;
            const std::int64_t declared = IntegerColumn(stmt, typmod, &isNull);
            if (!isNull) column.length = declared < 0 ? Length::Undeclared : Length::Declared;
        }
        const EngineType type = EngineTypeOfColumn(dbms_, column);
        field.Type = type.type;
        field.Size = type.size;
        return field;
    }
    using Length = ColumnDescription::Length;

    std::vector<Field> ReadFields(const TableEntry& t) {
        const Target target = TargetOf(t);
        Handle stmt(SQL_HANDLE_STMT, dbc_.get());
        stmt.check(SQLColumns(stmt.get(), Part(target.catalog), PartLength(target.catalog), Part(target.schema),
                              PartLength(target.schema), Sql(target.table), SQL_NTS, nullptr, 0));
        std::vector<Field> fields;
        const SQLUSMALLINT typmod = ResultColumnNamed(stmt, "TYPMOD");
        while (Fetch(stmt)) {
            // Rows of another table count never, whatever the driver made of
            // the pattern.
            std::string catalog = TextColumn(stmt, 1);
            std::string schema = TextColumn(stmt, 2);
            if (TextColumn(stmt, 3) != t.name || schema != t.schema || (!catalog.empty() && catalog != t.catalog)) {
                continue;
            }
            fields.push_back(FieldOfRow(stmt, t, typmod));
        }
        return fields;
    }

    void ReadSchemaFields(const std::string& catalog, const std::string& schema, const SchemaTables& tables) {
        const std::string schemaPattern = ExactPattern(schema, escape_);
        std::map<std::int16_t, std::vector<Field>> read;
        try {
            Handle stmt(SQL_HANDLE_STMT, dbc_.get());
            stmt.check(SQLColumns(stmt.get(), Part(catalog), PartLength(catalog), Part(schemaPattern),
                                  PartLength(schemaPattern), Sql("%"), SQL_NTS, nullptr, 0));
            const SQLUSMALLINT typmod = ResultColumnNamed(stmt, "TYPMOD");
            while (Fetch(stmt)) {
                std::string rowCatalog = TextColumn(stmt, 1);
                std::string rowSchema = TextColumn(stmt, 2);
                auto table = tables.find(TextColumn(stmt, 3));
                if (table == tables.end() || rowSchema != schema || (!rowCatalog.empty() && rowCatalog != catalog)) {
                    continue;
                }
                read[table->second].push_back(
                    FieldOfRow(stmt, tables_[static_cast<std::size_t>(table->second)], typmod));
            }
        } catch (const RuntimeError&) {
            return;
        }
        // A table without a row in the answer is read alone later: a table
        // of no columns costs one request, a table the answer missed none.
        expectedFields_.merge(read);
    }

    // The indexes of the tables of one schema (`container`, the query's one
    // parameter), as ReadIndexes gives them. A query the server refuses
    // leaves every table to the driver's calls; so does a table without a
    // row in the answer, for a table the server could not describe is
    // left out of it, and the driver's call reports why.
    void ReadSchemaIndexes(const std::string& query, const std::string& container, const SchemaTables& tables) {
        std::map<std::int16_t, std::vector<Index>> read;
        try {
            Handle stmt(SQL_HANDLE_STMT, dbc_.get());
            std::string parameter = container;
            SQLLEN length = static_cast<SQLLEN>(parameter.size());
            stmt.check(SQLPrepare(stmt.get(), Sql(query), SQL_NTS));
            stmt.check(SQLBindParameter(stmt.get(), 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                        std::max<SQLULEN>(parameter.size(), 1), 0, parameter.data(), length,
                                        &length));
            stmt.check(SQLExecute(stmt.get()));
            while (Fetch(stmt)) {
                auto table = tables.find(TextColumn(stmt, 1));
                const std::string name = TextColumn(stmt, 2);
                const bool nonUnique = IntegerColumn(stmt, 3) != 0;
                const bool primary = IntegerColumn(stmt, 4) != 0;
                const std::string column = TextColumn(stmt, 5);
                if (table == tables.end()) continue;
                std::vector<Index>& indexes = read[table->second];
                if (indexes.empty() || indexes.back().Name != name) indexes.push_back({name, !nonUnique, primary, {}});
                indexes.back().Fields.push_back(column);
            }
        } catch (const RuntimeError&) {
            return;
        }
        expectedIndexes_.merge(read);
    }

    std::vector<std::string> PrimaryKeyName(const TableEntry& t, std::vector<std::string>& keyFields) {
        Handle stmt(SQL_HANDLE_STMT, dbc_.get());
        std::vector<std::string> names;
        // Key and index arguments are no patterns: the names go as they are.
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

std::unique_ptr<Database> OpenOdbcSource(const std::string& source) {
    return std::make_unique<OdbcDatabase>(source);
}

namespace {

// SQLDataSources describes a source by its driver; the source's own
// description is its Description key in odbc.ini.
std::string DescriptionOf(const std::string& source) {
    char description[512] = {};
    if (SQLGetPrivateProfileString(source.c_str(), "Description", "", description, sizeof description, "odbc.ini") <=
        0) {
        return "";
    }
    return description;
}

}  // namespace

std::vector<DataSourceInfo> ListDataSources() {
    std::vector<DataSourceInfo> sources;
    auto env = MakeEnvironment();
    SQLCHAR name[SQL_MAX_DSN_LENGTH + 1];
    SQLCHAR driver[512];
    SQLSMALLINT nameLength = 0, driverLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDataSources(env->get(), direction, name, sizeof name, &nameLength, driver, sizeof driver,
                                        &driverLength))) {
        const std::string source = reinterpret_cast<char*>(name);
        sources.push_back({source, DescriptionOf(source)});
        direction = SQL_FETCH_NEXT;
    }
    return sources;
}

}  // namespace kolumbra::db
