#include "engine/sheet/ooxml/relationships.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace kolumbra::sheet::ooxml {

namespace {

// Decodes %XX escapes of a target URI; part names are stored decoded.
std::string Unescape(const std::string& uri) {
    std::string out;
    for (std::size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] == '%' && i + 2 < uri.size() && std::isxdigit(static_cast<unsigned char>(uri[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(uri[i + 2]))) {
            out += static_cast<char>(std::stoi(uri.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += uri[i];
        }
    }
    return out;
}

}  // namespace

std::string FolderOf(const std::string& part) {
    const std::size_t slash = part.rfind('/');
    return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

std::string RelationshipsPartOf(const std::string& part) {
    const std::size_t slash = part.rfind('/');
    const std::string file = slash == std::string::npos ? part : part.substr(slash + 1);
    return FolderOf(part) + "_rels/" + file + ".rels";
}

std::string ResolveTarget(const std::string& source, const std::string& target) {
    std::string path = Unescape(target.substr(0, target.find('#')));
    path = !path.empty() && path[0] == '/' ? path.substr(1) : FolderOf(source) + path;
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string segment = path.substr(start, end - start);
        if (segment == "..") {
            if (!segments.empty()) segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string resolved;
    for (const std::string& segment : segments) resolved += (resolved.empty() ? "" : "/") + segment;
    return resolved;
}

std::string RelativeTarget(const std::string& source, const std::string& target) {
    const std::string folder = FolderOf(source);
    if (target.starts_with(folder)) return target.substr(folder.size());
    return "/" + target;
}

std::vector<Relationship> ReadRelationships(const XmlPart& rels, const std::string& source) {
    std::vector<Relationship> found;
    for (const pugi::xml_node r : Children(rels.doc.document_element(), "Relationship")) {
        Relationship rel{r.attribute("Id").value(), r.attribute("Type").value(), {}, false};
        rel.external = std::string_view(r.attribute("TargetMode").value()) == "External";
        rel.target = rel.external ? r.attribute("Target").value() : ResolveTarget(source, r.attribute("Target").value());
        found.push_back(std::move(rel));
    }
    return found;
}

std::string AddRelationship(XmlPart& rels, const std::string& source, const std::string& type,
                            const std::string& target) {
    std::set<std::string> taken;
    pugi::xml_node root = rels.doc.document_element();
    for (const pugi::xml_node r : Children(root, "Relationship")) taken.insert(r.attribute("Id").value());
    int n = static_cast<int>(taken.size()) + 1;
    while (taken.count("rId" + std::to_string(n))) ++n;
    const std::string id = "rId" + std::to_string(n);
    pugi::xml_node r = AppendElement(root, "Relationship");
    r.append_attribute("Id") = id.c_str();
    r.append_attribute("Type") = type.c_str();
    r.append_attribute("Target") = RelativeTarget(source, target).c_str();
    rels.dirty = true;
    return id;
}

void RemoveRelationship(XmlPart& rels, const std::string& id) {
    pugi::xml_node root = rels.doc.document_element();
    for (const pugi::xml_node r : Children(root, "Relationship"))
        if (id == r.attribute("Id").value()) {
            root.remove_child(r);
            rels.dirty = true;
        }
}

}  // namespace kolumbra::sheet::ooxml
