#include "engine/db/access/mdb_catalog.h"

#include <mdbtools.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>

#include "engine/db/name_order.h"

namespace kolumbra::db::mdb {

namespace {

// Catalogue object types as MSysObjects stores them.
constexpr int LocalTable = 1;
constexpr int OdbcLinkedTable = 4;
constexpr int AccessLinkedTable = 6;

// Room for one text value. The library sets this much aside for every text
// property of the catalogue it parses (16 KiB by default, which a file with
// tens of thousands of field descriptions does not fit in the reader's
// memory). A value is at most 255 characters, 765 bytes of UTF-8; the
// library's 1.0 release crashes with 1 KiB.
constexpr std::size_t BindBytes = 4096;

struct HandleCloser {
    void operator()(MdbHandle* h) const { mdb_close(h); }
};
struct TableFreer {
    void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};
using Handle = std::unique_ptr<MdbHandle, HandleCloser>;
using Table = std::unique_ptr<MdbTableDef, TableFreer>;

// Calls `row` with the named columns of every row of a system table, as
// text; false when the table or a column cannot be read, or when fewer rows
// come back than the table's definition counts (a page past the end of a
// truncated file reads as no rows at all).
bool scanTable(MdbHandle* mdb, const char* name, const std::vector<const char*>& columns,
               const std::function<void(const std::vector<std::string>&)>& row) {
    Table table(mdb_read_table_by_name(mdb, const_cast<gchar*>(name), MDB_TABLE));
    if (!table || !mdb_read_columns(table.get())) return false;
    std::vector<std::vector<char>> buffers(columns.size(), std::vector<char>(mdb->bind_size));
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (mdb_bind_column_by_name(table.get(), const_cast<gchar*>(columns[i]), buffers[i].data(), nullptr) < 0) {
            return false;
        }
    }
    mdb_rewind_table(table.get());
    std::vector<std::string> values(columns.size());
    unsigned fetched = 0;
    while (mdb_fetch_row(table.get())) {
        for (std::size_t i = 0; i < columns.size(); ++i) values[i] = buffers[i].data();
        row(values);
        ++fetched;
    }
    return fetched >= table->num_rows;
}

// Raw MSysObjects types by object name; libmdb masks them and reports
// ODBC-linked tables and reports alike.
// Empty when the catalogue cannot be read whole.
std::multimap<std::string, int> rawObjectTypes(MdbHandle* mdb) {
    std::multimap<std::string, int> types;
    bool whole = scanTable(mdb, "MSysObjects", {"Name", "Type"}, [&](const std::vector<std::string>& row) {
        types.emplace(row[0], std::atoi(row[1].c_str()));
    });
    if (!whole) types.clear();
    return types;
}

// The foreign-key columns of each relationship, by (table, relationship),
// in key order. libmdb leaves the fields of foreign-key indexes empty; the
// index of the relationship's table bears the relationship's name.
using RelationshipKeys = std::map<std::pair<std::string, std::string>, std::map<int, std::string>>;

RelationshipKeys relationshipKeys(MdbHandle* mdb) {
    RelationshipKeys keys;
    scanTable(mdb, "MSysRelationships", {"szObject", "szRelationship", "icolumn", "szColumn"},
              [&](const std::vector<std::string>& row) {
                  keys[{row[0], row[1]}][std::atoi(row[2].c_str())] = row[3];
              });
    return keys;
}

std::int32_t attributesOf(int rawType, unsigned flags) {
    if (rawType == AccessLinkedTable) return attr::AttachedTable;
    if (rawType == OdbcLinkedTable) return attr::AttachedOdbc;
    if (flags & 0x80000002u) return attr::System;
    if (flags & 0x8u) return attr::Hidden;
    return 0;
}

}  // namespace

std::int16_t EngineType(int columnType) {
    switch (columnType) {
        case MDB_NUMERIC: return 20;  // decimal
        case 0x13: return 16;         // large number: big integer
        case DateTimeExtended: return 8;
        case MDB_COMPLEX: return 101;
        default: return static_cast<std::int16_t>(columnType);
    }
}

std::int32_t EngineSize(int columnType, int columnSize, bool textInBytes) {
    switch (columnType) {
        case MDB_BOOL:
        case MDB_BYTE: return 1;
        case MDB_INT: return 2;
        case MDB_LONGINT:
        case MDB_FLOAT:
        case MDB_COMPLEX: return 4;
        case MDB_MONEY:
        case MDB_DOUBLE:
        case MDB_DATETIME:
        case 0x13: return 8;
        case MDB_REPID:
        case MDB_NUMERIC: return 16;
        case DateTimeExtended: return 42;
        case MDB_MEMO:
        case MDB_OLE: return 0;
        case MDB_TEXT: return textInBytes ? columnSize / 2 : columnSize;
        default: return columnSize;
    }
}

