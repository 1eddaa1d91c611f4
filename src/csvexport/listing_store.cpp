#include "csvexport/listing_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "common/runtime_error.h"

namespace kolumbra::csvexport {

namespace {

namespace fs = std::filesystem;

// The run-time error a failed file call stands for.
RuntimeError FileError(int code) {
    switch (code) {
        case ENOENT:
        case ENOTDIR: return RuntimeError(err::PathNotFound);
        case EACCES:
        case EPERM:
        case EROFS: return RuntimeError(err::PermissionDenied);
        case ENOSPC:
        case EDQUOT: return RuntimeError(err::DiskFull);
        case EIO: return RuntimeError(err::DeviceIo);
        default: return RuntimeError(err::PathFileAccess);
    }
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now, reporting what a deferred write error close reveals.
    void Close() {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) throw FileError(errno);
    }

private:
    int fd_;
};

// A link is followed so the link itself stays and its target is replaced.
fs::path ResolvedTarget(const std::string& path) {
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(path, ec))) {
        fs::path target = fs::weakly_canonical(path, ec);
        if (!ec) return target;
    }
    return path;
}

// Gives the new file the old file's owner and mode bits, or the mode a
// fresh file gets. Only a privileged user can hand a file to another
// owner; for anyone else the new file stays their own.
void TakeOverOwnerAndMode(int fd, const fs::path& target) {
    struct stat old {};
    if (::stat(target.c_str(), &old) != 0) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (::fchmod(fd, 0666 & ~mask) != 0) throw FileError(errno);
        return;
    }
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && errno != EPERM) throw FileError(errno);
    if (::fchmod(fd, old.st_mode & 07777) != 0) throw FileError(errno);
}

// Flushes the folder so the rename survives a crash; a failure here comes
// after the new content is already in place, so it is not reported.
void SyncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

std::string DiskListingStore::ReadOld(const std::string& path) {
    // Non-blocking so that a FIFO of that name cannot hang the window.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) {
        if (errno == ENOENT) return {};
        throw FileError(errno);
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) throw FileError(errno);
    if (!S_ISREG(info.st_mode)) throw RuntimeError(err::PathFileAccess);

    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw FileError(errno);
        if (got == 0) return bytes;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

void DiskListingStore::WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) throw FileError(errno);
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
}

void DiskListingStore::Replace(const std::string& path, const std::string& bytes) {
    const fs::path target = ResolvedTarget(path);
    if (target.filename().empty()) throw RuntimeError(err::PathFileAccess);
    // A file the user may not write is not replaced behind its back.
    if (::access(target.c_str(), W_OK) != 0 && errno != ENOENT) throw FileError(errno);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // A short name of its own, so that a target name near the length limit
    // still leaves room for it.
    std::string temp = (folder / ".kolumbra-listing.XXXXXX").string();

    Descriptor file(::mkostemp(temp.data(), O_CLOEXEC));
    if (file.get() < 0) throw FileError(errno);
    try {
        TakeOverOwnerAndMode(file.get(), target);
        WriteAll(file.get(), bytes);
        if (::fsync(file.get()) != 0) throw FileError(errno);
        file.Close();
        if (::rename(temp.c_str(), target.c_str()) != 0) throw FileError(errno);
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
    SyncFolder(folder);
}

}  // namespace kolumbra::csvexport
