#pragma once
// The database engine: what the catalogue reads of an opened database.
// Access files and ODBC data sources both come through this interface.
// Every failure is a RuntimeError with the engine's number and wording.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kolumbra::db {

struct Field {
    std::string Name;
    std::int16_t Type = 0;  // the engine's data-type code
    std::int32_t Size = 0;
    std::string Description;
};

struct Index {
    std::string Name;
    bool Unique = false;
    bool Primary = false;
    std::vector<std::string> Fields;  // field names, in index order
};

struct TableDef {
    std::string Name;
    std::int32_t Attributes = 0;  // 0 for an ordinary table
    std::vector<Field> Fields;
    std::vector<Index> Indexes;
    std::string Description;
};

// Table attributes as the engine reports them.
namespace attr {
inline constexpr std::int32_t Hidden = 0x00000001;
inline constexpr std::int32_t System = static_cast<std::int32_t>(0x80000002u);
inline constexpr std::int32_t AttachedTable = 0x40000000;
inline constexpr std::int32_t AttachedOdbc = 0x20000000;
}  // namespace attr

class Database {
public:
    virtual ~Database() = default;

    virtual std::string Name() = 0;
    virtual std::string Connect() = 0;

    // The table definitions: 0-based; the same index names the same table
    // while the database stays open. Item reads the whole definition anew.
    virtual std::int16_t TableDefCount() = 0;
    virtual TableDef TableDefItem(std::int16_t index) = 0;

    // What the table list needs of definition `index`: name, attributes and
    // description, without fields and indexes. A back end that must ask the
    // database for each table's fields answers this from its table list.
    // Back ends holding whole definitions in memory answer from them.
    virtual TableDef TableDefSummary(std::int16_t index) {
        TableDef def = TableDefItem(index);
        def.Fields.clear();
        def.Indexes.clear();
        return def;
    }

    // The fields of definition `index` alone, without its indexes.
    virtual std::vector<Field> TableDefFields(std::int16_t index) { return TableDefItem(index).Fields; }

    // Tells the engine that TableDefFields follows for each of `indexes`,
    // so that it may read them in fewer requests. Nothing is lost when it
    // does not: each field read still stands alone.
    virtual void ExpectFieldReads(const std::vector<std::int16_t>& /*indexes*/) {}

    // The same for TableDefItem: fields, keys and indexes may come in
    // fewer requests.
    virtual void ExpectDefinitionReads(const std::vector<std::int16_t>& /*indexes*/) {}

    virtual void Close() = 0;
};

// Asks the user for an ODBC data source: its name, or a whole connection
// string (which holds "=", as no name does); nothing when the choice is
// cancelled.
using DataSourceChooser = std::function<std::optional<std::string>()>;

class DbEngine {
public:
    virtual ~DbEngine() = default;
    // A file path opens an Access file; the empty name lets the user pick
    // an ODBC data source through `choose`.
    virtual std::unique_ptr<Database> OpenDatabase(const std::string& name, const DataSourceChooser& choose) = 0;
};

// The engine over the real back ends (Access files and unixODBC).
std::unique_ptr<DbEngine> MakeDbEngine();

// Engine error numbers.
namespace dberr {
inline constexpr std::int32_t OperationCancelled = 3059;
inline constexpr std::int32_t FileNotFound = 3024;
inline constexpr std::int32_t ItemNotFound = 3265;
inline constexpr std::int32_t UnrecognisedFormat = 3343;
inline constexpr std::int32_t OdbcCallFailed = 3146;
inline constexpr std::int32_t DamagedTable = 3049;  // one table of a file cannot be read
inline constexpr std::int32_t ResourcesExceeded = 3035;  // a file beyond the reader's limits
}  // namespace dberr

}  // namespace kolumbra::db
