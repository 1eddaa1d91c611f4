// The reading child ends in _exit however its work ends, and the parent
// learns which limit, if any, stopped it.

#include "engine/db/access/isolated_child.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "temp_dir.h"

namespace kolumbra::testing {
namespace {

using db::isolated::Outcome;

TEST(IsolatedChild, EndsInItsOwnExitAndTellsHowItEnded) {
    constexpr db::isolated::Limits limits{1ull << 30, 5, 1000, 1024};
    const struct {
        const char* name;
        std::function<std::string()> work;
        Outcome outcome;
    } runs[] = {
        {"returns", [] { return std::string("catalogue"); }, Outcome::Done},
        {"throws", []() -> std::string { throw std::runtime_error("unreadable"); }, Outcome::Failed},
        {"throws no exception class", []() -> std::string { throw 42; }, Outcome::Failed},
        {"allocates past the limit", [] { return std::string(std::size_t{2} << 30, 'x'); }, Outcome::OutOfMemory},
        {"never ends", []() -> std::string { for (;;) ::pause(); }, Outcome::OutOfTime},
        {"sends too much", [] { return std::string(4096, 'x'); }, Outcome::TooMuchOutput},
    };
    TempDir dir;
    const pid_t parent = ::getpid();
    for (const auto& run : runs) {
        std::optional<db::isolated::Result> result;
        try {
            result = db::isolated::Run(run.work, limits);
        } catch (...) {
        }
        // A child that came back here instead of ending leaves a mark.
        if (::getpid() != parent) {
            testing::WriteBytes(dir.file("returned"), run.name);
            ::_exit(0);
        }
        ASSERT_TRUE(result) << run.name;
        EXPECT_EQ(result->outcome, run.outcome) << run.name;
        EXPECT_EQ(result->bytes, run.outcome == Outcome::Done ? "catalogue" : "") << run.name;
        EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << run.name;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("returned")));
}

}  // namespace
}  // namespace kolumbra::testing
