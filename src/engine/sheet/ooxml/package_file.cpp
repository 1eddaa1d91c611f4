#include "engine/sheet/ooxml/package_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "common/atomic_replace.h"
#include "common/file_io.h"
#include "common/runtime_error.h"

namespace kolumbra::sheet::ooxml {

namespace {

FileVersion VersionOf(const struct stat& st) {
    return FileVersion{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino), st.st_size,
                       static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

[[noreturn]] void Fail(const std::string& path, int error) {
    const char* reason = error == ENOSPC ? "ディスクの空き容量が不足しています。"
                         : error == EACCES || error == EPERM ? "書き込みが許可されていません。"
                         : error == ENOENT                   ? "フォルダーが見つかりません。"
                                                             : std::strerror(error);
    throw RuntimeError(err::ApplicationDefined, "'" + path + "' に保存できません。" + reason);
}

}  // namespace

FileVersion WriteWholeFile(const std::string& path, std::string_view bytes, const Room& hole) {
    ReplaceSteps steps;
    steps.write = [&hole](int fd, std::string_view all) {
        WriteAll(fd, all.substr(0, hole.holeNext));
        WriteAll(fd, all.substr(hole.holeEnd), static_cast<off_t>(hole.holeEnd));
    };
    try {
        ReplaceFileAtomically(path, bytes, steps);
    } catch (const std::system_error& error) {
        Fail(path, error.code().value());
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) Fail(path, errno);
    return VersionOf(st);
}

std::optional<FileVersion> WriteInPlace(const std::string& path, const FileVersion& expected, const InPlaceSave& save) {
    const FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    struct stat st {};
    if (file.get() < 0 || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 ||
        VersionOf(st) != expected)
        return std::nullopt;
    try {
        for (const FileWrite& write : save.body) WriteAll(file.get(), write.bytes, static_cast<off_t>(write.at));
        if (::fdatasync(file.get()) != 0) throw std::system_error(errno, std::generic_category());
        if (::ftruncate(file.get(), static_cast<off_t>(save.length)) != 0)
            throw std::system_error(errno, std::generic_category());
        if (::fdatasync(file.get()) != 0) throw std::system_error(errno, std::generic_category());
    } catch (const std::system_error& error) {
        Fail(path, error.code().value());
    }
    if (::fstat(file.get(), &st) != 0) Fail(path, errno);
    return VersionOf(st);
}

}  // namespace kolumbra::sheet::ooxml
