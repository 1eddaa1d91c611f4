#pragma once
// Writing a package to its file: whole, by an atomic replace, or by
// appending a tail in place to the version this process last wrote.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kolumbra::sheet::ooxml {

// What tells the version of a file this process wrote from any other.
struct FileVersion {
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = 0, mtimeNanoseconds = 0;
    bool operator==(const FileVersion&) const = default;
};

// The whole file replaced atomically; a failure leaves the old file and
// raises error 1004 naming `path`.
FileVersion WriteWholeFile(const std::string& path, std::string_view bytes);

// Appends `tail` (entries, directory, end record) when the file at `path`
// is still `expected`: first everything but the end record, flushed, then
// the end record, which makes the appended directory the archive's. Before
// that the end of the file is no end record, so a reader searching for it
// finds the previous one. Nothing is written, and nothing is returned, when
// the file is no longer `expected`; a failed write cuts the tail off again
// and raises error 1004 naming `path`.
std::optional<FileVersion> AppendToFile(const std::string& path, const FileVersion& expected, std::string_view tail);

}  // namespace kolumbra::sheet::ooxml
