#include "layoutbook/table_sheets.h"

#include <cmath>
#include <filesystem>
#include <fstream>

#include "common/runtime_error.h"
#include "common/text.h"
#include "layoutbook/sheet_page.h"

namespace kolumbra {

namespace {

// The standard font applies to the workbooks created from now on; the
// instance that set it is ended at once.
void setStandardFont(ExportState& state) {
    state.OutBook = sheet::CreateWorkbook();
    state.OutBook->GetApplication().SetStandardFont("ＭＳ 明朝");
    state.OutBook->GetApplication().SetStandardFontSize(10);
    state.OutBook->GetApplication().Quit();
    state.OutBook.reset();
}

// Binds OutBook to the workbook at `path`, creating the file first when
// there is none.
void openOrCreate(ExportState& state, const std::string& path) {
    if (!FileExists(path)) {
        state.OutBook = sheet::CreateWorkbook();
        state.OutBook->SaveAs(path);
        state.OutBook->GetApplication().Quit();
        state.OutBook.reset();
    }
    state.OutBook = sheet::GetWorkbook(path);
}

// Ends the engine instance of OutBook and lets the workbook go.
void releaseBook(ExportState& state) {
    state.OutSheet.reset();
    if (state.OutBook) state.OutBook->GetApplication().Quit();
    state.OutBook.reset();
}

// On the error path the instance is ended too, without a save, so that the
// failed page stays out of the file and no instance is left behind.
void releaseAfterError(ExportState& state) {
    try {
        releaseBook(state);
    } catch (const RuntimeError&) {
        state.OutSheet.reset();
        state.OutBook.reset();
    }
}

// Asks before a sheet of the same name is replaced; false when declined.
bool replaceSameNameSheet(Session& session, ExportState& state, const std::string& name) {
    const std::int16_t position = FindSheetIndex(state, name);
    if (position == 0) return true;
    const Answer answer = session.window.MsgBox(
        "ｼｰﾄ作成時に同一名ｼｰﾄを検出しました｡ " + name + "\r" + "上書きします、よろしいですか？",
        Buttons::OkCancel, Icon::Exclamation, "確認");
    if (answer != Answer::Ok) return false;
    auto& application = state.OutBook->GetApplication();
    application.SetDisplayAlerts(false);
    state.OutBook->GetSheets().Item(position).Delete();
    application.SetDisplayAlerts(true);
    return true;
}

// Adds and builds page `page`, then saves; false when the user declined to
// replace a sheet of the same name.
bool writePage(Session& session, ExportState& state, std::int16_t page, std::int16_t pages) {
    const std::string name = SheetNameOf(session.CurrentTable, page, pages);
    if (!replaceSameNameSheet(session, state, name)) return false;

    auto sheets = state.OutBook->GetSheets();
    const int last = sheets.Count();
    sheets.Add(sheets.Item(last));
    sheets.Item(last + 1).SetName(name);

    AdvanceProgress(session.window, state.ProgressStep);
    session.window.Pause(400);

    state.OutSheet = sheets.Item(last + 1);
    BuildSheetPage(session, state, page, pages);

    auto window = state.OutBook->Windows(1);
    window.SetVisible(true);
    window.SetWindowState(sheet::xl::Maximized);
    state.OutBook->Save();
    state.OutSheet.reset();
    return true;
}

void writeAllPages(Session& session, ExportState& state) {
    state.OutBook.reset();
    setStandardFont(state);
    openOrCreate(state, session.window.Text2());

    const std::int16_t pages = PageCount(state.FieldCount);
    state.ProgressStep = ProgressStepFor(pages);
    session.window.SetProgressMax(pages * 6 * state.ProgressStep);
    session.window.SetProgressValue(0);
    session.window.RefreshProgress();

    for (std::int16_t page = 1; page <= pages; ++page) {
        if (!writePage(session, state, page, pages)) {
            releaseBook(state);
            return;
        }
    }
    releaseBook(state);
    session.window.SetProgressValue(0);
}

}  // namespace

std::int16_t PageCount(std::int16_t fieldCount) { return static_cast<std::int16_t>(fieldCount / FieldsPerPage + 1); }

std::int16_t ProgressStepFor(std::int16_t pages) {
    return static_cast<std::int16_t>(std::nearbyint(100.0 / (pages * 6.0)));
}

std::string SheetNameOf(const std::string& table, std::int16_t page, std::int16_t pages) {
    if (pages == 1) return text::LeftChars(table, 30);
    return text::LeftChars(table, 26) + "_" + text::SignedNumberText(page);
}

std::int16_t FindSheetIndex(ExportState& state, const std::string& name) {
    auto sheets = state.OutBook->GetSheets();
    const int count = sheets.Count();
    for (int number = 1; number <= count; ++number) {
        if (sheets.Item(number).Name() == name) return static_cast<std::int16_t>(number);
    }
    return 0;
}

bool FileExists(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    std::ifstream file(path, std::ios::binary);
    return file.is_open();
}

void ReportSheetError(WindowServices& window, const RuntimeError& error) {
    window.MsgBox("ｴﾗｰが発生しました" + std::string("\r") + error.description(), Buttons::Ok, Icon::Critical, "ｴﾗｰ");
}

void WriteTableSheets(Session& session, ExportState& state) {
    try {
        writeAllPages(session, state);
    } catch (const RuntimeError& error) {
        ReportSheetError(session.window, error);
        releaseAfterError(state);
    }
}

}  // namespace kolumbra
