#pragma once
// Relationship parts: reading where a part's relationships point, adding
// one under a fresh id and removing one, by editing the part's XML.

#include <string>
#include <vector>

#include "engine/sheet/ooxml/xml_part.h"

namespace kolumbra::sheet::ooxml {

namespace reltype {
inline constexpr const char* OfficeDocument =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
inline constexpr const char* StrictOfficeDocument =
    "http://purl.oclc.org/ooxml/officeDocument/relationships/officeDocument";
inline constexpr const char* Worksheet = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";
inline constexpr const char* Styles = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles";
inline constexpr const char* SharedStrings =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings";
inline constexpr const char* CalcChain = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/calcChain";
inline constexpr const char* ExtendedProperties =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties";
inline constexpr const char* CoreProperties =
    "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties";
}  // namespace reltype

struct Relationship {
    std::string id, type;
    std::string target;  // the part name it resolves to, without leading '/'
    bool external = false;
};

// "xl/_rels/workbook.xml.rels" for "xl/workbook.xml"; "_rels/.rels" for "".
std::string RelationshipsPartOf(const std::string& part);
// The folder of a part name, with its trailing '/'.
std::string FolderOf(const std::string& part);
// `target` as written in the relationships of `source`, resolved.
std::string ResolveTarget(const std::string& source, const std::string& target);
// The relative target from `source` to the part `target`.
std::string RelativeTarget(const std::string& source, const std::string& target);

std::vector<Relationship> ReadRelationships(const XmlPart& rels, const std::string& source);
// Adds a relationship of `type` from `source` to the part `target`;
// returns its id, one the part does not use yet.
std::string AddRelationship(XmlPart& rels, const std::string& source, const std::string& type,
                            const std::string& target);
void RemoveRelationship(XmlPart& rels, const std::string& id);

}  // namespace kolumbra::sheet::ooxml
