#pragma once
// The command lines of kolumbra-cli's commands: options, each with or
// without a value, may stand anywhere among the operands; "--" ends the
// options, so that an operand may begin with "--".

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cli/console_window.h"

namespace kolumbra::cli {

struct OptionRule {
    std::string name;         // with its dashes: "--author"
    bool takesValue = false;  // the next argument is its value
};

// The options the commands share; each command names those it takes.
namespace option {
inline const OptionRule Jap{"--jap"};
inline const OptionRule English{"--english"};
inline const OptionRule Dsn{"--dsn", true};
inline const OptionRule Connect{"--connect", true};
inline const OptionRule Author{"--author", true};
inline const OptionRule Remarks{"--remarks"};
inline const OptionRule Replace{"--replace"};
inline const OptionRule Refresh{"--refresh"};
}  // namespace option

struct CommandLine {
    std::set<std::string> flags;               // options without a value that were given
    std::map<std::string, std::string> values;  // options with a value: the last one given
    std::vector<std::string> operands;          // everything else, in order

    bool Has(const OptionRule& flag) const { return flags.contains(flag.name); }
    std::optional<std::string> Value(const OptionRule& option) const;
};

// Nothing when an argument names an option not in `accepted`, or an option
// that takes a value comes last.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            const std::vector<OptionRule>& accepted);

// Where the database comes from: a data source (--dsn), a connection
// string (--connect), or a file, the first operand then.
struct DatabaseChoice {
    std::optional<std::string> dataSource;  // a data-source name or a connection string
    std::string file;

    // Sets the path box, or the data source the read command picks.
    void ApplyTo(ConsoleWindow& window) const;
};

// Takes the database off the command line; nothing when none is named,
// or when both --dsn and --connect are.
std::optional<DatabaseChoice> TakeDatabase(CommandLine& line);

}  // namespace kolumbra::cli
