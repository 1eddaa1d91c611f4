#include "layoutbook/layout_export.h"

#include <optional>
#include <string>

#include "catalog/field_type_name.h"
#include "catalog/table_catalogue.h"
#include "common/file_lock.h"
#include "common/text.h"
#include "engine/sheet/workbook.h"
#include "layoutbook/form_refresh.h"
#include "layoutbook/index_marks.h"
#include "layoutbook/table_sheets.h"

namespace kolumbra::layoutbook {

namespace {

bool isWorkbookPath(const std::string& path) {
    const std::string extension = text::RightChars(path, 4);
    return extension == ".xls" || extension == ".XLS";
}

// Fills the field buffer from the definition of `table`: names, type names,
// sizes and the index marks. An unknown table leaves it empty; false then.
bool readTableFields(const LayoutRequest& request, TableCatalogue& catalogue, const std::string& table,
                     ExportState& state) {
    ClearFieldBuffer(state);
    state.FieldCount = 0;
    const std::optional<db::TableDef> definition = catalogue.Find(table);
    if (!definition) return false;

    const bool remarks = request.options.remarks;
    state.FieldCount = static_cast<std::int16_t>(definition->Fields.size());
    ReserveFieldBuffer(state, definition->Fields.size());
    for (std::size_t k = 0; k < definition->Fields.size(); ++k) {
        const db::Field& field = definition->Fields[k];
        FieldEntry& entry = state.FieldBuffer[k];
        entry.FieldName = field.Name;
        entry.TypeText = FieldTypeName(field.Type, request.options.jap);
        entry.SizeText = std::to_string(field.Size);
        if (remarks) entry.Remarks = field.Description;
    }
    if (remarks) state.TableRemarks = definition->Description;
    for (const db::Index& index : definition->Indexes) MarkIndex(state, index, request.odbc);
    return true;
}

// A database failure while the definition is read (a lost connection, a
// damaged catalogue) fails the table like a failure while writing; the
// table then gets no sheet, as a form with part of its fields would pass
// for the whole definition.
TableReport exportTable(const LayoutRequest& request, const LayoutCallbacks& callbacks, TableCatalogue& catalogue,
                        const std::string& table, ExportState& state) {
    TableReport report;
    report.table = table;
    try {
        report.found = readTableFields(request, catalogue, table, state);
    } catch (const RuntimeError& error) {
        report.outcome = TableOutcome::Failed;
        report.error = error;
        return report;
    }
    WriteTableSheets(request, callbacks, state, report);
    return report;
}

}  // namespace

RequestFault CheckLayoutRequest(const LayoutRequest& request) {
    if (request.tables.empty()) return RequestFault::NoTable;
    if (!isWorkbookPath(request.output)) return RequestFault::NotWorkbookPath;
    return RequestFault::None;
}

ExportResult ExportLayoutBook(const LayoutRequest& request, const LayoutCallbacks& callbacks, ExportState& state) {
    ExportResult result;
    state.SheetsSaved.clear();
    std::optional<FileLock> claim;
    try {
        claim.emplace(request.output);
    } catch (const RuntimeError& error) {
        result.fileError = error;
        return result;
    }
    TableCatalogue catalogue(request.database);
    catalogue.ExpectDefinitionsOf(request.tables);
    for (const std::string& table : request.tables) {
        if (callbacks.progress) callbacks.progress({ExportProgress::Kind::TableStarted, table});
        result.tables.push_back(exportTable(request, callbacks, catalogue, table, state));
        if (callbacks.progress) callbacks.progress({ExportProgress::Kind::TableFinished, table, 0, &result.tables.back()});
    }
    if (request.options.refresh) {
        TableReport history;
        RecordRemovedTables(request, history);
        if (!history.sheets.empty() || history.error) {
            result.tables.push_back(std::move(history));
            if (callbacks.progress && result.tables.back().error)
                callbacks.progress({ExportProgress::Kind::TableFinished, result.tables.back().table, 0, &result.tables.back()});
        }
    }
    sheet::CompactSavedWorkbook();
    return result;
}

}  // namespace kolumbra::layoutbook
