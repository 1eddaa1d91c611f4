#include "engine/sheet/biff/cell_reader.h"

#include <cstring>
#include <functional>

#include "common/text.h"
#include "engine/sheet/biff/bytes.h"
#include "engine/sheet/biff/record_types.h"
#include "engine/sheet/biff/rk.h"
#include "engine/sheet/cell_value.h"

namespace kolumbra::sheet::biff {

namespace {

constexpr std::uint16_t Formula = 0x0006;
constexpr std::uint16_t String = 0x0207;
constexpr std::uint16_t BoolErr = 0x0205;
constexpr std::uint16_t RString = 0x00D6;

// A string with a 16-bit character count at `pos`: the characters as one
// byte each (their high byte zero) or two; rich text and phonetic data
// after them are skipped.
std::string UnicodeString(const Bytes& d, std::size_t pos) {
    const std::size_t count = GetU16(d, pos);
    const std::uint8_t flags = GetU8(d, pos + 2);
    pos += 3;
    if (flags & 0x08) pos += 2;  // run count
    if (flags & 0x04) pos += 4;  // phonetic block size
    std::u16string chars;
    chars.reserve(count);
    const bool wide = flags & 0x01;
    RequireSize(d, pos, count * (wide ? 2 : 1));
    for (std::size_t i = 0; i < count; ++i)
        chars.push_back(wide ? static_cast<char16_t>(GetU16(d, pos + 2 * i)) : static_cast<char16_t>(d[pos + i]));
    return text::FromUtf16(chars);
}

std::string ErrorText(std::uint8_t code) {
    switch (code) {
    case 0x00: return "#NULL!";
    case 0x07: return "#DIV/0!";
    case 0x0F: return "#VALUE!";
    case 0x17: return "#REF!";
    case 0x1D: return "#NAME?";
    case 0x24: return "#NUM!";
    default: return "#N/A";
    }
}

using Sink = std::function<void(int row, int column, std::string text)>;

// The cached result of a FORMULA record; a string result stands in the
// STRING record that follows it.
void TakeFormula(const RecordList& sheet, std::size_t at, const Sink& sink) {
    const Bytes& d = sheet[at].data;
    const int row = GetU16(d, 0), column = GetU16(d, 2);
    if (GetU16(d, 12) != 0xFFFF) {
        sink(row, column, NumberText(GetF64(d, 6)));
        return;
    }
    switch (GetU8(d, 6)) {
    case 0:
        for (std::size_t next = at + 1; next < sheet.size(); ++next) {
            if (sheet[next].type == String) {
                sink(row, column, UnicodeString(sheet[next].data, 0));
                return;
            }
            // Array and shared formulas stand between the two.
            if (sheet[next].type != 0x0221 && sheet[next].type != 0x04BC) return;
        }
        return;
    case 1:
        sink(row, column, GetU8(d, 8) ? "TRUE" : "FALSE");
        return;
    case 2:
        sink(row, column, ErrorText(GetU8(d, 8)));
        return;
    default:
        return;  // an empty string
    }
}

// Reads every cell, or only the cell `only` names: the texts of other
// cells are not decoded then.
void ReadCells(const RecordList& sheet, const std::vector<SstString>& strings, const Sink& sink,
               const CellKey* only = nullptr) {
    for (std::size_t i = 0; i < sheet.size(); ++i) {
        const Record& r = sheet[i];
        const Bytes& d = r.data;
        if (only && r.type != rt::MulRk && d.size() >= 4 && (GetU16(d, 0) != only->row || GetU16(d, 2) != only->column))
            continue;
        switch (r.type) {
        case rt::LabelSst: {
            const std::uint32_t index = GetU32(d, 6);
            if (index < strings.size()) sink(GetU16(d, 0), GetU16(d, 2), text::FromUtf16(strings[index].chars));
            break;
        }
        case rt::Label:
        case RString:
            sink(GetU16(d, 0), GetU16(d, 2), UnicodeString(d, 6));
            break;
        case rt::Number:
            sink(GetU16(d, 0), GetU16(d, 2), NumberText(GetF64(d, 6)));
            break;
        case rt::Rk:
            sink(GetU16(d, 0), GetU16(d, 2), NumberText(DecodeRk(GetU32(d, 6))));
            break;
        case rt::MulRk: {
            const int row = GetU16(d, 0), first = GetU16(d, 2);
            for (std::size_t pos = 4, c = 0; pos + 6 + 2 <= d.size(); pos += 6, ++c)
                sink(row, first + static_cast<int>(c), NumberText(DecodeRk(GetU32(d, pos + 2))));
            break;
        }
        case BoolErr:
            sink(GetU16(d, 0), GetU16(d, 2),
                 GetU8(d, 7) ? ErrorText(GetU8(d, 6)) : std::string(GetU8(d, 6) ? "TRUE" : "FALSE"));
            break;
        case Formula:
            TakeFormula(sheet, i, sink);
            break;
        default:
            break;
        }
    }
}

}  // namespace

std::map<CellKey, std::string> ReadCellTexts(const RecordList& sheet, const std::vector<SstString>& strings) {
    std::map<CellKey, std::string> cells;
    ReadCells(sheet, strings, [&](int row, int column, std::string text) {
        if (text.empty()) {
            cells.erase(CellKey{row, column});
        } else {
            cells[CellKey{row, column}] = std::move(text);
        }
    });
    return cells;
}

std::string ReadCellText(const RecordList& sheet, const std::vector<SstString>& strings, int row, int column) {
    std::string found;
    const CellKey only{row, column};
    ReadCells(
        sheet, strings,
        [&](int r, int c, std::string text) {
            if (r == row && c == column) found = std::move(text);
        },
        &only);
    return found;
}

std::map<CellKey, CellMakeup> ReadCellMakeups(const RecordList& sheet) {
    std::map<CellKey, CellMakeup> cells;
    for (const Record& r : sheet) {
        const Bytes& d = r.data;
        switch (r.type) {
        case rt::LabelSst:
        case rt::Label:
        case RString:
        case rt::Number:
        case rt::Rk:
        case rt::Blank:
        case BoolErr:
        case Formula:
            cells[CellKey{GetU16(d, 0), GetU16(d, 2)}] = CellMakeup{GetU16(d, 4), r.type == Formula};
            break;
        case rt::MulRk:
        case rt::MulBlank: {
            // The XF of each cell, then for RK cells its value, and the
            // last column at the end.
            const std::size_t step = r.type == rt::MulRk ? 6 : 2;
            const int row = GetU16(d, 0), first = GetU16(d, 2);
            for (std::size_t pos = 4, c = 0; pos + step + 2 <= d.size(); pos += step, ++c)
                cells[CellKey{row, first + static_cast<int>(c)}] = CellMakeup{GetU16(d, pos), false};
            break;
        }
        default:
            break;
        }
    }
    return cells;
}

}  // namespace kolumbra::sheet::biff
