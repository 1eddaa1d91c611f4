#include "layoutbook/export_driver.h"

#include <string>
#include <vector>

#include "catalog/connection.h"

namespace kolumbra {

namespace {

std::vector<std::string> selectedTables(WindowServices& window) {
    std::vector<std::string> tables;
    for (int i = 0; i < window.ListCount(); ++i) {
        if (window.ListSelected(i)) tables.push_back(window.ListItem(i));
    }
    return tables;
}

// Puts the pointer back even when the database
// engine fails while a definition is read.
class BusyPointer {
public:
    explicit BusyPointer(WindowServices& window) : window_(window) { window_.SetHourglass(true); }
    ~BusyPointer() { window_.SetHourglass(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    WindowServices& window_;
};

void showStep(Session& session, const ExportProgress& step) {
    WindowServices& window = session.window;
    switch (step.kind) {
        case ExportProgress::Kind::TableStarted:
            session.CurrentTable = step.table;
            window.SetStatusPanel(2, step.table);
            window.RefreshStatus();
            break;
        case ExportProgress::Kind::BarStarted:
            window.SetProgressMax(step.amount);
            window.SetProgressValue(0);
            window.RefreshProgress();
            break;
        case ExportProgress::Kind::BarAdvanced:
            window.SetProgressValue(window.ProgressValue() + static_cast<float>(step.amount));
            window.RefreshProgress();
            break;
        case ExportProgress::Kind::PageAdded:
            window.Pause(400);
            break;
        case ExportProgress::Kind::BarCleared:
            window.SetProgressValue(0);
            break;
        case ExportProgress::Kind::TableFinished:
            if (step.report->error) ReportSheetError(window, *step.report->error);
            window.SetStatusPanel(2, "");
            window.RefreshStatus();
            break;
    }
}

}  // namespace

layoutbook::LayoutRequest LayoutRequestOf(Session& session, const std::vector<std::string>& tables) {
    layoutbook::LayoutRequest request;
    request.database = session.gDb.get();
    request.databaseName = session.DbName;
    request.odbc = IsOdbcMode(session.window.Text1());
    request.tables = tables;
    request.output = session.window.Text2();
    request.options = {session.gJap, session.gMkname, session.gRemarks != 0, session.gRefresh != 0};
    return request;
}

void ShowRequestFault(WindowServices& window, layoutbook::RequestFault fault) {
    switch (fault) {
        case layoutbook::RequestFault::None:
            break;
        case layoutbook::RequestFault::NoTable:
            window.MsgBox("書き出すﾃｰﾌﾞﾙを選択してください。", Buttons::Ok, Icon::Exclamation, "確認");
            break;
        case layoutbook::RequestFault::NotWorkbookPath:
            window.MsgBox("Out_xlsはｴｸｾﾙｼｰﾄを指定してください", Buttons::Ok, Icon::Exclamation, "確認");
            break;
    }
}

layoutbook::SameName AskSameName(WindowServices& window, const std::string& sheetName) {
    const Answer answer = window.MsgBox(
        "ｼｰﾄ作成時に同一名ｼｰﾄを検出しました｡ " + sheetName + "\r" + "上書きします、よろしいですか？",
        Buttons::OkCancel, Icon::Exclamation, "確認");
    return answer == Answer::Ok ? layoutbook::SameName::Replace : layoutbook::SameName::Keep;
}

void ReportSheetError(WindowServices& window, const RuntimeError& error) {
    window.MsgBox("ｴﾗｰが発生しました" + std::string("\r") + error.description(), Buttons::Ok, Icon::Critical, "ｴﾗｰ");
}

ProgressCallback WindowProgress(Session& session) {
    return [&session](const ExportProgress& step) { showStep(session, step); };
}

void ShowCompletion(WindowServices& window, const std::string& output, const ExportResult& result) {
    if (result.fileError) ReportSheetError(window, *result.fileError);
    if (result.SheetsSaved().empty()) return;
    window.MsgBox(FileNameOfPath(output) + "が作成されました", Buttons::Ok, Icon::None, "完了");
}

void Command4_Click(Session& session, ExportState& state) {
    WindowServices& window = session.window;
    const layoutbook::LayoutRequest request = LayoutRequestOf(session, selectedTables(window));
    if (const auto fault = layoutbook::CheckLayoutRequest(request); fault != layoutbook::RequestFault::None) {
        ShowRequestFault(window, fault);
        return;
    }
    const Answer answer = window.MsgBox(
        "ﾃｰﾌﾞﾙﾚｲｱｳﾄの書出しを開始します｡起動中のｴｸｾﾙﾌｧｲﾙは終了して下さい｡" + std::string("\r") + "よろしいですか？",
        Buttons::OkCancel, Icon::Exclamation, "確認");
    if (answer != Answer::Ok) return;

    ExportResult result;
    {
        BusyPointer busy(window);
        const layoutbook::LayoutCallbacks callbacks{
            WindowProgress(session), [&window](const std::string& name) { return AskSameName(window, name); }};
        result = layoutbook::ExportLayoutBook(request, callbacks, state);
    }
    ShowCompletion(window, request.output, result);
}

}  // namespace kolumbra
