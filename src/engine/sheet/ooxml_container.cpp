#include "engine/sheet/ooxml_container.h"

#include "common/runtime_error.h"
#include "engine/sheet/atomic_file.h"

namespace kolumbra::sheet::detail {

OoxmlContainer::OoxmlContainer(const std::string& font, double points, bool macroEnabled)
    : book_(ooxml::PackageBook::Create(font, points, macroEnabled)) {}

void OoxmlContainer::Load(const std::vector<std::uint8_t>& file, const std::string& path, const FileStamp& identity) {
    book_ = ooxml::PackageBook::FromBytes(std::string(file.begin(), file.end()));
    seenPath_ = path;
    seenStamp_ = identity;
}

bool OoxmlContainer::CanSaveChanges(const std::string& path) const {
    return savedStamp_ && seenPath_ == path;
}

void OoxmlContainer::CheckUnchanged(const std::string& path) const {
    if (seenStamp_ && seenPath_ == path && StampOf(path) != seenStamp_) throw FileChanged(path);
}

void OoxmlContainer::Saved(const std::string& path) {
    savedStamp_ = StampOf(path);
    seenPath_ = path;
    seenStamp_ = savedStamp_;
}

bool OoxmlContainer::SaveChanges(const std::string& path) {
    CheckUnchanged(path);
    try {
        if (!book_->SaveChanges(path)) return false;
    } catch (const RuntimeError&) {
        savedStamp_.reset();
        throw;
    }
    Saved(path);
    return true;
}

void OoxmlContainer::SaveWhole(const std::string& path) {
    CheckUnchanged(path);
    savedStamp_.reset();
    book_->SaveWhole(path);
    Saved(path);
}

void OoxmlContainer::SaveAtRest(const std::string& path) {
    CheckUnchanged(path);
    savedStamp_.reset();
    book_->SaveWhole(path, false);
    Saved(path);
}

std::vector<std::uint8_t> OoxmlContainer::FileBytes() const {
    const std::string bytes = book_->FileBytes();
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

bool IsPackagePath(const std::string& path) {
    for (const char* extension : {".xlsx", ".XLSX", ".xlsm", ".XLSM"})
        if (path.ends_with(extension)) return true;
    return false;
}

}  // namespace kolumbra::sheet::detail
