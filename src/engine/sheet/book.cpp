#include "engine/sheet/book.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <optional>
#include <system_error>

#include "common/file_io.h"
#include "common/runtime_error.h"
#include "common/text.h"
#include "engine/sheet/atomic_file.h"
#include "engine/sheet/biff/book_stream.h"
#include "engine/sheet/biff/cell_reader.h"
#include "engine/sheet/biff/record_types.h"
#include "engine/sheet/biff/refusal.h"
#include "engine/sheet/biff/sheet_reader.h"
#include "engine/sheet/biff/sheet_records.h"
#include "engine/sheet/biff/sheet_removal.h"
#include "engine/sheet/biff/sheet_writer.h"
#include "engine/sheet/biff/stream.h"
#include "engine/sheet/cell_value.h"
#include "engine/sheet/font_metrics.h"
#include "engine/sheet/sheet_name.h"

namespace kolumbra::sheet::detail {

namespace {

constexpr std::size_t RecordHeaderSize = 4;
// The least room left behind the globals.
constexpr std::size_t LeastRoom = 16384;
constexpr std::int32_t DisconnectedError = -2147417848;
constexpr std::int32_t DeletedObjectError = -2147221080;

std::mutex fontMutex;
StandardFontSetting standardFont{"ＭＳ Ｐゴシック", 11};

[[noreturn]] void RefuseFile(const std::string& path, const std::string& why) {
    throw RuntimeError(err::ApplicationDefined, "'" + path + "' をブックとして開けません。" + why);
}

[[noreturn]] void NotFound(const std::string& path) {
    throw RuntimeError(err::ApplicationDefined, "'" + path + "' が見つからないか、読み込めません。");
}

// `path` made absolute; none when it is relative and the working folder
// is gone.
std::optional<std::string> AbsolutePath(const std::string& path) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec) return std::nullopt;
    return absolute.string();
}

struct FileRead {
    std::vector<std::uint8_t> bytes;
    // Taken before the bytes were read: a write during the read changes it.
    FileStamp stamp;
};

FileRead ReadWholeFile(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) RefuseFile(path, "フォルダーです。");
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (file.get() < 0 || ::fstat(file.get(), &st) != 0) NotFound(path);
    try {
        const std::string bytes = ReadAll(file.get());
        return FileRead{std::vector<std::uint8_t>(bytes.begin(), bytes.end()), StampOf(st)};
    } catch (const std::system_error&) {
        throw RuntimeError(err::ApplicationDefined, "'" + path + "' を読み込めません。");
    }
}

bool HasRecord(const biff::RecordList& records, std::uint16_t type) {
    return std::any_of(records.begin(), records.end(), [type](const biff::Record& r) { return r.type == type; });
}

std::string NewSheetName(const std::vector<std::shared_ptr<SheetEntry>>& sheets) {
    for (std::size_t n = sheets.size() + 1;; ++n) {
        const std::string name = "Sheet" + std::to_string(n);
        if (std::none_of(sheets.begin(), sheets.end(),
                         [&](const auto& sheet) { return SameSheetName(sheet->name, name); }))
            return name;
    }
}

bool IsVisible(const SheetEntry& sheet) { return (sheet.options & 0x03) == 0; }

std::shared_ptr<SheetEntry> NewModelledSheet(std::string name, std::uint16_t tabId) {
    auto sheet = std::make_shared<SheetEntry>();
    sheet->name = std::move(name);
    sheet->tabId = tabId;
    sheet->model = std::make_unique<SheetModel>();
    return sheet;
}

}  // namespace

StandardFontSetting CurrentStandardFont() {
    std::lock_guard lock(fontMutex);
    return standardFont;
}

void SetStandardFontName(const std::string& name) {
    const std::size_t length = text::Utf16Length(name);
    if (length == 0 || length > 31)
        throw RuntimeError(err::ApplicationDefined, "StandardFont に '" + name + "' は設定できません。");
    std::lock_guard lock(fontMutex);
    standardFont.name = name;
}

void SetStandardFontPoints(double points) {
    if (!(points >= 1 && points <= 409))
        throw RuntimeError(err::ApplicationDefined, "StandardFontSize は 1 から 409 の範囲で指定してください。");
    std::lock_guard lock(fontMutex);
    standardFont.points = points;
}

Book::Book() : instance_(std::make_shared<Instance>()) {}

