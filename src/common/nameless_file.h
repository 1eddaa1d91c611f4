#pragma once
// A new file that gets its name only when it is complete, so that a process
// killed while writing it leaves nothing behind in the folder.

#include <filesystem>
#include <string>

namespace kolumbra {

class PendingFile {
public:
    // Opens a new, nameless file for reading and writing in `folder`. A file
    // system that cannot hold nameless files gets a hidden temporary name
    // (".kolumbra.XXXXXX") instead, removed again unless the file is named.
    // Failures raise std::system_error with their errno.
    explicit PendingFile(const std::filesystem::path& folder);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    int fd() const { return fd_; }

    // Puts the file at `target` in one step, replacing what is there.
    void ReplaceAt(const std::filesystem::path& target);

    // Puts the file at `target` unless something has that name already
    // (then false, and the file stays unnamed).
    bool LinkAt(const std::filesystem::path& target);

    // Closes the descriptor, reporting a write error the file system
    // deferred to the close.
    void Close();

private:
    // Gives the nameless file the name `name`; the link(2) result.
    int linkAs(const std::filesystem::path& name) const;

    std::filesystem::path folder_;
    std::string tempName_;  // empty while the file is nameless
    int fd_ = -1;
};

}  // namespace kolumbra
