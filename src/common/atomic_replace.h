#pragma once
// Replacing a file's whole content so that it is either the old file or the
// complete new one, even if the process dies half-way or the disk fills.

#include <functional>
#include <string>
#include <string_view>

namespace kolumbra {

struct ReplaceSteps {
    // Writes all of the bytes to the open temporary file; the default
    // raises std::system_error when a write fails.
    std::function<void(int fd, std::string_view bytes)> write;
    // Runs between the write and the rename (tests fail there).
    std::function<void()> beforeCommit;
};

// Writes `bytes` to a new file in the target's folder that stays nameless
// until it is complete (common/nameless_file.h), flushes it to disk, puts it
// over `path` by rename and flushes the folder.
//
// A link at `path` stays a link: its target is replaced. The new file takes
// the old one's mode, and its owner where the process may give files away;
// a new file gets the mode of a file created normally. A file the process
// may not write is refused rather than replaced behind its owner's back.
//
// On a failure before the rename the old file is left as it was and
// nothing else stays behind; a folder that cannot be flushed after the
// rename fails the call too, with the new file in place. A failing call
// raises std::system_error with its errno, and an exception from a step is
// passed on unchanged.
void ReplaceFileAtomically(const std::string& path, std::string_view bytes, const ReplaceSteps& steps = {});

// The same, flushing the folder with `syncFolder` (fsync's contract) after
// the rename; tests fail there.
void ReplaceFileAtomically(const std::string& path, std::string_view bytes, const ReplaceSteps& steps,
                           int (*syncFolder)(int folderFd));

}  // namespace kolumbra
