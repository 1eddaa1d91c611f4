#pragma once
// The workbook engine: an object model of applications, workbooks,
// worksheets and ranges that writes .xls (BIFF8) files itself. The layout
// code drives it one property at a time, like a spreadsheet application
// driven by automation. Every failure is a RuntimeError.
//
// Public interface: the signatures below are what the layout code relies
// on. Private members are the engine's own business.

#include <memory>
#include <string>
#include <vector>

namespace kolumbra::sheet {

// Values of the automation interface.
namespace xl {
inline constexpr int EdgeLeft = 7;
inline constexpr int EdgeTop = 8;
inline constexpr int EdgeBottom = 9;
inline constexpr int EdgeRight = 10;
inline constexpr int InsideHorizontal = 12;

inline constexpr int Continuous = 1;
inline constexpr int Double = -4119;

inline constexpr int Hairline = 1;
inline constexpr int Thin = 2;
inline constexpr int Medium = -4138;
inline constexpr int Thick = 4;

inline constexpr int ColorIndexAutomatic = -4105;

inline constexpr int HAlignCenter = -4108;
inline constexpr int HAlignLeft = -4131;
inline constexpr int HAlignRight = -4152;
inline constexpr int VAlignCenter = -4108;

inline constexpr int Maximized = -4137;

inline constexpr int PaperA4 = 9;
inline constexpr int Portrait = 1;
}  // namespace xl

namespace detail {
class Book;
struct Instance;
}  // namespace detail

class Application;
class Workbook;
class Worksheet;
class Range;

// "Create object of class Excel.sheet": a new engine instance holding a new
// unsaved workbook with one worksheet "Sheet1".
std::shared_ptr<Workbook> CreateWorkbook();

// "Get object by file path": a new engine instance holding the workbook
// stored at `path`.
std::shared_ptr<Workbook> GetWorkbook(const std::string& path);

// Saves after the first to the same file add what changed to it in place.
// This writes the workbook this process last saved and quit anew in one
// piece, with nothing of it changed, if such saves left unused parts in the
// file; a command that saved page by page calls it when done. A failure
// leaves the file as the last save wrote it.
void CompactSavedWorkbook();

class Border {
public:
    void SetLineStyle(int lineStyle);
    void SetWeight(int weight);
    void SetColorIndex(int colorIndex);

private:
    friend class Range;
    struct Target;
    Border(std::shared_ptr<Target> target);
    std::shared_ptr<Target> target_;
};

// How a cell of a stored sheet holds its value: the number format its
// cell format (XF) names, which goes with the value rather than with the
// sheet's layout, -1 for a cell without a record; and whether a formula
// gives the value. Cells of a sheet this engine can model read as -1, with
// the formats it gives them.
struct CellMakeup {
    int numberFormat = -1;
    bool formula = false;
};

class Range {
public:
    Border Borders(int edge);
    void SetMergeCells(bool merge);
    void SetHorizontalAlignment(int alignment);
    void SetVerticalAlignment(int alignment);
    // Text wider than the cell (its merged area) is shown whole, smaller.
    void SetShrinkToFit(bool shrink);
    void Select();

    // The text of the top-left cell's value; "" when empty.
    std::string Value() const;
    // The value texts of all the range's cells, row by row; "" where empty.
    // Numbers read as their shortest decimal text.
    std::vector<std::vector<std::string>> Values() const;
    // The makeup of all the range's cells, row by row.
    std::vector<std::vector<CellMakeup>> Makeups() const;
    // Text that reads as a plain decimal number is stored as a number.
    void SetValue(const std::string& value);
    // The text stored as text, never turned into a number ("0001" stays).
    void SetText(const std::string& text);

    void SetColumnWidth(double characters);
    void SetRowHeight(double points);

private:
    friend class Worksheet;
    friend class Application;
    struct Target;
    Range(std::shared_ptr<Target> target);
    std::shared_ptr<Target> target_;
};

class PageSetup {
public:
    // Margins in points.
    void SetLeftMargin(double points);
    void SetRightMargin(double points);
    void SetTopMargin(double points);
    void SetBottomMargin(double points);
    void SetHeaderMargin(double points);
    void SetFooterMargin(double points);

    void SetPaperSize(int paper);
    void SetOrientation(int orientation);
    // Zoom false with FitToPagesWide/Tall fits the sheet to that many pages.
    void SetZoom(bool enabled);
    void SetFitToPagesWide(int pages);
    void SetFitToPagesTall(int pages);

private:
    friend class Worksheet;
    struct Target;
    PageSetup(std::shared_ptr<Target> target);
    std::shared_ptr<Target> target_;
};

class Worksheet {
public:
    std::string Name() const;
    // A name the application would refuse raises error 1004.
    void SetName(const std::string& name);
    void Delete();
    // Whether formulas or names of the workbook refer to the sheet, so
    // that deleting it would turn them into reference errors.
    bool IsReferenced() const;

    Range Cells(int row, int column);
    Range GetRange(const std::string& address);  // "A2:AL44", "C10"
    Range Columns(const std::string& address);   // "A:AL"
    Range Rows(const std::string& address);      // "1:9"
    PageSetup GetPageSetup();

    Application& GetApplication();

private:
    friend class Sheets;
    struct Target;
    Worksheet(std::shared_ptr<Target> target);
    std::shared_ptr<Target> target_;
};

class Sheets {
public:
    int Count() const;
    Worksheet Item(int number);  // 1-based, tab order
    // A new worksheet after `after`; it becomes the active sheet.
    Worksheet Add(const Worksheet& after);

private:
    friend class Workbook;
    struct Target;
    Sheets(std::shared_ptr<Target> target);
    std::shared_ptr<Target> target_;
};

class Window {
public:
    void SetVisible(bool visible);
    void SetWindowState(int state);

private:
    friend class Workbook;
    struct Target;
    Window(std::shared_ptr<Target> target);
    std::shared_ptr<Target> target_;
};

class Application {
public:
    // Engine-wide: applies to workbooks created afterwards by any instance.
    void SetStandardFont(const std::string& name);
    void SetStandardFontSize(double points);
    std::string StandardFont() const;
    double StandardFontSize() const;

    void SetDisplayAlerts(bool enabled);
    bool DisplayAlerts() const;

    // The selected range of the active sheet of the active workbook.
    Range Selection();

    // Ends the instance; unsaved changes are dropped.
    void Quit();

private:
    friend struct detail::Instance;
    Application() = default;
    detail::Book& CheckedBook() const;
    detail::Instance* instance_ = nullptr;
};

class Workbook {
public:
    virtual ~Workbook() = default;
    Application& GetApplication();
    void SaveAs(const std::string& path);
    void Save();
    Sheets GetSheets();
    Window Windows(int index);  // only 1

private:
    friend std::shared_ptr<Workbook> CreateWorkbook();
    friend std::shared_ptr<Workbook> GetWorkbook(const std::string& path);
    explicit Workbook(std::shared_ptr<detail::Book> book);
    std::shared_ptr<detail::Book> book_;
};

}  // namespace kolumbra::sheet
