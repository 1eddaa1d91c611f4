#pragma once
// Runs kolumbra-cli with arguments and collects what it printed.

#include <string>
#include <vector>

namespace kolumbra::testing {

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Environment entries ("NAME=value") are added to the program's environment.
CliResult RunCli(const std::vector<std::string>& args, const std::vector<std::string>& environment = {});

// Runs `program` (a copy of kolumbra-cli, or a wrapper) in `folder`.
CliResult RunProgramIn(const std::string& program, const std::string& folder, const std::vector<std::string>& args,
                       const std::vector<std::string>& environment = {});

}  // namespace kolumbra::testing
