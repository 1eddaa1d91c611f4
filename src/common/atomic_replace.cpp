#include "common/atomic_replace.h"

#include "common/file_io.h"
#include "common/nameless_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace kolumbra {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void FailWith(int error) { throw std::system_error(error, std::generic_category()); }

fs::path ResolvedTarget(const std::string& path) {
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(path, ec))) {
        fs::path target = fs::weakly_canonical(path, ec);
        if (!ec) return target;
    }
    return path;
}

// Only a privileged process can hand a file to another owner; for anyone
// else the new file stays their own.
void TakeOverOwnerAndMode(int fd, const fs::path& target) {
    struct stat old {};
    if (::stat(target.c_str(), &old) != 0) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (::fchmod(fd, 0666 & ~mask) != 0) FailWith(errno);
        return;
    }
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && errno != EPERM) FailWith(errno);
    if (::fchmod(fd, old.st_mode & 07777) != 0) FailWith(errno);
}

// The rename has happened when this runs: the complete new file is in
// place, but until the folder is flushed it is not known to be on disk.
void SyncFolder(const fs::path& folder, int (*syncFolder)(int)) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) FailWith(errno);
    const FileDescriptor owned(fd);
    if (syncFolder(fd) != 0) FailWith(errno);
}

}  // namespace

void ReplaceFileAtomically(const std::string& path, std::string_view bytes, const ReplaceSteps& steps) {
    ReplaceFileAtomically(path, bytes, steps, ::fsync);
}

void ReplaceFileAtomically(const std::string& path, std::string_view bytes, const ReplaceSteps& steps,
                           int (*syncFolder)(int)) {
    const fs::path target = ResolvedTarget(path);
    if (target.filename().empty()) FailWith(EISDIR);
    if (::access(target.c_str(), W_OK) != 0 && errno != ENOENT) FailWith(errno);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    PendingFile file(folder);
    TakeOverOwnerAndMode(file.fd(), target);
    if (steps.write) steps.write(file.fd(), bytes);
    else WriteAll(file.fd(), bytes);
    if (::fsync(file.fd()) != 0) FailWith(errno);
    if (steps.beforeCommit) steps.beforeCommit();
    file.ReplaceAt(target);
    SyncFolder(folder, syncFolder);
}

}  // namespace kolumbra
