#include "engine/sheet/workbook.h"

#include <cmath>

#include "common/runtime_error.h"
#include "common/text.h"
#include "engine/sheet/address.h"
#include "engine/sheet/book.h"
#include "engine/sheet/cell_value.h"
#include "engine/sheet/range_ops.h"

namespace kolumbra::sheet {

using detail::Book;
using detail::SheetEntry;

struct Sheets::Target {
    std::shared_ptr<Book> book;
};
struct Worksheet::Target {
    std::shared_ptr<Book> book;
    std::shared_ptr<SheetEntry> sheet;
};
struct Range::Target {
    std::shared_ptr<Book> book;
    std::shared_ptr<SheetEntry> sheet;
    Rect area;
};
struct Border::Target {
    std::shared_ptr<Book> book;
    std::shared_ptr<SheetEntry> sheet;
    Rect area;
    int edge;
};
struct PageSetup::Target {
    std::shared_ptr<Book> book;
    std::shared_ptr<SheetEntry> sheet;
};
struct Window::Target {
    std::shared_ptr<Book> book;
};

namespace {

constexpr int MaxTextLength = 32767;

[[noreturn]] void RefuseValue(const std::string& property) {
    throw RuntimeError(err::ApplicationDefined, property + " プロパティにこの値は設定できません。");
}

PageSettings& EditPage(const std::shared_ptr<Book>& book, SheetEntry& sheet) { return book->Edit(sheet).Page(); }

}  // namespace

std::shared_ptr<Workbook> CreateWorkbook() { return std::shared_ptr<Workbook>(new Workbook(Book::Create())); }

std::shared_ptr<Workbook> GetWorkbook(const std::string& path) {
    return std::shared_ptr<Workbook>(new Workbook(Book::Bind(path)));
}

void CompactSavedWorkbook() {
    std::shared_ptr<Book> book = detail::TakeSavedBook().second;
    if (!book) return;
    book->Compact();
    book->KeepIfUnchanged();
}

// ---- Border

Border::Border(std::shared_ptr<Target> target) : target_(std::move(target)) {}

void Border::SetLineStyle(int lineStyle) {
    const Target& t = *target_;
    ApplyBorder(t.book->Edit(*t.sheet), t.area, t.edge, BorderChange::LineStyle(lineStyle));
}

void Border::SetWeight(int weight) {
    const Target& t = *target_;
    ApplyBorder(t.book->Edit(*t.sheet), t.area, t.edge, BorderChange::Weight(weight));
}

void Border::SetColorIndex(int colorIndex) {
    const Target& t = *target_;
    ApplyBorder(t.book->Edit(*t.sheet), t.area, t.edge, BorderChange::ColorIndex(colorIndex));
}

// ---- Range

Range::Range(std::shared_ptr<Target> target) : target_(std::move(target)) {}

Border Range::Borders(int edge) {
    target_->book->CheckSheet(*target_->sheet);
    CheckEdge(edge);
    return Border(std::make_shared<Border::Target>(
        Border::Target{target_->book, target_->sheet, target_->area, edge}));
}

void Range::SetMergeCells(bool merge) {
    SheetModel& model = target_->book->Edit(*target_->sheet);
    if (merge) {
        model.Merge(target_->area);
    } else {
        model.Unmerge(target_->area);
    }
}

void Range::SetHorizontalAlignment(int alignment) {
    const std::uint8_t code = HorizontalAlignmentCode(alignment);
    SheetModel& model = target_->book->Edit(*target_->sheet);
    ForEachFormat(model, target_->area, [code](CellFormat& f) { f.hAlign = code; });
}

void Range::SetVerticalAlignment(int alignment) {
    const std::uint8_t code = VerticalAlignmentCode(alignment);
    SheetModel& model = target_->book->Edit(*target_->sheet);
    ForEachFormat(model, target_->area, [code](CellFormat& f) { f.vAlign = code; });
}

void Range::SetShrinkToFit(bool shrink) {
    SheetModel& model = target_->book->Edit(*target_->sheet);
    ForEachFormat(model, target_->area, [shrink](CellFormat& f) { f.shrinkToFit = shrink; });
}

void Range::Select() { target_->book->Select(*target_->sheet, target_->area); }

std::string Range::Value() const {
    return target_->book->ValueText(*target_->sheet, target_->area.r1, target_->area.c1);
}

std::vector<std::vector<std::string>> Range::Values() const {
    return target_->book->ValueTexts(*target_->sheet, target_->area);
}

std::vector<std::vector<CellMakeup>> Range::Makeups() const {
    return target_->book->CellMakeups(*target_->sheet, target_->area);
}

void Range::SetValue(const std::string& value) {
    if (text::Utf16Length(value) > MaxTextLength) RefuseValue("Value");
    const std::optional<double> number = PlainDecimal(value);
    if (!number) {
        SetText(value);
        return;
    }
    const Rect& a = target_->area;
    CheckCellCount(a);
    if (target_->book->EditsRecords(*target_->sheet)) {
        target_->book->SetRecordedValues(*target_->sheet, a, {0, 0, biff::CellEdit::Kind::Number, *number, 0}, "");
        return;
    }
    SheetModel& model = target_->book->Edit(*target_->sheet);
    for (int r = a.r1; r <= a.r2; ++r) {
        for (int c = a.c1; c <= a.c2; ++c) model.SetNumber(r, c, *number);
    }
}

void Range::SetText(const std::string& text) {
    if (text::Utf16Length(text) > MaxTextLength) RefuseValue("Value");
    const Rect& a = target_->area;
    CheckCellCount(a);
    if (target_->book->EditsRecords(*target_->sheet)) {
        // Cells of another application's sheet change in its records.
        const auto kind = text.empty() ? biff::CellEdit::Kind::Empty : biff::CellEdit::Kind::Text;
        target_->book->SetRecordedValues(*target_->sheet, a, {0, 0, kind, 0, 0}, text);
        return;
    }
    SheetModel& model = target_->book->Edit(*target_->sheet);
    for (int r = a.r1; r <= a.r2; ++r) {
        for (int c = a.c1; c <= a.c2; ++c) {
            if (text.empty()) {
                model.ClearValue(r, c);
            } else {
                model.SetText(r, c, text);
            }
        }
    }
}

void Range::SetColumnWidth(double characters) {
    if (!(characters >= 0 && characters <= 255)) RefuseValue("ColumnWidth");
    SheetModel& model = target_->book->Edit(*target_->sheet);
    for (int c = target_->area.c1; c <= target_->area.c2; ++c) model.SetColumnWidth(c, characters);
}

void Range::SetRowHeight(double points) {
    if (!(points >= 0 && points <= 409)) RefuseValue("RowHeight");
    SheetModel& model = target_->book->Edit(*target_->sheet);
    // Heights are stored in whole twips.
    const double rounded = std::round(points * 20) / 20;
    for (int r = target_->area.r1; r <= target_->area.r2; ++r) model.TouchRow(r).heightPoints = rounded;
}

// ---- PageSetup

PageSetup::PageSetup(std::shared_ptr<Target> target) : target_(std::move(target)) {}

void PageSetup::SetLeftMargin(double points) { EditPage(target_->book, *target_->sheet).left = MarginInches(points); }
void PageSetup::SetRightMargin(double points) { EditPage(target_->book, *target_->sheet).right = MarginInches(points); }
void PageSetup::SetTopMargin(double points) { EditPage(target_->book, *target_->sheet).top = MarginInches(points); }
void PageSetup::SetBottomMargin(double points) {
    EditPage(target_->book, *target_->sheet).bottom = MarginInches(points);
}
void PageSetup::SetHeaderMargin(double points) {
    EditPage(target_->book, *target_->sheet).header = MarginInches(points);
}
void PageSetup::SetFooterMargin(double points) {
    EditPage(target_->book, *target_->sheet).footer = MarginInches(points);
}

void PageSetup::SetPaperSize(int paper) {
    if (paper < 1 || paper > 255) RefuseValue("PaperSize");
    EditPage(target_->book, *target_->sheet).paper = static_cast<std::uint16_t>(paper);
}

void PageSetup::SetOrientation(int orientation) {
    if (orientation != xl::Portrait && orientation != 2) RefuseValue("Orientation");
    EditPage(target_->book, *target_->sheet).portrait = orientation == xl::Portrait;
}

void PageSetup::SetZoom(bool enabled) {
    PageSettings& page = EditPage(target_->book, *target_->sheet);
    page.fitToPage = !enabled;
    if (enabled) page.scale = 100;
}

void PageSetup::SetFitToPagesWide(int pages) {
    if (pages < 0 || pages > 32767) RefuseValue("FitToPagesWide");
    EditPage(target_->book, *target_->sheet).fitWide = static_cast<std::uint16_t>(pages);
}

void PageSetup::SetFitToPagesTall(int pages) {
    if (pages < 0 || pages > 32767) RefuseValue("FitToPagesTall");
    EditPage(target_->book, *target_->sheet).fitTall = static_cast<std::uint16_t>(pages);
}

// ---- Worksheet

Worksheet::Worksheet(std::shared_ptr<Target> target) : target_(std::move(target)) {}

std::string Worksheet::Name() const {
    target_->book->CheckSheet(*target_->sheet);
    return target_->sheet->name;
}

void Worksheet::SetName(const std::string& name) { target_->book->RenameSheet(*target_->sheet, name); }

void Worksheet::Delete() { target_->book->DeleteSheet(*target_->sheet); }
bool Worksheet::IsReferenced() const { return target_->book->IsReferenced(*target_->sheet); }

Range Worksheet::Cells(int row, int column) {
    target_->book->CheckSheet(*target_->sheet);
    if (row < 1 || row > MaxRows || column < 1 || column > MaxColumns)
        throw RuntimeError(err::ApplicationDefined, "アプリケーション定義またはオブジェクト定義のエラーです。");
    return Range(std::make_shared<Range::Target>(
        Range::Target{target_->book, target_->sheet, Rect{row - 1, column - 1, row - 1, column - 1}}));
}

Range Worksheet::GetRange(const std::string& address) {
    target_->book->CheckSheet(*target_->sheet);
    return Range(std::make_shared<Range::Target>(Range::Target{target_->book, target_->sheet, ParseAddress(address)}));
}

Range Worksheet::Columns(const std::string& address) {
    Rect area = GetRange(address).target_->area;
    area.r1 = 0;
    area.r2 = MaxRows - 1;
    return Range(std::make_shared<Range::Target>(Range::Target{target_->book, target_->sheet, area}));
}

Range Worksheet::Rows(const std::string& address) {
    Rect area = GetRange(address).target_->area;
    area.c1 = 0;
    area.c2 = MaxColumns - 1;
    return Range(std::make_shared<Range::Target>(Range::Target{target_->book, target_->sheet, area}));
}

PageSetup Worksheet::GetPageSetup() {
    target_->book->CheckSheet(*target_->sheet);
    return PageSetup(std::make_shared<PageSetup::Target>(PageSetup::Target{target_->book, target_->sheet}));
}

Application& Worksheet::GetApplication() {
    target_->book->CheckSheet(*target_->sheet);
    return target_->book->GetInstance().application;
}

// ---- Sheets

Sheets::Sheets(std::shared_ptr<Target> target) : target_(std::move(target)) {}

int Sheets::Count() const {
    target_->book->CheckRunning();
    return static_cast<int>(target_->book->Sheets().size());
}

Worksheet Sheets::Item(int number) {
    target_->book->CheckRunning();
    const auto& sheets = target_->book->Sheets();
    if (number < 1 || number > static_cast<int>(sheets.size())) throw RuntimeError(err::SubscriptOutOfRange);
    return Worksheet(std::make_shared<Worksheet::Target>(
        Worksheet::Target{target_->book, sheets[static_cast<std::size_t>(number - 1)]}));
}

Worksheet Sheets::Add(const Worksheet& after) {
    if (after.target_->book != target_->book)
        throw RuntimeError(err::ApplicationDefined, "Worksheets クラスの Add メソッドが失敗しました。");
    auto sheet = target_->book->AddSheetAfter(*after.target_->sheet);
    return Worksheet(std::make_shared<Worksheet::Target>(Worksheet::Target{target_->book, sheet}));
}

// ---- Window

Window::Window(std::shared_ptr<Target> target) : target_(std::move(target)) {}

void Window::SetVisible(bool visible) {
    target_->book->CheckRunning();
    target_->book->SetVisible(visible);
}

void Window::SetWindowState(int state) {
    constexpr int Minimized = -4140, Normal = -4143;
    target_->book->CheckRunning();
    if (state != xl::Maximized && state != Minimized && state != Normal) RefuseValue("WindowState");
    // The file keeps only whether the window is minimized.
    target_->book->SetMinimized(state == Minimized);
}

// ---- Application

Book& Application::CheckedBook() const {
    std::shared_ptr<Book> book = instance_->book.lock();
    if (!book || !instance_->running)
        throw RuntimeError(-2147417848,
                           "オートメーション エラーです。起動されたオブジェクトはクライアントから切断されました。");
    return *book;
}

void Application::SetStandardFont(const std::string& name) {
    CheckedBook();
    detail::SetStandardFontName(name);
}

void Application::SetStandardFontSize(double points) {
    CheckedBook();
    detail::SetStandardFontPoints(points);
}

std::string Application::StandardFont() const {
    CheckedBook();
    return detail::CurrentStandardFont().name;
}

double Application::StandardFontSize() const {
    CheckedBook();
    return detail::CurrentStandardFont().points;
}

void Application::SetDisplayAlerts(bool enabled) {
    CheckedBook();
    instance_->displayAlerts = enabled;
}

bool Application::DisplayAlerts() const {
    CheckedBook();
    return instance_->displayAlerts;
}

Range Application::Selection() {
    Book& book = CheckedBook();
    std::shared_ptr<SheetEntry> sheet = book.ActiveSheet();
    return Range(std::make_shared<Range::Target>(
        Range::Target{instance_->book.lock(), sheet, sheet->selection}));
}

void Application::Quit() {
    if (std::shared_ptr<Book> book = instance_->book.lock()) book->Quit();
    instance_->running = false;
}

// ---- Workbook

Workbook::Workbook(std::shared_ptr<Book> book) : book_(std::move(book)) {}

Application& Workbook::GetApplication() {
    book_->CheckRunning();
    return book_->GetInstance().application;
}

void Workbook::SaveAs(const std::string& path) { book_->SaveAs(path); }

void Workbook::Save() { book_->Save(); }

Sheets Workbook::GetSheets() {
    book_->CheckRunning();
    return Sheets(std::make_shared<Sheets::Target>(Sheets::Target{book_}));
}

Window Workbook::Windows(int index) {
    book_->CheckRunning();
    if (index != 1) throw RuntimeError(err::SubscriptOutOfRange);
    return Window(std::make_shared<Window::Target>(Window::Target{book_}));
}

}  // namespace kolumbra::sheet
