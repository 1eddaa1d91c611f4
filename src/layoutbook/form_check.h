#pragma once
// How a table's forms differ from the table's definition in the database.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/db/database.h"
#include "layoutbook/export_state.h"
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

// Takes off the pages beyond the `pages` the table needs whose sheet
// `kept` names: surplus pages a refresh kept for what was typed on them.
// They have been recorded once and count no more as the table's pages.
void DropKeptPages(TableForms& forms, const std::vector<std::string>& kept, int pages);

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

// One way a field of the forms differs from the database's: `what` is one
// of the field kinds of `differs`; `formField` is null for an added field.
struct FieldChange {
    std::string field;
    std::string_view what;
    std::string workbook, database;
    const FormField* formField = nullptr;
};

// How the forms' fields differ from `entries` (the database's fields as
// the form shows them): for each entry in order, added or its position,
// type, size and marks; then the fields only the forms have, removed. A
// field moved when it left the longest run of fields the two sides share
// in the same order, so fields inserted or removed around it move nothing.
std::vector<FieldChange> DiffFields(const std::vector<PlacedField>& form, const std::vector<FieldEntry>& entries);

// The differences of one table, in the order the check prints them: the
// pages, then the fields in the database's order, then the fields only the
// forms have. `forms` is null for a table without forms, `definition` for
// a table the database no longer has.
std::vector<FormDifference> CompareTable(const std::string& table, const TableForms* forms,
                                         const db::TableDef* definition, bool odbc, std::int16_t fallbackJap);

}  // namespace kolumbra
