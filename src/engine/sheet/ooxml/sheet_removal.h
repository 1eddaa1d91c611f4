#pragma once
// What deleting a sheet from a package takes with it, and what forbids it:
// the parts only the sheet uses (through its relationships, transitively)
// go; a formula, name, chart or pivot cache elsewhere that refers to the
// sheet keeps it.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/sheet/ooxml/package.h"
#include "engine/sheet/ooxml/relationships.h"

namespace kolumbra::sheet::ooxml {

// Every part's internal relationships, by source part (lower-case names).
using RelationshipGraph = std::map<std::string, std::vector<std::string>>;
RelationshipGraph ReadRelationshipGraph(const Package& package);

// `sheet` and the parts reachable from it that no part outside that set
// refers to (lower-case names).
std::set<std::string> PartsOwnedBy(const RelationshipGraph& graph, const std::string& sheet);

// Whether `formula` refers to the sheet `name` ('My Sheet'!A1, Data!B2).
bool FormulaRefersTo(std::string_view formula, const std::string& name);

// Whether `formula` has a structured reference to the table `name`.
bool FormulaRefersToTable(std::string_view formula, const std::string& name);

// What in `part` refers to the sheet `name` or to one of its `tables`,
// described for the user with `label` naming the part; "" when nothing
// does. Looks at formulas, chart series and pivot cache sources.
std::string ReferenceIn(const std::string& part, const std::string& label, std::string_view xml, const std::string& name,
                        const std::vector<std::string>& tables);

// Whether `formula` refers to a range of sheets (Sheet1:Sheet3!A1), whose
// meaning a sheet inserted between them would change.
bool FormulaSpansSheets(std::string_view formula);
// Whether a formula or name in `xml` does.
bool SpansSheets(const std::string& part, std::string_view xml);

// Removes the calculation-chain entries of sheet `sheetId`; false when no
// entry is left.
bool RemoveFromCalcChain(XmlPart& calcChain, unsigned sheetId);

}  // namespace kolumbra::sheet::ooxml
