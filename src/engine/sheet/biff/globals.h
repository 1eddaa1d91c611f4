#pragma once
// The workbook globals substream, kept record for record. FONT and XF
// lists, the sheet directory (BOUNDSHEET, TABID), the shared strings and
// the workbook window are modelled so that sheets can be added, removed and
// renamed; every other record is written back as it was read.

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/sheet/biff/record.h"
#include "engine/sheet/biff/sst.h"
#include "engine/sheet/biff/xf.h"

namespace kolumbra::sheet::biff {

// One sheet as the directory lists it. `options` is the BOUNDSHEET word
// after the offset: visibility in the low byte, sheet type in the high byte.
struct BoundSheet {
    std::u16string name;
    std::uint16_t options = 0;
    std::uint32_t offset = 0;
    // The record body as read; empty for a sheet built here.
    Bytes body;
};

// The workbook window as WINDOW1 stores it.
struct BookWindow {
    std::uint16_t activeSheet = 0;
    std::uint16_t firstTab = 0;
    std::uint16_t selectedTabs = 1;
    bool hidden = false;
    bool minimized = false;
};

class Globals {
public:
    // The globals of a new workbook whose standard font is given.
    static Globals CreateNew(const std::u16string& fontName, std::uint16_t twips);
    // Throws FormatError when the records are not BIFF8 workbook globals.
    static Globals Parse(RecordList records);
    // Whether this engine wrote the globals (its WRITEACCESS mark).
    bool WrittenByThisEngine() const;

    FontInfo StandardFont() const;
    const std::vector<BoundSheet>& BoundSheets() const { return boundSheets_; }
    const std::vector<std::uint16_t>& TabIds() const { return tabIds_; }
    const BookWindow& Window() const { return window_; }
    const std::vector<SstString>& Strings() const { return strings_; }
    std::size_t FontCount() const { return fonts_.size(); }
    // The records as read.
    const RecordList& Records() const { return records_; }
    // Whether any record of this type is there.
    bool Has(std::uint16_t type) const;
    // The reference count the shared-string table was read with.
    std::uint32_t StoredStringRefs() const { return storedStringRefs_; }

    // The format of a cell XF this engine writes; none for any other XF.
    std::optional<CellFormat> CellFormatOf(std::uint16_t xf) const;
    // The number format cell XF `xf` names; none past the XFs.
    std::optional<std::uint16_t> NumberFormatOf(std::uint16_t xf) const;
    // Index of a cell XF with this format, added after the last XF when new.
    std::uint16_t InternXf(const CellFormat& format);
    // Index of a plain string in the shared strings, appended when new.
    std::uint32_t InternString(const std::u16string& text);

    // Records are written back as read, except: new XFs go after the last
    // XF (and XFCRC is recomputed); the sheet directory, TABID, WINDOW1 and
    // the self-reference SUPBOOK follow `output`; the shared strings keep
    // their records when no string was added, else they are laid out anew;
    // EXTSST follows the strings.
    // Names and 3-D references follow the removal of the sheet at tab
    // position `sheet`; `sheets` are the remaining stored substreams, whose
    // formulas are renumbered with the names. Throws FormatError, with
    // nothing changed, when they cannot be followed.
    void RemoveSheet(std::uint16_t sheet, const std::vector<RecordList*>& sheets);
    // Names and 3-D references follow a new sheet at tab position `sheet`
    // before sheets already there. Throws FormatError, with nothing
    // changed, when they cannot be followed.
    void InsertSheet(std::uint16_t sheet);

    struct Output {
        std::vector<BoundSheet> sheets;  // offsets are patched later
        std::vector<std::uint16_t> tabIds;
        BookWindow window;
        std::uint32_t stringRefs = 0;  // cells referring to shared strings
    };
    struct Emitted {
        Bytes stream;
        // Position in `stream` of each BOUNDSHEET's sheet offset field.
        std::vector<std::size_t> offsetFields;
    };
    Emitted Emit(const Output& output) const;

private:
    void Index();

    RecordList records_;
    // What was read: the XF and string counts, and the SST's stream offset
    // (none for a new workbook, whose tables are always laid out anew).
    std::size_t storedXfs_ = 0;
    std::size_t storedStrings_ = 0;
    std::uint32_t storedStringRefs_ = 0;
    std::optional<std::size_t> storedSstOffset_;
    std::vector<Bytes> fonts_;
    std::vector<Bytes> xfs_;
    std::unordered_map<std::uint64_t, std::uint16_t> xfByFormat_;
    std::vector<SstString> strings_;
    std::unordered_map<std::u16string, std::uint32_t> stringByText_;
    std::vector<BoundSheet> boundSheets_;
    std::vector<std::uint16_t> tabIds_;
    BookWindow window_;
};

}  // namespace kolumbra::sheet::biff
