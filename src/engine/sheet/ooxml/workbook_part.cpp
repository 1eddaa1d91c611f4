#include "engine/sheet/ooxml/workbook_part.h"

#include <algorithm>

#include "engine/sheet/ooxml/refusal.h"

namespace kolumbra::sheet::ooxml {

namespace {

pugi::xml_node SheetsNode(const XmlPart& workbook) {
    const pugi::xml_node sheets = Child(workbook.doc.document_element(), "sheets");
    if (!sheets) Refuse(PartDamaged(workbook.name));
    return sheets;
}

// Moves a tab position stored in `attribute` to where it is once the
// sheet at `removed` is gone from `count` sheets.
void ShiftTab(pugi::xml_node node, const char* attribute, std::size_t removed, std::size_t count) {
    pugi::xml_attribute a = node.attribute(attribute);
    if (!a) return;
    const unsigned tab = a.as_uint();
    if (tab > removed || (tab == removed && tab + 1 >= count && tab > 0)) a = tab - 1;
}

}  // namespace

void CheckWorkbookPart(const XmlPart& workbook) {
    const pugi::xml_node root = workbook.doc.document_element();
    const std::string uri = NamespaceOf(root);
    if (uri == ns::StrictMain) Refuse(kStrict);
    if (uri != ns::Main || LocalName(root) != "workbook") Refuse(PartDamaged(workbook.name));
    SheetsNode(workbook);
}

std::vector<SheetListing> ListSheets(const XmlPart& workbook) {
    std::vector<SheetListing> sheets;
    for (const pugi::xml_node s : Children(SheetsNode(workbook), "sheet")) {
        const pugi::xml_attribute id = NamespacedAttribute(s, "id", ns::Relationships);
        if (!id || !s.attribute("name")) Refuse(PartDamaged(workbook.name));
        sheets.push_back(SheetListing{s.attribute("name").value(), id.value(), s.attribute("sheetId").as_uint()});
    }
    return sheets;
}

unsigned InsertSheet(XmlPart& workbook, std::size_t position, const std::string& name,
                     const std::string& relationshipId) {
    pugi::xml_node sheets = SheetsNode(workbook);
    const std::vector<pugi::xml_node> list = Children(sheets, "sheet");
    unsigned sheetId = 0;
    for (const pugi::xml_node s : list) sheetId = std::max(sheetId, s.attribute("sheetId").as_uint());
    ++sheetId;
    pugi::xml_node sheet = AppendElement(sheets, "sheet");
    if (position < list.size()) sheets.insert_move_before(sheet, list[position]);
    sheet.append_attribute("name") = name.c_str();
    sheet.append_attribute("sheetId") = sheetId;
    SetRelationshipId(sheet, relationshipId);
    pugi::xml_node root = workbook.doc.document_element();
    if (position < list.size()) {
        for (pugi::xml_node n : Children(Child(root, "definedNames"), "definedName"))
            if (pugi::xml_attribute local = n.attribute("localSheetId"); local && local.as_uint() >= position)
                local = local.as_uint() + 1;
        for (const pugi::xml_node view : Children(Child(root, "bookViews"), "workbookView"))
            for (const char* tab : {"activeTab", "firstSheet"})
                if (pugi::xml_attribute a = view.attribute(tab); a && a.as_uint() >= position) a = a.as_uint() + 1;
    }
    workbook.dirty = true;
    return sheetId;
}

void RemoveSheetAt(XmlPart& workbook, std::size_t position) {
    pugi::xml_node sheets = SheetsNode(workbook);
    const std::vector<pugi::xml_node> list = Children(sheets, "sheet");
    sheets.remove_child(list.at(position));
    pugi::xml_node root = workbook.doc.document_element();
    if (pugi::xml_node names = Child(root, "definedNames")) {
        for (pugi::xml_node n : Children(names, "definedName")) {
            pugi::xml_attribute local = n.attribute("localSheetId");
            if (!local) continue;
            if (local.as_uint() == position) {
                names.remove_child(n);
            } else if (local.as_uint() > position) {
                local = local.as_uint() - 1;
            }
        }
        if (Children(names, "definedName").empty()) root.remove_child(names);
    }
    if (const pugi::xml_node views = Child(root, "bookViews"))
        for (const pugi::xml_node view : Children(views, "workbookView")) {
            ShiftTab(view, "activeTab", position, list.size());
            ShiftTab(view, "firstSheet", position, list.size());
        }
    workbook.dirty = true;
}

std::vector<DefinedName> DefinedNames(const XmlPart& workbook) {
    std::vector<DefinedName> names;
    const pugi::xml_node list = Child(workbook.doc.document_element(), "definedNames");
    for (const pugi::xml_node n : Children(list, "definedName")) {
        const pugi::xml_attribute local = n.attribute("localSheetId");
        names.push_back(DefinedName{n.attribute("name").value(), n.text().get(), local ? local.as_int() : -1});
    }
    return names;
}

}  // namespace kolumbra::sheet::ooxml
