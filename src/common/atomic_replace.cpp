#include "common/atomic_replace.h"

#include "common/file_io.h"

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

// The rename has happened when this runs: a folder that cannot be flushed
// still holds the complete new file, so this is best effort.
void SyncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

void ReplaceFileAtomically(const std::string& path, std::string_view bytes, const ReplaceSteps& steps) {
    const fs::path target = ResolvedTarget(path);
    if (target.filename().empty()) FailWith(EISDIR);
    if (::access(target.c_str(), W_OK) != 0 && errno != ENOENT) FailWith(errno);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // A short name of its own, so that a target name near the length limit
    // still leaves room for it.
    std::string temp = (folder / ".kolumbra.XXXXXX").string();
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) FailWith(errno);
    try {
        TakeOverOwnerAndMode(fd, target);
        if (steps.write) steps.write(fd, bytes);
        else WriteAll(fd, bytes);
        if (::fsync(fd) != 0) FailWith(errno);
        const int closing = fd;
        fd = -1;
        // close reports write errors the file system deferred.
        if (::close(closing) != 0) FailWith(errno);
        if (steps.beforeCommit) steps.beforeCommit();
        if (::rename(temp.c_str(), target.c_str()) != 0) FailWith(errno);
    } catch (...) {
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        throw;
    }
    SyncFolder(folder);
}

}  // namespace kolumbra
