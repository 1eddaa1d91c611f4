#pragma once
// Cell XF records for the formats of modelled sheets, and the XF and FONT
// records of a new workbook.

#include <optional>
#include <string>

#include "engine/sheet/biff/bytes.h"
#include "engine/sheet/cell_format.h"

namespace kolumbra::sheet::biff {

// The 20-byte body of a cell XF (standard font, general number format,
// parent Normal) with this format.
Bytes CellXfBody(const CellFormat& format);

// The format a cell XF body encodes, when it is one CellXfBody writes.
std::optional<CellFormat> DecodeCellXf(const Bytes& body);

// The 21 built-in XFs: style XFs 0-14, the default cell XF 15, and the
// style XFs 16-20 of the built-in number styles.
std::vector<Bytes> BuiltInXfs();

// The checksum XFCRC keeps of the XF bodies: a CRC with the generator
// 0x000000AF, most significant bit first, starting from 0. An application
// that finds it stale ignores the extended formats of XFEXT.
std::uint32_t XfChecksum(const std::vector<Bytes>& xfs);

// A FONT body for a regular face of `twips` height.
Bytes FontBody(const std::u16string& name, std::uint16_t twips);

struct FontInfo {
    std::u16string name;
    std::uint16_t twips = 200;
};
FontInfo DecodeFont(const Bytes& body);

// A ShortXLUnicodeString (1-byte count) or XLUnicodeString (2-byte count),
// 8-bit when every character allows it.
void AppendShortString(Bytes& out, const std::u16string& text);
void AppendString(Bytes& out, const std::u16string& text);
// Reads a ShortXLUnicodeString at `pos`.
std::u16string ReadShortString(const Bytes& data, std::size_t pos);

}  // namespace kolumbra::sheet::biff
