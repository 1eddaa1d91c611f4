#include "engine/sheet/ooxml/sheet_edit.h"

#include <algorithm>
#include <charconv>

#include "common/runtime_error.h"
#include "engine/sheet/ooxml/sheet_part.h"

namespace kolumbra::sheet::ooxml {

void CannotSetCell(const std::string& sheetName, const std::string& why) {
    throw RuntimeError(err::ApplicationDefined, "シート '" + sheetName + "' のセルの値を変更できません。" + why);
}

namespace {

// Where an element stands among its siblings: itself, or the sibling it
// goes before when it is missing (none: it goes last).
struct Place {
    pugi::xml_node found, before;
};

Place RowPlace(const pugi::xml_node& sheetData, int row, const std::string& sheetName) {
    for (const pugi::xml_node r : Children(sheetData, "row")) {
        const unsigned number = r.attribute("r").as_uint();
        if (number == 0 || number > MaxGridRows) CannotSetCell(sheetName, "行の位置が書かれていない行があります。");
        if (static_cast<int>(number) - 1 == row) return {r, {}};
        if (static_cast<int>(number) - 1 > row) return {{}, r};
    }
    return {};
}

Place CellPlace(const pugi::xml_node& rowNode, int row, int column, const std::string& sheetName) {
    for (const pugi::xml_node c : Children(rowNode, "c")) {
        int r = 0, k = 0;
        if (!ParseCellReference(c.attribute("r").value(), r, k) || r != row)
            CannotSetCell(sheetName, "位置が書かれていないセルがあります。");
        if (k == column) return {c, {}};
        if (k > column) return {{}, c};
    }
    // After the last cell: before any extension list the row holds.
    return {{}, Child(rowNode, "extLst")};
}

pugi::xml_node Insert(pugi::xml_node parent, const Place& place, std::string_view local) {
    pugi::xml_node added = AppendElement(parent, local);
    if (place.before) parent.insert_move_before(added, place.before);
    return added;
}

// The format a new cell shows: its row's, when the row has one, else its
// column's.
unsigned NewCellStyle(const pugi::xml_node& worksheet, const pugi::xml_node& rowNode, int column) {
    const std::string_view custom = rowNode.attribute("customFormat").value();
    if (custom == "1" || custom == "true") return rowNode.attribute("s").as_uint();
    for (const pugi::xml_node cols : Children(worksheet, "cols"))
        for (const pugi::xml_node col : Children(cols, "col"))
            if (col.attribute("min").as_int() <= column + 1 && column + 1 <= col.attribute("max").as_int())
                return col.attribute("style").as_uint();
    return 0;
}

// The used range the part states, widened to the cell; left alone when it
// says nothing a reader could use.
void WidenDimension(const pugi::xml_node& worksheet, int row, int column) {
    pugi::xml_attribute ref = Child(worksheet, "dimension").attribute("ref");
    const std::optional<Rect> used = ref ? ParseCellRange(ref.value()) : std::nullopt;
    if (!used || used->Contains(row, column)) return;
    const Rect widened = used->Union(Rect{row, column, row, column});
    ref = (CellReference(widened.r1, widened.c1) + ":" + CellReference(widened.r2, widened.c2)).c_str();
}

// A value element, before any extension list the cell holds.
pugi::xml_node AddValueChild(pugi::xml_node cell, std::string_view local) {
    pugi::xml_node child = AppendElement(cell, local);
    if (const pugi::xml_node extensions = Child(cell, "extLst")) cell.insert_move_before(child, extensions);
    return child;
}

// The value, the formula and what pointed into the workbook's metadata
// about them (vm: value metadata such as a picture in the cell; cm: the
// formula's).
void RemoveValue(pugi::xml_node cell) {
    for (const char* local : {"f", "v", "is"})
        while (const pugi::xml_node child = Child(cell, local)) cell.remove_child(child);
    for (const char* attribute : {"t", "vm", "cm"}) cell.remove_attribute(attribute);
}

}  // namespace

void CheckStoredCell(const XmlPart& sheet, const std::string& sheetName, const StoredCellEdit& edit) {
    const pugi::xml_node sheetData = Child(sheet.doc.document_element(), "sheetData");
    if (!sheetData) CannotSetCell(sheetName, "シートにセルの一覧がありません。");
    const Place row = RowPlace(sheetData, edit.row, sheetName);
    if (!row.found) return;
    const pugi::xml_node cell = CellPlace(row.found, edit.row, edit.column, sheetName).found;
    if (Child(cell, "f").attribute("ref")) CannotSetCell(sheetName, "共有数式または配列数式の元になっているセルです。");
}

bool SetStoredCell(XmlPart& sheet, const std::string& sheetName, const StoredCellEdit& edit) {
    const pugi::xml_node worksheet = sheet.doc.document_element();
    const pugi::xml_node sheetData = Child(worksheet, "sheetData");
    const bool clearing = edit.kind == StoredCellEdit::Kind::Empty;
    Place row = RowPlace(sheetData, edit.row, sheetName);
    if (!row.found && clearing) return false;
    if (!row.found) {
        row.found = Insert(sheetData, row, "row");
        row.found.append_attribute("r") = edit.row + 1;
    }
    Place cell = CellPlace(row.found, edit.row, edit.column, sheetName);
    if (!cell.found && clearing) return false;
    if (!cell.found) {
        const unsigned style = NewCellStyle(worksheet, row.found, edit.column);
        cell.found = Insert(row.found, cell, "c");
        cell.found.append_attribute("r") = CellReference(edit.row, edit.column).c_str();
        if (style != 0) cell.found.append_attribute("s") = style;
    }
    const bool formula = static_cast<bool>(Child(cell.found, "f"));
    RemoveValue(cell.found);
    if (!clearing) WidenDimension(worksheet, edit.row, edit.column);
    if (edit.kind == StoredCellEdit::Kind::Number) {
        char digits[32];
        const auto end = std::to_chars(digits, digits + sizeof digits, edit.number).ptr;
        AddValueChild(cell.found, "v").text() = std::string(digits, end).c_str();
    } else if (edit.kind == StoredCellEdit::Kind::Text) {
        cell.found.append_attribute("t") = "inlineStr";
        pugi::xml_node text = AppendElement(AddValueChild(cell.found, "is"), "t");
        text.append_attribute("xml:space") = "preserve";
        text.text() = EscapedCellText(edit.text).c_str();
    }
    sheet.dirty = true;
    return formula;
}

std::vector<StoredMakeup> StoredMakeups(const XmlPart& sheet) {
    std::vector<StoredMakeup> makeups;
    for (const pugi::xml_node r : Children(Child(sheet.doc.document_element(), "sheetData"), "row"))
        for (const pugi::xml_node c : Children(r, "c")) {
            StoredMakeup makeup;
            if (!ParseCellReference(c.attribute("r").value(), makeup.row, makeup.column)) continue;
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
