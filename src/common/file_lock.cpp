#include "common/file_lock.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <optional>
#include <system_error>

#include "common/cp932.h"
#include "common/file_io.h"
#include "common/nameless_file.h"
#include "common/product.h"
#include "common/runtime_error.h"

namespace kolumbra {

namespace {

namespace fs = std::filesystem;

// The profile address of this program's lock files: no office suite's
// profile, so none of them takes the lock for its own.
constexpr std::string_view ProfileScheme = "kolumbra:";
constexpr std::size_t MaxLockFileBytes = 4096;

std::string HostName() {
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    return name;
}

std::string UserName() {
    if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_name) return entry->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

std::string LocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32] = {};
    std::strftime(text, sizeof text, "%d.%m.%Y %H:%M", &local);
    return text;
}

std::string OwnLine() {
    return lockfile::FormatFields(
        {ProductName, UserName(), HostName(), LocalTime(), std::string(ProfileScheme) + std::to_string(::getpid())});
}

bool WrittenHereByUs(const std::vector<std::string>& fields) {
    return fields.size() >= 5 && fields[0] == ProductName && fields[2] == HostName() &&
           fields[4].starts_with(ProfileScheme);
}

// "name (user@host)" from what the lock file tells; empty when it tells nothing.
std::string HolderOf(const std::vector<std::string>& fields) {
    if (fields.size() < 3) return fields.empty() ? "" : fields[0];
    std::string who = fields[1];
    if (!fields[2].empty()) who += (who.empty() ? "" : "@") + fields[2];
    if (fields[0].empty() || fields[0] == fields[1]) return who;
    return who.empty() ? fields[0] : fields[0] + " (" + who + ")";
}

[[noreturn]] void Refuse(const std::string& path, const std::string& holder, const std::string& lockPath) {
    throw RuntimeError(err::FileAlreadyOpen, "ファイル '" + path + "' は" + (holder.empty() ? "他のプログラム" : holder) +
                                                  "が使用中です。ロックファイル: " + lockPath);
}

std::string ReadHead(int fd) {
    std::string bytes(MaxLockFileBytes, '\0');
    const ssize_t got = ::pread(fd, bytes.data(), bytes.size(), 0);
    bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return bytes;
}

// A write lock on the whole file, owned by the open file description, so
// that it conflicts between processes and between descriptors alike.
bool TryLock(int fd) {
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &whole) == 0;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// The spreadsheet application's owner file holds the user's name, its
// length in the first byte, in the ANSI code page.
void RefuseOwnerFile(const std::string& path, const fs::path& folder, const fs::path& name) {
    const fs::path owner = folder / ("~$" + name.string());
    struct stat info {};
    if (::lstat(owner.c_str(), &info) != 0) return;
    std::string holder;
    const int fd = ::open(owner.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        const FileDescriptor owned(fd);
        const std::string bytes = S_ISREG(info.st_mode) ? ReadHead(fd) : "";
        const std::size_t length = bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]);
        if (length > 0 && length < bytes.size()) holder = cp932::ToUtf8(bytes.substr(1, length));
    }
    Refuse(path, holder, owner.string());
}

enum class NewClaim { Claimed, Exists, NoPlace };

}  // namespace

namespace lockfile {

std::string LockFileFor(const std::string& path) {
    const fs::path target(path);
    return (target.parent_path() / (".~lock." + target.filename().string() + "#")).string();
}

std::vector<std::string> ParseFields(const std::string& content) {
    std::vector<std::string> fields;
    if (content.empty()) return fields;
    fields.emplace_back();
    for (std::size_t i = 0; i < content.size(); ++i) {
        const char c = content[i];
        if (c == ';') break;
        if (c == ',') fields.emplace_back();
        else if (c == '\\' && i + 1 < content.size()) fields.back() += content[++i];
        else fields.back() += c;
    }
    return fields;
}

std::string FormatFields(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += ',';
        for (char c : fields[i]) {
            if (c == ',' || c == ';' || c == '\\') line += '\\';
            line += c;
        }
    }
    return line + ';';
}

}  // namespace lockfile

namespace {

// Puts a complete, locked lock file under its name in one step, so that no
// other process ever sees it half-written or unlocked.
NewClaim ClaimNew(const fs::path& folder, const std::string& lockPath, int& claimed) {
    std::optional<PendingFile> file;
    try {
        file.emplace(folder);
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(file->fd(), 0666 & ~mask);
        TryLock(file->fd());
        WriteAll(file->fd(), OwnLine());
        if (!file->LinkAt(lockPath)) return NewClaim::Exists;
    } catch (const std::system_error&) {
        return NewClaim::NoPlace;
    }
    // The duplicate shares the open file description and with it the lock.
    claimed = ::fcntl(file->fd(), F_DUPFD_CLOEXEC, 0);
    return NewClaim::Claimed;
}

// Takes over a lock file of this program on this host that no live process
// holds; refuses every other one. False when the lock file went away
// meanwhile, so that the claim starts again.
bool TakeOverStale(const std::string& path, const std::string& lockPath, int& claimed) {
    int fd = ::open(lockPath.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == EACCES) fd = ::open(lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) return false;
    if (fd < 0) Refuse(path, "", lockPath);
    FileDescriptor owned(fd);
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) Refuse(path, "", lockPath);
    const bool locked = TryLock(fd);
    const std::vector<std::string> fields = lockfile::ParseFields(ReadHead(fd));
    if (!locked || !WrittenHereByUs(fields)) Refuse(path, HolderOf(fields), lockPath);
    struct stat named {};
    if (::lstat(lockPath.c_str(), &named) != 0 || !SameFile(opened, named)) return false;
    try {
        if (::ftruncate(fd, 0) != 0) Refuse(path, HolderOf(fields), lockPath);
        WriteAll(fd, OwnLine(), 0);
    } catch (const std::system_error&) {
        Refuse(path, HolderOf(fields), lockPath);
    }
    claimed = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    return true;
}

}  // namespace

FileLock::FileLock(const std::string& path) {
    const fs::path target(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    RefuseOwnerFile(path, folder, target.filename());
    const std::string lockPath = lockfile::LockFileFor(path);
    for (int attempt = 0; attempt < 10; ++attempt) {
        const NewClaim claim = ClaimNew(folder, lockPath, fd_);
        if (claim == NewClaim::Claimed) {
            lockPath_ = lockPath;
            return;
        }
        // A folder that takes no new file may still hold another's lock file.
        struct stat present {};
        if (claim == NewClaim::NoPlace && ::lstat(lockPath.c_str(), &present) != 0) return;
        if (TakeOverStale(path, lockPath, fd_)) {
            lockPath_ = lockPath;
            return;
        }
    }
    Refuse(path, "", lockPath);
}

FileLock::~FileLock() {
    if (fd_ < 0) return;
    struct stat mine {}, named {};
    if (::fstat(fd_, &mine) == 0 && ::lstat(lockPath_.c_str(), &named) == 0 && SameFile(mine, named)) {
        ::unlink(lockPath_.c_str());
    }
    ::close(fd_);
}

}  // namespace kolumbra
