#include "engine/sheet/biff/formula_names.h"

namespace kolumbra::sheet::biff {

namespace {

constexpr std::uint8_t PtgStr = 0x17;
constexpr std::uint8_t PtgElf = 0x18;
constexpr std::uint8_t PtgAttr = 0x19;
constexpr std::uint8_t AttrChoose = 0x04;
constexpr std::uint8_t PtgName = 0x23;
constexpr std::uint8_t PtgRefErr = 0x2A;
constexpr std::uint8_t PtgNameX = 0x39;
constexpr std::uint8_t PtgRefErr3d = 0x3C;
constexpr std::uint8_t ClassBits = 0x60;

// Operand tokens by their reference-class number (0x20 to 0x3F): size in
// bytes including the token byte, 0 for tokens that do not exist in BIFF8.
constexpr std::uint8_t OperandSizes[32] = {
    8, 3, 4, 5, 5, 9, 7, 7, 7, 3, 5, 9, 5, 9, 3, 3,  // Array Func FuncVar Name Ref Area Mem* RefErr AreaErr RefN AreaN MemN
    0, 0, 0, 0, 0, 0, 0, 0, 0, 7, 7, 11, 7, 11, 0, 0  // NameX Ref3d Area3d RefErr3d AreaErr3d
};

// The size of the token at `pos`.
std::size_t TokenSize(const Bytes& d, std::size_t pos) {
    const std::uint8_t ptg = d[pos];
    if (ptg >= 0x20 && ptg < 0x80) {
        const std::uint8_t size = OperandSizes[ptg & 0x1F];
        if (size == 0) throw FormatError("unknown formula token");
        return size;
    }
    if (ptg == 0x01 || ptg == 0x02) return 5;  // PtgExp, PtgTbl
    if (ptg >= 0x03 && ptg <= 0x16) return 1;   // operators, parentheses, missing argument
    switch (ptg) {
    case PtgStr: {
        const std::size_t count = GetU8(d, pos + 1);
        return 3 + count * ((GetU8(d, pos + 2) & 0x01) ? 2 : 1);
    }
    case PtgElf:
        // Natural-language labels and pivot names: six bytes each.
        switch (GetU8(d, pos + 1)) {
        case 0x01: case 0x02: case 0x03: case 0x06: case 0x07: case 0x0A:
        case 0x0B: case 0x0D: case 0x0F: case 0x10: case 0x1D:
            return 6;
        default:
            throw FormatError("unknown formula token");
        }
    case PtgAttr:
        if (GetU8(d, pos + 1) & AttrChoose) return 4 + 2 * (std::size_t{GetU16(d, pos + 2)} + 1);
        return 4;
    case 0x1C:  // PtgErr
    case 0x1D:  // PtgBool
        return 2;
    case 0x1E:  // PtgInt
        return 3;
    case 0x1F:  // PtgNum
        return 9;
    default:
        throw FormatError("unknown formula token");
    }
}

// The new index of a name, or 0 when it was removed; names past the end
// of the old list were dangling already and stay.
std::uint16_t Renumbered(std::uint16_t index, const NameRenumbering& r) {
    return index > 0 && index < r.newIndex.size() ? r.newIndex[index] : index;
}

void Clear(Bytes& d, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) d[i] = 0;
}

}  // namespace

void RenumberNames(Bytes& data, std::size_t start, std::size_t size, const NameRenumbering& renumbering) {
    RequireSize(data, start, size);
    const std::size_t end = start + size;
    for (std::size_t pos = start; pos < end;) {
        const std::size_t token = TokenSize(data, pos);
        if (end - pos < token) throw FormatError("formula token runs past the formula");
        const std::uint8_t ptg = data[pos];
        const std::uint8_t base = ptg >= 0x20 && ptg < 0x80 ? static_cast<std::uint8_t>(0x20 | (ptg & 0x1F)) : ptg;
        if (base == PtgName) {
            const std::uint16_t index = Renumbered(GetU16(data, pos + 1), renumbering);
            if (index == 0) {
                data[pos] = static_cast<std::uint8_t>((PtgRefErr & ~ClassBits) | (ptg & ClassBits));
                Clear(data, pos + 1, pos + token);
            } else {
                PutU16(data, pos + 1, index);
            }
        } else if (base == PtgNameX) {
            const std::uint16_t xti = GetU16(data, pos + 1);
            if (xti < renumbering.selfReference.size() && renumbering.selfReference[xti]) {
                const std::uint16_t index = Renumbered(GetU16(data, pos + 3), renumbering);
                if (index == 0) {
                    data[pos] = static_cast<std::uint8_t>((PtgRefErr3d & ~ClassBits) | (ptg & ClassBits));
                    Clear(data, pos + 3, pos + token);
                } else {
                    PutU16(data, pos + 3, index);
                }
            }
        }
        pos += token;
    }
}

}  // namespace kolumbra::sheet::biff
