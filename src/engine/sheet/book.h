#pragma once
// The engine's inner model of one workbook: its globals, its sheets (stored
// ones kept as records, new ones modelled), how they are laid out in the
// Workbook stream, and the engine instance holding it. The file around the
// stream is the container's (compound_file.h).

#include <memory>
#include <string>
#include <vector>

#include "engine/sheet/biff/cell_edit.h"
#include "engine/sheet/biff/globals.h"
#include "engine/sheet/compound_file.h"
#include "engine/sheet/ooxml_container.h"
#include "engine/sheet/saved_books.h"
#include "engine/sheet/sheet_model.h"
#include "engine/sheet/workbook.h"

namespace kolumbra::sheet::detail {

class Book;

// One engine instance: it ends with Quit, and every object of it fails
// afterwards.
struct Instance {
    Instance() { application.instance_ = this; }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    bool running = true;
    bool displayAlerts = true;
    std::weak_ptr<Book> book;
    Application application;
};

struct SheetEntry {
    std::string name;
    // `name` in UTF-16 as the last save wrote it, and the name it was of.
    std::u16string savedName;
    std::string savedNameOf;
    std::uint16_t options = 0;  // BOUNDSHEET visibility and type
    std::uint16_t tabId = 0;
    // The BOUNDSHEET body as read, kept while the name stays.
    biff::Bytes boundBody;
    // A sheet this engine builds; null for a sheet kept as it was read.
    std::unique_ptr<SheetModel> model;
    // The substream: as read, or the model's last serialisation.
    biff::RecordList records;
    bool recordsCurrent = false;
    std::size_t base = 0;  // stream offset the INDEX in `records` refers to
    std::uint32_t stringRefs = 0;
    Rect selection;
    bool alive = true;
    // `records` as the last save put them into the stream, while they have
    // not changed since; then also the active state and selection they
    // carry, and where the INDEX body lies in them (npos: none).
    biff::Bytes encoded;
    bool encodedActive = false;
    Rect encodedSelection;
    std::size_t encodedIndexAt = 0;
    // Where the container's stream holds `encoded`; npos when it does not.
    std::size_t streamAt = std::string::npos;
};

class Book {
public:
    // A new workbook with one sheet "Sheet1" in a new engine instance.
    static std::shared_ptr<Book> Create();
    // The workbook stored at `path`, in a new engine instance.
    static std::shared_ptr<Book> Bind(const std::string& path);

    Instance& GetInstance() { return *instance_; }
    // Raises the error of a disconnected object once the instance ended.
    void CheckRunning() const;
    void CheckSheet(const SheetEntry& sheet) const;
    void Quit();

    const std::vector<std::shared_ptr<SheetEntry>>& Sheets() const { return sheets_; }
    std::size_t PositionOf(const SheetEntry& sheet) const;
    std::shared_ptr<SheetEntry> ActiveSheet() const { return sheets_[active_]; }
    bool IsActive(const SheetEntry& sheet) const { return sheets_[active_].get() == &sheet; }

    std::shared_ptr<SheetEntry> AddSheetAfter(const SheetEntry& after);
    void DeleteSheet(SheetEntry& sheet);
    // Whether formulas or names of the workbook refer to the sheet.
    bool IsReferenced(const SheetEntry& sheet) const;
    void RenameSheet(SheetEntry& sheet, const std::string& name);
    void Select(SheetEntry& sheet, const Rect& area);

    // The model of a sheet about to change; its records become stale.
    SheetModel& Edit(SheetEntry& sheet);
    // Whether the sheet's values change in its records, as it cannot be
    // modelled (a sheet another application wrote).
    bool EditsRecords(SheetEntry& sheet);
    // Sets every cell of `area` of such a sheet to `value` (its row and
    // column are ignored; text comes as `text`), keeping the cells' formats.
    void SetRecordedValues(SheetEntry& sheet, const Rect& area, biff::CellEdit value, const std::string& text);
    std::string ValueText(const SheetEntry& sheet, int row, int column) const;
    // The value texts of the cells in `area`, row by row; "" where empty.
    std::vector<std::vector<std::string>> ValueTexts(const SheetEntry& sheet, const Rect& area) const;
    std::vector<std::vector<CellMakeup>> CellMakeups(const SheetEntry& sheet, const Rect& area) const;

    void SetVisible(bool visible) {
        Touch();
        window_.hidden = !visible;
    }
    void SetMinimized(bool minimized) {
        Touch();
        window_.minimized = minimized;
    }

