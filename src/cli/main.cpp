// kolumbra-cli: the commands of the main window, run from a terminal.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/command_registry.h"
#include "common/product.h"

namespace kolumbra::cli {

namespace {

std::vector<CliCommand>& registry() {
    static std::vector<CliCommand> commands;
    return commands;
}

void printHelp() {
    std::printf("%s %s - documents the tables of a database\n\n", ProductName, ProductVersion);
    std::printf("usage: kolumbra-cli COMMAND [ARGS]\n       kolumbra-cli --help | --version\n\n");
    if (!Commands().empty()) std::printf("commands:\n");
    for (const auto& command : Commands()) {
        std::printf("  %s %s\n      %s\n", command.name, command.usage, command.summary);
    }
    std::printf("\nMessages go to stderr; the exit status is 0 only when the command succeeded.\n");
}

}  // namespace

void Register(const CliCommand& command) { registry().push_back(command); }
const std::vector<CliCommand>& Commands() { return registry(); }

}  // namespace kolumbra::cli

int main(int argc, char** argv) {
    using namespace kolumbra;
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        cli::printHelp();
        return argc < 2 ? 2 : 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s %s\n", ProductName, ProductVersion);
        return 0;
    }
    for (const auto& command : cli::Commands()) {
        if (command.name == std::string(argv[1])) {
            return command.run(std::vector<std::string>(argv + 2, argv + argc));
        }
    }
    std::fprintf(stderr, "kolumbra-cli: unknown command '%s' (see --help)\n", argv[1]);
    return 2;
}
