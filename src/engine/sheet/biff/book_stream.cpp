#include "engine/sheet/biff/book_stream.h"

#include <algorithm>
#include <numeric>

#include "engine/sheet/biff/record_types.h"
#include "engine/sheet/biff/refusal.h"
#include "engine/sheet/biff/stream.h"
#include "common/text.h"

namespace kolumbra::sheet::biff {

namespace {

// The BOF record types of the formats before BIFF5.
constexpr std::uint16_t OldBofTypes[] = {0x0009, 0x0209, 0x0409};

// Decides the format by the first record alone, whatever the stream's name.
void CheckFirstBof(const Bytes& stream) {
    if (stream.size() < 8) Refuse(kStreamTooShort);
    const std::uint16_t type = GetU16(stream, 0);
    if (std::find(std::begin(OldBofTypes), std::end(OldBofTypes), type) != std::end(OldBofTypes)) Refuse(kOldFormat);
    if (type != rt::Bof) Refuse(kNoBookBof);
    if (GetU16(stream, 4) != rt::BiffVersion8) Refuse(kOldFormat);
    if (GetU16(stream, 6) != rt::BofGlobals) Refuse(kNoBookBof);
}

bool IsSheetSubstream(const RecordList& sheet) {
    const Bytes& bof = sheet.front().data;
    if (bof.size() < 4 || GetU16(bof, 0) != rt::BiffVersion8) return false;
    const std::uint16_t type = GetU16(bof, 2);
    return type == rt::BofWorksheet || type == rt::BofChart || type == rt::BofMacroSheet;
}

bool OnlyPadding(const Bytes& stream, std::size_t from, std::size_t to) {
    return std::all_of(stream.begin() + static_cast<std::ptrdiff_t>(from), stream.begin() + static_cast<std::ptrdiff_t>(to),
                       [](std::uint8_t byte) { return byte == 0; });
}

RecordList ReadGlobals(const Bytes& stream) {
    try {
        return ReadSubstream(stream, 0);
    } catch (const FormatError&) {
        Refuse(kGlobalsCut);
    }
}

Globals ParseGlobals(RecordList records) {
    try {
        return Globals::Parse(std::move(records));
    } catch (const FormatError&) {
        Refuse(kGlobalsDamaged);
    }
}

RecordList ReadSheet(const Bytes& stream, const BoundSheet& entry, std::size_t globalsEnd) {
    const std::string name = text::FromUtf16(entry.name);
    if (entry.offset < globalsEnd || entry.offset >= stream.size() || stream.size() - entry.offset < 4 ||
        GetU16(stream, entry.offset) != rt::Bof)
        Refuse(SheetMisplaced(name));
    RecordList sheet;
    try {
        sheet = ReadSubstream(stream, entry.offset);
    } catch (const FormatError&) {
        Refuse(SheetCut(name));
    }
    if (!IsSheetSubstream(sheet)) Refuse(SheetMisplaced(name));
    return sheet;
}

BookStream Split(const Bytes& stream) {
    RecordList globals = ReadGlobals(stream);
    // Everything after FILEPASS is encrypted; nothing of it can be read.
    if (std::any_of(globals.begin(), globals.end(), [](const Record& r) { return r.type == rt::FilePass; }))
        Refuse(kEncrypted);
    const std::size_t globalsEnd = StreamSize(globals);
    BookStream book;
    book.globals = ParseGlobals(std::move(globals));
    const std::vector<BoundSheet>& bound = book.globals.BoundSheets();
    std::vector<std::size_t> ends;
    for (const BoundSheet& entry : bound) {
        RecordList sheet = ReadSheet(stream, entry, globalsEnd);
        ends.push_back(entry.offset + StreamSize(sheet));
        book.sheets.push_back(std::move(sheet));
        book.offsets.push_back(entry.offset);
    }
    // No two sheets may share bytes of the stream, and nothing but padding
    // may lie between them: bytes that belong to no sheet are a sheet the
    // directory lost, which a save would drop.
    std::vector<std::size_t> order(bound.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return book.offsets[a] < book.offsets[b]; });
    std::size_t end = globalsEnd;
    for (std::size_t k : order) {
        if (book.offsets[k] < end) Refuse(SheetsOverlap(text::FromUtf16(bound[k].name)));
        if (!OnlyPadding(stream, end, book.offsets[k])) Refuse(kUnlistedData);
        end = ends[k];
    }
    book.tail.assign(stream.begin() + static_cast<std::ptrdiff_t>(end), stream.end());
    return book;
}

}  // namespace

BookStream ReadBookStream(const Bytes& stream) {
    CheckFirstBof(stream);
    return Split(stream);
}

}  // namespace kolumbra::sheet::biff
