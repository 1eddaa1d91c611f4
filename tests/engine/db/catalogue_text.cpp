#include "catalogue_text.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace kolumbra::testing {

std::string TableList(db::Database& database) {
    std::string list;
    for (std::int16_t i = 0; i < database.TableDefCount(); ++i) {
        db::TableDef table = database.TableDefItem(i);
        char attributes[16];
        std::snprintf(attributes, sizeof attributes, "%08x", static_cast<unsigned>(table.Attributes));
        list += table.Name + " " + attributes + "\n";
    }
    return list;
}

db::TableDef TableNamed(db::Database& database, const std::string& name) {
    for (std::int16_t i = 0; i < database.TableDefCount(); ++i) {
        db::TableDef table = database.TableDefItem(i);
        if (table.Name == name) return table;
    }
    ADD_FAILURE() << "no table " << name;
    return {};
}

std::string FieldList(const db::TableDef& table) {
    std::string list;
    for (const auto& field : table.Fields) {
        list += field.Name + " " + std::to_string(field.Type) + " " + std::to_string(field.Size) + "\n";
    }
    return list;
}

std::string IndexList(const db::TableDef& table) {
    std::string list;
    for (const auto& index : table.Indexes) {
        list += index.Name + (index.Unique ? " U" : " -") + (index.Primary ? " P " : " - ");
        for (std::size_t i = 0; i < index.Fields.size(); ++i) list += (i ? "," : "") + index.Fields[i];
        list += "\n";
    }
    return list;
}

}  // namespace kolumbra::testing
