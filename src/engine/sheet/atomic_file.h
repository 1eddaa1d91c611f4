#pragma once
// Replacing a file so that it is either the old one or the complete new
// one, even if the process dies half-way.

#include <cstdint>
#include <functional>
#include <string>
#include <optional>
#include <vector>

#include "common/runtime_error.h"
#include "engine/sheet/biff/cfb_update.h"
#include "engine/sheet/file_stamp.h"

namespace kolumbra::sheet {

// The error of a save to `path` that failed for `why`, or for errno `error`.
RuntimeError SaveFailure(const std::string& path, const std::string& why);
RuntimeError SaveFailure(const std::string& path, int error);

// The error of a save that finds the file at `path` changed by another
// program since this process last read or wrote it.
class FileChanged : public RuntimeError {
public:
    explicit FileChanged(const std::string& path);
};

// The first `size` bytes of the open file, fewer when it is shorter.
biff::Bytes HeaderOf(int fd, std::size_t size);

// The workbook's bytes through ReplaceFileAtomically (common/atomic_replace.h);
// returns the new file's stamp. `beforeCommit` runs between the write and the
// rename (tests use it to fail there). On any failure the temporary file is
// removed, the old file is untouched and a RuntimeError whose description
// names `path` is raised.
detail::FileStamp WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         const std::function<void()>& beforeCommit = {});

// Writes `update` into the compound file at `path` it was planned for: the
// new sectors after the file's end, flushed to disk, then the header,
// flushed again. The header sector is the commit: a crash before it leaves
// the previous version, whose sectors the update never writes over.
//
// Nothing is written, and nothing is returned, when the file is no longer
// the one of `expected` (another writer replaced or changed it, or it gained
// a second link) or cannot be opened for writing: the caller then writes the
// whole file, or fails when another program changed it. Otherwise the
// file's new stamp, taken before the final flush. A failed write raises a
// RuntimeError naming `path`; the file then holds one of the two versions.
std::optional<detail::FileStamp> UpdateFileInPlace(const std::string& path, const detail::FileStamp& expected,
                                                   const biff::CfbUpdate& update);

}  // namespace kolumbra::sheet