std::shared_ptr<Book> Book::Create() {
    std::shared_ptr<Book> book(new Book());
    const StandardFontSetting font = CurrentStandardFont();
    const auto twips = static_cast<std::uint16_t>(std::lround(font.points * 20));
    book->globals_ = biff::Globals::CreateNew(text::ToUtf16(font.name), twips);
    book->window_ = book->globals_.Window();
    book->sheets_.push_back(NewModelledSheet("Sheet1", 1));
    book->maxDigitWidth_ = MaxDigitWidth(twips);
    book->defaultRowTwips_ = DefaultRowTwips(twips);
    book->instance_->book = book;
    return book;
}

std::shared_ptr<Book> Book::Bind(const std::string& path) {
    const std::optional<std::string> absolute = AbsolutePath(path);
    if (!absolute) NotFound(path);
    // A workbook this process saved and quit is taken back as it was, as
    // long as nobody changed the file since.
    if (std::shared_ptr<Book> kept = TakeSavedBook(*absolute)) {
        kept->instance_->book = kept;
        return kept;
    }
    const FileRead read = ReadWholeFile(path);
    if (IsPackagePath(*absolute)) return FromPackage(read.bytes, read.stamp, path, *absolute);
    return FromFile(read.bytes, read.stamp, path, *absolute);
}

std::shared_ptr<Book> Book::FromPackage(const std::vector<std::uint8_t>& file, const FileStamp& stamp,
                                        const std::string& path, const std::string& absolute) {
    std::shared_ptr<Book> book(new Book());
    book->package_ = std::make_unique<OoxmlContainer>();
    try {
        book->package_->Load(file, absolute, stamp);
    } catch (const RuntimeError& e) {
        RefuseFile(path, e.description());
    }
    ooxml::PackageBook& package = book->package_->Package();
    for (std::size_t i = 0; i < package.Sheets().size(); ++i) {
        auto sheet = std::make_shared<SheetEntry>();
        sheet->name = package.Sheets()[i].name;
        sheet->options = package.Sheets()[i].hidden ? 1 : 0;
        sheet->tabId = static_cast<std::uint16_t>(i + 1);
        book->sheets_.push_back(std::move(sheet));
    }
    if (book->sheets_.empty()) RefuseFile(path, biff::kNoSheets);
    const std::uint16_t twips = package.StandardFontTwips();
    book->maxDigitWidth_ = MaxDigitWidth(twips);
    book->defaultRowTwips_ = DefaultRowTwips(twips);
    package.SetMetrics(book->maxDigitWidth_, book->defaultRowTwips_ / 20.0);
    book->ownWorkbook_ = false;
    book->activeChanged_ = false;
    book->path_ = absolute;
    book->readStamp_ = stamp;
    book->instance_->book = book;
    return book;
}

std::shared_ptr<Book> Book::FromFile(const std::vector<std::uint8_t>& file, const FileStamp& stamp,
                                     const std::string& path, const std::string& absolute) {
    std::shared_ptr<Book> book(new Book());
    biff::BookStream stream;
    try {
        book->container_.Load(file, absolute, stamp);
        const biff::Bytes stored = book->container_.TakeStream();
        stream = biff::ReadBookStream(stored);
        book->storedLength_ = stored.size() - stream.tail.size();
    } catch (const RuntimeError& e) {
        RefuseFile(path, e.description());
    }
    book->ownWorkbook_ = stream.globals.WrittenByThisEngine();
    book->activeChanged_ = false;
    book->tail_ = std::move(stream.tail);
    book->globals_ = std::move(stream.globals);
    std::int64_t labelRefs = 0;
    const std::vector<biff::BoundSheet>& bound = book->globals_.BoundSheets();
    const std::vector<std::uint16_t>& tabIds = book->globals_.TabIds();
    for (std::size_t i = 0; i < bound.size(); ++i) {
        auto sheet = std::make_shared<SheetEntry>();
        sheet->name = text::FromUtf16(bound[i].name);
        sheet->options = bound[i].options;
        sheet->tabId = tabIds.size() == bound.size() ? tabIds[i] : static_cast<std::uint16_t>(i + 1);
        sheet->boundBody = bound[i].body;
        sheet->records = std::move(stream.sheets[i]);
        sheet->base = stream.offsets[i];
        sheet->stringRefs = biff::CountStringRefs(sheet->records);
        labelRefs += sheet->stringRefs;
        sheet->selection = biff::ReadSelection(sheet->records);
        book->sheets_.push_back(std::move(sheet));
    }
    if (book->sheets_.empty()) RefuseFile(path, biff::kNoSheets);
    book->otherStringRefs_ = static_cast<std::int64_t>(book->globals_.StoredStringRefs()) - labelRefs;
    const std::uint16_t twips = book->globals_.StandardFont().twips;
    book->window_ = book->globals_.Window();
    book->active_ = std::min<std::size_t>(book->window_.activeSheet, book->sheets_.size() - 1);
    book->maxDigitWidth_ = MaxDigitWidth(twips);
    book->defaultRowTwips_ = DefaultRowTwips(twips);
    book->path_ = absolute;
    book->readStamp_ = stamp;
    book->instance_->book = book;
    return book;
}

