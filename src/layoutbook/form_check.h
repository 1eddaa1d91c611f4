#pragma once
// How a table's forms differ from the table's definition in the database.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/db/database.h"
#include "layoutbook/form_reader.h"

namespace kolumbra {

// What differs, as the check prints it.
namespace differs {
inline constexpr std::string_view NoForm = "no form";
inline constexpr std::string_view TableGone = "table gone";
inline constexpr std::string_view FieldAdded = "field added";
inline constexpr std::string_view FieldRemoved = "field removed";
inline constexpr std::string_view Position = "position";
inline constexpr std::string_view Type = "type";
inline constexpr std::string_view Size = "size";
inline constexpr std::string_view Marks = "marks";
inline constexpr std::string_view PageMissing = "page missing";
inline constexpr std::string_view PageLeftOver = "page left over";
}  // namespace differs

struct FormDifference {
    std::string table, field, what, workbook, database;
    bool operator==(const FormDifference&) const = default;
};

// A field row of the forms with its 1-based place in the table.
struct PlacedField {
    const FormField* field;
    int position;
};

// The field rows of a table's forms, page after page.
std::vector<PlacedField> FieldsOfForms(const TableForms& forms);

// The language the forms name types in (non-zero: Japanese), told by the
// fields whose type name is that of one language only; `fallback` when no
// field tells.
std::int16_t FormLanguage(const std::vector<PlacedField>& fields, const db::TableDef& definition, std::int16_t fallback);

// For the fields present on both sides, by name: whether each database
// field keeps its place among them (false: it moved). Fields inserted or
// removed around the others move nothing.
std::vector<bool> KeepsItsPlace(const std::vector<PlacedField>& form, const db::TableDef& definition);

// The differences of one table, in the order the check prints them: the
// pages, then the fields in the database's order, then the fields only the
// forms have. `forms` is null for a table without forms, `definition` for
// a table the database no longer has.
std::vector<FormDifference> CompareTable(const std::string& table, const TableForms* forms,
                                         const db::TableDef* definition, bool odbc, std::int16_t fallbackJap);

// The database field named `name`, or -1.
int FieldIndexOf(const db::TableDef& definition, std::string_view name);

}  // namespace kolumbra
