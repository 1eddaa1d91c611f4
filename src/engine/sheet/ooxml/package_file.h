#pragma once
// Writing a package to its file: whole, by an atomic replace, or in place
// into the version this process last wrote.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/sheet/ooxml/package.h"

namespace kolumbra::sheet::ooxml {

// What tells the version of a file this process wrote from any other.
struct FileVersion {
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = 0, mtimeNanoseconds = 0;
    bool operator==(const FileVersion&) const = default;
};

// The whole file replaced atomically; the zero bytes of `hole` are left
// unwritten, a sparse stretch of the file. A failure leaves the old file
// and raises error 1004 naming `path`.
FileVersion WriteWholeFile(const std::string& path, std::string_view bytes, const Room& hole);

// Writes `save` into the file at `path` when it is still `expected`: the
// body, flushed, then the file cut to the save's length, flushed. Until it
// is cut the file holds the previous version. Nothing is written, and
// nothing is returned, when the file is no longer `expected`; a failed
// write raises error 1004 naming `path`.
std::optional<FileVersion> WriteInPlace(const std::string& path, const FileVersion& expected, const InPlaceSave& save);

}  // namespace kolumbra::sheet::ooxml
