#pragma once
// The table definitions of the open database as one export reads them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/db/database.h"

namespace kolumbra {

// Each definition is read from the engine at most once, when a search first
// reaches it: finding every selected table by name then costs one read per
// definition, not one per definition for every table (a full definition
// read is several catalogue queries on an ODBC source).
class TableCatalogue {
public:
    // `database` may be null: no table is found then.
    explicit TableCatalogue(db::Database* database) : database_(database) {}

    // The first definition, in catalogue order, named exactly `name`.
    // Engine failures pass to the caller; the search can be repeated.
    std::optional<db::TableDef> Find(const std::string& name);

private:
    db::Database* database_;
    std::optional<std::int16_t> count_;
    std::vector<std::optional<db::TableDef>> read_;
};

}  // namespace kolumbra
