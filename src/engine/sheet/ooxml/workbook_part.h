#pragma once
// The workbook part: its list of sheets and what refers to sheet positions
// (sheet-local defined names, the active and first tab), edited in place.

#include <string>
#include <vector>

#include "engine/sheet/ooxml/xml_part.h"

namespace kolumbra::sheet::ooxml {

struct SheetListing {
    std::string name;
    std::string relationshipId;
    unsigned sheetId = 0;
};

// Refuses a workbook part that is not a transitional spreadsheet workbook.
void CheckWorkbookPart(const XmlPart& workbook);
std::vector<SheetListing> ListSheets(const XmlPart& workbook);
// Inserts a sheet at `position` (0-based; after the last one when it is
// the count of sheets), renumbering the localSheetId of later sheets and
// the tab positions; returns its sheetId.
unsigned InsertSheet(XmlPart& workbook, std::size_t position, const std::string& name,
                     const std::string& relationshipId);
// Removes the sheet at `position` (0-based) with its own defined names,
// renumbering the localSheetId of later sheets and the tab positions.
void RemoveSheetAt(XmlPart& workbook, std::size_t position);

struct DefinedName {
    std::string name, formula;
    int localSheet = -1;  // -1: the whole workbook's
};
std::vector<DefinedName> DefinedNames(const XmlPart& workbook);

}  // namespace kolumbra::sheet::ooxml
