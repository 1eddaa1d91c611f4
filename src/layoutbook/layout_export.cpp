#include "layoutbook/layout_export.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "catalog/table_catalogue.h"
#include "common/file_lock.h"
#include "common/text.h"
#include "engine/sheet/workbook.h"
#include "layoutbook/form_refresh.h"
#include "layoutbook/table_fields.h"
#include "layoutbook/table_sheets.h"

namespace kolumbra::layoutbook {

namespace {

// The extension chooses the format the engine writes: .xls, or an .xlsx
// or .xlsm package. Compared exactly: ".Xls" is none of them.
bool isWorkbookPath(const std::string& path) {
    for (const char* extension : {".xls", ".XLS", ".xlsx", ".XLSX", ".xlsm", ".XLSM"})
        if (path.ends_with(extension)) return true;
    return false;
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
    std::vector<FieldEntry> entries = FieldEntriesOf(*definition, request.options.jap, request.odbc, remarks);
    state.FieldCount = static_cast<std::int16_t>(entries.size());
    ReserveFieldBuffer(state, entries.size());
    std::move(entries.begin(), entries.end(), state.FieldBuffer.begin());
    if (remarks) state.TableRemarks = definition->Description;
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
