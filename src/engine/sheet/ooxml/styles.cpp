#include "engine/sheet/ooxml/styles.h"

#include <array>
#include <optional>


namespace kolumbra::sheet::ooxml {

namespace {

// Line styles by their code in the cell format, as the part names them.
constexpr std::array<const char*, 14> LineNames = {
    "",       "thin",         "medium",     "dashed",           "dotted",       "thick",           "double",
    "hair",   "mediumDashed", "dashDot",    "mediumDashDot",    "dashDotDot",   "mediumDashDotDot", "slantDashDot"};

constexpr std::array<const char*, 4> EdgeNames = {"left", "right", "top", "bottom"};
constexpr std::array<const char*, 4> HorizontalNames = {"general", "left", "center", "right"};
constexpr std::array<const char*, 3> VerticalNames = {"top", "center", "bottom"};

CellFormat EdgesOnly(const CellFormat& format) {
    CellFormat edges;
    edges.left = format.left;
    edges.right = format.right;
    edges.top = format.top;
    edges.bottom = format.bottom;
    return edges;
}

std::array<Edge, 4> EdgesOf(const CellFormat& f) {
    return {f.left, f.right, f.top, f.bottom};
}

// The edge a border element describes, when it is one this engine could
// have written: a known line style in an indexed or automatic colour.
std::optional<Edge> ReadEdge(const pugi::xml_node& node) {
    Edge edge;
    const std::string_view style = node.attribute("style").value();
    if (style.empty() || style == "none") return edge;
    std::size_t code = 1;
    while (code < LineNames.size() && style != LineNames[code]) ++code;
    if (code == LineNames.size()) return std::nullopt;
    edge.style = static_cast<std::uint8_t>(code);
    const pugi::xml_node color = Child(node, "color");
    if (color.attribute("auto").as_bool() || !color) {
        edge.colour = AutomaticColour;
    } else if (color.attribute("indexed") && color.attribute("indexed").as_uint() < 128 && !color.attribute("tint")) {
        edge.colour = static_cast<std::uint8_t>(color.attribute("indexed").as_uint());
    } else {
        return std::nullopt;
    }
    return edge;
}

std::optional<CellFormat> ReadBorder(const pugi::xml_node& border) {
    for (const pugi::xml_attribute a : border.attributes())
        if (a.as_bool()) return std::nullopt;  // diagonals, outline
    std::array<Edge, 4> edges{};
    for (const pugi::xml_node child : border.children()) {
        if (child.type() != pugi::node_element) continue;
        const std::string_view name = LocalName(child);
        std::size_t i = 0;
        while (i < EdgeNames.size() && name != EdgeNames[i]) ++i;
        const std::optional<Edge> edge = ReadEdge(child);
        if (!edge) return std::nullopt;
        if (i == EdgeNames.size()) {
            if (edge->style != line::None) return std::nullopt;  // a diagonal or a logical edge
            continue;
        }
        edges[i] = *edge;
    }
    CellFormat format;
    format.left = edges[0];
    format.right = edges[1];
    format.top = edges[2];
    format.bottom = edges[3];
    return format;
}

// The format of an xf this engine could have written: standard font,
// general number format, no fill, the Normal style, only alignment and
// shrink-to-fit set.
std::optional<CellFormat> ReadXf(const pugi::xml_node& xf, const std::unordered_map<unsigned, CellFormat>& borders) {
    for (const char* zero : {"numFmtId", "fontId", "fillId", "xfId"})
        if (xf.attribute(zero).as_uint() != 0) return std::nullopt;
    const auto border = borders.find(xf.attribute("borderId").as_uint());
    if (border == borders.end()) return std::nullopt;
    CellFormat format = border->second;
    for (const pugi::xml_node child : xf.children()) {
        if (child.type() != pugi::node_element) continue;
        if (LocalName(child) != "alignment") return std::nullopt;
        for (const pugi::xml_attribute a : child.attributes()) {
            const std::string_view name = a.name();
            const std::string_view value = a.value();
            if (name == "horizontal") {
                std::size_t i = 0;
                while (i < HorizontalNames.size() && value != HorizontalNames[i]) ++i;
                if (i == HorizontalNames.size()) return std::nullopt;
                format.hAlign = static_cast<std::uint8_t>(i);
            } else if (name == "vertical") {
                std::size_t i = 0;
                while (i < VerticalNames.size() && value != VerticalNames[i]) ++i;
                if (i == VerticalNames.size()) return std::nullopt;
                format.vAlign = static_cast<std::uint8_t>(i);
            } else if (name == "shrinkToFit") {
                format.shrinkToFit = a.as_bool();
            } else if (a.as_int() != 0) {
                return std::nullopt;  // wrap, indent, rotation
            }
        }
    }
    return format;
}

// The children of a styles part in the order its schema gives them.
constexpr std::array<std::string_view, 11> ListOrder = {"numFmts", "fonts",      "fills",       "borders",
                                                        "cellStyleXfs", "cellXfs", "cellStyles", "dxfs",
                                                        "tableStyles",  "colors",  "extLst"};

// The lists a cell format refers to by index, each with the entries it
// starts with in a workbook whose writer left it out or empty: the
// applications' defaults, so that index 0 still means what it meant.
struct DefaultList {
    const char* list;
    const char* entries;
};
constexpr std::array<DefaultList, 5> FormatLists = {{
    {"fonts", "<font><sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/></font>"},
    {"fills", "<fill><patternFill patternType=\"none\"/></fill><fill><patternFill patternType=\"gray125\"/></fill>"},
    {"borders", "<border><left/><right/><top/><bottom/><diagonal/></border>"},
    {"cellStyleXfs", "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"},
    {"cellXfs", "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"},
}};

std::size_t OrderOf(std::string_view local) {
    std::size_t i = 0;
    while (i < ListOrder.size() && ListOrder[i] != local) ++i;
    return i;
}

// `source` copied under `parent`, its elements named with the parent's
// prefix.
void CopyInto(pugi::xml_node parent, const pugi::xml_node& source) {
    pugi::xml_node copy = AppendElement(parent, source.name());
    for (const pugi::xml_attribute a : source.attributes()) copy.append_attribute(a.name()) = a.value();
    for (const pugi::xml_node child : source.children()) CopyInto(copy, child);
}

// Adds the list where the schema puts it when the part has none, and its
// default entries when it has none; whether it added anything.
bool EnsureList(XmlPart& styles, const DefaultList& wanted) {
    pugi::xml_node root = styles.doc.document_element();
    pugi::xml_node list = Child(root, wanted.list);
    if (!list) {
        pugi::xml_node before;
        for (const pugi::xml_node child : root.children())
            if (child.type() == pugi::node_element && OrderOf(LocalName(child)) > OrderOf(wanted.list)) {
                before = child;
                break;
            }
        list = AppendElement(root, wanted.list);
        if (before) root.insert_move_before(list, before);
        list.append_attribute("count");
    }
    pugi::xml_document entries;
    entries.load_string(wanted.entries);
    if (Child(list, entries.first_child().name())) return false;
    for (const pugi::xml_node entry : entries.children()) CopyInto(list, entry);
    UpdateCount(list, entries.first_child().name());
    styles.dirty = true;
    return true;
}

}  // namespace

StyleTable::StyleTable(XmlPart& styles) : styles_(styles) {
    Index();
}

void StyleTable::Index() {
    borders_.clear();
    xfs_.clear();
    std::unordered_map<unsigned, CellFormat> borders;
    unsigned i = 0;
    const pugi::xml_node root = styles_.doc.document_element();
    for (const pugi::xml_node b : Children(Child(root, "borders"), "border")) {
        if (const std::optional<CellFormat> f = ReadBorder(b)) {
            borders.emplace(i, *f);
            borders_.emplace(f->Key(), i);
        }
        ++i;
    }
    i = 0;
    for (const pugi::xml_node xf : Children(Child(root, "cellXfs"), "xf")) {
        if (const std::optional<CellFormat> f = ReadXf(xf, borders)) xfs_.emplace(f->Key(), i);
        ++i;
    }
}

unsigned StyleTable::BorderOf(const CellFormat& format) {
    const CellFormat edges = EdgesOnly(format);
    if (const auto it = borders_.find(edges.Key()); it != borders_.end()) return it->second;
    pugi::xml_node list = Child(styles_.doc.document_element(), "borders");
    pugi::xml_node border = AppendElement(list, "border");
    const std::array<Edge, 4> all = EdgesOf(edges);
    for (std::size_t i = 0; i < all.size(); ++i) {
        pugi::xml_node edge = AppendElement(border, EdgeNames[i]);
        if (all[i].style == line::None || all[i].style >= LineNames.size()) continue;
        edge.append_attribute("style") = LineNames[all[i].style];
        AppendElement(edge, "color").append_attribute("indexed") = static_cast<unsigned>(all[i].colour);
    }
    AppendElement(border, "diagonal");
    UpdateCount(list, "border");
    const auto index = static_cast<unsigned>(Children(list, "border").size() - 1);
    borders_.emplace(edges.Key(), index);
    return index;
}

unsigned StyleTable::XfOf(const CellFormat& format) {
    if (format == CellFormat{}) return 0;
    if (const auto it = xfs_.find(format.Key()); it != xfs_.end()) return it->second;
    bool added = false;
    for (const DefaultList& list : FormatLists) added |= EnsureList(styles_, list);
    if (added) Index();
    if (const auto it = xfs_.find(format.Key()); it != xfs_.end()) return it->second;
    const unsigned border = BorderOf(format);
    pugi::xml_node list = Child(styles_.doc.document_element(), "cellXfs");
    pugi::xml_node xf = AppendElement(list, "xf");
    for (const char* zero : {"numFmtId", "fontId", "fillId"}) xf.append_attribute(zero) = 0;
    xf.append_attribute("borderId") = border;
    xf.append_attribute("xfId") = 0;
    if (border != 0) xf.append_attribute("applyBorder") = 1;
    const CellFormat plain;
    if (format.hAlign != plain.hAlign || format.vAlign != plain.vAlign || format.shrinkToFit) {
        xf.append_attribute("applyAlignment") = 1;
        pugi::xml_node alignment = AppendElement(xf, "alignment");
        if (format.hAlign != plain.hAlign && format.hAlign < HorizontalNames.size())
            alignment.append_attribute("horizontal") = HorizontalNames[format.hAlign];
        if (format.vAlign != plain.vAlign && format.vAlign < VerticalNames.size())
            alignment.append_attribute("vertical") = VerticalNames[format.vAlign];
        if (format.shrinkToFit) alignment.append_attribute("shrinkToFit") = 1;
    }
    UpdateCount(list, "xf");
    styles_.dirty = true;
    const auto index = static_cast<unsigned>(Children(list, "xf").size() - 1);
    xfs_.emplace(format.Key(), index);
    return index;
}

std::string NewStylesPart(const std::string& font, double points) {
    XmlPart part;
    part.doc.load_string(
        "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<fonts count=\"1\"><font><sz/><name/><family val=\"1\"/><charset val=\"128\"/></font></fonts>"
        "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
        "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
        "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
        "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
        "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/></cellXfs>"
        "<cellStyles count=\"1\"><cellStyle name=\"標準\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
        "</styleSheet>");
    pugi::xml_node f = part.doc.document_element().child("fonts").child("font");
    f.child("sz").append_attribute("val") = points;
    f.child("name").append_attribute("val") = font.c_str();
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n" + SerializeXml(part);
}

}  // namespace kolumbra::sheet::ooxml
