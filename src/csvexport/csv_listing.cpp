#include "csvexport/csv_listing.h"

#include <vector>

namespace kolumbra {

namespace {

std::vector<std::string> selectedTables(WindowServices& window) {
    std::vector<std::string> tables;
    for (int i = 0; i < window.ListCount(); ++i) {
        if (window.ListSelected(i)) tables.push_back(window.ListItem(i));
    }
    return tables;
}

}  // namespace

void ShowListingFault(WindowServices& window, csvexport::RequestFault fault) {
    switch (fault) {
        case csvexport::RequestFault::None:
            break;
        case csvexport::RequestFault::NoFileName:
            window.MsgBox("出力ﾌｧｲﾙ名を入力してください。", Buttons::Ok, Icon::None, "確認");
            break;
        case csvexport::RequestFault::NotCsvPath:
            window.MsgBox("CSVﾌｧｲﾙを指定してください。", Buttons::Ok, Icon::None, "確認");
            break;
    }
}

void ShowListingStep(WindowServices& window, const ExportProgress& step) {
    if (step.kind != ExportProgress::Kind::TableFinished || !step.report->error) return;
    const RuntimeError& error = *step.report->error;
    window.MsgBox("書き込みできませんでした\r" + step.table + "\r" + std::to_string(error.number()) + " " +
                      error.description(),
                  Buttons::Ok, Icon::None, "完了");
}

void ShowListingDone(WindowServices& window, const std::string& path, const ExportResult& result) {
    if (result.fileError) {
        // Who holds the file, and the lock file to remove after a crash.
        const bool inUse = result.fileError->number() == err::FileAlreadyOpen;
        window.MsgBox("書き込みできませんでした" + (inUse ? "\r" + result.fileError->description() : ""), Buttons::Ok,
                      Icon::None, "完了");
        return;
    }
    window.MsgBox(path + "を確認して下さい", Buttons::Ok, Icon::None, "完了");
}

void Command3_Click(Session& session) {
    csvexport::DiskListingStore disk;
    Command3_Click(session, disk);
}

void Command3_Click(Session& session, csvexport::ListingStore& store) {
    WindowServices& window = session.window;
    const csvexport::ListingRequest request{session.gDb.get(), selectedTables(window), window.Text3(), session.gJap};
    if (const auto fault = csvexport::CheckListingRequest(request); fault != csvexport::RequestFault::None) {
        ShowListingFault(window, fault);
        return;
    }
    const ExportResult result = csvexport::WriteListing(request, store, [&](const ExportProgress& step) {
        if (step.kind == ExportProgress::Kind::TableStarted) session.CurrentTable = step.table;
        ShowListingStep(window, step);
    });
    ShowListingDone(window, request.path, result);
}

}  // namespace kolumbra
