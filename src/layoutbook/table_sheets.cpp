#include "layoutbook/table_sheets.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>

#include "common/runtime_error.h"
#include "common/text.h"
#include "engine/sheet/sheet_name.h"
#include "layoutbook/change_history.h"
#include "layoutbook/form_check.h"
#include "layoutbook/form_refresh.h"
#include "layoutbook/sheet_page.h"

namespace kolumbra {

using layoutbook::LayoutOptions;

namespace {

constexpr std::size_t MaxSheetNameLength = 31;

// The standard font applies to the workbooks created from now on; the
// instance that set it is ended at once.
void setStandardFont(ExportState& state) {
    state.OutBook = sheet::CreateWorkbook();
    state.OutBook->GetApplication().SetStandardFont("ＭＳ 明朝");
    state.OutBook->GetApplication().SetStandardFontSize(10);
    state.OutBook->GetApplication().Quit();
    state.OutBook.reset();
}

// True when nothing at all is at `path`, not even a dangling link.
bool nothingAt(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

// Why something at `path` cannot be bound as a workbook file.
RuntimeError unusablePath(const std::string& path) {
    const std::string start = "'" + path + "' を読み込めません。";
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == EACCES) return RuntimeError(err::PermissionDenied, start + "アクセスが拒否されました。");
        if (errno == ENOENT) return RuntimeError(err::PathFileAccess, start + "リンク先がありません。");
        return RuntimeError(err::PathFileAccess, start + "パスを調べられません。");
    }
    if (S_ISDIR(info.st_mode)) return RuntimeError(err::PathFileAccess, start + "フォルダーです。");
    if (!S_ISREG(info.st_mode)) return RuntimeError(err::PathFileAccess, start + "通常のファイルではありません。");
    return RuntimeError(err::PermissionDenied, start + "読み取りの権限がありません。");
}

// Binds OutBook to the workbook at `path`, creating the file first when
// nothing is there. Whatever is there and cannot be read as a file (a file
// without read permission, a folder, a FIFO) is left alone and reported:
// creating a workbook over it would lose what it holds.
void openOrCreate(ExportState& state, const std::string& path) {
    if (nothingAt(path)) {
        state.OutBook = sheet::CreateWorkbook();
        state.OutBook->SaveAs(path);
        state.OutBook->GetApplication().Quit();
        state.OutBook.reset();
    } else if (!FileExists(path)) {
        throw unusablePath(path);
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

bool savedThisCommand(const ExportState& state, const std::string& name) {
    return std::any_of(state.SheetsSaved.begin(), state.SheetsSaved.end(),
                       [&](const std::string& saved) { return sheet::SameSheetName(saved, name); });
}

// The name for a page. A name this command has already given a sheet (two
// long table names that agree in their first 30 characters) is not taken
// over: the later sheet gets "~2", "~3", ... after the name, whose table
// part is cut to fit so that the page number stays whole. A sheet of that
// name from before the command is asked about as any other, so that running
// the command again replaces the sheets it wrote before.
std::string unusedSheetName(const ExportState& state, const std::string& table, std::int16_t page, std::int16_t pages) {
    const std::string name = SheetNameOf(table, page, pages);
    if (!savedThisCommand(state, name)) return name;
    // Built by appending: GCC 12 at -O3 raises a false -Wrestrict on a
    // literal prepended to a temporary string.
    std::string pagePart;
    if (pages != 1) {
        pagePart = '_';
        pagePart += text::SignedNumberText(page);
    }
    const std::string tablePart = text::LeftChars(table, pages == 1 ? 30 : 26);
    for (int n = 2;; ++n) {
        std::string suffix(pagePart);
        suffix += '~';
        suffix += std::to_string(n);
        const std::string candidate = text::LeftChars(tablePart, MaxSheetNameLength - suffix.size()) + suffix;
        if (!savedThisCommand(state, candidate)) return candidate;
    }
}

// The position of a sheet of the same name that may be replaced, 0 when
// there is none, nothing when it is kept.
std::optional<std::int16_t> sheetToReplace(const layoutbook::LayoutCallbacks& callbacks, ExportState& state,
                                           const std::string& name) {
    const std::int16_t position = FindSheetIndex(state, name);
    if (position == 0) return position;
    if (!callbacks.sameName || callbacks.sameName(name) != layoutbook::SameName::Replace) return std::nullopt;
    return position;
}

void deleteSheet(ExportState& state, std::int16_t position) {
    auto& application = state.OutBook->GetApplication();
    application.SetDisplayAlerts(false);
    state.OutBook->GetSheets().Item(position).Delete();
    application.SetDisplayAlerts(true);
}

void progress(const layoutbook::LayoutCallbacks& callbacks, ExportProgress::Kind kind, const std::string& table,
              int amount = 0) {
    if (callbacks.progress) callbacks.progress({kind, table, amount});
}

struct TableJob {
    const layoutbook::LayoutRequest& request;
    const layoutbook::LayoutCallbacks& callbacks;
    PageHeading heading;
    TableReport& report;
};

// Adds and builds page `page`, then saves; false when a sheet of the same
// name was kept.
bool writePage(TableJob& job, ExportState& state, std::int16_t page, std::int16_t pages) {
    const std::string& table = job.heading.table;
    const std::string name = unusedSheetName(state, table, page, pages);
    const std::optional<std::int16_t> replaced = sheetToReplace(job.callbacks, state, name);
    if (!replaced) return false;

    // The new sheet is added before the old one is deleted, so that even the
    // workbook's only sheet can be replaced; the new one still ends up last,
    // or last among the forms, before the change history, with refresh on.
    auto sheets = state.OutBook->GetSheets();
    const int history = job.request.options.refresh ? HistorySheetPosition(*state.OutBook) : 0;
    sheet::Worksheet added = sheets.Add(sheets.Item(history > 1 ? history - 1 : sheets.Count()));
    if (*replaced != 0) deleteSheet(state, *replaced);
    added.SetName(name);

    AdvanceProgress(job.callbacks.progress, table, state.ProgressStep);
    progress(job.callbacks, ExportProgress::Kind::PageAdded, table);

    state.OutSheet = added;
    BuildSheetPage(state, job.heading, page, pages, job.callbacks.progress);

    auto window = state.OutBook->Windows(1);
    window.SetVisible(true);
    window.SetWindowState(sheet::xl::Maximized);
    state.OutBook->Save();
    state.OutSheet.reset();
    state.SheetsSaved.push_back(name);
    job.report.sheets.push_back(name);
    return true;
}

// Brings the table's forms up to date and saves them with their history
// rows in one save, so that a failure leaves every sheet as it was.
void refreshPages(TableJob& job, ExportState& state, const TableForms& forms) {
    const RefreshOutcome outcome = RefreshTableForms(state, job.heading, job.callbacks.progress, forms);
    if (outcome.changed) {
        AppendHistory(*state.OutBook, outcome.history, HistoryDate());
        state.OutBook->Save();
        ++state.TablesRefreshed;
    } else {
        ++state.TablesUnchanged;
    }
    for (const FormPage& page : forms.pages) job.report.sheets.push_back(page.sheetName);
}

void writeAllPages(TableJob& job, ExportState& state) {
    state.OutBook.reset();
    setStandardFont(state);
    openOrCreate(state, job.request.output);

    const std::int16_t pages = PageCount(state.FieldCount);
    state.ProgressStep = ProgressStepFor(pages);
    // A step that rounds to 0 would make a maximum of 0, which the window
    // shows as a busy bar that never ends.
    progress(job.callbacks, ExportProgress::Kind::BarStarted, job.heading.table, std::max(1, pages * 6 * state.ProgressStep));

    const bool refresh = job.request.options.refresh;
    TableForms forms = refresh ? FindTableForms(*state.OutBook, job.heading.table) : TableForms{};
    // The history is read only for the rare table with a surplus page.
    if (std::any_of(forms.pages.begin(), forms.pages.end(), [&](const FormPage& page) { return page.page > pages; }))
        DropKeptPages(forms, HistoryKeptPages(*state.OutBook, job.heading.table), pages);
    if (!forms.pages.empty()) {
        refreshPages(job, state, forms);
    } else {
        for (std::int16_t page = 1; page <= pages; ++page) {
            if (!writePage(job, state, page, pages)) {
                job.report.outcome = TableOutcome::NotReplaced;
                releaseBook(state);
                return;
            }
        }
        if (refresh) ++state.TablesAppended;
    }
    releaseBook(state);
    progress(job.callbacks, ExportProgress::Kind::BarCleared, job.heading.table);
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
        if (sheet::SameSheetName(sheets.Item(number).Name(), name)) return static_cast<std::int16_t>(number);
    }
    return 0;
}

bool FileExists(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    std::ifstream file(path, std::ios::binary);
    return file.is_open();
}

void WriteTableSheets(const layoutbook::LayoutRequest& request, const layoutbook::LayoutCallbacks& callbacks,
                      ExportState& state, TableReport& report) {
    const LayoutOptions& options = request.options;
    TableJob job{request, callbacks, {report.table, request.databaseName, options.author, options.remarks}, report};
    try {
        writeAllPages(job, state);
    } catch (const RuntimeError& error) {
        report.outcome = TableOutcome::Failed;
        report.error = error;
        releaseAfterError(state);
    }
}

}  // namespace kolumbra
