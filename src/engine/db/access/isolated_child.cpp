#include "engine/db/access/isolated_child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <new>
#include <optional>

#include "common/file_io.h"
#include "common/runtime_error.h"

namespace kolumbra::db::isolated {

namespace {

constexpr int ExitFailed = 3;
constexpr int ExitOutOfMemory = 4;
// What the child may print; the library's allocation failure is among it.
constexpr rlim_t MaxMessageBytes = 64 * 1024;

[[noreturn]] void RunChild(const std::function<std::string()>& work, const Limits& limits, int out,
                           int messages) noexcept {
    int exitCode = ExitFailed;
    try {
        const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        if (null >= 0) {
            ::dup2(null, STDIN_FILENO);
            ::dup2(null, STDOUT_FILENO);
        }
        if (messages >= 0) ::dup2(messages, STDERR_FILENO);
        ::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit memory{limits.memoryBytes, limits.memoryBytes};
        const struct rlimit cpu{limits.cpuSeconds, limits.cpuSeconds};
        const struct rlimit written{MaxMessageBytes, MaxMessageBytes};
        ::setrlimit(RLIMIT_AS, &memory);
        ::setrlimit(RLIMIT_CPU, &cpu);
        ::setrlimit(RLIMIT_FSIZE, &written);
        WriteAll(out, work());
        exitCode = 0;
    } catch (const std::bad_alloc&) {
        exitCode = ExitOutOfMemory;
    } catch (...) {
        exitCode = ExitFailed;
    }
    ::_exit(exitCode);
}

// Everything the child writes, or nothing when it runs out of time (then
// `late` is set) or sends more than `limit` bytes.
std::optional<std::string> Collect(int in, const Limits& limits, bool& late) {
    std::string bytes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limits.wallMilliseconds);
    char buffer[65536];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        late = left.count() <= 0;
        if (late) return std::nullopt;
        struct pollfd p{in, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        late = ready == 0;
        if (ready <= 0) return std::nullopt;
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) return bytes;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > limits.maxOutputBytes) return std::nullopt;
    }
}

// The allocator of the library ends the process with this message when the
// memory limit is reached.
bool ReportsAllocationFailure(int messages) {
    if (messages < 0) return false;
    std::string text(MaxMessageBytes, '\0');
    const ssize_t got = ::pread(messages, text.data(), text.size(), 0);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text.find("failed to allocate") != std::string::npos;
}

Outcome Classify(int status, bool collected, bool late, int messages) {
    if (late) return Outcome::OutOfTime;
    if (!collected) return Outcome::TooMuchOutput;
    if (WIFSIGNALED(status) && (WTERMSIG(status) == SIGXCPU || WTERMSIG(status) == SIGKILL)) return Outcome::OutOfTime;
    if (WIFEXITED(status) && WEXITSTATUS(status) == ExitOutOfMemory) return Outcome::OutOfMemory;
    if (ReportsAllocationFailure(messages)) return Outcome::OutOfMemory;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? Outcome::Done : Outcome::Failed;
}

}  // namespace

Result Run(const std::function<std::string()>& work, const Limits& limits) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) throw RuntimeError(err::OutOfMemory);
    const FileDescriptor messages(::memfd_create("kolumbra-reader-messages", MFD_CLOEXEC));
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        throw RuntimeError(err::OutOfMemory);
    }
    if (child == 0) {
        ::close(pipeEnds[0]);
        RunChild(work, limits, pipeEnds[1], messages.get());
    }
    ::close(pipeEnds[1]);
    bool late = false;
    std::optional<std::string> bytes = Collect(pipeEnds[0], limits, late);
    ::close(pipeEnds[0]);
    if (!bytes) ::kill(child, SIGKILL);  // out of time or too much: stop it
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const Outcome outcome = Classify(status, bytes.has_value(), late, messages.get());
    if (outcome != Outcome::Done) return {outcome, {}};
    return {outcome, std::move(*bytes)};
}

}  // namespace kolumbra::db::isolated
