#include "engine/sheet/ooxml/sheet_removal.h"

#include <algorithm>
#include <cctype>
#include <functional>

#include "common/text.h"

namespace kolumbra::sheet::ooxml {

namespace {

// The part a relationships part describes: "xl/_rels/workbook.xml.rels"
// is about "xl/workbook.xml".
std::string SourceOf(const std::string& rels) {
    const std::size_t marker = rels.rfind("_rels/");
    return rels.substr(0, marker) + rels.substr(marker + 6, rels.size() - marker - 6 - 5);
}

// Characters that may stand in an unquoted sheet name: a name preceded by
// one of them is the tail of a longer name.
bool NamePart(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || std::isalnum(u) || c == '_' || c == '.';
}

bool ReferringElement(std::string_view local) {
    return local == "f" || local == "formula" || local == "formula1" || local == "formula2" ||
           local == "calculatedColumnFormula" || local == "totalsRowFormula" || local == "definedName";
}

}  // namespace

RelationshipGraph ReadRelationshipGraph(const Package& package) {
    RelationshipGraph graph;
    for (const std::string& name : package.Names()) {
        if (!text::AsciiLower(name).ends_with(".rels") || name.find("_rels/") == std::string::npos) continue;
        XmlPart rels;
        rels.name = name;
        ParseXml(rels, package.Read(name));
        const std::string source = SourceOf(name);
        std::vector<std::string>& targets = graph[text::AsciiLower(source)];
        for (const Relationship& r : ReadRelationships(rels, source))
            if (!r.external) targets.push_back(text::AsciiLower(r.target));
    }
    return graph;
}

std::set<std::string> PartsOwnedBy(const RelationshipGraph& graph, const std::string& sheet) {
    const std::string root = text::AsciiLower(sheet);
    std::set<std::string> owned;
    // Reachable from the sheet, through parts kept in `owned` only.
    auto reach = [&](const std::set<std::string>* within) {
        std::set<std::string> seen{root};
        std::vector<std::string> work{root};
        while (!work.empty()) {
            const std::string part = work.back();
            work.pop_back();
            const auto it = graph.find(part);
            if (it == graph.end()) continue;
            for (const std::string& target : it->second)
                if ((!within || within->count(target)) && seen.insert(target).second) work.push_back(target);
        }
        return seen;
    };
    owned = reach(nullptr);
    for (bool changed = true; changed;) {
        changed = false;
        for (const auto& [source, targets] : graph) {
            if (owned.count(source)) continue;
            for (const std::string& target : targets)
                if (target != root && owned.erase(target)) changed = true;
        }
        if (changed) owned = reach(&owned);
    }
    return owned;
}

bool FormulaRefersTo(std::string_view formula, const std::string& name) {
    const std::string text = text::AsciiLower(formula);
    std::string quoted = "'";
    for (char c : text::AsciiLower(name)) quoted += c == '\'' ? std::string("''") : std::string(1, c);
    if (text.find(quoted + "'!") != std::string::npos) return true;
    // The first or last sheet of a range of sheets: 'A:B'!C1.
    if (text.find(quoted + ":") != std::string::npos || text.find(std::string(":").append(quoted, 1).append("'!")) != std::string::npos)
        return true;
    const std::string plain = text::AsciiLower(name);
    for (std::size_t at = text.find(plain); at != std::string::npos; at = text.find(plain, at + 1)) {
        if (at > 0 && (NamePart(text[at - 1]) || text[at - 1] == '\'' || text[at - 1] == ']')) continue;
        std::size_t after = at + plain.size();
        if (after < text.size() && text[after] == ':')  // the first sheet of Sheet1:Sheet3!A1
            for (++after; after < text.size() && NamePart(text[after]);) ++after;
        if (after < text.size() && text[after] == '!') return true;
    }
    return false;
}

bool FormulaRefersToTable(std::string_view formula, const std::string& name) {
    const std::string text = text::AsciiLower(formula);
    const std::string reference = text::AsciiLower(name) + "[";
    for (std::size_t at = text.find(reference); at != std::string::npos; at = text.find(reference, at + 1))
        if (at == 0 || !NamePart(text[at - 1])) return true;
    return false;
}

namespace {

// Visits the elements of `xml`, depth first, until `visit` gives an answer.
std::string Walk(const std::string& part, std::string_view xml,
                 const std::function<std::string(const pugi::xml_node&, std::string_view local)>& visit) {
    XmlPart parsed;
    parsed.name = part;
    ParseXml(parsed, xml);
    std::vector<pugi::xml_node> work{parsed.doc.document_element()};
    while (!work.empty()) {
        const pugi::xml_node node = work.back();
        work.pop_back();
        std::string answer = visit(node, LocalName(node));
        if (!answer.empty()) return answer;
        for (const pugi::xml_node child : node.children())
            if (child.type() == pugi::node_element) work.push_back(child);
    }
    return {};
}

}  // namespace

std::string ReferenceIn(const std::string& part, const std::string& label, std::string_view xml, const std::string& name,
                        const std::vector<std::string>& tables) {
    auto refersToTable = [&](std::string_view formula) {
        return std::any_of(tables.begin(), tables.end(),
                           [&](const std::string& t) { return FormulaRefersToTable(formula, t); });
    };
    auto isTable = [&](std::string_view source) {
        return std::any_of(tables.begin(), tables.end(), [&](const std::string& t) { return text::AsciiLower(t) == text::AsciiLower(source); });
    };
    return Walk(part, xml, [&](const pugi::xml_node& node, std::string_view local) -> std::string {
        if (ReferringElement(local) && (FormulaRefersTo(node.text().get(), name) || refersToTable(node.text().get())))
            return local == "definedName" ? "名前 '" + std::string(node.attribute("name").value()) + "'"
                                          : label + " の数式";
        if (local == "worksheetSource" &&
            (text::AsciiLower(node.attribute("sheet").value()) == text::AsciiLower(name) || isTable(node.attribute("name").value())))
            return "ピボットテーブルのキャッシュ " + label;
        return {};
    });
}

bool FormulaSpansSheets(std::string_view formula) {
    for (std::size_t bang = formula.find('!'); bang != std::string_view::npos; bang = formula.find('!', bang + 1)) {
        std::size_t at = bang;
        if (at > 0 && formula[at - 1] == '\'') {
            // A quoted name ends there, its quotes doubled inside: a colon
            // in it (which no sheet name may hold) parts two sheets.
            std::size_t open = at - 1;
            while (open > 0) {
                --open;
                if (formula[open] != '\'') continue;
                if (open == 0 || formula[open - 1] != '\'') break;
                --open;
            }
            if (formula.substr(open, at - open).find(':') != std::string_view::npos) return true;
            continue;
        }
        while (at > 0 && NamePart(formula[at - 1])) --at;
        if (at > 1 && formula[at - 1] == ':' && NamePart(formula[at - 2])) return true;
    }
    return false;
}

bool SpansSheets(const std::string& part, std::string_view xml) {
    return !Walk(part, xml, [](const pugi::xml_node& node, std::string_view local) -> std::string {
                return ReferringElement(local) && FormulaSpansSheets(node.text().get()) ? "span" : "";
            }).empty();
}

bool RemoveFromCalcChain(XmlPart& calcChain, unsigned sheetId) {
    pugi::xml_node root = calcChain.doc.document_element();
    unsigned current = 0, previousKept = 0;
    bool anyKept = false;
    for (pugi::xml_node c : Children(root, "c")) {
        if (const pugi::xml_attribute i = c.attribute("i")) current = i.as_uint();
        if (current == sheetId) {
            root.remove_child(c);
            calcChain.dirty = true;
            continue;
        }
        // An entry without i is of the sheet of the entry before it.
        if (!c.attribute("i") && (!anyKept || previousKept != current)) c.append_attribute("i") = current;
        previousKept = current;
        anyKept = true;
    }
    return anyKept;
}

}  // namespace kolumbra::sheet::ooxml
