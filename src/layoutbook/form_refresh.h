#pragma once
// Bringing a table's forms up to date in place: the program's cells are
// written again from the field buffer, what people typed for a field moves
// with the field, and every other cell, format and sheet stays.

#include <string>
#include <vector>

#include "common/export_report.h"
#include "layoutbook/change_history.h"
#include "layoutbook/export_state.h"
#include "layoutbook/form_reader.h"
#include "layoutbook/layout_export.h"
#include "layoutbook/sheet_page.h"

namespace kolumbra {

// What a refresh did to one table's forms.
struct RefreshOutcome {
    bool changed = false;  // any cell written, any page added or removed
    std::vector<HistoryRow> history;
};

// Brings `forms`, the pages of the heading's table in OutBook, in line with
// the field buffer: pages that are needed and missing are built after the
// table's last sheet, a surplus page goes only when nothing typed is left
// on it. Nothing is saved. Engine failures pass to the caller.
RefreshOutcome RefreshTableForms(ExportState& state, const PageHeading& heading, const ProgressCallback& progress,
                                 const TableForms& forms);

// Records in the history of the request's workbook each table that has
// forms there but is no longer an ordinary table of the database, once;
// the forms stay as they are. A failure goes into the report.
void RecordRemovedTables(const layoutbook::LayoutRequest& request, TableReport& report);

}  // namespace kolumbra
