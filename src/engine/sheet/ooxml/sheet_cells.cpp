#include "engine/sheet/ooxml/sheet_cells.h"

#include <charconv>
#include <cstdlib>

#include "common/text.h"
#include "engine/sheet/ooxml/sheet_part.h"
#include "engine/sheet/ooxml/xml_part.h"

namespace kolumbra::sheet::ooxml {

namespace {

// Writers escape characters XML cannot hold as _xHHHH_, one UTF-16 unit
// each: a character beyond the BMP comes as two escapes in a row.
std::string Unescaped(std::string_view text) {
    std::string out;
    std::u16string units;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned code = 0;
        if (text[i] == '_' && i + 6 < text.size() && text[i + 1] == 'x' && text[i + 6] == '_' &&
            std::from_chars(text.data() + i + 2, text.data() + i + 6, code, 16).ptr == text.data() + i + 6) {
            units += static_cast<char16_t>(code);
            i += 6;
            continue;
        }
        out += text::FromUtf16(units);
        units.clear();
        out += text[i];
    }
    return out + text::FromUtf16(units);
}

// The text of a string item: its t, or the t of each rich run; the
// phonetic runs (rPh) are readings, not text.
std::string ItemText(const pugi::xml_node& item) {
    std::string text;
    for (const pugi::xml_node child : item.children()) {
        const std::string_view local = LocalName(child);
        if (local == "t") text += child.text().get();
        if (local == "r") text += Child(child, "t").text().get();
    }
    return Unescaped(text);
}

std::optional<StoredCell> CellOf(const pugi::xml_node& cell, int row, int column,
                                 const std::vector<std::string>& sharedStrings) {
    const std::string_view type = cell.attribute("t").value();
    const char* value = Child(cell, "v").text().get();
    StoredCell stored{row, column, std::nullopt, {}};
    if (type == "inlineStr") {
        stored.text = ItemText(Child(cell, "is"));
    } else if (!Child(cell, "v")) {
        return std::nullopt;
    } else if (type == "s") {
        const unsigned long index = std::strtoul(value, nullptr, 10);
        if (index < sharedStrings.size()) stored.text = sharedStrings[index];
    } else if (type == "b") {
        stored.text = std::string_view(value) == "1" ? "TRUE" : "FALSE";
    } else if (type == "str" || type == "e" || type == "d") {
        stored.text = Unescaped(value);
    } else {
        char* end = nullptr;
        const double number = std::strtod(value, &end);
        if (end == value) return std::nullopt;
        stored.number = number;
    }
    return stored;
}

}  // namespace

std::vector<std::string> ReadSharedStrings(std::string_view xml) {
    XmlPart part;
    ParseXml(part, xml);
    std::vector<std::string> strings;
    for (const pugi::xml_node item : Children(part.doc.document_element(), "si")) strings.push_back(ItemText(item));
    return strings;
}

std::vector<StoredCell> ReadStoredCells(std::string_view xml, const std::vector<std::string>& sharedStrings) {
    XmlPart part;
    ParseXml(part, xml);
    std::vector<StoredCell> cells;
    // A row or cell without its reference follows the one before it.
    int row = -1;
    for (const pugi::xml_node rowNode : Children(Child(part.doc.document_element(), "sheetData"), "row")) {
        const unsigned number = rowNode.attribute("r").as_uint();
        row = number > 0 && number <= MaxGridRows ? static_cast<int>(number) - 1 : row + 1;
        if (row >= MaxGridRows) break;
        int column = -1;
        for (const pugi::xml_node cell : Children(rowNode, "c")) {
            int cellRow = row;
            if (!ParseCellReference(cell.attribute("r").value(), cellRow, column)) ++column;
            if (std::optional<StoredCell> stored = CellOf(cell, row, column, sharedStrings))
                cells.push_back(std::move(*stored));
        }
    }
    return cells;
}

}  // namespace kolumbra::sheet::ooxml