void Book::CheckRunning() const {
    if (!instance_->running)
        throw RuntimeError(DisconnectedError,
                           "オートメーション エラーです。起動されたオブジェクトはクライアントから切断されました。");
}

void Book::CheckSheet(const SheetEntry& sheet) const {
    CheckRunning();
    if (!sheet.alive) throw RuntimeError(DeletedObjectError, "オートメーション エラーです。オブジェクトは削除されています。");
}

std::optional<FileStamp> Book::StampWhileUnchanged() const {
    if (savedChanges_ != changes_ || path_.empty()) return std::nullopt;
    if (std::optional<FileStamp> saved = Container().SavedIdentity()) return saved;
    // No save in force: the file holds this workbook only if nothing
    // changed since it was read.
    return changes_ == 0 ? readStamp_ : std::nullopt;
}

void Book::KeepIfUnchanged() {
    if (const std::optional<FileStamp> stamp = StampWhileUnchanged()) {
        const std::string path = path_;
        KeepSavedBook(path, *stamp, MoveToNewInstance());
    }
}

void Book::Quit() {
    if (!instance_->running) return;
    instance_->running = false;
    KeepIfUnchanged();
    // Unsaved changes are dropped and nothing of the workbook stays in memory.
    for (const auto& sheet : sheets_) {
        sheet->alive = false;
        sheet->model.reset();
        biff::RecordList().swap(sheet->records);
        biff::Bytes().swap(sheet->encoded);
    }
    sheets_.clear();
    globals_ = biff::Globals();
    container_.Release();
    if (package_) package_->Release();
}

std::shared_ptr<Book> Book::MoveToNewInstance() {
    std::shared_ptr<Book> moved(new Book());
    std::shared_ptr<Instance> fresh = std::move(moved->instance_);
    std::shared_ptr<Instance> own = std::move(instance_);
    // The objects handed out so far refer to the old sheet entries; they
    // stay with the ended instance.
    std::vector<std::shared_ptr<SheetEntry>> sheets;
    for (const auto& sheet : sheets_) {
        auto entry = std::make_shared<SheetEntry>(std::move(*sheet));
        // A saved sheet is read back from its records when edited, as from
        // the file.
        if (entry->recordsCurrent) entry->model.reset();
        sheets.push_back(std::move(entry));
        sheet->alive = false;
    }
    *moved = std::move(*this);
    moved->instance_ = std::move(fresh);
    moved->sheets_ = std::move(sheets);
    instance_ = std::move(own);
    return moved;
}

std::size_t Book::PositionOf(const SheetEntry& sheet) const {
    // From the end: the sheet asked for is mostly the one just added.
    for (std::size_t i = sheets_.size(); i-- > 0;) {
        if (sheets_[i].get() == &sheet) return i;
    }
    throw RuntimeError(err::SubscriptOutOfRange);
}

namespace {

RuntimeError CannotInsertAfter(const SheetEntry& after) {
    return RuntimeError(err::ApplicationDefined,
                        "シート '" + after.name + "' の後にシートを挿入すると数式や名前の参照を正しく直せないため、挿入できません。");
}

}  // namespace

std::shared_ptr<SheetEntry> Book::AddSheetAfter(const SheetEntry& after) {
    CheckSheet(after);
    Touch();
    const std::size_t position = PositionOf(after) + 1;
    if (package_) {
        if (position < sheets_.size() && package_->Package().SpansSheets()) throw CannotInsertAfter(after);
        auto sheet = NewModelledSheet(NewSheetName(sheets_), static_cast<std::uint16_t>(position + 1));
        package_->Package().InsertWorksheet(position, sheet->name, sheet->model.get());
        sheets_.insert(sheets_.begin() + static_cast<std::ptrdiff_t>(position), sheet);
        active_ = position;
        return sheet;
    }
    if (position < sheets_.size()) {
        try {
            globals_.InsertSheet(static_cast<std::uint16_t>(position));
        } catch (const biff::FormatError&) {
            throw CannotInsertAfter(after);
        }
    }
    std::uint16_t tabId = 0;
    for (const auto& sheet : sheets_) tabId = std::max(tabId, sheet->tabId);
    auto sheet = NewModelledSheet(NewSheetName(sheets_), static_cast<std::uint16_t>(tabId + 1));
    sheets_.insert(sheets_.begin() + static_cast<std::ptrdiff_t>(position), sheet);
    active_ = position;
    activeChanged_ = true;
    return sheet;
}

