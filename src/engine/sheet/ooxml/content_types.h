#pragma once
// The [Content_Types].xml part: the content type of a part, and overrides
// added for new parts and removed with deleted ones.

#include <string>

#include "engine/sheet/ooxml/xml_part.h"

namespace kolumbra::sheet::ooxml {

inline constexpr const char* kContentTypesPart = "[Content_Types].xml";

namespace contenttype {
inline constexpr const char* Worksheet = "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
}

// The override for `part`, else the default for its extension; "" if none.
std::string ContentTypeOf(const XmlPart& types, const std::string& part);
void AddOverride(XmlPart& types, const std::string& part, const std::string& type);
void RemoveOverride(XmlPart& types, const std::string& part);

}  // namespace kolumbra::sheet::ooxml
