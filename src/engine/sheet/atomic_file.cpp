#include "engine/sheet/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include "common/atomic_replace.h"
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

}  // namespace

void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         const std::function<void()>& beforeCommit) {
    const std::string_view content(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    try {
        ReplaceFileAtomically(path, content, {.write = {}, .beforeCommit = beforeCommit});
    } catch (const std::system_error& error) {
        Fail(path, error.code().value());
    }
}

}  // namespace kolumbra::sheet
