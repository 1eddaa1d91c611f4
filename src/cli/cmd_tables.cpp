// kolumbra-cli tables: the names the read command lists, one per line.

#include <cstdio>

#include "cli/cli_session.h"
#include "cli/command_line.h"
#include "cli/command_registry.h"

namespace kolumbra::cli {

namespace {

constexpr const char* Usage = "[--dsn NAME | --connect STRING | DATABASE]";

int runTables(const std::vector<std::string>& arguments) {
    auto line = ParseCommandLine(arguments, {option::Dsn, option::Connect});
    const auto database = line ? TakeDatabase(*line) : std::nullopt;
    const bool twoSources = line && line->Value(option::Dsn) && line->Value(option::Connect);
    if (!line || !line->operands.empty() || twoSources) {
        std::fprintf(stderr, "usage: kolumbra-cli tables %s\n", Usage);
        return 64;
    }
    CliSession cli;
    // Without either, the read command takes the ODBC road and the console
    // has no data source to choose.
    if (database) database->ApplyTo(cli.window);
    int status = ReadTables(cli);
    for (const auto& name : cli.window.listItems) std::printf("%s\n", name.c_str());
    return status;
}

const RegisterCommand reg({"tables", Usage, "lists the ordinary tables of an Access file or ODBC data source", &runTables});

}  // namespace

}  // namespace kolumbra::cli
