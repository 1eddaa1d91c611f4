#pragma once
// The last workbook this process saved and then quit, kept so that binding
// it again does not parse the whole file anew. It is handed back only while
// the file on disk is the one that save wrote.

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace kolumbra::sheet::detail {

class Book;

// What tells one version of a file from another without reading it.
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

// Keeps `book`, which holds what was saved at the absolute `path` when the
// file had `stamp`, in place of any workbook kept before.
void KeepSavedBook(const std::string& path, const FileStamp& stamp, std::shared_ptr<Book> book);

// The workbook kept for `path` if the file still has the stamp it had when
// saved; it is no longer kept either way.
std::shared_ptr<Book> TakeSavedBook(const std::string& path);
// The same for whatever path it was kept for, and that path.
std::pair<std::string, std::shared_ptr<Book>> TakeSavedBook();

}  // namespace kolumbra::sheet::detail
