#include "csvexport/listing_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "common/atomic_replace.h"
#include "common/file_io.h"
#include "common/runtime_error.h"

namespace kolumbra::csvexport {

namespace {

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

}  // namespace

std::string DiskListingStore::ReadOld(const std::string& path) {
    // Non-blocking so that a FIFO of that name cannot hang the window.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) {
        if (errno == ENOENT) return {};
        throw FileError(errno);
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) throw FileError(errno);
    if (!S_ISREG(info.st_mode)) throw RuntimeError(err::PathFileAccess);
    try {
        return ReadAll(file.get());
    } catch (const std::system_error& error) {
        throw FileError(error.code().value());
    }
}

void DiskListingStore::WriteAll(int fd, std::string_view bytes) {
    try {
        kolumbra::WriteAll(fd, bytes);
    } catch (const std::system_error& error) {
        throw FileError(error.code().value());
    }
}

void DiskListingStore::Replace(const std::string& path, const std::string& bytes) {
    try {
        ReplaceFileAtomically(path, bytes, {.write = [this](int fd, std::string_view all) { WriteAll(fd, all); },
                                            .beforeCommit = {}});
    } catch (const std::system_error& error) {
        throw FileError(error.code().value());
    }
}

std::unique_ptr<FileLock> ListingStore::Claim(const std::string&) { return nullptr; }

std::unique_ptr<FileLock> DiskListingStore::Claim(const std::string& path) { return std::make_unique<FileLock>(path); }

}  // namespace kolumbra::csvexport
