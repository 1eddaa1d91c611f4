#include "engine/sheet/ooxml/package_book.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "common/runtime_error.h"
#include "common/text.h"
#include "engine/sheet/ooxml/app_properties.h"
#include "engine/sheet/ooxml/content_types.h"
#include "engine/sheet/ooxml/refusal.h"
#include "engine/sheet/ooxml/relationships.h"
#include "engine/sheet/ooxml/sheet_part.h"
#include "engine/sheet/ooxml/sheet_removal.h"
#include "engine/sheet/ooxml/workbook_part.h"

namespace kolumbra::sheet::ooxml {

namespace {

constexpr const char* kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
constexpr const char* kMacroWorkbookType = "application/vnd.ms-excel.sheet.macroEnabled.main+xml";

constexpr const char* kTableType = "application/vnd.openxmlformats-officedocument.spreadsheetml.table+xml";

// Content types of the parts whose formulas or sources may name a sheet.
const std::set<std::string, std::less<>> kReferringTypes = {
    contenttype::Worksheet,
    "application/vnd.openxmlformats-officedocument.spreadsheetml.chartsheet+xml",
    "application/vnd.ms-excel.macrosheet+xml",
    "application/vnd.ms-excel.intlmacrosheet+xml",
    "application/vnd.openxmlformats-officedocument.spreadsheetml.dialogsheet+xml",
    "application/vnd.openxmlformats-officedocument.drawingml.chart+xml",
    "application/vnd.openxmlformats-officedocument.spreadsheetml.pivotCacheDefinition+xml",
    kTableType,
};

// A sheet whose cells stand in a worksheet part of the package: not a
// chart, macro or dialog sheet, nor one whose part is missing.
bool IsStoredWorksheet(const PackageSheet& sheet) {
    return !sheet.part.empty() && sheet.contentType == contenttype::Worksheet;
}

void LoadPart(const Package& package, XmlPart& part, const std::string& name) {
    part.name = package.StoredName(name);
    ParseXml(part, package.Read(part.name));
}

// The parts of a new workbook before its first sheet is added.
Package NewPackage(const std::string& font, double points, bool macroEnabled) {
    Package package;
    package.Write(kContentTypesPart,
                  std::string(kXmlHead) +
                      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                      "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                      "<Override PartName=\"/xl/workbook.xml\" ContentType=\"" +
                      (macroEnabled ? kMacroWorkbookType
                                    : "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml") +
                      "\"/>"
                      "<Override PartName=\"/xl/styles.xml\" "
                      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
                      "<Override PartName=\"/docProps/app.xml\" "
                      "ContentType=\"application/vnd.openxmlformats-officedocument.extended-properties+xml\"/>"
                      "</Types>");
    package.Write("_rels/.rels",
                  std::string(kXmlHead) +
                      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                      "<Relationship Id=\"rId1\" Type=\"" + reltype::OfficeDocument + "\" Target=\"xl/workbook.xml\"/>"
                      "<Relationship Id=\"rId2\" Type=\"" + reltype::ExtendedProperties +
                      "\" Target=\"docProps/app.xml\"/></Relationships>");
    package.Write("docProps/app.xml",
                  std::string(kXmlHead) +
                      "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\" "
                      "xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes\">"
                      "<Application>Kolumbra</Application><HeadingPairs><vt:vector size=\"2\" baseType=\"variant\">"
                      "<vt:variant><vt:lpstr>ワークシート</vt:lpstr></vt:variant><vt:variant><vt:i4>0</vt:i4></vt:variant>"
                      "</vt:vector></HeadingPairs><TitlesOfParts><vt:vector size=\"0\" baseType=\"lpstr\"/>"
                      "</TitlesOfParts></Properties>");
    package.Write("xl/workbook.xml",
                  std::string(kXmlHead) +
                      "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                      "<bookViews><workbookView/></bookViews><sheets></sheets></workbook>");
    package.Write("xl/_rels/workbook.xml.rels",
                  std::string(kXmlHead) +
                      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                      "<Relationship Id=\"rId1\" Type=\"" + reltype::Styles + "\" Target=\"styles.xml\"/>"
                      "</Relationships>");
    package.Write("xl/styles.xml", NewStylesPart(font, points));
    return package;
}

}  // namespace

std::unique_ptr<PackageBook> PackageBook::Create(const std::string& font, double points, bool macroEnabled) {
    std::unique_ptr<PackageBook> book(new PackageBook());
    book->package_ = NewPackage(font, points, macroEnabled);
    book->Load();
    return book;
}

std::unique_ptr<PackageBook> PackageBook::FromBytes(std::string file) {
    std::unique_ptr<PackageBook> book(new PackageBook());
    book->package_ = Package(std::move(file));
    book->Load();
    return book;
}

void PackageBook::Load() {
    for (const std::string& name : package_.Names())
        if (text::AsciiLower(name).starts_with("_xmlsignatures/")) Refuse(kSigned);
    if (!package_.Has(kContentTypesPart)) Refuse(PartMissing(kContentTypesPart));
    LoadPart(package_, contentTypes_, kContentTypesPart);
    if (!package_.Has("_rels/.rels")) Refuse(package_.Has("_rels\\.rels") ? kBackslashNames : kNoWorkbookPart);
    XmlPart rootRels;
    LoadPart(package_, rootRels, "_rels/.rels");
    for (const Relationship& r : ReadRelationships(rootRels, "")) {
        if (r.type == reltype::StrictOfficeDocument) Refuse(kStrict);
        if (r.type == reltype::OfficeDocument && !r.external) workbookPart_ = r.target;
        if (r.type == reltype::ExtendedProperties && !r.external && package_.Has(r.target)) appPart_ = r.target;
    }
    if (workbookPart_.empty() || !package_.Has(workbookPart_)) Refuse(kNoWorkbookPart);
    workbookPart_ = package_.StoredName(workbookPart_);
    LoadPart(package_, workbook_, workbookPart_);
    CheckWorkbookPart(workbook_);
    const std::string relsName = RelationshipsPartOf(workbookPart_);
    if (!package_.Has(relsName)) Refuse(PartMissing(relsName));
    LoadPart(package_, workbookRels_, relsName);

    std::vector<Relationship> rels = ReadRelationships(workbookRels_, workbookPart_);
    for (const Relationship& r : rels) {
        if (r.external || !package_.Has(r.target)) continue;
        if (r.type == reltype::Styles) stylesPart_ = package_.StoredName(r.target);
        if (r.type == reltype::CalcChain) calcChainPart_ = package_.StoredName(r.target);
        if (r.type == reltype::SharedStrings) sharedStringsPart_ = package_.StoredName(r.target);
    }
    const pugi::xml_node sheetList = Child(workbook_.doc.document_element(), "sheets");
    const std::vector<pugi::xml_node> sheetNodes = Children(sheetList, "sheet");
    std::size_t i = 0;
    for (const SheetListing& listing : ListSheets(workbook_)) {
        PackageSheet sheet;
        sheet.name = listing.name;
        sheet.relationshipId = listing.relationshipId;
        sheet.sheetId = listing.sheetId;
        const std::string_view state = sheetNodes[i++].attribute("state").value();
        sheet.hidden = state == "hidden" || state == "veryHidden";
        for (const Relationship& r : rels)
            if (r.id == listing.relationshipId && !r.external && package_.Has(r.target)) {
                sheet.part = package_.StoredName(r.target);
                sheet.contentType = ContentTypeOf(contentTypes_, sheet.part);
            }
        sheets_.push_back(std::move(sheet));
    }
    if (!stylesPart_.empty()) {
        const pugi::xml_node font = Child(Child(Part(styles_, stylesPart_).doc.document_element(), "fonts"), "font");
        if (const double points = Child(font, "sz").attribute("val").as_double(); points > 0 && points < 410)
            fontTwips_ = static_cast<std::uint16_t>(std::lround(points * 20));
    }
}

XmlPart& PackageBook::Part(std::optional<XmlPart>& part, const std::string& name) {
    if (!part) {
        part.emplace();
        LoadPart(package_, *part, name);
    }
    return *part;
}

bool PackageBook::MacroEnabled() const {
    return ContentTypeOf(contentTypes_, workbookPart_) == kMacroWorkbookType;
}

void PackageBook::SetMetrics(int maxDigitWidth, double defaultRowPoints) {
    maxDigitWidth_ = maxDigitWidth;
    defaultRowPoints_ = defaultRowPoints;
}

std::vector<std::string> PackageBook::WorksheetNames() const {
    std::vector<std::string> names;
    for (const PackageSheet& sheet : sheets_)
        if (sheet.model || sheet.contentType == contenttype::Worksheet) names.push_back(sheet.name);
    return names;
}

std::string PackageBook::NewSheetPartName() const {
    const std::string folder = FolderOf(workbookPart_) + "worksheets/sheet";
    for (std::size_t n = sheets_.size() + 1;; ++n) {
        const std::string name = folder + std::to_string(n) + ".xml";
        const bool taken = package_.Has(name) || std::any_of(sheets_.begin(), sheets_.end(), [&](const PackageSheet& s) {
                               return text::AsciiLower(s.part) == text::AsciiLower(name);
                           });
        if (!taken) return name;
    }
}

const std::vector<StoredCell>& PackageBook::StoredCells(std::size_t position) {
    static const std::vector<StoredCell> none;
    const PackageSheet& sheet = sheets_.at(position);
    if (!IsStoredWorksheet(sheet)) return none;
    if (const auto read = readCells_.find(sheet.part); read != readCells_.end()) return read->second;
    if (!sharedStrings_)
        sharedStrings_ = sharedStringsPart_.empty() ? std::vector<std::string>{}
                                                    : ReadSharedStrings(package_.Read(sharedStringsPart_));
    const auto edited = editedSheets_.find(sheet.part);
    return readCells_[sheet.part] = ReadStoredCells(
               edited != editedSheets_.end() ? SerializeXml(edited->second) : package_.Read(sheet.part), *sharedStrings_);
}

XmlPart& PackageBook::EditedSheet(const PackageSheet& sheet) {
    if (!IsStoredWorksheet(sheet))
        Refuse("シート '" + sheet.name + "' はワークシートではないため、変更できません。");
    const auto [it, added] = editedSheets_.try_emplace(sheet.part);
    if (added) {
        try {
            LoadPart(package_, it->second, sheet.part);
        } catch (...) {
            editedSheets_.erase(it);
            throw;
        }
    }
    return it->second;
}

// The header rows of the sheet's tables: a value set there would leave the
// table's column names behind it, which applications then repair.
void PackageBook::CheckTableHeaders(const PackageSheet& sheet, const std::vector<StoredCellEdit>& edits) {
    const std::string relsName = RelationshipsPartOf(sheet.part);
    if (!package_.Has(relsName)) return;
    XmlPart rels;
    LoadPart(package_, rels, relsName);
    for (const Relationship& r : ReadRelationships(rels, sheet.part)) {
        if (r.external || !r.type.ends_with("/table") || !package_.Has(r.target)) continue;
        XmlPart table;
        LoadPart(package_, table, package_.StoredName(r.target));
        const pugi::xml_node root = table.doc.document_element();
        const std::optional<Rect> range = ParseCellRange(root.attribute("ref").value());
        if (root.attribute("headerRowCount").as_uint(1) == 0 || !range) continue;
        for (const StoredCellEdit& edit : edits)
            if (edit.row == range->r1 && edit.column >= range->c1 && edit.column <= range->c2)
                CannotSetCell(sheet.name, "テーブル '" + std::string(root.attribute("name").value()) + "' の見出しのセルです。");
    }
}

void PackageBook::SetStoredCells(std::size_t position, const std::vector<StoredCellEdit>& edits) {
    const PackageSheet& sheet = sheets_.at(position);
    XmlPart& part = EditedSheet(sheet);
    // Every edit is checked before any is made, so that a refused one
    // leaves the sheet as it was.
    for (const StoredCellEdit& edit : edits) CheckStoredCell(part, sheet.name, edit);
    CheckTableHeaders(sheet, edits);
    readCells_.erase(sheet.part);
    for (const StoredCellEdit& edit : edits) {
        // A value a formula gave no longer comes from one: the calculation
        // chain must not list the cell.
        if (!SetStoredCell(part, sheet.name, edit) || calcChainPart_.empty()) continue;
        if (!RemoveCellFromCalcChain(Part(calcChain_, calcChainPart_), sheet.sheetId,
                                     CellReference(edit.row, edit.column)))
            RemoveCalcChain();
    }
}

std::vector<StoredMakeup> PackageBook::StoredNumberFormats(std::size_t position) {
    const PackageSheet& sheet = sheets_.at(position);
    if (!IsStoredWorksheet(sheet)) return {};
    std::vector<unsigned> formats;
    if (!stylesPart_.empty())
        for (const pugi::xml_node xf : Children(Child(Part(styles_, stylesPart_).doc.document_element(), "cellXfs"), "xf"))
            formats.push_back(xf.attribute("numFmtId").as_uint());
    const auto edited = editedSheets_.find(sheet.part);
    XmlPart read;
    if (edited == editedSheets_.end()) LoadPart(package_, read, sheet.part);
    std::vector<StoredMakeup> makeups = StoredMakeups(edited == editedSheets_.end() ? read : edited->second);
    for (StoredMakeup& makeup : makeups) makeup.xf = makeup.xf < formats.size() ? formats[makeup.xf] : 0;
    return makeups;
}

void PackageBook::InsertWorksheet(std::size_t position, const std::string& name, const SheetModel* model) {
    PackageSheet sheet;
    sheet.name = name;
    sheet.part = NewSheetPartName();
    sheet.contentType = contenttype::Worksheet;
    sheet.model = model;
    sheet.modelChanged = true;
    if (!appPart_.empty()) AddWorksheetTitle(Part(app_, appPart_), WorksheetNames(), name);
    sheet.relationshipId = AddRelationship(workbookRels_, workbookPart_, reltype::Worksheet, sheet.part);
    AddOverride(contentTypes_, sheet.part, contenttype::Worksheet);
    sheet.sheetId = InsertSheet(workbook_, position, name, sheet.relationshipId);
    // Applications disagree on whether the chain names sheets by id or by
    // place; without it they build it anew.
    if (position < sheets_.size() && !calcChainPart_.empty()) RemoveCalcChain();
    sheets_.insert(sheets_.begin() + static_cast<std::ptrdiff_t>(position), std::move(sheet));
}

void PackageBook::MarkChanged(std::size_t position) {
    sheets_.at(position).modelChanged = true;
}

void PackageBook::ForgetSavedModels() {
    for (PackageSheet& sheet : sheets_)
        if (!sheet.modelChanged) sheet.model = nullptr;
}

void PackageBook::Rename(std::size_t position, const std::string& name) {
    PackageSheet& sheet = sheets_.at(position);
    if (sheet.name == name) return;
    if (!appPart_.empty() && (sheet.model || sheet.contentType == contenttype::Worksheet)) {
        std::vector<std::string> names = WorksheetNames();
        RemoveWorksheetTitle(Part(app_, appPart_), names, sheet.name);
        names.erase(std::find(names.begin(), names.end(), sheet.name));
        AddWorksheetTitle(*app_, names, name);
    }
    Children(Child(workbook_.doc.document_element(), "sheets"), "sheet")[position].attribute("name") = name.c_str();
    workbook_.dirty = true;
    sheet.name = name;
}

bool PackageBook::SpansSheets() const {
    for (const DefinedName& name : DefinedNames(workbook_))
        if (FormulaSpansSheets(name.formula)) return true;
    for (const std::string& part : package_.Names())
        if (kReferringTypes.count(ContentTypeOf(contentTypes_, part)) && ooxml::SpansSheets(part, package_.Read(part)))
            return true;
    return false;
}

std::string PackageBook::ReferrerOf(std::size_t position) const {
    const PackageSheet& sheet = sheets_[position];
    const bool stored = !sheet.part.empty() && package_.Has(sheet.part);
    const std::set<std::string> owned =
        stored ? PartsOwnedBy(ReadRelationshipGraph(package_), sheet.part) : std::set<std::string>{};
    std::vector<std::string> tables;
    for (const std::string& part : package_.Names()) {
        if (!owned.count(text::AsciiLower(part)) || ContentTypeOf(contentTypes_, part) != kTableType) continue;
        XmlPart table;
        LoadPart(package_, table, part);
        for (const char* attribute : {"name", "displayName"})
            tables.push_back(table.doc.document_element().attribute(attribute).value());
    }
    for (const DefinedName& name : DefinedNames(workbook_))
        if (name.localSheet != static_cast<int>(position) &&
            (FormulaRefersTo(name.formula, sheet.name) ||
             std::any_of(tables.begin(), tables.end(),
                         [&](const std::string& t) { return FormulaRefersToTable(name.formula, t); })))
            return "名前 '" + name.name + "'";
    for (const std::string& part : package_.Names()) {
        if (owned.count(text::AsciiLower(part)) || !kReferringTypes.count(ContentTypeOf(contentTypes_, part))) continue;
        std::string label = "'" + part + "'";
        for (const PackageSheet& other : sheets_)
            if (text::AsciiLower(other.part) == text::AsciiLower(part)) label = "シート '" + other.name + "'";
        const std::string found = ReferenceIn(part, label, package_.Read(part), sheet.name, tables);
        if (!found.empty()) return found;
    }
    return {};
}

void PackageBook::RemoveOwnedParts(const std::set<std::string>& owned) {
    for (const std::string& name : package_.Names()) {
        if (!owned.count(text::AsciiLower(name))) continue;
        package_.Remove(name);
        package_.Remove(RelationshipsPartOf(name));
        RemoveOverride(contentTypes_, name);
    }
}

void PackageBook::Delete(std::size_t position) {
    PackageSheet& sheet = sheets_.at(position);
    const auto visible = std::count_if(sheets_.begin(), sheets_.end(), [](const PackageSheet& s) { return !s.hidden; });
    if (!sheet.hidden && visible <= 1)
        throw RuntimeError(err::ApplicationDefined, "ブックには少なくとも 1 つの表示されたシートが必要です。");
    const std::string referrer = ReferrerOf(position);
    if (!referrer.empty()) Refuse(SheetReferenced(sheet.name, referrer));
    if (!sheet.model && !sheet.part.empty() && package_.Has(sheet.part)) {
        XmlPart part;
        LoadPart(package_, part, sheet.part);
        const bool hasCode = Child(part.doc.document_element(), "sheetPr").attribute("codeName");
        if (hasCode && MacroEnabled())
            Refuse("シート '" + sheet.name + "' には VBA のコード (シート モジュール) があるため、削除できません。");
        RemoveOwnedParts(PartsOwnedBy(ReadRelationshipGraph(package_), sheet.part));
    } else if (!sheet.part.empty()) {
        package_.Remove(sheet.part);
        RemoveOverride(contentTypes_, sheet.part);
    }
    if (!appPart_.empty() && (sheet.model || sheet.contentType == contenttype::Worksheet))
        RemoveWorksheetTitle(Part(app_, appPart_), WorksheetNames(), sheet.name);
    RemoveRelationship(workbookRels_, sheet.relationshipId);
    RemoveSheetAt(workbook_, position);
    if (!calcChainPart_.empty() && !RemoveFromCalcChain(Part(calcChain_, calcChainPart_), sheet.sheetId))
        RemoveCalcChain();
    editedSheets_.erase(sheet.part);
    readCells_.erase(sheet.part);
    sheets_.erase(sheets_.begin() + static_cast<std::ptrdiff_t>(position));
}

// An empty chain is no valid part: it goes with its relationship.
void PackageBook::RemoveCalcChain() {
    for (const Relationship& r : ReadRelationships(workbookRels_, workbookPart_))
        if (r.type == reltype::CalcChain) RemoveRelationship(workbookRels_, r.id);
    package_.Remove(calcChainPart_);
    RemoveOverride(contentTypes_, calcChainPart_);
    calcChain_.reset();
    calcChainPart_.clear();
}

// A workbook without styles shows its cells in the applications' default
// font; the styles part added for the form's formats keeps that font.
void PackageBook::AddStylesPart() {
    for (const Relationship& r : ReadRelationships(workbookRels_, workbookPart_))
        if (r.type == reltype::Styles) RemoveRelationship(workbookRels_, r.id);
    stylesPart_ = FolderOf(workbookPart_) + "styles.xml";
    package_.Write(stylesPart_, NewStylesPart("Calibri", 11));
    AddRelationship(workbookRels_, workbookPart_, reltype::Styles, stylesPart_);
    RemoveOverride(contentTypes_, stylesPart_);
    AddOverride(contentTypes_, stylesPart_, "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml");
}

void PackageBook::FlushParts() {
    const pugi::xml_node view = Child(Child(workbook_.doc.document_element(), "bookViews"), "workbookView");
    const std::size_t activeTab = view.attribute("activeTab").as_uint();
    for (std::size_t i = 0; i < sheets_.size(); ++i) {
        PackageSheet& sheet = sheets_[i];
        if (!sheet.model || !sheet.modelChanged) continue;
        if (!styleTable_) {
            if (stylesPart_.empty()) AddStylesPart();
            styleTable_ = std::make_unique<StyleTable>(Part(styles_, stylesPart_));
        }
        const SheetPartContext context{[this](const CellFormat& f) { return styleTable_->XfOf(f); }, maxDigitWidth_,
                                       defaultRowPoints_, i == activeTab};
        package_.Write(sheet.part, WorksheetPart(*sheet.model, context));
        sheet.modelChanged = false;
    }
    for (auto& [name, part] : editedSheets_) {
        if (!part.dirty) continue;
        package_.Write(name, SerializeXml(part));
        part.dirty = false;
    }
    for (XmlPart* part : {&workbook_, &workbookRels_, &contentTypes_, styles_ ? &*styles_ : nullptr,
                          app_ ? &*app_ : nullptr, calcChain_ ? &*calcChain_ : nullptr}) {
        if (!part || !part->dirty) continue;
        package_.Write(part->name, SerializeXml(*part));
        part->dirty = false;
    }
}

std::string PackageBook::FileBytes() {
    FlushParts();
    Placement placed;
    return package_.WholeFile(placed, false);
}

bool PackageBook::SaveChanges(const std::string& path) {
    if (!savedVersion_ || savedPath_ != path) return false;
    FlushParts();
    if (!package_.Changed()) return true;
    Placement placed;
    const std::optional<InPlaceSave> save = package_.InPlace(placed);
    if (!save) return false;
    const std::optional<FileVersion> version = WriteInPlace(path, *savedVersion_, *save);
    if (!version) return false;
    package_.Committed(*save, std::move(placed));
    savedVersion_ = version;
    return true;
}

void PackageBook::SaveWhole(const std::string& path, bool leaveRoom) {
    FlushParts();
    Placement placed;
    std::string whole = package_.WholeFile(placed, leaveRoom);
    savedVersion_.reset();
    savedVersion_ = WriteWholeFile(path, whole, placed.room);
    savedPath_ = path;
    package_.Committed(std::move(whole), std::move(placed));
}

}  // namespace kolumbra::sheet::ooxml
