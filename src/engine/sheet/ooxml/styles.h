#pragma once
// The styles part: the cell format (xf) of each border and alignment the
// engine's sheets use. A format the part already has, whoever added it, is
// used again; a new one adds a border and an xf at the end of their lists,
// and the lists they refer to when the writer left them out.

#include <cstdint>
#include <string>
#include <unordered_map>

#include "engine/sheet/cell_format.h"
#include "engine/sheet/ooxml/xml_part.h"

namespace kolumbra::sheet::ooxml {

class StyleTable {
public:
    // Indexes the borders and cell formats of `styles`, which must outlive
    // this table.
    explicit StyleTable(XmlPart& styles);
    // The index of an xf with the workbook's standard font, general number
    // format and `format`'s borders and alignment.
    unsigned XfOf(const CellFormat& format);

private:
    void Index();
    unsigned BorderOf(const CellFormat& format);

    XmlPart& styles_;
    std::unordered_map<std::uint64_t, unsigned> borders_;  // key of the edges only
    std::unordered_map<std::uint64_t, unsigned> xfs_;
};

// The styles part of a new workbook whose standard font is `font`.
std::string NewStylesPart(const std::string& font, double points);

}  // namespace kolumbra::sheet::ooxml
