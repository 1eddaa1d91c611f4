#pragma once
// The table definitions of the open database as one command run reads them.

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

    // Every definition named exactly `name`, in catalogue order; this reads
    // the whole catalogue. Engine failures pass to the caller as in Find.
    std::vector<db::TableDef> FindAll(const std::string& name);

private:
    // How many definitions there are, asked of the engine once.
    std::size_t Count();
    // Definition `index`, read now unless an earlier search read it.
    const db::TableDef& Definition(std::size_t index);

    db::Database* database_;
    std::optional<std::int16_t> count_;
    std::vector<std::optional<db::TableDef>> read_;
};

}  // namespace kolumbra
