#pragma once
// The container of an .xlsx/.xlsm workbook: the zip package below the
// workbook model, beside the compound file of an .xls one.

#include <memory>

#include "engine/sheet/ooxml/package_book.h"
#include "engine/sheet/workbook_container.h"

namespace kolumbra::sheet::detail {

class OoxmlContainer final : public WorkbookContainer {
public:
    // A new package without sheets, with `font` as its standard font, of
    // the type of a workbook with macros when `macroEnabled`.
    OoxmlContainer(const std::string& font, double points, bool macroEnabled);
    OoxmlContainer() = default;

    void Load(const std::vector<std::uint8_t>& file, const std::string& path, const FileStamp& identity) override;
    bool CanSaveChanges(const std::string& path) const override;
    bool SaveChanges(const std::string& path) override;
    void SaveWhole(const std::string& path) override;
    // The file written whole without the room later saves would use, as the
    // end of a command leaves it for other programs.
    void SaveAtRest(const std::string& path);
    bool HoldsUnusedParts() const override { return book_->HoldsUnusedParts(); }
    std::optional<FileStamp> SavedIdentity() const override { return savedStamp_; }
    std::vector<std::uint8_t> FileBytes() const override;
    void Release() override { book_.reset(); }

    // The sheets, their parts and the edits of the package.
    ooxml::PackageBook& Package() { return *book_; }

private:
    // Raises FileChanged when `path` is the file last seen and another
    // program changed it since.
    void CheckUnchanged(const std::string& path) const;
    void Saved(const std::string& path);

    std::unique_ptr<ooxml::PackageBook> book_;
    std::optional<FileStamp> savedStamp_;
    std::string seenPath_;
    std::optional<FileStamp> seenStamp_;
};

// Whether `path` ends in ".xlsx", ".XLSX", ".xlsm" or ".XLSM".
bool IsPackagePath(const std::string& path);

}  // namespace kolumbra::sheet::detail
