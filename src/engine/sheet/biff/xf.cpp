#include "engine/sheet/biff/xf.h"

#include <algorithm>
#include <array>

namespace kolumbra::sheet::biff {

namespace {

constexpr std::uint8_t UsedAlignment = 0x10;
constexpr std::uint8_t UsedBorder = 0x20;
constexpr std::uint8_t ShrinkToFit = 0x10;  // in the indent byte
constexpr std::uint16_t PatternColours = 0x20C0;  // foreground 64, background 65

bool Fits8Bit(const std::u16string& text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c <= 0xFF; });
}

void AppendChars(Bytes& out, const std::u16string& text) {
    const bool compressed = Fits8Bit(text);
    Writer w(out);
    w.U8(compressed ? 0 : 1);
    for (char16_t c : text) {
        if (compressed) {
            w.U8(static_cast<std::uint8_t>(c));
        } else {
            w.U16(c);
        }
    }
}

std::array<std::uint32_t, 256> CrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t value = i << 24;
        for (int bit = 0; bit < 8; ++bit) value = (value & 0x80000000u) ? (value << 1) ^ 0xAFu : value << 1;
        table[i] = value;
    }
    return table;
}

}  // namespace

std::uint32_t XfChecksum(const std::vector<Bytes>& xfs) {
    static const std::array<std::uint32_t, 256> table = CrcTable();
    std::uint32_t crc = 0;
    for (const Bytes& xf : xfs) {
        for (std::uint8_t byte : xf) crc = (crc << 8) ^ table[(crc >> 24) ^ byte];
    }
    return crc;
}

Bytes CellXfBody(const CellFormat& f) {
    Bytes body;
    const bool aligned = f.hAlign != 0 || f.vAlign != 2 || f.shrinkToFit;
    const bool bordered = f.left.style || f.right.style || f.top.style || f.bottom.style;
    const std::uint8_t used = (aligned ? UsedAlignment : 0) | (bordered ? UsedBorder : 0);
    const std::uint32_t lines = static_cast<std::uint32_t>(f.left.style) | f.right.style << 4 | f.top.style << 8 |
                                f.bottom.style << 12 | static_cast<std::uint32_t>(f.left.colour) << 16 |
                                static_cast<std::uint32_t>(f.right.colour) << 23;
    const std::uint32_t colours = static_cast<std::uint32_t>(f.top.colour) | f.bottom.colour << 7;
    Writer(body)
        .U16(0)       // font 0: the standard font
        .U16(0)       // general number format
        .U16(0x0001)  // locked cell, parent XF 0
        .U8(static_cast<std::uint8_t>(f.hAlign | f.vAlign << 4))
        .U8(0)
        .U8(f.shrinkToFit ? ShrinkToFit : 0)
        .U8(used)
        .U32(lines)
        .U32(colours)
        .U16(PatternColours);
    return body;
}

std::optional<CellFormat> DecodeCellXf(const Bytes& body) {
    if (body.size() != 20) return std::nullopt;
    CellFormat f;
    const std::uint8_t align = body[6];
    f.hAlign = align & 0x07;
    f.vAlign = (align >> 4) & 0x07;
    f.shrinkToFit = (body[8] & ShrinkToFit) != 0;
    const std::uint32_t lines = GetU32(body, 10);
    const std::uint32_t colours = GetU32(body, 14);
    f.left = {static_cast<std::uint8_t>(lines & 0xF), static_cast<std::uint8_t>((lines >> 16) & 0x7F)};
    f.right = {static_cast<std::uint8_t>((lines >> 4) & 0xF), static_cast<std::uint8_t>((lines >> 23) & 0x7F)};
    f.top = {static_cast<std::uint8_t>((lines >> 8) & 0xF), static_cast<std::uint8_t>(colours & 0x7F)};
    f.bottom = {static_cast<std::uint8_t>((lines >> 12) & 0xF), static_cast<std::uint8_t>((colours >> 7) & 0x7F)};
    if (CellXfBody(f) != body) return std::nullopt;
    return f;
}

std::vector<Bytes> BuiltInXfs() {
    auto style = [](std::uint16_t font, std::uint16_t numberFormat, std::uint8_t unused) {
        Bytes body;
        Writer(body).U16(font).U16(numberFormat).U16(0xFFF5).U8(0x20).U8(0).U8(0).U8(unused).U32(0).U32(0).U16(
            PatternColours);
        return body;
    };
    std::vector<Bytes> xfs;
    xfs.push_back(style(0, 0, 0x00));  // Normal
    for (std::uint16_t font : {1, 1, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}) xfs.push_back(style(font, 0, 0xF4));
    xfs.push_back(CellXfBody(CellFormat{}));
    for (std::uint16_t numberFormat : {0x2B, 0x29, 0x2C, 0x2A, 0x09}) xfs.push_back(style(1, numberFormat, 0xF8));
    return xfs;
}

Bytes FontBody(const std::u16string& name, std::uint16_t twips) {
    const bool japanese = !Fits8Bit(name);
    const std::u16string mincho = u"明朝";
    const std::uint8_t family = !japanese ? 0 : (name.find(mincho) != std::u16string::npos ? 1 : 3);
    Bytes body;
    Writer(body)
        .U16(twips)
        .U16(0)       // regular
        .U16(0x7FFF)  // automatic colour
        .U16(400)     // normal weight
        .U16(0)
        .U8(0)
        .U8(family)
        .U8(japanese ? 128 : 0)
        .U8(0);
    AppendShortString(body, name);
    return body;
}

FontInfo DecodeFont(const Bytes& body) {
    return FontInfo{ReadShortString(body, 14), GetU16(body, 0)};
}

void AppendShortString(Bytes& out, const std::u16string& text) {
    out.push_back(static_cast<std::uint8_t>(text.size()));
    AppendChars(out, text);
}

void AppendString(Bytes& out, const std::u16string& text) {
    Writer(out).U16(static_cast<std::uint16_t>(text.size()));
    AppendChars(out, text);
}

std::u16string ReadShortString(const Bytes& data, std::size_t pos) {
    const std::size_t count = GetU8(data, pos);
    const bool wide = (GetU8(data, pos + 1) & 0x01) != 0;
    std::u16string text;
    std::size_t p = pos + 2;
    RequireSize(data, p, count * (wide ? 2 : 1));
    for (std::size_t i = 0; i < count; ++i) {
        text.push_back(wide ? static_cast<char16_t>(GetU16(data, p)) : static_cast<char16_t>(data[p]));
        p += wide ? 2 : 1;
    }
    return text;
}

}  // namespace kolumbra::sheet::biff
