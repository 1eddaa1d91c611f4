#pragma once
// The workbook command: writes the table-definition sheets of the selected
// tables into the workbook named in Text2, with the window's questions and
// messages. kolumbra-cli shows the same messages through its console.

#include <string>

#include "catalog/session.h"
#include "common/runtime_error.h"
#include "common/window_services.h"
#include "layoutbook/export_state.h"
#include "layoutbook/layout_export.h"

namespace kolumbra {

void Command4_Click(Session& session, ExportState& state);

// The request the window's boxes, list and settings make.
layoutbook::LayoutRequest LayoutRequestOf(Session& session, const std::vector<std::string>& tables);

// The message of a request that cannot go ahead; nothing for None.
void ShowRequestFault(WindowServices& window, layoutbook::RequestFault fault);

// The same-name question; Replace on OK.
layoutbook::SameName AskSameName(WindowServices& window, const std::string& sheetName);

// The error report of the sheet writer: "ｴﾗｰが発生しました", CR and the
// error's description, with the critical icon.
void ReportSheetError(WindowServices& window, const RuntimeError& error);

// The window's view of the export: status panel 2, the progress bar, the
// pause after each added page and the error of a failed table.
ProgressCallback WindowProgress(Session& session);

// The completion notice, when the result saved any sheet at all: where
// nothing was saved, the errors already shown are the whole report. A
// workbook another program holds is reported here, as the writer's error.
void ShowCompletion(WindowServices& window, const std::string& output, const ExportResult& result);

}  // namespace kolumbra
