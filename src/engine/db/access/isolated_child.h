#pragma once
// Running work that may crash, hang or allocate without bound (a library
// reading a damaged file) in a forked child under limits, and taking back
// the bytes it produces.

#include <sys/resource.h>

#include <cstddef>
#include <functional>
#include <string>

namespace kolumbra::db::isolated {

struct Limits {
    rlim_t memoryBytes;
    rlim_t cpuSeconds;
    int wallMilliseconds;
    std::size_t maxOutputBytes;
};

// How the child ended. Only Done carries its bytes.
enum class Outcome { Done, Failed, OutOfMemory, OutOfTime, TooMuchOutput };

struct Result {
    Outcome outcome;
    std::string bytes;
};

// Runs `work` in a forked child and returns what it returned. The child
// ends in _exit however `work` ends, throwing included, so that it never
// returns into the caller's code; its standard streams are closed off.
// Raises RuntimeError (out of memory) when no child can be started.
Result Run(const std::function<std::string()>& work, const Limits& limits);

}  // namespace kolumbra::db::isolated
