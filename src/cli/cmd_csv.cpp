// kolumbra-cli csv: the CSV field listing of the named tables (all when none).

#include <cstdio>

#include "cli/cli_session.h"
#include "cli/command_registry.h"
#include "common/profile.h"
#include "common/runtime_error.h"
#include "csvexport/csv_listing.h"

namespace kolumbra::cli {

namespace {

constexpr const char* Usage = "[--jap | --english] (--dsn NAME | DATABASE) OUT.csv [TABLE ...]";

int runCsv(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    CliSession cli;
    // The flag of kl01.ini, as the window names types; the options over it.
    try {
        cli.session.gJap = JapValue(ReadProfileString(SettingsFilePath(), "KLSETTING", "jap", "0"));
    } catch (const RuntimeError& error) {
        std::fprintf(stderr, "kolumbra-cli: kl01.ini: %s\n", error.description().c_str());
        return 1;
    }
    bool english = false;
    while (!args.empty() && (args[0] == "--jap" || args[0] == "--english")) {
        if (args[0] == "--jap") cli.session.gJap = 1;
        english = english || args[0] == "--english";
        args.erase(args.begin());
    }
    if (english) cli.session.gJap = 0;
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
