#pragma once
// The table definitions of the open database as one command run reads them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/db/database.h"

namespace kolumbra {

// Names are searched in the definitions' summaries (name and attributes,
// which the engine holds from its table list); only a matching table's
// fields and indexes are read, each at most once per command. A table whose
// definition cannot be read then fails alone: its search throws, every
// other table's still succeeds.
class TableCatalogue {
public:
    // `database` may be null: no table is found then.
    explicit TableCatalogue(db::Database* database) : database_(database) {}

    // The first definition, in catalogue order, named exactly `name`, with
    // its fields and indexes. Engine failures pass to the caller; the search
    // can be repeated.
    std::optional<db::TableDef> Find(const std::string& name);

    // The fields of every definition named exactly `name`, in catalogue
    // order, one after the other. Engine failures pass to the caller as in Find.
    std::vector<db::Field> FieldsOfAll(const std::string& name);

    // Whether any definition is named exactly `name`; reads no fields.
    bool Lists(const std::string& name);

    // Announces that FieldsOfAll follows for each of `names`, so that the
    // engine may read the fields of many tables at once.
    void ExpectFieldsOf(const std::vector<std::string>& names);

    // Announces that Find follows for each of `names`: the engine may read
    // their fields, keys and indexes in fewer requests.
    void ExpectDefinitionsOf(const std::vector<std::string>& names);

private:
    struct Slot {
        std::optional<db::TableDef> summary;
        std::optional<db::TableDef> whole;
        std::optional<std::vector<db::Field>> fields;
    };

    // How many definitions there are, asked of the engine once.
    std::size_t Count();
    // Definition `index` without fields and indexes, read once.
    const db::TableDef& Summary(std::size_t index);
    bool Named(std::size_t index, const std::string& name);
    const db::TableDef& Whole(std::size_t index);
    const std::vector<db::Field>& Fields(std::size_t index);
    // The positions of the definitions named like any of `names`.
    std::vector<std::int16_t> IndexesNamed(const std::vector<std::string>& names);

    db::Database* database_;
    std::optional<std::int16_t> count_;
    std::vector<Slot> slots_;
};

}  // namespace kolumbra
