#include "engine/sheet/ooxml/sheet_edit.h"

#include <algorithm>
#include <charconv>

#include "common/runtime_error.h"
#include "engine/sheet/ooxml/sheet_part.h"

namespace kolumbra::sheet::ooxml {

namespace {

[[noreturn]] void CannotSet(const std::string& sheetName, const std::string& why) {
    throw RuntimeError(err::ApplicationDefined, "シート '" + sheetName + "' のセルの値を変更できません。" + why);
}

// "AB12" as 0-based row and column; false for anything else.
bool ParseReference(std::string_view reference, int& row, int& column) {
    std::size_t i = 0;
    int letters = 0;
    for (; i < reference.size() && i < 3 && reference[i] >= 'A' && reference[i] <= 'Z'; ++i)
        letters = letters * 26 + (reference[i] - 'A' + 1);
    int number = 0;
    const auto [end, error] = std::from_chars(reference.data() + i, reference.data() + reference.size(), number);
    if (letters == 0 || error != std::errc() || end != reference.data() + reference.size() || number < 1) return false;
    row = number - 1;
    column = letters - 1;
    return true;
}

// The name of a new element beside `sibling`, with its prefix.
std::string NameBeside(const pugi::xml_node& sibling, std::string_view local) {
    const std::string_view name = sibling.name();
    const std::size_t colon = name.find(':');
    return std::string(colon == std::string_view::npos ? "" : name.substr(0, colon + 1)) + std::string(local);
}

// The element for `row` (0-based), added in row order when missing.
pugi::xml_node RowElement(pugi::xml_node sheetData, int row, const std::string& sheetName) {
    for (pugi::xml_node r : Children(sheetData, "row")) {
        const unsigned number = r.attribute("r").as_uint();
        if (number == 0) CannotSet(sheetName, "行の位置が書かれていない行があります。");
        if (static_cast<int>(number) - 1 == row) return r;
        if (static_cast<int>(number) - 1 > row) {
            pugi::xml_node added = sheetData.insert_child_before(NameBeside(r, "row").c_str(), r);
            added.append_attribute("r") = row + 1;
            return added;
        }
    }
    pugi::xml_node added = AppendElement(sheetData, "row");
    added.append_attribute("r") = row + 1;
    return added;
}

// The element of the cell, added in column order when missing.
pugi::xml_node CellElement(pugi::xml_node rowNode, int row, int column, const std::string& sheetName) {
    for (pugi::xml_node c : Children(rowNode, "c")) {
        int r = 0, k = 0;
        if (!ParseReference(c.attribute("r").value(), r, k) || r != row)
            CannotSet(sheetName, "位置が書かれていないセルがあります。");
        if (k == column) return c;
        if (k > column) {
            pugi::xml_node added = rowNode.insert_child_before(NameBeside(c, "c").c_str(), c);
            added.append_attribute("r") = CellReference(row, column).c_str();
            return added;
        }
    }
    // After the last cell: before any extension list the row may hold.
    pugi::xml_node added = AppendElement(rowNode, "c");
    if (const pugi::xml_node extensions = Child(rowNode, "extLst")) rowNode.insert_move_before(added, extensions);
    added.append_attribute("r") = CellReference(row, column).c_str();
    return added;
}

// A value element, before any extension list the cell holds.
pugi::xml_node AddValueChild(pugi::xml_node cell, std::string_view local) {
    pugi::xml_node child = cell.append_child(NameBeside(cell, local).c_str());
    if (const pugi::xml_node extensions = Child(cell, "extLst")) cell.insert_move_before(child, extensions);
    return child;
}

// The used range the part states, widened to the cell; left alone when it
// says nothing a reader could use.
void WidenDimension(const pugi::xml_node& worksheet, int row, int column) {
    pugi::xml_attribute ref = Child(worksheet, "dimension").attribute("ref");
    const std::string_view range = ref.value();
    const std::size_t colon = range.find(':');
    int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
    if (!ref || !ParseReference(range.substr(0, colon), r1, c1)) return;
    if (colon == std::string_view::npos) {
        r2 = r1;
        c2 = c1;
    } else if (!ParseReference(range.substr(colon + 1), r2, c2)) {
        return;
    }
    if (row >= r1 && row <= r2 && column >= c1 && column <= c2) return;
    const std::string widened = CellReference(std::min(r1, row), std::min(c1, column)) + ":" +
                                CellReference(std::max(r2, row), std::max(c2, column));
    ref = widened.c_str();
}

void RemoveValue(pugi::xml_node cell) {
    for (const char* local : {"f", "v", "is"})
        while (const pugi::xml_node child = Child(cell, local)) cell.remove_child(child);
    cell.remove_attribute("t");
}

}  // namespace

bool SetStoredCell(XmlPart& sheet, const std::string& sheetName, const StoredCellEdit& edit) {
    const pugi::xml_node sheetData = Child(sheet.doc.document_element(), "sheetData");
    if (!sheetData) CannotSet(sheetName, "シートにセルの一覧がありません。");
    pugi::xml_node cell = CellElement(RowElement(sheetData, edit.row, sheetName), edit.row, edit.column, sheetName);
    const pugi::xml_node formula = Child(cell, "f");
    if (formula && formula.attribute("ref"))
        CannotSet(sheetName, "共有数式または配列数式の元になっているセルです。");
    RemoveValue(cell);
    if (edit.kind != StoredCellEdit::Kind::Empty) WidenDimension(sheet.doc.document_element(), edit.row, edit.column);
    if (edit.kind == StoredCellEdit::Kind::Number) {
        char digits[32];
        const auto end = std::to_chars(digits, digits + sizeof digits, edit.number).ptr;
        AddValueChild(cell, "v").text() = std::string(digits, end).c_str();
    } else if (edit.kind == StoredCellEdit::Kind::Text) {
        cell.append_attribute("t") = "inlineStr";
        pugi::xml_node text = AddValueChild(cell, "is").append_child(NameBeside(cell, "t").c_str());
        text.append_attribute("xml:space") = "preserve";
        text.text() = EscapedCellText(edit.text).c_str();
    }
    sheet.dirty = true;
    return static_cast<bool>(formula);
}

std::vector<StoredMakeup> StoredMakeups(const XmlPart& sheet) {
    std::vector<StoredMakeup> makeups;
    for (const pugi::xml_node r : Children(Child(sheet.doc.document_element(), "sheetData"), "row"))
        for (const pugi::xml_node c : Children(r, "c")) {
            StoredMakeup makeup;
            if (!ParseReference(c.attribute("r").value(), makeup.row, makeup.column)) continue;
            makeup.xf = c.attribute("s").as_uint();
            makeup.formula = static_cast<bool>(Child(c, "f"));
            makeups.push_back(makeup);
        }
    return makeups;
}

bool RemoveCellFromCalcChain(XmlPart& calcChain, unsigned sheetId, const std::string& reference) {
    pugi::xml_node root = calcChain.doc.document_element();
    unsigned current = 0;
    bool removed = false, anyKept = false;
    for (pugi::xml_node c : Children(root, "c")) {
        if (const pugi::xml_attribute i = c.attribute("i")) current = i.as_uint();
        if (current == sheetId && reference == c.attribute("r").value()) {
            root.remove_child(c);
            removed = calcChain.dirty = true;
            continue;
        }
        // An entry without i is of the sheet of the entry before it, which
        // may be gone.
        if (removed && !c.attribute("i")) c.append_attribute("i") = current;
        anyKept = true;
    }
    return anyKept;
}

}  // namespace kolumbra::sheet::ooxml