namespace {

// A Description property as the catalogue stores it; none reads as empty.
// The catalogue read parsed every object's properties already, so this
// asks the file for nothing more.
std::string descriptionOf(const char* property) { return property ? property : ""; }

constexpr int ForeignKeyIndex = 2;

std::vector<std::string> keyFields(const MdbTableDef& table, const MdbIndex& index, bool& valid) {
    std::vector<std::string> fields;
    for (unsigned k = 0; k < index.num_keys && k < MDB_MAX_IDX_COLS; ++k) {
        int column = index.key_col_num[k] - 1;
        if (column < 0 || static_cast<guint>(column) >= table.num_cols) {
            valid = false;
            return {};
        }
        fields.emplace_back(static_cast<MdbColumn*>(g_ptr_array_index(table.columns, column))->name);
    }
    return fields;
}

// The fields of a foreign-key index: the relationship's columns, else
// those of the index that shares its physical index.
std::vector<std::string> foreignKeyFields(const MdbTableDef& table, const MdbIndex& index,
                                          const RelationshipKeys& relationships, bool& valid) {
    auto relationship = relationships.find({table.name, index.name});
    if (relationship != relationships.end()) {
        std::vector<std::string> fields;
        for (const auto& [order, name] : relationship->second) fields.push_back(name);
        return fields;
    }
    for (guint i = 0; i < table.num_idxs; ++i) {
        auto* other = static_cast<MdbIndex*>(g_ptr_array_index(table.indices, i));
        if (other->index_type != ForeignKeyIndex && other->index_num == index.index_num) {
            return keyFields(table, *other, valid);
        }
    }
    return {};
}

// Reads the definition into `def`; what could not be read, or nothing.
std::string readDefinition(MdbCatalogEntry* entry, bool textInBytes, const RelationshipKeys& relationships,
                           TableDef& def) {
    Table table(mdb_read_table(entry));
    if (!table) return "定義を読めません";
    if (!mdb_read_columns(table.get())) return "フィールドを読めません";
    GPtrArray* columns = table->columns;
    for (guint i = 0; i < table->num_cols; ++i) {
        auto* column = static_cast<MdbColumn*>(g_ptr_array_index(columns, i));
        def.Fields.push_back({column->name, EngineType(column->col_type),
                              EngineSize(column->col_type, column->col_size, textInBytes),
                              descriptionOf(mdb_col_get_prop(column, "Description"))});
    }
    def.Description = descriptionOf(mdb_table_get_prop(table.get(), "Description"));
    const std::string badIndexes = "インデックスを読めません";
    mdb_read_indices(table.get());
    if (!table->indices) return table->num_idxs == 0 ? "" : badIndexes;
    bool valid = true;
    for (guint i = 0; i < table->num_idxs && valid; ++i) {
        auto* idx = static_cast<MdbIndex*>(g_ptr_array_index(table->indices, i));
        Index index{idx->name, (idx->flags & MDB_IDX_UNIQUE) != 0, idx->index_type == 1, {}};
        index.Fields = idx->index_type == ForeignKeyIndex && idx->num_keys == 0
                           ? foreignKeyFields(*table, *idx, relationships, valid)
                           : keyFields(*table, *idx, valid);
        def.Indexes.push_back(std::move(index));
    }
    return valid ? "" : badIndexes;
}

// A table whose definition fails keeps its catalogue entry; a definition
// read part way is no definition.
CatalogTable readTable(MdbCatalogEntry* entry, std::int32_t attributes, bool textInBytes,
                       const RelationshipKeys& relationships) {
    CatalogTable table{{entry->object_name, attributes, {}, {}, {}}, {}};
    // Only ordinary tables are ever listed; their definitions are read.
    if (attributes != 0) return table;
    table.Unreadable = readDefinition(entry, textInBytes, relationships, table.Def);
    if (!table.Unreadable.empty()) table.Def = {entry->object_name, attributes, {}, {}, {}};
    return table;
}

}  // namespace

std::optional<std::vector<CatalogTable>> ReadCatalog(const std::string& absolutePath) {
    Handle mdb(mdb_open(absolutePath.c_str(), MDB_NOFLAGS));
    if (!mdb) return std::nullopt;
    mdb_set_bind_size(mdb.get(), BindBytes);
    auto rawTypes = rawObjectTypes(mdb.get());
    if (rawTypes.empty()) return std::nullopt;  // no whole MSysObjects: the catalogue is corrupt
    auto relationships = relationshipKeys(mdb.get());
    if (!mdb_read_catalog(mdb.get(), MDB_ANY)) return std::nullopt;
    bool textInBytes = mdb->f->jet_version != MDB_VER_JET3;

    std::vector<CatalogTable> tables;
    for (guint i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        // Forms and reports may share a table's name: only a raw type 4 row
        // of that name makes a type 4 entry an ODBC-linked table.
        int rawType = entry->object_type;
        if (rawType == OdbcLinkedTable) {
            auto [first, last] = rawTypes.equal_range(entry->object_name);
            bool linked = std::any_of(first, last, [](const auto& row) { return row.second == OdbcLinkedTable; });
            if (!linked) continue;
        }
        if (rawType != LocalTable && rawType != OdbcLinkedTable && rawType != AccessLinkedTable) continue;
        std::int32_t attributes = attributesOf(rawType, static_cast<unsigned>(entry->flags));
        tables.push_back(readTable(entry, attributes, textInBytes, relationships));
    }
    return tables;
}

void SortByName(std::vector<CatalogTable>& tables) {
    std::stable_sort(tables.begin(), tables.end(),
                     [](const CatalogTable& a, const CatalogTable& b) { return NameOrderLess(a.Def.Name, b.Def.Name); });
}

}  // namespace kolumbra::db::mdb