    void SaveAs(const std::string& path);
    void Save();
    // Writes the file anew in one piece when saves added to it in place;
    // a failure leaves the file as the last save wrote it.
    void Compact();
    // Keeps this workbook, whose instance ended, to be bound again while
    // its file stays as the last save wrote it, or, when it was bound and
    // never changed, as it was read.
    void KeepIfUnchanged();
    // The complete file as it would be saved now.
    std::vector<std::uint8_t> FileBytes();

private:
    // The value text of a cell of a sheet stored in a package.
    static std::string StoredText(const ooxml::StoredCell& cell);
    // Sets cells of a sheet stored in a package, in its part.
    void SetStoredValues(SheetEntry& sheet, const Rect& area, const biff::CellEdit& value, const std::string& text);
    Book();
    // The same from the file's bytes, read while it had `stamp`; `path`
    // names the file in errors, and Save writes to its `absolute` form.
    static std::shared_ptr<Book> FromFile(const std::vector<std::uint8_t>& file, const FileStamp& stamp,
                                          const std::string& path, const std::string& absolute);
    // The same for an .xlsx/.xlsm package.
    static std::shared_ptr<Book> FromPackage(const std::vector<std::uint8_t>& file, const FileStamp& stamp,
                                             const std::string& path, const std::string& absolute);
    // The container of the file: the package of an .xlsx/.xlsm workbook,
    // else the compound file.
    const WorkbookContainer& Container() const {
        return package_ ? static_cast<const WorkbookContainer&>(*package_) : container_;
    }
    // Saves as a package; a new workbook saved there for the first time
    // becomes one.
    void WritePackage(const std::string& path, bool whole);
    // Brings the container's Workbook stream up to date. With `leaveRoom`
    // the sheets start after free room behind the globals, so that adding
    // a sheet leaves the sheets before it where they are in the stream.
    void BuildWorkbookStream(bool leaveRoom);
    // Writes the globals, then the room, into the head of the stream.
    void PutStreamHead(const biff::Bytes& globals);
    // Puts every sheet after the head and returns the stream length.
    std::size_t PutSheets();
    // Where the sheets start when room is left behind globals ending at
    // `globalsEnd`.
    std::size_t RoomyStart(std::size_t globalsEnd) const;
    // Brings `sheet`'s records and their encoded bytes up to date for a
    // save that puts them at stream offset `offset`.
    void EncodeSheet(SheetEntry& sheet, bool active);
    std::uint16_t PhoneticFont() const;
    std::size_t VisibleSheetNear(std::size_t position) const;
    void RemoveReferencesTo(const SheetEntry& sheet);
    // Saves to `path`; a save that follows one to the same path adds what
    // changed to that file, unless `whole`.
    void Write(const std::string& path, bool whole = false);
    void Touch() { ++changes_; }
    // Whether the file at path_ holds exactly what this workbook holds.
    bool SavedAndUnchanged() const {
        return Container().SavedIdentity() && savedChanges_ == changes_ && !path_.empty();
    }
    // What the file at path_ was like when it last held exactly what this
    // workbook holds; nothing once the workbook changed since.
    std::optional<FileStamp> StampWhileUnchanged() const;
    // The workbook's state moved into a new engine instance, ready to be
    // bound again; this one keeps nothing.
    std::shared_ptr<Book> MoveToNewInstance();

    std::shared_ptr<Instance> instance_;
    // Whether this engine wrote the workbook. Sheets of other applications
    // are kept record for record and never rebuilt from a model.
    bool ownWorkbook_ = true;
    // Whether the active sheet changed since the workbook was read: only
    // then are the sheets' selected flags rewritten.
    bool activeChanged_ = true;
    // Shared-string references the file counted beyond the LABELSST cells.
    std::int64_t otherStringRefs_ = 0;
    // What followed the last substream, and the stream length before it.
    biff::Bytes tail_;
    std::size_t storedLength_ = 0;
    biff::Globals globals_;
    CompoundFile container_;
    // Set for an .xlsx/.xlsm workbook, whose sheets the package lists.
    std::unique_ptr<OoxmlContainer> package_;
    std::vector<std::shared_ptr<SheetEntry>> sheets_;
    std::size_t active_ = 0;
    biff::BookWindow window_;
    std::string path_;
    // The file as Bind read it.
    std::optional<FileStamp> readStamp_;
    int maxDigitWidth_ = 7;
    std::uint16_t defaultRowTwips_ = 270;
    // Changes made through the object model, and their count at the last
    // save.
    std::uint64_t changes_ = 0;
    std::uint64_t savedChanges_ = 0;
    // Where the sheets start in the stream, and whether room was left
    // between the globals and them.
    std::size_t sheetsStart_ = 0;
    bool roomLeft_ = false;
};

// The engine-wide standard font for workbooks created from now on.
struct StandardFontSetting {
    std::string name;
    double points;
};
StandardFontSetting CurrentStandardFont();
void SetStandardFontName(const std::string& name);
void SetStandardFontPoints(double points);

}  // namespace kolumbra::sheet::detail
