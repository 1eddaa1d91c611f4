#pragma once
// What tells one version of a file from another without reading it.

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>

namespace kolumbra::sheet::detail {

struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t mtimeSeconds = 0;
    std::int64_t mtimeNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
};

// Nothing when the path cannot be examined or is no regular file.
std::optional<FileStamp> StampOf(const std::string& path);
FileStamp StampOf(const struct stat& st);

}  // namespace kolumbra::sheet::detail
