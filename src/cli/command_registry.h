#pragma once
// Commands of kolumbra-cli register themselves here, one source file each.

#include <string>
#include <vector>

namespace kolumbra::cli {

struct CliCommand {
    const char* name;
    const char* usage;    // arguments after the command name
    const char* summary;  // one line for --help
    int (*run)(const std::vector<std::string>& args);
};

// Registers a command; use through a namespace-scope RegisterCommand object.
void Register(const CliCommand& command);
const std::vector<CliCommand>& Commands();

struct RegisterCommand {
    explicit RegisterCommand(const CliCommand& command) { Register(command); }
};

}  // namespace kolumbra::cli
