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

std::vector<PlacedField> FieldsOfForms(const TableForms& forms) {
    std::vector<PlacedField> fields;
    for (const FormPage& page : forms.pages) {
        for (const FormField& field : page.fields)
            fields.push_back({&field, (page.page - 1) * FieldsPerPage + field.row - form::CaptionRow});
    }
    return fields;
}

int FieldIndexOf(const db::TableDef& definition, std::string_view name) {
    for (std::size_t k = 0; k < definition.Fields.size(); ++k) {
        if (definition.Fields[k].Name == name) return static_cast<int>(k);
    }
    return -1;
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

std::vector<bool> KeepsItsPlace(const std::vector<PlacedField>& form, const db::TableDef& definition) {
    // The longest run of common fields in the same order on both sides
    // keeps its place; every other common field moved.
    std::vector<int> formOrder;  // database indexes, in form order
    for (const PlacedField& placed : form) {
        const int index = FieldIndexOf(definition, placed.field->name);
        if (index >= 0 && std::find(formOrder.begin(), formOrder.end(), index) == formOrder.end())
            formOrder.push_back(index);
    }
    std::vector<int> databaseOrder = formOrder;
    std::sort(databaseOrder.begin(), databaseOrder.end());
    const std::size_t n = formOrder.size();
    std::vector<std::vector<int>> longest(n + 1, std::vector<int>(n + 1, 0));
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t j = n; j-- > 0;) {
            longest[i][j] = formOrder[i] == databaseOrder[j] ? longest[i + 1][j + 1] + 1
                                                             : std::max(longest[i + 1][j], longest[i][j + 1]);
        }
    }
    std::vector<bool> keeps(definition.Fields.size(), true);
    for (int index : formOrder) keeps[static_cast<std::size_t>(index)] = false;
    for (std::size_t i = 0, j = 0; i < n && j < n;) {
        if (formOrder[i] == databaseOrder[j]) {
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

std::vector<FormDifference> CompareTable(const std::string& table, const TableForms* forms,
                                         const db::TableDef* definition, bool odbc, std::int16_t fallbackJap) {
    if (!forms) return {{table, "", std::string(differs::NoForm), "", table}};
    if (!definition) return {{table, "", std::string(differs::TableGone), table, ""}};
    std::vector<FormDifference> out;
    comparePages(*forms, PageCount(static_cast<std::int16_t>(definition->Fields.size())), out);

    const std::vector<PlacedField> fields = FieldsOfForms(*forms);
    const std::int16_t jap = FormLanguage(fields, *definition, fallbackJap);
    const std::vector<FieldEntry> entries = FieldEntriesOf(*definition, jap, odbc, false);
    const std::vector<bool> keeps = KeepsItsPlace(fields, *definition);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const FieldEntry& entry = entries[k];
        const std::string position = std::to_string(k + 1);
        const PlacedField* placed = formFieldNamed(fields, entry.FieldName);
        const auto differ = [&](std::string_view what, const std::string& workbook, const std::string& database) {
            if (workbook != database) out.push_back({table, entry.FieldName, std::string(what), workbook, database});
        };
        if (!placed) {
            out.push_back({table, entry.FieldName, std::string(differs::FieldAdded), "", position});
            continue;
        }
        const FormField& field = *placed->field;
        if (!keeps[k]) differ(differs::Position, std::to_string(placed->position), position);
        differ(differs::Type, field.type, entry.TypeText);
        differ(differs::Size, field.size, entry.SizeText);
        differ(differs::Marks, field.keyMark + field.indexMark, KeyCellText(entry) + entry.IndexMark);
    }
    for (const PlacedField& placed : fields) {
        if (FieldIndexOf(*definition, placed.field->name) < 0)
            out.push_back({table, placed.field->name, std::string(differs::FieldRemoved), std::to_string(placed.position), ""});
    }
    return out;
}

}  // namespace kolumbra
