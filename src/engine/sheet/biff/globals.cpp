#include "engine/sheet/biff/globals.h"

#include <algorithm>

#include "common/runtime_error.h"
#include "engine/sheet/biff/record_types.h"
#include "engine/sheet/biff/sheet_removal.h"
#include "engine/sheet/biff/stream.h"

namespace kolumbra::sheet::biff {

namespace {

constexpr std::size_t MaxXfs = 4050;
constexpr std::size_t WriteAccessSize = 112;
const std::u16string EngineMark = u"Kolumbra workbook engine";

Record Make(std::uint16_t type, Bytes data = {}) { return Record{type, std::move(data)}; }

Record U16Record(std::uint16_t type, std::uint16_t value) {
    Bytes data;
    Writer(data).U16(value);
    return Make(type, std::move(data));
}

Bytes WriteAccessBody() {
    Bytes body;
    AppendString(body, EngineMark);
    body.resize(WriteAccessSize, ' ');
    return body;
}

Bytes FormatBody(std::uint16_t id, const std::u16string& code) {
    Bytes body;
    Writer(body).U16(id);
    AppendString(body, code);
    return body;
}

Bytes Window1Body() {
    Bytes body;
    Writer(body).U16(480).U16(60).U16(11340).U16(9345).U16(0x0038).U16(0).U16(0).U16(1).U16(600);
    return body;
}

// The number formats of the built-in currency and accounting styles.
RecordList BuiltInFormats() {
    const std::pair<std::uint16_t, std::u16string> formats[] = {
        {0x05, u"\"$\"#,##0_);\\(\"$\"#,##0\\)"},
        {0x06, u"\"$\"#,##0_);[Red]\\(\"$\"#,##0\\)"},
        {0x07, u"\"$\"#,##0.00_);\\(\"$\"#,##0.00\\)"},
        {0x08, u"\"$\"#,##0.00_);[Red]\\(\"$\"#,##0.00\\)"},
        {0x2A, u"_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)"},
        {0x29, u"_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)"},
        {0x2C, u"_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"??_);_(@_)"},
        {0x2B, u"_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"??_);_(@_)"},
    };
    RecordList records;
    for (const auto& [id, code] : formats) records.push_back(Make(rt::Format, FormatBody(id, code)));
    return records;
}

RecordList BuiltInStyles() {
    const std::uint32_t styles[] = {0xFF038010, 0xFF068011, 0xFF048012, 0xFF078013, 0xFF008000, 0xFF058014};
    RecordList records;
    for (std::uint32_t style : styles) {
        Bytes body;
        Writer(body).U32(style);
        records.push_back(Make(rt::Style, std::move(body)));
    }
    return records;
}

// Globals without any FONT record, as some exports write them, get the
// fonts readers assume then: the application font, Arial 10 pt, for the
// indices 0 to 3 that cell formats refer to (4 is never stored). They go
// where FONT records belong, before the number formats and cell formats.
void AddAssumedFonts(RecordList& records) {
    if (std::any_of(records.begin(), records.end(), [](const Record& r) { return r.type == rt::Font; })) return;
    static constexpr std::uint16_t after[] = {rt::Format, rt::Xf, rt::Style, rt::BoundSheet, rt::Eof};
    const auto at = std::find_if(records.begin() + 1, records.end(), [](const Record& r) {
        return std::find(std::begin(after), std::end(after), r.type) != std::end(after);
    });
    records.insert(at, 4, Make(rt::Font, FontBody(u"Arial", 200)));
}

}  // namespace

Globals Globals::CreateNew(const std::u16string& fontName, std::uint16_t twips) {
    RecordList r;
    r.push_back(Make(rt::Bof, BofBody(rt::BofGlobals)));
    r.push_back(U16Record(rt::InterfaceHdr, 1200));
    r.push_back(U16Record(rt::Mms, 0));
    r.push_back(Make(rt::InterfaceEnd));
    r.push_back(Make(rt::WriteAccess, WriteAccessBody()));
    r.push_back(U16Record(rt::CodePage, 1200));
    r.push_back(U16Record(rt::Dsf, 0));
    r.push_back(Make(rt::TabId));
    r.push_back(U16Record(rt::FnGroupCount, 14));
    for (std::uint16_t type : {rt::WinProtect, rt::Protect, rt::Password, rt::Prot4Rev, rt::Prot4RevPass})
        r.push_back(U16Record(type, 0));
    r.push_back(Make(rt::Window1, Window1Body()));
    r.push_back(U16Record(rt::Backup, 0));
    r.push_back(U16Record(rt::HideObj, 0));
    r.push_back(U16Record(rt::DateMode, 0));
    r.push_back(U16Record(rt::Precision, 1));
    r.push_back(U16Record(rt::RefreshAll, 0));
    r.push_back(U16Record(rt::BookBool, 0));
    // Five fonts make the logical indices 0-3 and 5 (4 is never used).
    for (int i = 0; i < 5; ++i) r.push_back(Make(rt::Font, FontBody(fontName, twips)));
    for (Record& format : BuiltInFormats()) r.push_back(std::move(format));
    for (Bytes& xf : BuiltInXfs()) r.push_back(Make(rt::Xf, std::move(xf)));
    for (Record& style : BuiltInStyles()) r.push_back(std::move(style));
    r.push_back(U16Record(rt::UsesElfs, 1));
    r.push_back(Make(rt::BoundSheet));  // slot: replaced by the sheet directory
    Bytes country;
    Writer(country).U16(81).U16(81);
    r.push_back(Make(rt::Country, std::move(country)));
    r.push_back(Make(rt::Sst, Bytes(8, 0)));
    r.push_back(Make(rt::ExtSst));
    r.push_back(Make(rt::Eof));
    Globals globals;
    globals.records_ = std::move(r);
    globals.Index();
    return globals;
}

Globals Globals::Parse(RecordList records) {
    if (records.empty() || records.front().type != rt::Bof || GetU16(records.front().data, 0) != rt::BiffVersion8 ||
        GetU16(records.front().data, 2) != rt::BofGlobals)
        throw FormatError("not BIFF8 workbook globals");
    Globals globals;
    std::erase_if(records, [](const Record& r) { return r.type == rt::Room; });
    std::size_t offset = 0;
    for (const Record& record : records) {
        if (record.type == rt::Sst) {
            globals.storedSstOffset_ = offset;
            break;
        }
        offset += StreamSize(record);
    }
    AddAssumedFonts(records);
    globals.records_ = std::move(records);
    globals.Index();
    return globals;
}

void Globals::RemoveSheet(std::uint16_t sheet, const std::vector<RecordList*>& sheets) {
    RemoveSheetReferences(records_, sheets, sheet);
}

void Globals::InsertSheet(std::uint16_t sheet) { InsertSheetReferences(records_, sheet); }

bool Globals::Has(std::uint16_t type) const {
    return std::any_of(records_.begin(), records_.end(), [type](const Record& r) { return r.type == type; });
}

bool Globals::WrittenByThisEngine() const {
    for (const Record& record : records_) {
        if (record.type == rt::WriteAccess) return record.data == WriteAccessBody();
    }
    return false;
}

void Globals::Index() {
    for (std::size_t i = 0; i < records_.size(); ++i) {
        const Record& record = records_[i];
        switch (record.type) {
        case rt::Font:
            fonts_.push_back(record.data);
            break;
        case rt::Xf:
            xfs_.push_back(record.data);
            break;
        case rt::BoundSheet:
            if (!record.data.empty())
                boundSheets_.push_back(BoundSheet{ReadShortString(record.data, 6), GetU16(record.data, 4),
                                                  GetU32(record.data, 0), record.data});
            break;
        case rt::TabId:
            for (std::size_t pos = 0; pos + 2 <= record.data.size(); pos += 2)
                tabIds_.push_back(GetU16(record.data, pos));
            break;
        case rt::Window1:
            window_ = BookWindow{GetU16(record.data, 10), GetU16(record.data, 12), GetU16(record.data, 14),
                                 (GetU16(record.data, 8) & 0x01) != 0, (GetU16(record.data, 8) & 0x02) != 0};
            break;
        case rt::Sst: {
            RecordList table{record};
            for (std::size_t j = i + 1; j < records_.size() && records_[j].type == rt::Continue; ++j)
                table.push_back(records_[j]);
            strings_ = ParseSst(table);
            storedStringRefs_ = GetU32(record.data, 0);
            break;
        }
        default:
            break;
        }
    }
    if (fonts_.empty()) throw FormatError("workbook without fonts");
    DecodeFont(fonts_.front());  // the standard font must be readable
    storedXfs_ = xfs_.size();
    storedStrings_ = strings_.size();
    for (std::size_t i = 0; i < xfs_.size(); ++i) {
        if (auto format = DecodeCellXf(xfs_[i])) xfByFormat_.emplace(format->Key(), static_cast<std::uint16_t>(i));
    }
    for (std::size_t i = 0; i < strings_.size(); ++i) {
        if (strings_[i].runs.empty() && strings_[i].extRst.empty())
            stringByText_.emplace(strings_[i].chars, static_cast<std::uint32_t>(i));
    }
}

FontInfo Globals::StandardFont() const { return DecodeFont(fonts_.front()); }

std::optional<CellFormat> Globals::CellFormatOf(std::uint16_t xf) const {
    if (xf >= xfs_.size()) return std::nullopt;
    return DecodeCellXf(xfs_[xf]);
}

std::optional<std::uint16_t> Globals::NumberFormatOf(std::uint16_t xf) const {
    if (xf >= xfs_.size() || xfs_[xf].size() < 4) return std::nullopt;
    return GetU16(xfs_[xf], 2);
}

std::uint16_t Globals::InternXf(const CellFormat& format) {
    const auto found = xfByFormat_.find(format.Key());
    if (found != xfByFormat_.end()) return found->second;
    if (xfs_.size() >= MaxXfs)
        throw RuntimeError(err::ApplicationDefined, "セルの書式の種類が多すぎるため、これ以上書式を設定できません。");
    xfs_.push_back(CellXfBody(format));
    const auto index = static_cast<std::uint16_t>(xfs_.size() - 1);
    xfByFormat_.emplace(format.Key(), index);
    return index;
}

std::uint32_t Globals::InternString(const std::u16string& text) {
    const auto found = stringByText_.find(text);
    if (found != stringByText_.end()) return found->second;
    strings_.push_back(SstString{text, {}, {}});
    const auto index = static_cast<std::uint32_t>(strings_.size() - 1);
    stringByText_.emplace(text, index);
    return index;
}

Globals::Emitted Globals::Emit(const Output& output) const {
    Emitted out;
    out.stream.reserve(StreamSize(records_) + 64 * xfs_.size() + 16 * strings_.size());
    Bytes& s = out.stream;
    const bool stringsKept = storedSstOffset_ && strings_.size() == storedStrings_;
    std::size_t xfsSeen = 0;
    bool sheetsDone = false, sstDone = false, window1Done = false, skipContinues = false;
    SstLayout sst;
    std::size_t sstOffset = 0;
    auto layOutSst = [&] {
        sst = BuildSst(strings_, output.stringRefs);
        sstOffset = s.size();
        AppendRecords(s, sst.records);
        sstDone = true;
    };
    for (const Record& record : records_) {
        if (record.type == rt::Continue && skipContinues) continue;
        skipContinues = false;
        switch (record.type) {
        case rt::Xf:
            AppendRecord(s, record);
            if (++xfsSeen == storedXfs_) {
                for (std::size_t i = storedXfs_; i < xfs_.size(); ++i) AppendRecord(s, Record{rt::Xf, xfs_[i]});
            }
            break;
        case rt::XfCrc: {
            Record crc = record;
            if (xfs_.size() != storedXfs_ && crc.data.size() >= 20) {
                PutU16(crc.data, 14, static_cast<std::uint16_t>(xfs_.size()));
                PutU32(crc.data, 16, XfChecksum(xfs_));
            }
            AppendRecord(s, crc);
            break;
        }
        case rt::BoundSheet:
            if (!sheetsDone) {
                for (const BoundSheet& sheet : output.sheets) {
                    Record bound{rt::BoundSheet, sheet.body};
                    if (bound.data.empty()) {
                        Writer(bound.data).U32(0).U16(sheet.options);
                        AppendShortString(bound.data, sheet.name);
                    }
                    out.offsetFields.push_back(s.size() + 4);
                    AppendRecord(s, bound);
                }
            }
            sheetsDone = true;
            break;
        case rt::TabId: {
            Record tabs{rt::TabId, {}};
            for (std::uint16_t id : output.tabIds) Writer(tabs.data).U16(id);
            AppendRecord(s, tabs);
            break;
        }
        case rt::Window1: {
            Record window = record;
            if (!window1Done && window.data.size() >= 16) {
                std::uint16_t flags = GetU16(window.data, 8) & ~0x03;
                if (output.window.hidden) flags |= 0x01;
                if (output.window.minimized) flags |= 0x02;
                PutU16(window.data, 8, flags);
                PutU16(window.data, 10, output.window.activeSheet);
                PutU16(window.data, 12, output.window.firstTab);
                PutU16(window.data, 14, output.window.selectedTabs);
            }
            window1Done = true;
            AppendRecord(s, window);
            break;
        }
        case rt::SupBook: {
            Record book = record;
            // The self-reference carries the sheet count.
            if (book.data.size() == 4 && book.data[2] == 0x01 && book.data[3] == 0x04)
                PutU16(book.data, 0, static_cast<std::uint16_t>(output.sheets.size()));
            AppendRecord(s, book);
            break;
        }
        case rt::Sst:
            if (stringsKept) {
                // Same strings: the records stay, only the total count and
                // the position EXTSST refers to change.
                Record table = record;
                PutU32(table.data, 0, output.stringRefs);
                sstOffset = s.size();
                AppendRecord(s, table);
                sstDone = true;
            } else {
                layOutSst();
                skipContinues = true;
            }
            break;
        case rt::ExtSst:
            if (stringsKept) {
                AppendRecord(s, ShiftedExtSst(record, static_cast<std::int64_t>(sstOffset) -
                                                          static_cast<std::int64_t>(*storedSstOffset_)));
            } else if (sstDone) {
                AppendRecord(s, BuildExtSst(sst, sstOffset));
            }
            break;
        case rt::Eof:
            if (!sstDone) {
                layOutSst();
                AppendRecord(s, BuildExtSst(sst, sstOffset));
            }
            AppendRecord(s, record);
            break;
        default:
            AppendRecord(s, record);
            break;
        }
    }
    return out;
}

}  // namespace kolumbra::sheet::biff
