#include "engine/sheet/ooxml/xml_part.h"

#include <sstream>

#include "common/cp932.h"
#include "common/text.h"
#include "engine/sheet/ooxml/refusal.h"

namespace kolumbra::sheet::ooxml {

namespace {

std::string_view Prefix(std::string_view qualified) {
    const std::size_t colon = qualified.find(':');
    return colon == std::string_view::npos ? std::string_view{} : qualified.substr(0, colon);
}

std::string_view AfterPrefix(std::string_view qualified) {
    const std::size_t colon = qualified.find(':');
    return colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
}

// The namespace bound to `prefix` at `node` ("" for the default one).
std::string Resolve(pugi::xml_node node, std::string_view prefix) {
    const std::string attribute = prefix.empty() ? "xmlns" : "xmlns:" + std::string(prefix);
    for (; node; node = node.parent())
        if (const pugi::xml_attribute a = node.attribute(attribute.c_str())) return a.value();
    return {};
}

// A prefix bound to `uri` at `node`, if any.
bool FindPrefix(pugi::xml_node node, std::string_view uri, std::string& prefix) {
    for (; node; node = node.parent())
        for (const pugi::xml_attribute a : node.attributes()) {
            const std::string_view name = a.name();
            if (name.starts_with("xmlns:") && uri == a.value()) {
                prefix = std::string(name.substr(6));
                return true;
            }
        }
    return false;
}

bool HasByteOrderMark(std::string_view text) {
    for (const std::string_view mark : {std::string_view("\xEF\xBB\xBF"), std::string_view("\xFE\xFF"),
                                        std::string_view("\xFF\xFE")})
        if (text.starts_with(mark)) return true;
    return text.starts_with(std::string_view("\0\0\xFE\xFF", 4));
}

// The encoding the declaration at the start of `text` names, lower-case;
// "" when there is none.
std::string DeclaredEncoding(std::string_view text) {
    if (!text.starts_with("<?xml")) return {};
    const std::string_view declaration = text.substr(0, text.find("?>"));
    const std::size_t at = declaration.find("encoding");
    const std::size_t open = declaration.find_first_of("\"'", at);
    if (at == std::string_view::npos || open == std::string_view::npos) return {};
    return text::AsciiLower(declaration.substr(open + 1, declaration.find(declaration[open], open + 1) - open - 1));
}

bool IsShiftJis(const std::string& encoding) {
    return encoding == "shift_jis" || encoding == "shift-jis" || encoding == "sjis" || encoding == "x-sjis" ||
           encoding == "cp932" || encoding == "windows-31j" || encoding == "ms_kanji";
}

void SetDeclaredEncoding(pugi::xml_document& doc, const char* encoding) {
    for (pugi::xml_node node : doc.children())
        if (node.type() == pugi::node_declaration) node.attribute("encoding") = encoding;
}

}  // namespace

void ParseXml(XmlPart& part, std::string_view text) {
    // The parser reads Shift-JIS as UTF-8: a part in it is converted first.
    std::string converted;
    const bool shiftJis = IsShiftJis(DeclaredEncoding(text));
    if (shiftJis) text = converted = cp932::ToUtf8(text);
    // Whitespace-only text and the declaration are kept so that a part
    // is written back as it came, apart from what an edit changed.
    const unsigned options = pugi::parse_default | pugi::parse_declaration | pugi::parse_pi | pugi::parse_comments |
                             pugi::parse_doctype | pugi::parse_ws_pcdata_single;
    const pugi::xml_parse_result result = part.doc.load_buffer(text.data(), text.size(), options, pugi::encoding_auto);
    if (!result || !part.doc.document_element()) Refuse(PartDamaged(part.name));
    part.encoding = result.encoding;
    part.byteOrderMark = HasByteOrderMark(text);
    // Neither Latin-1 nor Shift-JIS holds every name an edit may add: such
    // a part is written back in UTF-8, and its declaration says so.
    if (shiftJis || part.encoding == pugi::encoding_latin1) {
        part.encoding = pugi::encoding_utf8;
        SetDeclaredEncoding(part.doc, "UTF-8");
    }
}

std::string SerializeXml(const XmlPart& part) {
    std::ostringstream out;
    part.doc.save(out, "", pugi::format_raw | pugi::format_no_declaration | (part.byteOrderMark ? pugi::format_write_bom : 0),
                  part.encoding);
    return out.str();
}

std::string_view LocalName(const pugi::xml_node& node) {
    return AfterPrefix(node.name());
}

std::string_view LocalName(const pugi::xml_attribute& attribute) {
    return AfterPrefix(attribute.name());
}

std::string NamespaceOf(const pugi::xml_node& node) {
    return Resolve(node, Prefix(node.name()));
}

pugi::xml_node Child(const pugi::xml_node& parent, std::string_view local) {
    for (const pugi::xml_node child : parent.children())
        if (child.type() == pugi::node_element && LocalName(child) == local) return child;
    return {};
}

std::vector<pugi::xml_node> Children(const pugi::xml_node& parent, std::string_view local) {
    std::vector<pugi::xml_node> found;
    for (const pugi::xml_node child : parent.children())
        if (child.type() == pugi::node_element && LocalName(child) == local) found.push_back(child);
    return found;
}

pugi::xml_node AppendElement(pugi::xml_node parent, std::string_view local) {
    const std::string_view prefix = Prefix(parent.name());
    const std::string name = prefix.empty() ? std::string(local) : std::string(prefix) + ":" + std::string(local);
    return parent.append_child(name.c_str());
}

pugi::xml_attribute NamespacedAttribute(const pugi::xml_node& node, std::string_view local, std::string_view uri) {
    for (const pugi::xml_attribute a : node.attributes()) {
        const std::string_view prefix = Prefix(a.name());
        if (!prefix.empty() && prefix != "xmlns" && LocalName(a) == local && Resolve(node, prefix) == uri) return a;
    }
    return {};
}

void SetRelationshipId(pugi::xml_node node, const std::string& id) {
    std::string prefix;
    if (!FindPrefix(node, ns::Relationships, prefix)) {
        // Declared on the element itself, under a prefix free there.
        prefix = Resolve(node, "r").empty() ? "r" : "kolr";
        node.append_attribute(("xmlns:" + prefix).c_str()) = ns::Relationships;
    }
    node.append_attribute((prefix + ":id").c_str()) = id.c_str();
}

void UpdateCount(pugi::xml_node parent, std::string_view childLocal) {
    if (pugi::xml_attribute count = parent.attribute("count"))
        count = static_cast<unsigned>(Children(parent, childLocal).size());
}

}  // namespace kolumbra::sheet::ooxml
