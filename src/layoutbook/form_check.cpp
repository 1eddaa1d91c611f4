#include "layoutbook/form_check.h"

#include <algorithm>
#include <set>

#include "catalog/field_type_name.h"
#include "layoutbook/form_cells.h"
#include "layoutbook/sheet_page.h"
#include "layoutbook/table_fields.h"
#include "layoutbook/table_sheets.h"

namespace kolumbra {

namespace {

const PlacedField* formFieldNamed(const std::vector<PlacedField>& fields, std::string_view name) {
    auto found = std::find_if(fields.begin(), fields.end(), [&](const PlacedField& f) { return f.field->name == name; });
    return found == fields.end() ? nullptr : &*found;
}

void comparePages(const TableForms& forms, int expected, std::vector<FormDifference>& out) {
    std::set<int> present;
    for (const FormPage& page : forms.pages) present.insert(page.page);
    for (int page = 1; page <= expected; ++page) {
        if (!present.count(page))
            out.push_back({forms.table, "", std::string(differs::PageMissing), "", std::to_string(page)});
    }
    for (int page : present) {
        if (page > expected)
            out.push_back({forms.table, "", std::string(differs::PageLeftOver), std::to_string(page), ""});
    }
}

}  // namespace

void DropKeptPages(TableForms& forms, const std::vector<std::string>& kept, int pages) {
    std::erase_if(forms.pages, [&](const FormPage& page) {
        return page.page > pages && std::find(kept.begin(), kept.end(), page.sheetName) != kept.end();
    });
}

std::vector<PlacedField> FieldsOfForms(const TableForms& forms) {
    std::vector<PlacedField> fields;
    for (const FormPage& page : forms.pages) {
        for (const FormField& field : page.fields)
            fields.push_back({&field, (page.page - 1) * FieldsPerPage + field.row - form::CaptionRow});
    }
    return fields;
}

std::int16_t FormLanguage(const std::vector<PlacedField>& fields, const db::TableDef& definition, std::int16_t fallback) {
    int japanese = 0, english = 0;
    for (const db::Field& field : definition.Fields) {
        const PlacedField* placed = formFieldNamed(fields, field.Name);
        if (!placed) continue;
        const bool isJapanese = placed->field->type == FieldTypeName(field.Type, 1);
        const bool isEnglish = placed->field->type == FieldTypeName(field.Type, 0);
        if (isJapanese != isEnglish) (isJapanese ? japanese : english) += 1;
    }
    if (japanese == english) return fallback;
    return japanese > english ? 1 : 0;
}

namespace {

int entryIndexOf(const std::vector<FieldEntry>& entries, std::string_view name) {
    for (std::size_t k = 0; k < entries.size(); ++k) {
        if (entries[k].FieldName == name) return static_cast<int>(k);
    }
    return -1;
}

// For each entry: whether it keeps its place among the fields both sides
// share (the longest run of them in the same order on both).
std::vector<bool> keepsItsPlace(const std::vector<PlacedField>& form, const std::vector<FieldEntry>& entries) {
    std::vector<int> formOrder;  // entry indexes, in form order
    for (const PlacedField& placed : form) {
        const int index = entryIndexOf(entries, placed.field->name);
        if (index >= 0 && std::find(formOrder.begin(), formOrder.end(), index) == formOrder.end())
            formOrder.push_back(index);
    }
    std::vector<int> entryOrder = formOrder;
    std::sort(entryOrder.begin(), entryOrder.end());
    const std::size_t n = formOrder.size();
    std::vector<std::vector<int>> longest(n + 1, std::vector<int>(n + 1, 0));
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t j = n; j-- > 0;) {
            longest[i][j] = formOrder[i] == entryOrder[j] ? longest[i + 1][j + 1] + 1
                                                          : std::max(longest[i + 1][j], longest[i][j + 1]);
        }
    }
    std::vector<bool> keeps(entries.size(), true);
    for (int index : formOrder) keeps[static_cast<std::size_t>(index)] = false;
    for (std::size_t i = 0, j = 0; i < n && j < n;) {
        if (formOrder[i] == entryOrder[j]) {
            keeps[static_cast<std::size_t>(formOrder[i])] = true;
            ++i;
            ++j;
        } else if (longest[i + 1][j] >= longest[i][j + 1]) {
            ++i;
        } else {
            ++j;
        }
    }
    return keeps;
}

}  // namespace

std::vector<FieldChange> DiffFields(const std::vector<PlacedField>& form, const std::vector<FieldEntry>& entries) {
    std::vector<FieldChange> changes;
    const std::vector<bool> keeps = keepsItsPlace(form, entries);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const FieldEntry& entry = entries[k];
        const std::string position = std::to_string(k + 1);
        const PlacedField* placed = formFieldNamed(form, entry.FieldName);
        if (!placed) {
            changes.push_back({entry.FieldName, differs::FieldAdded, "", position});
            continue;
        }
        const FormField& field = *placed->field;
        const auto differ = [&](std::string_view what, const std::string& workbook, const std::string& database) {
            if (workbook != database) changes.push_back({entry.FieldName, what, workbook, database, &field});
        };
        if (!keeps[k]) differ(differs::Position, std::to_string(placed->position), position);
        differ(differs::Type, field.type, entry.TypeText);
        differ(differs::Size, field.size, entry.SizeText);
        differ(differs::Marks, field.keyMark + field.indexMark, KeyCellText(entry) + entry.IndexMark);
    }
    for (const PlacedField& placed : form) {
        if (entryIndexOf(entries, placed.field->name) < 0)
            changes.push_back({placed.field->name, differs::FieldRemoved, std::to_string(placed.position), "", placed.field});
    }
    return changes;
}

std::vector<FormDifference> CompareTable(const std::string& table, const TableForms* forms,
                                         const db::TableDef* definition, bool odbc, std::int16_t fallbackJap) {
    if (!forms) return {{table, "", std::string(differs::NoForm), "", table}};
    if (!definition) return {{table, "", std::string(differs::TableGone), table, ""}};
    std::vector<FormDifference> out;
    comparePages(*forms, PageCount(static_cast<std::int16_t>(definition->Fields.size())), out);
    const std::vector<PlacedField> fields = FieldsOfForms(*forms);
    const std::int16_t jap = FormLanguage(fields, *definition, fallbackJap);
    for (const FieldChange& change : DiffFields(fields, FieldEntriesOf(*definition, jap, odbc, false)))
        out.push_back({table, change.field, std::string(change.what), change.workbook, change.database});
    return out;
}

}  // namespace kolumbra
