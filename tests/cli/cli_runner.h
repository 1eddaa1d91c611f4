#pragma once
// Runs kolumbra-cli with arguments and collects what it printed.

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace kolumbra::testing {

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

// A user to run the program as (only root can switch to another).
struct CliUser {
    uid_t uid;
    gid_t gid;
};

// Environment entries ("NAME=value") are added to the program's environment.
CliResult RunCli(const std::vector<std::string>& args, const std::vector<std::string>& environment = {},
                 std::optional<CliUser> user = std::nullopt);

// Runs `program` (a copy of kolumbra-cli, or a wrapper) in `folder`.
CliResult RunProgramIn(const std::string& program, const std::string& folder, const std::vector<std::string>& args,
                       const std::vector<std::string>& environment = {},
                       std::optional<CliUser> user = std::nullopt);

}  // namespace kolumbra::testing
