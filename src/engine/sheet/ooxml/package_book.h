#pragma once
// A workbook in an .xlsx/.xlsm package. Sheets this engine adds are modelled
// and written as new parts; everything else in the package stays as it was
// stored. Adding or deleting a sheet edits the workbook part, its
// relationships, the content types, the app properties and, for a new
// format, the styles; nothing else changes.

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/sheet/ooxml/package.h"
#include "engine/sheet/ooxml/package_file.h"
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
    // A worksheet this engine writes; null for one kept as stored.
    std::unique_ptr<SheetModel> model;
    bool modelChanged = false;
};

class PackageBook {
public:
    // A new workbook with one empty worksheet "Sheet1".
    static std::unique_ptr<PackageBook> Create(const std::string& font, double points);
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
    // A new, modelled worksheet after the last sheet.
    SheetModel& AppendWorksheet(const std::string& name);
    SheetModel& Edit(std::size_t position);
    void Rename(std::size_t position, const std::string& name);
    // Deletes the sheet with the parts only it uses; refuses (error 1004,
    // nothing changed) when anything else in the workbook refers to it.
    void Delete(std::size_t position);

    // Saves to `path`: appended in place when the file is still the one the
    // last save here wrote, otherwise written whole.
    void Save(const std::string& path);
    // Writes the file whole when saves appended to it; a failure leaves it
    // as the last save wrote it.
    void Compact(const std::string& path);
    // The archive as a whole save would write it now.
    std::string FileBytes();

private:
    PackageBook() = default;
    void Load();
    XmlPart& Part(std::optional<XmlPart>& part, const std::string& name);
    void FlushParts();
    std::vector<std::string> WorksheetNames() const;
    std::string NewSheetPartName() const;
    std::string ReferrerOf(std::size_t position) const;
    void RemoveOwnedParts(const std::set<std::string>& owned);

    Package package_;
    std::string workbookPart_;
    XmlPart workbook_, workbookRels_, contentTypes_;
    std::optional<XmlPart> styles_, app_, calcChain_;
    std::string stylesPart_, appPart_, calcChainPart_;
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
