#include "engine/sheet/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "common/atomic_replace.h"
#include "common/file_io.h"
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

[[noreturn]] void Fail(const std::string& path, int error) { throw SaveFailure(path, Reason(error)); }

}  // namespace

biff::Bytes HeaderOf(int fd, std::size_t size) {
    biff::Bytes header(size);
    const ssize_t read = ::pread(fd, header.data(), size, 0);
    header.resize(read > 0 ? static_cast<std::size_t>(read) : 0);
    return header;
}

RuntimeError SaveFailure(const std::string& path, const std::string& why) {
    return RuntimeError(err::ApplicationDefined, "'" + path + "' に保存できません。" + why);
}

RuntimeError SaveFailure(const std::string& path, int error) { return SaveFailure(path, Reason(error)); }

FileChanged::FileChanged(const std::string& path)
    : RuntimeError(SaveFailure(path, "このブックを開いたか保存した後に、ほかのプログラムがファイルを変更しました。"
                                     "その変更を上書きしないよう、保存を中止しました。")) {}

detail::FileStamp WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                                      const std::function<void()>& beforeCommit) {
    const std::string_view content(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    detail::FileStamp stamp;
    // The stamp is taken before the file is flushed and renamed: a write
    // of another program that lands afterwards changes it.
    const auto writeAndStamp = [&stamp](int fd, std::string_view all) {
        WriteAll(fd, all);
        struct stat st {};
        if (::fstat(fd, &st) != 0) throw std::system_error(errno, std::generic_category());
        stamp = detail::StampOf(st);
    };
    try {
        ReplaceFileAtomically(path, content, {.write = writeAndStamp, .beforeCommit = beforeCommit});
    } catch (const std::system_error& error) {
        Fail(path, error.code().value());
    }
    return stamp;
}

std::optional<detail::FileStamp> UpdateFileInPlace(const std::string& path, const detail::FileStamp& expected,
                                                   const biff::CfbUpdate& update) {
    const FileDescriptor file(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    struct stat st {};
    if (file.get() < 0 || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 ||
        detail::StampOf(st) != expected || static_cast<std::uint64_t>(st.st_size) != update.appendAt)
        return std::nullopt;
    // Where timestamps are coarse, a change within the same tick keeps the
    // stamp; the header still tells most such files from the one saved.
    if (HeaderOf(file.get(), update.previousHeader.size()) != update.previousHeader) return std::nullopt;
    const auto end = static_cast<off_t>(update.appendAt);
    const auto view = [](const biff::Bytes& bytes) {
        return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    };
    try {
        WriteAll(file.get(), view(update.appended), end);
        if (::fdatasync(file.get()) != 0) throw std::system_error(errno, std::generic_category());
    } catch (const std::system_error& error) {
        // What was appended is cut off again; the old version never changed.
        if (::ftruncate(file.get(), end) == 0) ::fdatasync(file.get());
        Fail(path, error.code().value());
    }
    try {
        WriteAll(file.get(), view(update.header), 0);
    } catch (const std::system_error& error) {
        Fail(path, error.code().value());
    }
    // The stamp is taken before the last flush: a write of another program
    // that lands during it changes the stamp.
    if (::fstat(file.get(), &st) != 0 || ::fdatasync(file.get()) != 0) Fail(path, errno);
    return detail::StampOf(st);
}

}  // namespace kolumbra::sheet

