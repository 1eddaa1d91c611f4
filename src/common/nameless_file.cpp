#include "common/nameless_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <system_error>

namespace kolumbra {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void FailWith(int error) { throw std::system_error(error, std::generic_category()); }

std::string TemporaryName(const fs::path& folder) {
    static constexpr char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::random_device source;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof Letters - 2);
    std::string suffix(6, ' ');
    for (char& c : suffix) c = Letters[pick(source)];
    return (folder / (".kolumbra." + suffix)).string();
}

}  // namespace

PendingFile::PendingFile(const fs::path& folder) : folder_(folder) {
    fd_ = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd_ >= 0) return;
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) FailWith(errno);
    // A short name of its own, so that a target name near the length limit
    // still leaves room for it.
    tempName_ = (folder / ".kolumbra.XXXXXX").string();
    fd_ = ::mkostemp(tempName_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        tempName_.clear();
        FailWith(error);
    }
}

PendingFile::~PendingFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!tempName_.empty()) ::unlink(tempName_.c_str());
}

int PendingFile::linkAs(const fs::path& name) const {
    if (!tempName_.empty()) return ::link(tempName_.c_str(), name.c_str());
    // Linking by descriptor needs a privilege; the descriptor's entry under
    // /proc does not.
    if (::linkat(fd_, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return 0;
    if (errno != ENOENT) return -1;
    const std::string entry = "/proc/self/fd/" + std::to_string(fd_);
    return ::linkat(AT_FDCWD, entry.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW);
}

void PendingFile::ReplaceAt(const fs::path& target) {
    for (int attempt = 0; tempName_.empty(); ++attempt) {
        const std::string name = TemporaryName(folder_);
        if (linkAs(name) == 0) tempName_ = name;
        else if (errno != EEXIST || attempt == 100) FailWith(errno);
    }
    Close();
    if (::rename(tempName_.c_str(), target.c_str()) != 0) FailWith(errno);
    tempName_.clear();
}

bool PendingFile::LinkAt(const fs::path& target) {
    if (linkAs(target) != 0) {
        if (errno == EEXIST) return false;
        FailWith(errno);
    }
    if (!tempName_.empty()) ::unlink(tempName_.c_str());
    tempName_.clear();
    return true;
}

void PendingFile::Close() {
    const int closing = fd_;
    fd_ = -1;
    if (closing >= 0 && ::close(closing) != 0) FailWith(errno);
}

}  // namespace kolumbra