void Book::DeleteSheet(SheetEntry& sheet) {
    CheckSheet(sheet);
    Touch();
    const auto visible = std::count_if(sheets_.begin(), sheets_.end(), [](const auto& s) { return IsVisible(*s); });
    if (IsVisible(sheet) && visible <= 1)
        throw RuntimeError(err::ApplicationDefined, "ブックには少なくとも 1 つの表示されたシートが必要です。");
    if (package_) {
        package_->Package().Delete(PositionOf(sheet));
    } else {
        if (container_.HasVbaProject() && HasRecord(sheet.records, biff::rt::CodeName))
            throw RuntimeError(err::ApplicationDefined, "シート '" + sheet.name + "' " + biff::kVbaSheet);
        RemoveReferencesTo(sheet);
    }
    const std::size_t position = PositionOf(sheet);
    const bool wasActive = active_ == position;
    sheets_.erase(sheets_.begin() + static_cast<std::ptrdiff_t>(position));
    // Exactly one sheet stays selected: the active one.
    activeChanged_ = true;
    if (active_ > position) --active_;
    if (wasActive) active_ = VisibleSheetNear(position);
    if (window_.firstTab > position) --window_.firstTab;
    sheet.alive = false;
    sheet.model.reset();
    biff::RecordList().swap(sheet.records);
    biff::Bytes().swap(sheet.encoded);
}

// The first visible sheet from `position` on, else the last one before it,
// as the application activates when the active sheet goes.
std::size_t Book::VisibleSheetNear(std::size_t position) const {
    for (std::size_t i = position; i < sheets_.size(); ++i)
        if (IsVisible(*sheets_[i])) return i;
    for (std::size_t i = std::min(position, sheets_.size()); i > 0; --i)
        if (IsVisible(*sheets_[i - 1])) return i - 1;
    return 0;
}

void Book::RenameSheet(SheetEntry& sheet, const std::string& name) {
    CheckSheet(sheet);
    Touch();
    std::vector<std::string> others;
    for (const auto& other : sheets_) {
        if (other.get() != &sheet) others.push_back(other->name);
    }
    CheckSheetName(name, others);
    if (package_) package_->Package().Rename(PositionOf(sheet), name);
    if (name != sheet.name) sheet.boundBody.clear();
    sheet.name = name;
}

void Book::Select(SheetEntry& sheet, const Rect& area) {
    CheckSheet(sheet);
    Touch();
    if (!IsActive(sheet))
        throw RuntimeError(err::ApplicationDefined, "Range クラスの Select メソッドが失敗しました。");
    sheet.selection = area;
}

SheetModel& Book::Edit(SheetEntry& sheet) {
    CheckSheet(sheet);
    Touch();
    if (package_) {
        if (!sheet.model)
            throw RuntimeError(err::ApplicationDefined,
                               "シート '" + sheet.name + "' はブック (.xlsx) に保存済みのため、変更できません。");
        package_->Package().MarkChanged(PositionOf(sheet));
        return *sheet.model;
    }
    if (!sheet.model && ownWorkbook_) sheet.model = biff::ReadModelledSheet(sheet.records, globals_, maxDigitWidth_);
    if (!sheet.model)
        throw RuntimeError(err::ApplicationDefined, "シート '" + sheet.name +
                                                        "' にはこのエンジンが扱えない内容があるため、変更できません。");
    sheet.recordsCurrent = false;
    return *sheet.model;
}

bool Book::EditsRecords(SheetEntry& sheet) {
    CheckSheet(sheet);
    // A package's sheets hold no records: they change through their model,
    // or in their stored part.
    if (package_) return !sheet.model;
    if (!sheet.model && ownWorkbook_) sheet.model = biff::ReadModelledSheet(sheet.records, globals_, maxDigitWidth_);
    return !sheet.model;
}

