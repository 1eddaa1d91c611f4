// kolumbra-cli: the commands of the main window, run from a terminal.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/command_registry.h"
#include "common/process_signals.h"
#include "common/product.h"

namespace kolumbra::cli {

namespace {

std::vector<CliCommand>& registry() {
    static std::vector<CliCommand> commands;
    return commands;
}

// The options the commands share; the manual page kolumbra-cli(1) says the same.
constexpr const char* Options =
    "  --dsn NAME     read the ODBC data source NAME; DATABASE always names a file\n"
    "  --connect STRING\n"
    "                 read the database the ODBC connection string STRING reaches\n"
    "  --jap          name field types in Japanese\n"
    "  --english      name field types in English, whatever kl01.ini says\n"
    "  --author NAME  print NAME as the author, instead of kl01.ini's\n"
    "  --remarks      print the fields' descriptions in the remarks box of each sheet\n"
    "  --replace      replace a sheet of the same name in OUT.xls\n"
    "  --refresh      bring a table's sheets in OUT.xls up to date in place, keeping what\n"
    "                 was typed into them; changes go to the sheet 変更履歴\n"
    "  --             end the options, which may stand anywhere before it\n"
    "  -h, --help     display this help and exit\n"
    "  --version      output version information and exit\n";

void printHelp() {
    std::printf("Usage: kolumbra-cli COMMAND [OPTION]... (--dsn NAME | --connect STRING | DATABASE) [OUT] [TABLE]...\n"
                "Documents the tables of an Access database file or an ODBC data source.\n\n"
                "Commands:\n");
    for (const auto& command : Commands()) {
        std::printf("  %s %s\n      %s\n", command.name, command.usage, command.summary);
    }
    std::printf("\nOptions:\n%s\n", Options);
    std::printf("Settings come from kl01.ini beside the program; an installed program keeps it in\n"
                "$XDG_CONFIG_HOME/kolumbra/ (~/.config/kolumbra/).\n"
                "Messages go to stderr, and the progress of xls too when stderr is a terminal.\n\n"
                "Exit status: 0 when the command succeeded, 1 when the database could not be read\n"
                "or a table failed, 2 when the database lists no table, 3 when csv names a table the\n"
                "database lacks, 64 for a wrong command line. check exits with 0 when the workbook\n"
                "and the database agree, 1 when they differ.\n");
}

void printVersion() { std::printf("kolumbra-cli (%s) %s\n", ProductName, ProductVersion); }

}  // namespace

void Register(const CliCommand& command) { registry().push_back(command); }
const std::vector<CliCommand>& Commands() { return registry(); }

}  // namespace kolumbra::cli

int main(int argc, char** argv) {
    using namespace kolumbra;
    IgnoreFileSizeSignal();
    if (argc < 2) {
        std::fputs("Usage: kolumbra-cli COMMAND [OPTION]... ARGUMENT...\nTry 'kolumbra-cli --help' for more information.\n",
                   stderr);
        return 64;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        cli::printHelp();
        return 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        cli::printVersion();
        return 0;
    }
    for (const auto& command : cli::Commands()) {
        if (command.name == std::string(argv[1])) {
            return command.run(std::vector<std::string>(argv + 2, argv + argc));
        }
    }
    std::fprintf(stderr, "kolumbra-cli: unknown command '%s'\nTry 'kolumbra-cli --help' for more information.\n", argv[1]);
    return 64;
}
