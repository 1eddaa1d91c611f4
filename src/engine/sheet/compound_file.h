#pragma once
// A workbook's compound file: the Workbook stream the model writes, every
// other stream and storage kept as read, and the sectors that hold them.
// It keeps the layout of the file the last save wrote and the parts of the
// stream changed since, so that the next save adds only the sectors that
// differ after the end of that file.

#include <optional>
#include <string>

#include "engine/sheet/biff/book_file.h"
#include "engine/sheet/biff/cfb_update.h"
#include "engine/sheet/workbook_container.h"

namespace kolumbra::sheet::detail {

class CompoundFile final : public WorkbookContainer {
public:
    // The file of a new workbook: an empty Workbook stream and nothing else.
    CompoundFile();

    void Load(const biff::Bytes& file, const std::string& path, const FileStamp& identity) override;
    bool CanSaveChanges(const std::string& path) const override;
    bool SaveChanges(const std::string& path) override;
    void SaveWhole(const std::string& path) override;
    bool HoldsUnusedParts() const override;
    std::optional<FileStamp> SavedIdentity() const override { return savedStamp_; }
    biff::Bytes FileBytes() const override;
    void Release() override;

    // The Workbook stream as the model last put it.
    const biff::Bytes& Stream() const { return file_.Workbook(); }
    // The stream Load read, handed to the model; the container keeps none.
    biff::Bytes TakeStream();
    // Empties the stream; all of it counts as changed.
    void ClearStream();
    // Copies `bytes` into the stream at `offset`, which grows as needed.
    // Only what differs from the bytes there counts as changed.
    void PutStream(std::size_t offset, const biff::Bytes& bytes);
    // Ends the stream at `end`, padded to the least length the file keeps
    // in sectors of the stream's own.
    void EndStream(std::size_t end);
    // The first stream offset from `offset` on where a sector starts: what
    // the model puts from there on can change without rewriting anything
    // before it.
    static std::size_t NextBoundary(std::size_t offset);
    bool HasVbaProject() const;

private:
    // The file as this process last read or wrote it.
    struct Seen {
        std::string path;
        FileStamp stamp;
        biff::Bytes header;
    };

    void MarkChanged(std::size_t from, std::size_t to);
    // Raises FileChanged when `path` is the file last seen and another
    // program changed it since.
    void CheckUnchanged(const std::string& path) const;
    // Takes the file at `path` as it is now for this process's own.
    void SeeAgain(const std::string& path);

    biff::BookFile file_;
    // The last file written whole; kept for its memory.
    biff::Bytes fileBuffer_;
    // The file the last save wrote, as laid out on disk, and its stamp
    // right after that save. Its Workbook stream is Stream() except in
    // changed_.
    std::optional<biff::CfbLayout> savedLayout_;
    std::optional<FileStamp> savedStamp_;
    biff::ByteRanges changed_;
    std::optional<Seen> seen_;
};

}  // namespace kolumbra::sheet::detail
