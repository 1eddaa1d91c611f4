// kolumbra-cli tables: the names the read command lists, one per line.

#include <cstdio>

#include "cli/cli_session.h"
#include "cli/command_registry.h"

namespace kolumbra::cli {

namespace {

int runTables(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    CliSession cli;
    if (!args.empty() && !TakeDatabaseArgument(args, cli.window)) {
        std::fprintf(stderr, "usage: kolumbra-cli tables [--dsn NAME | DATABASE]\n");
        return 64;
    }
    if (!args.empty()) {
        std::fprintf(stderr, "usage: kolumbra-cli tables [--dsn NAME | DATABASE]\n");
        return 64;
    }
    int status = ReadTables(cli);
    for (const auto& name : cli.window.listItems) std::printf("%s\n", name.c_str());
    return status;
}

const RegisterCommand reg({"tables", "[--dsn NAME | DATABASE]",
                           "lists the ordinary tables of an Access file or ODBC data source", &runTables});

}  // namespace

}  // namespace kolumbra::cli
