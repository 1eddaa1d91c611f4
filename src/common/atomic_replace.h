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

// Writes `bytes` to a unique temporary file in the target's folder (made
// by mkstemp, so nothing planted there is followed), flushes it to disk,
// renames it over `path` and flushes the folder.
//
// A link at `path` stays a link: its target is replaced. The new file takes
// the old one's mode, and its owner where the process may give files away;
// a new file gets the mode of a file created normally. A file the process
// may not write is refused rather than replaced behind its owner's back.
//
// On a failure the temporary file is removed and the old file is left as
// it was; a failing call raises std::system_error with its errno, and an
// exception from a step is passed on unchanged.
void ReplaceFileAtomically(const std::string& path, std::string_view bytes, const ReplaceSteps& steps = {});

}  // namespace kolumbra
