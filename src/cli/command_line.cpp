#include "cli/command_line.h"

#include <algorithm>

#include "cli/cli_session.h"

namespace kolumbra::cli {

std::optional<std::string> CommandLine::Value(const OptionRule& option) const {
    const auto found = values.find(option.name);
    if (found == values.end()) return std::nullopt;
    return found->second;
}

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            const std::vector<OptionRule>& accepted) {
    CommandLine line;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || !arg.starts_with("--")) {
            line.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const auto rule = std::find_if(accepted.begin(), accepted.end(), [&](const OptionRule& r) { return r.name == arg; });
        if (rule == accepted.end()) return std::nullopt;
        if (!rule->takesValue) {
            line.flags.insert(arg);
        } else if (i + 1 < args.size()) {
            line.values[arg] = args[++i];
        } else {
            return std::nullopt;
        }
    }
    return line;
}

void DatabaseChoice::ApplyTo(ConsoleWindow& window) const {
    window.dataSource = dataSource;
    window.text1 = dataSource ? std::string() : DatabasePathBox(file);
}

std::optional<DatabaseChoice> TakeDatabase(CommandLine& line) {
    auto dsn = line.Value(option::Dsn);
    auto connect = line.Value(option::Connect);
    if (dsn && connect) return std::nullopt;
    // The engine takes a chosen text holding "=" as a connection string.
    if (connect) return DatabaseChoice{std::move(connect), {}};
    if (dsn) return DatabaseChoice{std::move(dsn), {}};
    if (line.operands.empty()) return std::nullopt;
    DatabaseChoice choice{std::nullopt, line.operands.front()};
    line.operands.erase(line.operands.begin());
    return choice;
}

}  // namespace kolumbra::cli