void Book::SetRecordedValues(SheetEntry& sheet, const Rect& area, biff::CellEdit value, const std::string& text) {
    CheckSheet(sheet);
    Touch();
    if (package_) {
        SetStoredValues(sheet, area, value, text);
        return;
    }
    // A default cell format for new cells, as every writer's XF 15 is.
    constexpr std::uint16_t DefaultCellXf = 15;
    if (value.kind == biff::CellEdit::Kind::Text) value.sstIndex = globals_.InternString(text::ToUtf16(text));
    std::vector<biff::CellEdit> edits;
    for (int r = area.r1; r <= area.r2; ++r) {
        for (int c = area.c1; c <= area.c2; ++c) {
            value.row = r;
            value.column = c;
            edits.push_back(value);
        }
    }
    try {
        biff::EditCells(sheet.records, sheet.base, edits, DefaultCellXf);
    } catch (const biff::FormulaAnchorError&) {
        throw RuntimeError(err::ApplicationDefined, "シート '" + sheet.name + "' のセルの値を変更できません。" +
                                                        "共有数式または配列数式の元になっているセルです。");
    } catch (const biff::FormatError&) {
        throw RuntimeError(err::ApplicationDefined, "シート '" + sheet.name + "' のセルの値を変更できません。" +
                                                        biff::SheetRecordsDamaged(sheet.name));
    }
    sheet.stringRefs = biff::CountStringRefs(sheet.records);
    sheet.encoded.clear();
}

void Book::SetStoredValues(SheetEntry& sheet, const Rect& area, const biff::CellEdit& value, const std::string& text) {
    using Kind = ooxml::StoredCellEdit::Kind;
    const Kind kind = value.kind == biff::CellEdit::Kind::Number ? Kind::Number
                      : value.kind == biff::CellEdit::Kind::Text ? Kind::Text
                                                                 : Kind::Empty;
    std::vector<ooxml::StoredCellEdit> edits;
    for (int r = area.r1; r <= area.r2; ++r)
        for (int c = area.c1; c <= area.c2; ++c) edits.push_back({r, c, kind, value.number, text});
    package_->Package().SetStoredCells(PositionOf(sheet), edits);
}

std::string Book::StoredText(const ooxml::StoredCell& cell) {
    return cell.number ? NumberText(*cell.number) : cell.text;
}

std::string Book::ValueText(const SheetEntry& sheet, int row, int column) const {
    CheckSheet(sheet);
    if (sheet.model) return sheet.model->ValueText(row, column);
    if (package_) {
        for (const ooxml::StoredCell& cell : package_->Package().StoredCells(PositionOf(sheet)))
            if (cell.row == row && cell.column == column) return StoredText(cell);
        return "";
    }
    try {
        return biff::ReadCellText(sheet.records, globals_.Strings(), row, column);
    } catch (const biff::FormatError&) {
        throw RuntimeError(err::ApplicationDefined, biff::SheetRecordsDamaged(sheet.name));
    }
}

std::vector<std::vector<std::string>> Book::ValueTexts(const SheetEntry& sheet, const Rect& area) const {
    CheckSheet(sheet);
    std::vector<std::vector<std::string>> values(static_cast<std::size_t>(area.r2 - area.r1 + 1),
                                                 std::vector<std::string>(static_cast<std::size_t>(area.c2 - area.c1 + 1)));
    const auto put = [&](int row, int column, const std::string& text) {
        if (area.Contains(row, column))
            values[static_cast<std::size_t>(row - area.r1)][static_cast<std::size_t>(column - area.c1)] = text;
    };
    if (sheet.model) {
        for (int r = area.r1; r <= area.r2; ++r)
            for (int c = area.c1; c <= area.c2; ++c) put(r, c, sheet.model->ValueText(r, c));
        return values;
    }
    if (package_) {
        for (const ooxml::StoredCell& cell : package_->Package().StoredCells(PositionOf(sheet)))
            put(cell.row, cell.column, StoredText(cell));
        return values;
    }
    try {
        for (const auto& [key, text] : biff::ReadCellTexts(sheet.records, globals_.Strings())) put(key.row, key.column, text);
    } catch (const biff::FormatError&) {
        throw RuntimeError(err::ApplicationDefined, biff::SheetRecordsDamaged(sheet.name));
    }
    return values;
}

