#pragma once
// The file below a workbook model. A container knows how the model's
// content lies in the file, what the file was like when this process last
// read or wrote it, and how a save puts the content there: whole, or by
// adding what changed to the file the last save wrote. Every save first
// makes sure that no other program changed that file since: a change is
// never written over. The model decides what the content is and when it
// is saved; how the file stores it stays down here.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/sheet/file_stamp.h"

namespace kolumbra::sheet::detail {

class WorkbookContainer {
public:
    virtual ~WorkbookContainer() = default;

    // Takes apart `file`, the bytes read from the absolute `path` while the
    // file had `identity`. A file that cannot be taken apart raises a
    // RuntimeError whose description says why.
    virtual void Load(const std::vector<std::uint8_t>& file, const std::string& path, const FileStamp& identity) = 0;

    // Whether a save to `path` can add to the file the last save wrote
    // there instead of writing it whole.
    virtual bool CanSaveChanges(const std::string& path) const = 0;
    // Adds what changed since the last save to the file it wrote at `path`;
    // false, with nothing written, when the file is to be written whole.
    // A write that fails raises a RuntimeError naming `path`: the file then
    // holds one version or the other, and the next save writes it whole.
    virtual bool SaveChanges(const std::string& path) = 0;
    // Replaces the file at `path` with the whole file at once; a failure
    // raises a RuntimeError naming `path` and leaves the old file.
    virtual void SaveWhole(const std::string& path) = 0;
    // Both saves raise FileChanged (atomic_file.h), with nothing written,
    // when the file at the path this process last read or wrote is no
    // longer what it was then.
    // Whether saves that added to the file left parts in it that nothing
    // uses any more, which writing it whole would drop.
    virtual bool HoldsUnusedParts() const = 0;
    // What the file was like right after the last save wrote it; none
    // before the first save and after a save that failed.
    virtual std::optional<FileStamp> SavedIdentity() const = 0;

    // The complete file as a whole save would write it now.
    virtual std::vector<std::uint8_t> FileBytes() const = 0;
    // Lets go of the content and the file's bytes held in memory.
    virtual void Release() = 0;

protected:
    WorkbookContainer() = default;
    WorkbookContainer(const WorkbookContainer&) = default;
    WorkbookContainer(WorkbookContainer&&) = default;
    WorkbookContainer& operator=(const WorkbookContainer&) = default;
    WorkbookContainer& operator=(WorkbookContainer&&) = default;
};

}  // namespace kolumbra::sheet::detail
