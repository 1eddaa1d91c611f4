#include "layoutbook/table_fields.h"

#include "catalog/field_type_name.h"
#include "layoutbook/index_marks.h"

namespace kolumbra {

std::vector<FieldEntry> FieldEntriesOf(const db::TableDef& definition, std::int16_t jap, bool odbc, bool remarks) {
    ExportState state;
    state.FieldCount = static_cast<std::int16_t>(definition.Fields.size());
    ReserveFieldBuffer(state, definition.Fields.size());
    for (std::size_t k = 0; k < definition.Fields.size(); ++k) {
        const db::Field& field = definition.Fields[k];
        FieldEntry& entry = state.FieldBuffer[k];
        entry.FieldName = field.Name;
        entry.TypeText = FieldTypeName(field.Type, jap);
        entry.SizeText = std::to_string(field.Size);
        if (remarks) entry.Remarks = field.Description;
    }
    for (const db::Index& index : definition.Indexes) MarkIndex(state, index, odbc);
    state.FieldBuffer.resize(definition.Fields.size());
    return std::move(state.FieldBuffer);
}

std::string KeyCellText(const FieldEntry& entry) { return entry.UniqueFlag == -1 ? entry.KeyMark + "U" : entry.KeyMark; }

}  // namespace kolumbra
