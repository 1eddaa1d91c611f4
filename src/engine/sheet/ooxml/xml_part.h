#pragma once
// XML parts read and written with pugixml so that an edit changes only the
// elements it touches: declarations, comments, processing instructions,
// unknown elements and namespace prefixes all stay as they were.

#include <pugixml.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace kolumbra::sheet::ooxml {

namespace ns {
inline constexpr const char* Main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline constexpr const char* StrictMain = "http://purl.oclc.org/ooxml/spreadsheetml/main";
inline constexpr const char* Relationships = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
inline constexpr const char* PackageRelationships = "http://schemas.openxmlformats.org/package/2006/relationships";
inline constexpr const char* ContentTypes = "http://schemas.openxmlformats.org/package/2006/content-types";
}  // namespace ns

// A parsed part; `dirty` once an edit changed it. It is written back in
// the encoding it was read in, with a byte order mark if it had one, so
// that its declaration stays true.
struct XmlPart {
    std::string name;
    pugi::xml_document doc;
    bool dirty = false;
    pugi::xml_encoding encoding = pugi::encoding_utf8;
    bool byteOrderMark = false;
};

// Parses `text`; refuses a part that is not well-formed XML.
void ParseXml(XmlPart& part, std::string_view text);
std::string SerializeXml(const XmlPart& part);

// The name without its prefix.
std::string_view LocalName(const pugi::xml_node& node);
std::string_view LocalName(const pugi::xml_attribute& attribute);
// The namespace `node`'s prefix is bound to.
std::string NamespaceOf(const pugi::xml_node& node);
// The first child element with that local name.
pugi::xml_node Child(const pugi::xml_node& parent, std::string_view local);
std::vector<pugi::xml_node> Children(const pugi::xml_node& parent, std::string_view local);
// A new last child named like its parent's prefix says.
pugi::xml_node AppendElement(pugi::xml_node parent, std::string_view local);
// The attribute of `node` with that local name in namespace `uri` (for
// r:id, whatever the prefix).
pugi::xml_attribute NamespacedAttribute(const pugi::xml_node& node, std::string_view local, std::string_view uri);
// Sets r:id on `node`, declaring a prefix on it when none is in scope.
void SetRelationshipId(pugi::xml_node node, const std::string& id);
// Keeps a `count` attribute true after children were added or removed.
void UpdateCount(pugi::xml_node parent, std::string_view childLocal);

}  // namespace kolumbra::sheet::ooxml
