#include "engine/sheet/biff/sheet_records.h"

#include <algorithm>
#include <cstring>

#include "engine/sheet/biff/record_types.h"
#include "engine/sheet/biff/rk.h"

namespace kolumbra::sheet::biff {

namespace {

constexpr std::uint16_t SelectedFlags = 0x0600;  // fSelected | fPaged

bool At(const Record& record, int row, int column) {
    return record.data.size() >= 4 && GetU16(record.data, 0) == row && GetU16(record.data, 2) == column;
}

}  // namespace

void RelocateIndex(RecordList& sheet, std::int64_t delta) {
    if (delta == 0) return;
    for (Record& record : sheet) {
        if (record.type != rt::Index) continue;
        for (std::size_t pos = 12; pos + 4 <= record.data.size(); pos += 4) {
            // A zero offset stands for "none" and stays.
            const std::uint32_t offset = GetU32(record.data, pos);
            if (offset != 0) PutU32(record.data, pos, static_cast<std::uint32_t>(offset + delta));
        }
        return;
    }
}

void SetSheetActive(RecordList& sheet, bool active) {
    for (Record& record : sheet) {
        if (record.type != rt::Window2 || record.data.size() < 2) continue;
        const std::uint16_t flags = GetU16(record.data, 0);
        PutU16(record.data, 0, static_cast<std::uint16_t>(active ? flags | SelectedFlags : flags & ~SelectedFlags));
        return;
    }
}

std::uint32_t CountStringRefs(const RecordList& sheet) {
    return static_cast<std::uint32_t>(
        std::count_if(sheet.begin(), sheet.end(), [](const Record& r) { return r.type == rt::LabelSst; }));
}

std::optional<StoredValue> FindStoredValue(const RecordList& sheet, int row, int column) {
    for (const Record& record : sheet) {
        switch (record.type) {
        case rt::LabelSst:
            if (At(record, row, column)) return StoredValue{false, 0, GetU32(record.data, 6)};
            break;
        case rt::Number:
            if (At(record, row, column)) return StoredValue{true, GetF64(record.data, 6), 0};
            break;
        case rt::Rk:
            if (At(record, row, column)) return StoredValue{true, DecodeRk(GetU32(record.data, 6)), 0};
            break;
        case rt::MulRk:
            if (record.data.size() >= 6 && GetU16(record.data, 0) == row) {
                const int first = GetU16(record.data, 2);
                const std::size_t index = static_cast<std::size_t>(column - first);
                if (column >= first && 4 + index * 6 + 6 + 2 <= record.data.size())
                    return StoredValue{true, DecodeRk(GetU32(record.data, 4 + index * 6 + 2)), 0};
            }
            break;
        default:
            break;
        }
    }
    return std::nullopt;
}

Rect ReadSelection(const RecordList& sheet) {
    for (const Record& record : sheet) {
        if (record.type != rt::Selection || record.data.size() < 15) continue;
        return Rect{GetU16(record.data, 9), GetU8(record.data, 13), GetU16(record.data, 11), GetU8(record.data, 14)};
    }
    return Rect{};
}

Bytes SelectionBody(const Rect& s) {
    Bytes data;
    Writer(data)
        .U8(3)  // the only pane of an unsplit window
        .U16(static_cast<std::uint16_t>(s.r1))
        .U16(static_cast<std::uint16_t>(s.c1))
        .U16(0)
        .U16(1)
        .U16(static_cast<std::uint16_t>(s.r1))
        .U16(static_cast<std::uint16_t>(s.r2))
        .U8(static_cast<std::uint8_t>(s.c1))
        .U8(static_cast<std::uint8_t>(s.c2));
    return data;
}

void ReplaceSelection(RecordList& sheet, const Rect& selection) {
    if (std::count_if(sheet.begin(), sheet.end(), [](const Record& r) { return r.type == rt::Selection; }) != 1)
        return;
    for (Record& record : sheet) {
        if (record.type == rt::Selection) record.data = SelectionBody(selection);
    }
}

}  // namespace kolumbra::sheet::biff