std::vector<std::vector<CellMakeup>> Book::CellMakeups(const SheetEntry& sheet, const Rect& area) const {
    CheckSheet(sheet);
    std::vector<std::vector<CellMakeup>> makeups(static_cast<std::size_t>(area.r2 - area.r1 + 1),
                                                 std::vector<CellMakeup>(static_cast<std::size_t>(area.c2 - area.c1 + 1)));
    if (package_ && !sheet.model) {
        for (const ooxml::StoredMakeup& stored : package_->Package().StoredNumberFormats(PositionOf(sheet))) {
            if (!area.Contains(stored.row, stored.column)) continue;
            CellMakeup& cell = makeups[static_cast<std::size_t>(stored.row - area.r1)][static_cast<std::size_t>(stored.column - area.c1)];
            cell.formula = stored.formula;
            cell.numberFormat = static_cast<int>(stored.xf);
        }
        return makeups;
    }
    // A sheet this engine can model holds only the formats it gives.
    if (sheet.model || (ownWorkbook_ && biff::ReadModelledSheet(sheet.records, globals_, maxDigitWidth_))) return makeups;
    try {
        for (const auto& [key, makeup] : biff::ReadCellMakeups(sheet.records)) {
            if (!area.Contains(key.row, key.column)) continue;
            CellMakeup& cell = makeups[static_cast<std::size_t>(key.row - area.r1)][static_cast<std::size_t>(key.column - area.c1)];
            cell.formula = makeup.formula;
            if (const auto format = globals_.NumberFormatOf(makeup.xf)) cell.numberFormat = *format;
        }
    } catch (const biff::FormatError&) {
        throw RuntimeError(err::ApplicationDefined, biff::SheetRecordsDamaged(sheet.name));
    }
    return makeups;
}

void Book::EncodeSheet(SheetEntry& sheet, bool active) {
    if (sheet.model && !sheet.recordsCurrent) {
        biff::SheetWriteContext context{globals_, maxDigitWidth_,  defaultRowTwips_,
                                        active,   sheet.selection, PhoneticFont()};
        biff::WrittenSheet written = biff::WriteSheet(*sheet.model, context);
        sheet.records = std::move(written.records);
        sheet.stringRefs = written.stringRefs;
        sheet.base = 0;
        sheet.recordsCurrent = true;
        sheet.encoded.clear();
    }
    const bool activeStale = activeChanged_ && (sheet.encoded.empty() || sheet.encodedActive != active);
    if (sheet.encoded.empty() || activeStale || sheet.encodedSelection != sheet.selection) {
        if (activeChanged_) biff::SetSheetActive(sheet.records, active);
        if (biff::ReadSelection(sheet.records) != sheet.selection) biff::ReplaceSelection(sheet.records, sheet.selection);
        sheet.encoded.clear();
    }
    if (!sheet.encoded.empty()) return;
    sheet.streamAt = std::string::npos;
    sheet.encoded.reserve(biff::StreamSize(sheet.records));
    sheet.encodedIndexAt = std::string::npos;
    for (const biff::Record& record : sheet.records) {
        if (record.type == biff::rt::Index && sheet.encodedIndexAt == std::string::npos)
            sheet.encodedIndexAt = sheet.encoded.size() + 4;
        biff::AppendRecord(sheet.encoded, record);
    }
    sheet.encodedActive = active;
    sheet.encodedSelection = biff::ReadSelection(sheet.records);
}

namespace {

// Moves the stream offsets in the sheet's INDEX, in its records and in
// their encoded bytes alike.
void PlaceSheet(SheetEntry& sheet, std::size_t offset) {
    if (offset == sheet.base) return;
    biff::RelocateIndex(sheet.records, static_cast<std::int64_t>(offset) - static_cast<std::int64_t>(sheet.base));
    sheet.base = offset;
    if (sheet.encodedIndexAt == std::string::npos) return;
    const auto index = std::find_if(sheet.records.begin(), sheet.records.end(),
                                    [](const biff::Record& r) { return r.type == biff::rt::Index; });
    std::copy(index->data.begin(), index->data.end(),
              sheet.encoded.begin() + static_cast<std::ptrdiff_t>(sheet.encodedIndexAt));
    sheet.streamAt = std::string::npos;
}

// `bytes` (0, or at least a record header) of records of the room type.
// The short one goes first: as the globals grow, only it changes, and the
// full ones before the EOF keep their places in the file.
void AppendRoom(biff::Bytes& head, std::size_t bytes) {
    std::vector<std::size_t> bodies;
    while (bytes > 0) {
        std::size_t body = std::min(bytes - RecordHeaderSize, biff::rt::MaxRecordData);
        // What is left must hold a record header too.
        const std::size_t rest = bytes - RecordHeaderSize - body;
        if (rest > 0 && rest < RecordHeaderSize) body -= RecordHeaderSize;
        bodies.push_back(body);
        bytes -= RecordHeaderSize + body;
    }
    for (auto body = bodies.rbegin(); body != bodies.rend(); ++body)
        biff::AppendRecord(head, biff::Record{biff::rt::Room, biff::Bytes(*body, 0)});
}

}  // namespace

