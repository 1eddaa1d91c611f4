#pragma once
// Small pieces of POSIX file handling shared by everything that reads or
// writes files through descriptors.

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace kolumbra {

// Owns an open descriptor and closes it on every way out; a negative one
// (a failed open) is held and never closed.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Writes all of `bytes`, at the descriptor's position or, when given, at
// file offset `at`; a failure raises std::system_error with its errno.
void WriteAll(int fd, std::string_view bytes, std::optional<off_t> at = std::nullopt);

// Everything left to read; a failure raises std::system_error.
std::string ReadAll(int fd);

}  // namespace kolumbra
