// kolumbra-cli csv: the CSV field listing of the named tables (all when none).

#include <cstdio>

#include "cli/cli_session.h"
#include "cli/command_registry.h"
#include "csvexport/csv_listing.h"

namespace kolumbra::cli {

namespace {

constexpr const char* Usage = "[--jap] (--dsn NAME | DATABASE) OUT.csv [TABLE ...]";

int runCsv(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    CliSession cli;
    if (!args.empty() && args[0] == "--jap") {
        cli.session.gJap = 1;
        args.erase(args.begin());
    }
    if (!TakeDatabaseArgument(args, cli.window) || args.empty()) {
        std::fprintf(stderr, "usage: kolumbra-cli csv %s\n", Usage);
        return 64;
    }
    cli.window.text3 = args[0];
    args.erase(args.begin());
    if (int status = ReadTables(cli); status != 0) return status;
    for (const auto& unknown : cli.window.SelectTables(args)) {
        std::fprintf(stderr, "kolumbra-cli: no table named '%s'\n", unknown.c_str());
        return 3;
    }
    std::size_t before = cli.window.shownMessages.size();
    Command3_Click(cli.session);
    bool succeeded = cli.window.shownMessages.size() == before + 1 &&
                     cli.window.shownMessages.back() == cli.window.text3 + "を確認して下さい";
    return succeeded ? 0 : 1;
}

const RegisterCommand reg({"csv", Usage, "appends the field listing of the tables to a CSV file", &runCsv});

}  // namespace

}  // namespace kolumbra::cli