// The room left behind the globals: enough for the globals of hundreds
// more sheets, so that the sheets seldom have to move.
std::size_t Book::RoomyStart(std::size_t globalsEnd) const {
    return container_.NextBoundary(globalsEnd + std::max(LeastRoom, globalsEnd));
}

void Book::BuildWorkbookStream(bool leaveRoom) {
    biff::Globals::Output output;
    std::int64_t stringRefs = otherStringRefs_;
    for (std::size_t i = 0; i < sheets_.size(); ++i) {
        SheetEntry& sheet = *sheets_[i];
        EncodeSheet(sheet, i == active_);
        if (sheet.savedNameOf != sheet.name) {
            sheet.savedName = text::ToUtf16(sheet.name);
            sheet.savedNameOf = sheet.name;
        }
        output.sheets.push_back(biff::BoundSheet{sheet.savedName, sheet.options, 0, sheet.boundBody});
        output.tabIds.push_back(sheet.tabId);
        stringRefs += sheet.stringRefs;
    }
    output.stringRefs = static_cast<std::uint32_t>(std::clamp<std::int64_t>(stringRefs, 0, UINT32_MAX));
    output.window = window_;
    output.window.activeSheet = static_cast<std::uint16_t>(active_);
    if (activeChanged_) {
        output.window.firstTab = std::min<std::uint16_t>(window_.firstTab, static_cast<std::uint16_t>(active_));
        output.window.selectedTabs = 1;
    }
    output.window.firstTab = std::min<std::uint16_t>(output.window.firstTab, static_cast<std::uint16_t>(sheets_.size() - 1));
    biff::Globals::Emitted emitted = globals_.Emit(output);

    // Bytes after the last substream other than padding stay where they
    // are, so the sheets are laid out anew, without room, every time.
    const bool padded = std::all_of(tail_.begin(), tail_.end(), [](std::uint8_t b) { return b == 0; });
    const std::size_t globalsEnd = emitted.stream.size();
    const bool fits = globalsEnd == sheetsStart_ || globalsEnd + RecordHeaderSize <= sheetsStart_;
    const bool keepPlaces = leaveRoom && padded && roomLeft_ && fits && container_.Stream().size() >= sheetsStart_;
    if (!keepPlaces) {
        roomLeft_ = leaveRoom && padded;
        sheetsStart_ = roomLeft_ ? RoomyStart(globalsEnd) : globalsEnd;
        container_.ClearStream();
        for (const auto& sheet : sheets_) sheet->streamAt = std::string::npos;
    }
    std::size_t offset = sheetsStart_;
    for (std::size_t i = 0; i < sheets_.size(); ++i) {
        biff::PutU32(emitted.stream, emitted.offsetFields[i], static_cast<std::uint32_t>(offset));
        offset += sheets_[i]->encoded.size();
    }
    PutStreamHead(emitted.stream);
    std::size_t end = PutSheets();
    // Padding is laid out anew when the records grew or shrank; anything
    // else after the last substream stays.
    if (!keepPlaces && (!padded || end == storedLength_)) {
        container_.PutStream(end, tail_);
        end += tail_.size();
    }
    container_.EndStream(end);
}

void Book::PutStreamHead(const biff::Bytes& globals) {
    // The room goes before the globals' EOF, so that every substream still
    // follows the one before it directly.
    biff::Bytes head(globals.begin(), globals.end() - RecordHeaderSize);
    AppendRoom(head, sheetsStart_ - globals.size());
    head.insert(head.end(), globals.end() - RecordHeaderSize, globals.end());
    container_.PutStream(0, head);
}

std::size_t Book::PutSheets() {
    std::size_t offset = sheetsStart_;
    for (const auto& entry : sheets_) {
        SheetEntry& sheet = *entry;
        PlaceSheet(sheet, offset);
        if (sheet.streamAt != offset) {
            container_.PutStream(offset, sheet.encoded);
            sheet.streamAt = offset;
        }
        offset += sheet.encoded.size();
    }
    return offset;
}

bool Book::IsReferenced(const SheetEntry& sheet) const {
    if (package_) return package_->Package().Referenced(PositionOf(sheet));
    return biff::SheetReferenced(globals_.Records(), static_cast<std::uint16_t>(PositionOf(sheet)));
}

