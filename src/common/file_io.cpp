#include "common/file_io.h"

#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace kolumbra {

namespace {

[[noreturn]] void FailWith(int error) { throw std::system_error(error, std::generic_category()); }

}  // namespace

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
}

void WriteAll(int fd, std::string_view bytes, std::optional<off_t> at) {
    while (!bytes.empty()) {
        const ssize_t put = at ? ::pwrite(fd, bytes.data(), bytes.size(), *at) : ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) FailWith(errno);
        if (put == 0) FailWith(EIO);
        bytes.remove_prefix(static_cast<std::size_t>(put));
        if (at) *at += put;
    }
}

std::string ReadAll(int fd) {
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) FailWith(errno);
        if (got == 0) return bytes;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace kolumbra
