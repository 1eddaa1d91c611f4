#pragma once
// One writer at a time on an output file, among this program's processes
// and against the spreadsheet applications.
//
// The claim is a lock file beside the output, ".~lock.NAME#", in the form
// the office suites write (one line of fields: user name, system user,
// host, time, profile address, ended by ';'), so that they in turn see the
// file as in use. While the claim is held, the lock file carries an open
// file description lock; a lock file of this program on this host whose
// lock nobody holds is left over from a crash and is taken over. Any other
// lock file, and an owner file "~$NAME" of the spreadsheet application,
// means the file is in use: the claim is refused and nothing is removed.

#include <string>
#include <vector>

namespace kolumbra {

class FileLock {
public:
    // Claims `path` for this process until destruction. Raises RuntimeError
    // (file already open) naming the holder, where the lock file tells it,
    // and the lock file's path when another program holds the file. A
    // folder where no lock file can be made (missing, read-only) is not
    // claimed: the write that follows reports that folder's fault itself.
    explicit FileLock(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // The lock file, or empty when the folder could not hold one.
    const std::string& LockFilePath() const { return lockPath_; }

private:
    std::string lockPath_;
    int fd_ = -1;
};

namespace lockfile {

// The lock file's name for the file `path`, beside it.
std::string LockFileFor(const std::string& path);

// The fields of a lock file's line, with the office suites' backslash
// escapes undone; and the line made of fields.
std::vector<std::string> ParseFields(const std::string& content);
std::string FormatFields(const std::vector<std::string>& fields);

}  // namespace lockfile

}  // namespace kolumbra
