#include "engine/sheet/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "common/runtime_error.h"

namespace kolumbra::sheet {

namespace {

std::string Reason(int error) {
    switch (error) {
    case ENOENT:
        return "フォルダーが見つかりません。";
    case EACCES:
    case EPERM:
        return "書き込みが許可されていません。";
    case EROFS:
        return "読み取り専用の場所です。";
    case ENOTDIR:
        return "パスの途中にフォルダーではないものがあります。";
    case EISDIR:
        return "同じ名前のフォルダーがあります。";
    case ENOSPC:
        return "ディスクの空き容量が不足しています。";
    case ENAMETOOLONG:
        return "パスが長すぎます。";
    default:
        return std::strerror(error);
    }
}

[[noreturn]] void Fail(const std::string& path, int error) {
    throw RuntimeError(err::ApplicationDefined, "'" + path + "' に保存できません。" + Reason(error));
}

mode_t NewFileMode(const std::string& path) {
    struct stat existing;
    if (::stat(path.c_str(), &existing) == 0) return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    // The rename has happened; a folder that cannot be flushed still holds
    // the complete new file, so this is best effort.
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         const std::function<void()>& beforeCommit) {
    const std::filesystem::path target(path);
    const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
    std::string temp = folder + "/." + target.filename().string() + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) Fail(path, errno);
    bool open = true;
    try {
        if (::fchmod(fd, NewFileMode(path)) != 0 || !WriteAll(fd, bytes) || ::fsync(fd) != 0) Fail(path, errno);
        open = false;
        if (::close(fd) != 0) Fail(path, errno);
        if (beforeCommit) beforeCommit();
        if (::rename(temp.c_str(), path.c_str()) != 0) Fail(path, errno);
    } catch (...) {
        if (open) ::close(fd);
        ::unlink(temp.c_str());
        throw;
    }
    SyncFolder(folder);
}

}  // namespace kolumbra::sheet
