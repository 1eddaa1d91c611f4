#pragma once
// docProps/app.xml: the titles of the worksheets and their count in the
// heading pairs. The group of worksheets is found by its titles, since its
// heading is in the writer's language.

#include <string>
#include <vector>

#include "engine/sheet/ooxml/xml_part.h"

namespace kolumbra::sheet::ooxml {

// Adds `title` at the end of the group whose titles are exactly
// `worksheets`; leaves the part alone when no group is.
void AddWorksheetTitle(XmlPart& app, const std::vector<std::string>& worksheets, const std::string& title);
// Removes `title` from that group.
void RemoveWorksheetTitle(XmlPart& app, const std::vector<std::string>& worksheets, const std::string& title);

}  // namespace kolumbra::sheet::ooxml
