#include "engine/sheet/ooxml/content_types.h"

#include <strings.h>

namespace kolumbra::sheet::ooxml {

namespace {

bool SameName(const char* a, const std::string& b) {
    return strcasecmp(a, b.c_str()) == 0;
}

}  // namespace

std::string ContentTypeOf(const XmlPart& types, const std::string& part) {
    const pugi::xml_node root = types.doc.document_element();
    for (const pugi::xml_node o : Children(root, "Override"))
        if (SameName(o.attribute("PartName").value(), "/" + part)) return o.attribute("ContentType").value();
    const std::size_t dot = part.rfind('.');
    const std::string extension = dot == std::string::npos || part.find('/', dot) != std::string::npos
                                      ? std::string()
                                      : part.substr(dot + 1);
    for (const pugi::xml_node d : Children(root, "Default"))
        if (SameName(d.attribute("Extension").value(), extension)) return d.attribute("ContentType").value();
    return {};
}

void AddOverride(XmlPart& types, const std::string& part, const std::string& type) {
    pugi::xml_node o = AppendElement(types.doc.document_element(), "Override");
    o.append_attribute("PartName") = ("/" + part).c_str();
    o.append_attribute("ContentType") = type.c_str();
    types.dirty = true;
}

void RemoveOverride(XmlPart& types, const std::string& part) {
    pugi::xml_node root = types.doc.document_element();
    for (const pugi::xml_node o : Children(root, "Override"))
        if (SameName(o.attribute("PartName").value(), "/" + part)) {
            root.remove_child(o);
            types.dirty = true;
        }
}

}  // namespace kolumbra::sheet::ooxml
