#include "engine/sheet/ooxml/app_properties.h"

#include <algorithm>
#include <optional>

namespace kolumbra::sheet::ooxml {

namespace {

struct Group {
    pugi::xml_node count;   // the vt:i4 of the heading pair
    pugi::xml_node titles;  // the vt:vector of TitlesOfParts
    std::size_t first = 0, size = 0;
};

pugi::xml_node Vector(const pugi::xml_node& root, const char* holder) {
    return Child(Child(root, holder), "vector");
}

std::optional<Group> WorksheetGroup(const XmlPart& app, std::vector<std::string> worksheets) {
    const pugi::xml_node root = app.doc.document_element();
    const pugi::xml_node pairs = Vector(root, "HeadingPairs");
    const pugi::xml_node titles = Vector(root, "TitlesOfParts");
    if (!pairs || !titles) return std::nullopt;
    const std::vector<pugi::xml_node> variants = Children(pairs, "variant");
    const std::vector<pugi::xml_node> names = Children(titles, "lpstr");
    std::sort(worksheets.begin(), worksheets.end());
    std::size_t first = 0;
    for (std::size_t i = 0; i + 1 < variants.size(); i += 2) {
        const pugi::xml_node count = Child(variants[i + 1], "i4");
        if (!count) return std::nullopt;
        const std::size_t size = count.text().as_uint();
        if (first + size > names.size()) return std::nullopt;
        if (size != worksheets.size()) {
            first += size;
            continue;
        }
        std::vector<std::string> group;
        for (std::size_t k = first; k < first + size; ++k) group.push_back(names[k].text().get());
        std::sort(group.begin(), group.end());
        if (group == worksheets) return Group{count, titles, first, size};
        first += size;
    }
    return std::nullopt;
}

void SetCount(pugi::xml_node vector) {
    vector.attribute("size") = static_cast<unsigned>(Children(vector, "lpstr").size());
}

}  // namespace

void AddWorksheetTitle(XmlPart& app, const std::vector<std::string>& worksheets, const std::string& title) {
    std::optional<Group> group = WorksheetGroup(app, worksheets);
    if (!group || group->size == 0) return;
    const pugi::xml_node last = Children(group->titles, "lpstr")[group->first + group->size - 1];
    pugi::xml_node added = group->titles.insert_child_after(last.name(), last);
    added.text() = title.c_str();
    group->count.text() = static_cast<unsigned>(group->size + 1);
    SetCount(group->titles);
    app.dirty = true;
}

void RemoveWorksheetTitle(XmlPart& app, const std::vector<std::string>& worksheets, const std::string& title) {
    std::optional<Group> group = WorksheetGroup(app, worksheets);
    if (!group) return;
    const std::vector<pugi::xml_node> names = Children(group->titles, "lpstr");
    for (std::size_t k = group->first; k < group->first + group->size; ++k)
        if (title == names[k].text().get()) {
            group->titles.remove_child(names[k]);
            group->count.text() = static_cast<unsigned>(group->size - 1);
            SetCount(group->titles);
            app.dirty = true;
            return;
        }
}

}  // namespace kolumbra::sheet::ooxml
