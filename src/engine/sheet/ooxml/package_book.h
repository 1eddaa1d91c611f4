#pragma once
// A workbook in an .xlsx/.xlsm package. Sheets this engine adds are modelled
// and written as new parts; everything else in the package stays as it was
// stored. Adding or deleting a sheet edits the workbook part, its
// relationships, the content types, the app properties and, for a new
// format, the styles; nothing else changes.

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/sheet/ooxml/package.h"
#include "engine/sheet/ooxml/package_file.h"
#include "engine/sheet/ooxml/sheet_cells.h"
#include "engine/sheet/ooxml/sheet_edit.h"
#include "engine/sheet/ooxml/styles.h"
#include "engine/sheet/ooxml/xml_part.h"
#include "engine/sheet/sheet_model.h"

namespace kolumbra::sheet::ooxml {

struct PackageSheet {
    std::string name;
    std::string relationshipId;
    std::string part;         // the sheet's part, resolved; "" when missing
    std::string contentType;  // worksheet, chartsheet, macro or dialog sheet
    bool hidden = false;
    unsigned sheetId = 0;
    // A worksheet this engine writes (its owner's); null for one kept as
    // stored or already saved.
    const SheetModel* model = nullptr;
    bool modelChanged = false;
};

class PackageBook {
public:
    // A new workbook without sheets, whose standard font is `font`; with
    // `macroEnabled` of the .xlsm type, which applications require of a
    // file with that extension.
    static std::unique_ptr<PackageBook> Create(const std::string& font, double points, bool macroEnabled);
    // The package in `file`; refuses (error 1004) an encrypted, signed,
    // strict or damaged one.
    static std::unique_ptr<PackageBook> FromBytes(std::string file);

    // Whether the workbook keeps macros (.xlsm content type).
    bool MacroEnabled() const;
    // The standard font's height in twips (the first font of the styles).
    std::uint16_t StandardFontTwips() const { return fontTwips_; }
    // Metrics from the standard font for column widths and row heights.
    void SetMetrics(int maxDigitWidth, double defaultRowPoints);

    const std::vector<PackageSheet>& Sheets() const { return sheets_; }
    // A new worksheet at `position` (after the last sheet when it is the
    // count of sheets), written from `model`, which must stay until the
    // sheet is saved.
    void InsertWorksheet(std::size_t position, const std::string& name, const SheetModel* model);
    void AppendWorksheet(const std::string& name, const SheetModel* model) {
        InsertWorksheet(sheets_.size(), name, model);
    }
    // Sets cells of a stored worksheet in its part; refuses (error 1004)
    // one whose part cannot say where its cells stand.
    void SetStoredCells(std::size_t position, const std::vector<StoredCellEdit>& edits);
    // The cell elements of a stored worksheet, with the number format of
    // their xf in `xf`'s place.
    std::vector<StoredMakeup> StoredNumberFormats(std::size_t position);
    // Whether a formula or name refers to a range of sheets, which a sheet
    // inserted before the last one could widen.
    bool SpansSheets() const;
    // Whether formulas, names, charts or pivot caches elsewhere refer to
    // the sheet.
    bool Referenced(std::size_t position) const { return !ReferrerOf(position).empty(); }
    // The model of a new sheet changed; the next save writes it again.
    void MarkChanged(std::size_t position);
    void Rename(std::size_t position, const std::string& name);
    // The cells with a value of a stored worksheet, as its part holds them;
    // none for a sheet of another kind or without its part.
    const std::vector<StoredCell>& StoredCells(std::size_t position);
    // Deletes the sheet with the parts only it uses; refuses (error 1004,
    // nothing changed) when anything else in the workbook refers to it.
    void Delete(std::size_t position);

    // Appends what changed to the file the last save wrote at `path`;
    // false, with nothing written, when the file is to be written whole.
    bool SaveChanges(const std::string& path);
    // With `leaveRoom`, the file is laid out so that later saves can go in
    // place; a file without room is what other programs expect of a
    // workbook at rest.
    void SaveWhole(const std::string& path, bool leaveRoom = true);
    // Saves to `path`, appending when it can.
    void Save(const std::string& path) {
        if (!SaveChanges(path)) SaveWhole(path);
    }
    // Whether the file holds room for saves in place, or bytes they left.
    bool HoldsUnusedParts() const { return package_.HasUnusedBytes(); }
    // Writes the file whole, without room, when it has any.
    void Compact(const std::string& path) {
        if (HoldsUnusedParts()) SaveWhole(path, false);
    }
    // Lets go of the models of the sheets saved: they are stored sheets
    // from now on.
    void ForgetSavedModels();
    // The archive as a whole save would write it now.
    std::string FileBytes();

private:
    PackageBook() = default;
    void Load();
    XmlPart& Part(std::optional<XmlPart>& part, const std::string& name);
    void FlushParts();
    void AddStylesPart();
    std::vector<std::string> WorksheetNames() const;
    std::string NewSheetPartName() const;
    std::string ReferrerOf(std::size_t position) const;
    void RemoveOwnedParts(const std::set<std::string>& owned);
    void RemoveCalcChain();

    Package package_;
    std::string workbookPart_;
    XmlPart workbook_, workbookRels_, contentTypes_;
    std::optional<XmlPart> styles_, app_, calcChain_;
    std::string stylesPart_, appPart_, calcChainPart_, sharedStringsPart_;
    std::optional<std::vector<std::string>> sharedStrings_;
    // Stored worksheet parts whose cells were set, by part name.
    std::map<std::string, XmlPart> editedSheets_;
    // The cells of stored worksheets as last read, by part name.
    std::map<std::string, std::vector<StoredCell>> readCells_;
    XmlPart& EditedSheet(const PackageSheet& sheet);
    void CheckTableHeaders(const PackageSheet& sheet, const std::vector<StoredCellEdit>& edits);
    std::unique_ptr<StyleTable> styleTable_;
    std::vector<PackageSheet> sheets_;
    std::uint16_t fontTwips_ = 200;
    int maxDigitWidth_ = 7;
    double defaultRowPoints_ = 13.5;
    // The file the last save wrote, while saves may append to it.
    std::string savedPath_;
    std::optional<FileVersion> savedVersion_;
};

}  // namespace kolumbra::sheet::ooxml
