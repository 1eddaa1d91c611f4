#include "engine/sheet/compound_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

#include "common/file_io.h"
#include "common/text.h"
#include "engine/sheet/atomic_file.h"
#include "engine/sheet/biff/cfb_format.h"

namespace kolumbra::sheet::detail {

namespace {

using biff::cfb::HeaderSize;
using biff::cfb::SectorSize;

// A file saved in place that grew beyond twice what it holds, plus this
// many sectors, is written anew.
constexpr std::size_t UnusedSectorAllowance = 2048;

// The class id of a workbook root storage:
// 00020820-0000-0000-C000-000000000046, in its stored byte order.
constexpr biff::ClassId WorkbookClassId = {0x20, 0x08, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                           0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

biff::Bytes HeaderIn(const biff::Bytes& file) {
    return biff::Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(std::min(file.size(), HeaderSize)));
}

}  // namespace

CompoundFile::CompoundFile() {
    file_.root.classId = WorkbookClassId;
    file_.root.children.push_back(biff::CfbEntry{"Workbook", false, {}, {}, {}});
    file_.workbookIndex = 0;
}

void CompoundFile::Load(const biff::Bytes& file, const std::string& path, const FileStamp& identity) {
    file_ = biff::ReadBookFile(file);
    seen_ = Seen{path, identity, HeaderIn(file)};
}

// A file that is gone counts as changed too; one that can no longer be
// read is left to the write to report.
void CompoundFile::CheckUnchanged(const std::string& path) const {
    if (!seen_ || seen_->path != path) return;
    if (StampOf(path) != seen_->stamp) throw FileChanged(path);
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() >= 0 && HeaderOf(file.get(), HeaderSize) != seen_->header) throw FileChanged(path);
}

void CompoundFile::SeeAgain(const std::string& path) {
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (file.get() < 0 || ::fstat(file.get(), &st) != 0) {
        seen_.reset();
        return;
    }
    seen_ = Seen{path, StampOf(st), HeaderOf(file.get(), HeaderSize)};
}

biff::Bytes CompoundFile::TakeStream() {
    biff::Bytes stream;
    stream.swap(file_.Workbook());
    return stream;
}

void CompoundFile::MarkChanged(std::size_t from, std::size_t to) {
    if (from < to) changed_.emplace_back(from, to);
}

void CompoundFile::ClearStream() {
    file_.Workbook().clear();
    MarkChanged(0, SIZE_MAX);
}

// Only the sectors that differ are new: when a sheet is added, the active
// sheet's number near the start of the globals and the directory entries
// at their end change, and the selected flag of the sheet active before.
void CompoundFile::PutStream(std::size_t offset, const biff::Bytes& bytes) {
    biff::Bytes& stream = file_.Workbook();
    const std::size_t end = offset + bytes.size();
    if (stream.size() < end) stream.resize(end, 0);
    for (std::size_t from = offset; from < end;) {
        const std::size_t to = std::min((from / SectorSize + 1) * SectorSize, end);
        const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(from - offset);
        const auto last = bytes.begin() + static_cast<std::ptrdiff_t>(to - offset);
        const auto at = stream.begin() + static_cast<std::ptrdiff_t>(from);
        if (!std::equal(first, last, at)) {
            std::copy(first, last, at);
            MarkChanged(from, to);
        }
        from = to;
    }
}

void CompoundFile::EndStream(std::size_t end) {
    biff::Bytes& stream = file_.Workbook();
    // Bytes cut off here may come back later: until saved, they count as
    // changed, whatever they are then.
    MarkChanged(end, stream.size());
    stream.resize(end);
    // A shorter stream would go into the mini-stream, which no save in
    // place can follow.
    if (end < biff::cfb::MiniStreamCutoff) {
        stream.resize(biff::cfb::MiniStreamCutoff, 0);
        MarkChanged(end, biff::cfb::MiniStreamCutoff);
    }
}

std::size_t CompoundFile::NextBoundary(std::size_t offset) {
    return (offset + SectorSize - 1) / SectorSize * SectorSize;
}

bool CompoundFile::HasVbaProject() const {
    return std::any_of(file_.root.children.begin(), file_.root.children.end(),
                       [](const biff::CfbEntry& e) { return e.isStorage && e.name == "_VBA_PROJECT_CUR"; });
}

bool CompoundFile::CanSaveChanges(const std::string& path) const {
    return savedLayout_ && seen_ && path == seen_->path;
}

bool CompoundFile::SaveChanges(const std::string& path) {
    if (!savedStamp_ || !CanSaveChanges(path)) return false;
    std::optional<biff::CfbUpdate> update = biff::PlanUpdate(*savedLayout_, file_.Workbook(), changed_);
    if (!update) return false;
    // Where most of the stream is new, or most of the file unused, the
    // file is written whole.
    if (update->newStreamSectors * 2 > update->layout.workbookChain.size() ||
        update->layout.sectorCount > 2 * update->layout.UsedSectors() + UnusedSectorAllowance)
        return false;
    std::optional<FileStamp> stamp;
    try {
        stamp = UpdateFileInPlace(path, *savedStamp_, *update);
    } catch (const RuntimeError&) {
        // Either version may be on disk now, both this process's own; the
        // next save writes the file whole.
        savedStamp_.reset();
        savedLayout_.reset();
        SeeAgain(path);
        throw;
    }
    if (!stamp) return false;
    savedStamp_ = stamp;
    savedLayout_ = std::move(update->layout);
    seen_ = Seen{path, *stamp, update->header};
    changed_.clear();
    return true;
}

void CompoundFile::SaveWhole(const std::string& path) {
    CheckUnchanged(path);
    try {
        biff::WriteBookFile(file_, fileBuffer_);
    } catch (const RuntimeError& e) {
        throw SaveFailure(path, e.description());
    }
    savedStamp_.reset();
    savedLayout_.reset();
    const FileStamp stamp = WriteFileAtomically(path, fileBuffer_);
    savedStamp_ = stamp;
    savedLayout_ = biff::ReadLayout(fileBuffer_, text::ToUtf16(file_.root.children.at(file_.workbookIndex).name));
    seen_ = Seen{path, stamp, HeaderIn(fileBuffer_)};
    changed_.clear();
}

bool CompoundFile::HoldsUnusedParts() const {
    return savedLayout_ && savedLayout_->sectorCount != savedLayout_->UsedSectors();
}

biff::Bytes CompoundFile::FileBytes() const { return biff::WriteBookFile(file_); }

void CompoundFile::Release() {
    biff::Bytes().swap(fileBuffer_);
    file_ = biff::BookFile();
}

}  // namespace kolumbra::sheet::detail