void Book::RemoveReferencesTo(const SheetEntry& sheet) {
    // Stored sheets carry formulas; modelled ones never do.
    std::vector<biff::RecordList> copies;
    for (const auto& other : sheets_) {
        if (other.get() != &sheet && !other->model) copies.push_back(other->records);
    }
    std::vector<biff::RecordList*> targets;
    for (biff::RecordList& copy : copies) targets.push_back(&copy);
    biff::Globals globals = globals_;
    try {
        globals.RemoveSheet(static_cast<std::uint16_t>(PositionOf(sheet)), targets);
    } catch (const biff::FormatError&) {
        throw RuntimeError(err::ApplicationDefined, "シート '" + sheet.name +
                                                        "' を削除すると数式や名前の参照を正しく直せないため、削除できません。");
    }
    globals_ = std::move(globals);
    std::size_t next = 0;
    for (const auto& other : sheets_) {
        if (other.get() != &sheet && !other->model) {
            other->records = std::move(copies[next++]);
            other->encoded.clear();
        }
    }
}

// PHONETICINFO of new sheets names font 5, which a workbook of another
// application may lack.
std::uint16_t Book::PhoneticFont() const { return globals_.FontCount() >= 5 ? 5 : 0; }

std::vector<std::uint8_t> Book::FileBytes() {
    CheckRunning();
    if (package_) return package_->FileBytes();
    BuildWorkbookStream(false);
    return container_.FileBytes();
}

namespace {

// Runs a step of a save; what goes wrong is reported as the save failing.
template <typename Step>
void SaveStep(const std::string& path, Step&& step) {
    try {
        step();
    } catch (const RuntimeError& e) {
        throw SaveFailure(path, e.description());
    } catch (const biff::FormatError&) {
        throw SaveFailure(path, biff::kRecordsDamaged);
    }
}

}  // namespace

void Book::WritePackage(const std::string& path, bool whole) {
    if (!package_) {
        if (std::any_of(sheets_.begin(), sheets_.end(), [](const auto& sheet) { return !sheet->model; }))
            throw SaveFailure(path, "このブック (.xls) は .xlsx/.xlsm 形式では保存できません。");
        const biff::FontInfo font = globals_.StandardFont();
        package_ = std::make_unique<OoxmlContainer>(text::FromUtf16(font.name), font.twips / 20.0,
                                                    path.ends_with(".xlsm") || path.ends_with(".XLSM"));
        for (const auto& sheet : sheets_) package_->Package().AppendWorksheet(sheet->name, sheet->model.get());
        package_->Package().SetMetrics(maxDigitWidth_, defaultRowTwips_ / 20.0);
    }
    if (whole)
        package_->SaveAtRest(path);
    else if (!package_->CanSaveChanges(path) || !package_->SaveChanges(path))
        package_->SaveWhole(path);
    savedChanges_ = changes_;
    // The sheets saved are stored sheets of the package from now on.
    package_->Package().ForgetSavedModels();
    for (const auto& sheet : sheets_) sheet->model.reset();
}

void Book::Write(const std::string& path, bool whole) {
    if (package_ || IsPackagePath(path)) {
        if (!IsPackagePath(path)) throw SaveFailure(path, "このブック (.xlsx/.xlsm) は .xls 形式では保存できません。");
        CheckRunning();
        WritePackage(path, whole);
        return;
    }
    const bool again = !whole && container_.CanSaveChanges(path);
    SaveStep(path, [&] {
        CheckRunning();
        BuildWorkbookStream(again);
    });
    if (!again || !container_.SaveChanges(path)) container_.SaveWhole(path);
    savedChanges_ = changes_;
}

void Book::Compact() {
    if (!SavedAndUnchanged() || (!roomLeft_ && !Container().HoldsUnusedParts())) return;
    try {
        Write(path_, true);
    } catch (const RuntimeError&) {
        // The file still holds everything the last save wrote.
    }
}

void Book::SaveAs(const std::string& path) {
    CheckRunning();
    if (path.empty()) throw RuntimeError(err::ApplicationDefined, "保存先のファイル名が指定されていません。");
    const std::optional<std::string> absolute = AbsolutePath(path);
    if (!absolute) throw SaveFailure(path, ENOENT);
    Write(*absolute);
    path_ = *absolute;
}

void Book::Save() {
    CheckRunning();
    if (path_.empty())
        throw RuntimeError(err::ApplicationDefined,
                           "このブックはまだ保存されていないため上書き保存できません。SaveAs で保存先を指定してください。");
    Write(path_);
}

}  // namespace kolumbra::sheet::detail
