#pragma once
// Reads a written workbook back through xlrd (xls_probe.py beside this file),
// so that the form is checked by a reader independent of the engine.

#include <map>
#include <set>
#include <string>
#include <vector>

namespace kolumbra::testing {

struct CellView {
    std::string halign, valign;
    std::string left, top, right, bottom;  // "none", "thin", "hair", "double", ...
    std::string font, size;
    std::string value;
    std::string kind;  // "text", "number", "blank", "empty", ...
    bool shrink = false;  // shrunk to fit its cell
    bool operator==(const CellView&) const = default;
};

struct SheetView {
    std::string name;
    std::map<std::string, int> widths;     // column letters -> 1/256 character
    std::map<int, std::string> heights;    // row -> points
    std::set<std::string> merges;          // "A11:B11"
    std::map<std::string, CellView> cells; // "A2" -> cell
    bool operator==(const SheetView&) const = default;

    // The cell at `address`; an empty one when the reader saw nothing there.
    CellView cell(const std::string& address) const;
    std::string value(const std::string& address) const { return cell(address).value; }
};

std::vector<SheetView> ProbeWorkbook(const std::string& path);

// The change-history sheet's rows without their date, tab-separated.
std::vector<std::string> HistoryRows(const SheetView& history);

}  // namespace kolumbra::testing
