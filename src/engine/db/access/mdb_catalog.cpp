#include "engine/db/access/mdb_catalog.h"

#include <mdbtools.h>

#include <algorithm>
#include <cstring>
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
// text, and the table positioned on that row; false when the table or a
// column cannot be read, or when fewer rows come back than the table's
// definition counts (a page past the end of a truncated file reads as no
// rows at all).
using RowCallback = std::function<void(MdbTableDef&, const std::vector<std::string>&)>;

bool scanTable(MdbHandle* mdb, const char* name, const std::vector<const char*>& columns, const RowCallback& row) {
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
        row(*table, values);
        ++fetched;
    }
    return fetched >= table->num_rows;
}

void appendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// A text value as Jet 4 stores it: UTF-16LE, or after FF FE the compressed
// form, whose zero bytes switch between one-byte and two-byte characters.
std::u16string jet4Units(const unsigned char* bytes, std::size_t size) {
    std::u16string units;
    const bool compressedForm = size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
    bool compressed = compressedForm;
    for (std::size_t at = compressedForm ? 2 : 0; at < size;) {
        if (compressedForm && bytes[at] == 0) {
            compressed = !compressed;
            ++at;
        } else if (compressed) {
            units += static_cast<char16_t>(bytes[at++]);
        } else if (at + 2 <= size) {
            units += static_cast<char16_t>(bytes[at] | (bytes[at + 1] << 8));
            at += 2;
        } else {
            break;
        }
    }
    return units;
}

// UTF-8 of UTF-16 units, surrogate pairs joined; a lone surrogate is U+FFFD.
std::string utf8Of(const std::u16string& units) {
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        const bool high = c >= 0xD800 && c < 0xDC00;
        if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        appendUtf8(c, out);
    }
    return out;
}

// The text of `column` in the row the table was just positioned on, decoded
// from its stored bytes; empty when it cannot be read.
std::string storedText(MdbTableDef& table, guint column) {
    MdbHandle* mdb = table.entry->mdb;
    int start = 0;
    std::size_t size = 0;
    if (table.cur_row == 0 || mdb_find_row(mdb, static_cast<int>(table.cur_row) - 1, &start, &size) != 0) return {};
    std::vector<MdbField> fields(table.num_cols);
    const int cracked = mdb_crack_row(&table, start, size, fields.data());
    if (cracked <= 0 || column >= static_cast<guint>(cracked) || fields[column].is_null || fields[column].siz <= 0) {
        return {};
    }
    return utf8Of(jet4Units(static_cast<const unsigned char*>(fields[column].value),
                            static_cast<std::size_t>(fields[column].siz)));
}

guint columnIndex(const MdbTableDef& table, const char* name) {
    for (guint i = 0; i < table.num_cols; ++i) {
        if (std::strcmp(static_cast<MdbColumn*>(g_ptr_array_index(table.columns, i))->name, name) == 0) return i;
    }
    return table.num_cols;
}

// The library turns each UTF-16 unit outside the Basic Multilingual Plane
// into "?", so that names differing only there come back alike.
bool convertsTo(const std::string& stored, const std::string& converted) {
    std::string narrowed;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        if ((static_cast<unsigned char>(stored[i]) & 0xF8) == 0xF0) {
            narrowed += "??";
            i += 3;
        } else {
            narrowed += stored[i];
        }
    }
    return narrowed == converted;
}

struct ObjectRow {
    std::string name;        // as the library converts it
    int type = 0;            // raw MSysObjects type
    std::string storedName;  // decoded here, where the library's differs
};

// The rows of MSysObjects in the order the library reads its catalogue;
// empty when the catalogue cannot be read whole.
std::vector<ObjectRow> objectRows(MdbHandle* mdb, bool jet3) {
    std::vector<ObjectRow> rows;
    bool whole = scanTable(mdb, "MSysObjects", {"Name", "Type"},
                           [&](MdbTableDef& table, const std::vector<std::string>& row) {
                               ObjectRow object{row[0], std::atoi(row[1].c_str()), {}};
                               if (!jet3 && object.name.find('?') != std::string::npos) {
                                   std::string stored = storedText(table, columnIndex(table, "Name"));
                                   if (stored != object.name && convertsTo(stored, object.name)) {
                                       object.storedName = std::move(stored);
                                   }
                               }
                               rows.push_back(std::move(object));
                           });
    if (!whole) rows.clear();
    return rows;
}

// The foreign-key columns of each relationship, by (table, relationship),
// in key order. libmdb leaves the fields of foreign-key indexes empty; the
// index of the relationship's table bears the relationship's name.
using RelationshipKeys = std::map<std::pair<std::string, std::string>, std::map<int, std::string>>;

RelationshipKeys relationshipKeys(MdbHandle* mdb) {
    RelationshipKeys keys;
    scanTable(mdb, "MSysRelationships", {"szObject", "szRelationship", "icolumn", "szColumn"},
              [&](MdbTableDef&, const std::vector<std::string>& row) {
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
    bool textInBytes = mdb->f->jet_version != MDB_VER_JET3;
    const std::vector<ObjectRow> rows = objectRows(mdb.get(), !textInBytes);
    if (rows.empty()) return std::nullopt;  // no whole MSysObjects: the catalogue is corrupt
    // libmdb masks the raw types and reports ODBC-linked tables and reports alike.
    std::multimap<std::string, int> rawTypes;
    for (const ObjectRow& row : rows) rawTypes.emplace(row.name, row.type);
    auto relationships = relationshipKeys(mdb.get());
    if (!mdb_read_catalog(mdb.get(), MDB_ANY)) return std::nullopt;

    std::vector<CatalogTable> tables;
    std::size_t row = 0;
    for (guint i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        // The catalogue lists the rows in their order: a name the library
        // could not convert whole is taken as stored.
        while (row < rows.size() && rows[row].name != entry->object_name) ++row;
        const std::string storedName = row < rows.size() ? rows[row++].storedName : "";
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
        if (!storedName.empty()) tables.back().Def.Name = storedName;
    }
    return tables;
}

void SortByName(std::vector<CatalogTable>& tables) {
    std::stable_sort(tables.begin(), tables.end(),
                     [](const CatalogTable& a, const CatalogTable& b) { return NameOrderLess(a.Def.Name, b.Def.Name); });
}

}  // namespace kolumbra::db::mdb
