#pragma once
// Independent readers of the workbooks the engine writes (xlrd, LibreOffice)
// and a check of every offset inside a Workbook stream.

#include <array>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/sheet/biff/bytes.h"

namespace kolumbra::sheet::testing {

struct XlrdCell {
    std::string type, value;
    int hAlign = -1, vAlign = -1;
    int left = -1, top = -1, right = -1, bottom = -1;
    int leftColour = -1, topColour = -1, rightColour = -1, bottomColour = -1;
    int numberFormat = -1;  // as the cell's XF names it
};

struct XlrdBook {
    std::string font0;
    int font0Twips = 0;
    std::vector<std::string> sheets;
    std::map<std::pair<int, std::string>, XlrdCell> cells;
    std::map<int, std::vector<std::array<int, 4>>> merges;  // half-open row0 row1 col0 col1
    std::map<std::pair<int, int>, int> widths;              // (sheet, column) -> stored units
    std::map<std::pair<int, int>, int> heights;             // (sheet, row) -> twips, custom only
    // The cell as read; an empty cell when xlrd has none there.
    XlrdCell Cell(int sheet, const std::string& a1) const;
};
XlrdBook ReadWithXlrd(const std::string& path);

struct LibreOfficeBook {
    std::vector<std::string> sheets;
    std::map<std::pair<int, std::string>, std::string> values;
    std::map<std::pair<int, std::string>, std::string> formulas;
    std::map<int, std::set<std::string>> merges;
    std::map<int, std::array<double, 4>> margins;  // left right top bottom, inches
    std::vector<std::string> warnings;              // printed by the conversion
};
LibreOfficeBook ReadWithLibreOffice(const std::string& path, const std::string& workdir);

// What the command printed; a test failure when it fails.
std::string RunCommand(const std::string& command);

// The Workbook stream of a saved file.
biff::Bytes WorkbookStreamOf(const std::string& path);

// Adds a test failure for every offset, size or reference in the stream that
// a spreadsheet application would call corrupt.
void ExpectSoundStream(const biff::Bytes& stream);

}  // namespace kolumbra::sheet::testing
