#pragma once
// The workbook export without a window: writes the table-definition sheets
// of the requested tables and says what became of each.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/export_report.h"
#include "engine/db/database.h"
#include "layoutbook/export_state.h"

namespace kolumbra::layoutbook {

struct LayoutOptions {
    std::int16_t jap = 0;  // non-zero: Japanese field-type names
    std::string author;    // printed on every sheet
    bool remarks = false;  // descriptions go in the remarks boxes
    // A table's existing forms are brought up to date in place; changes
    // go to the change history.
    bool refresh = false;
};

struct LayoutRequest {
    db::Database* database = nullptr;  // the open database; null finds no table
    std::string databaseName;          // its display name, printed on every sheet
    bool odbc = false;                 // index marks by the rules of an ODBC source
    std::vector<std::string> tables;   // in list order
    std::string output;                // the workbook file
    LayoutOptions options;
};

enum class SameName { Replace, Keep };

struct LayoutCallbacks {
    ProgressCallback progress;
    // Asked when the workbook already has a sheet of the page's name (letter
    // case ignored, as the workbook compares names); none keeps the sheet.
    std::function<SameName(const std::string& sheetName)> sameName;
};

// Where the request cannot go ahead at all.
enum class RequestFault { None, NoTable, NotWorkbookPath };
RequestFault CheckLayoutRequest(const LayoutRequest& request);

// Claims the workbook for the whole command (common/file_lock.h): one that
// another program holds is left untouched and fails the request as a whole.
// Writes each table's pages after the workbook's sheets, saving after every
// page. A table that fails or keeps a sheet stops there; the next goes on.
// `state` holds the field buffer and the workbook while a table is written.
ExportResult ExportLayoutBook(const LayoutRequest& request, const LayoutCallbacks& callbacks, ExportState& state);

}  // namespace kolumbra::layoutbook
