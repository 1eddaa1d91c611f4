#include "cli/cli_session.h"

#include <filesystem>

#include "catalog/connection.h"
#include "common/program_places.h"

namespace kolumbra::cli {

CliSession::CliSession() : engine(db::MakeDbEngine()), session(window, *engine) {}

bool TakeDatabaseArgument(std::vector<std::string>& args, ConsoleWindow& window) {
    if (args.empty()) return false;
    if (args[0] == "--dsn") {
        if (args.size() < 2) return false;
        window.text1.clear();
        window.dataSource = args[1];
        args.erase(args.begin(), args.begin() + 2);
        return true;
    }
    window.text1 = DatabasePathBox(args[0]);
    args.erase(args.begin());
    return true;
}

std::string DatabasePathBox(const std::string& argument) {
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(argument, ec);
    return ec ? argument : absolute.string();
}

std::string SettingsFilePath() { return PlacesOf(RunningProgramFolder()).settingsFile; }

int ReadTables(CliSession& cli) {
    std::size_t before = cli.window.shownMessages.size();
    Command1_Click(cli.session);
    if (!cli.session.gDb) return 1;
    if (cli.window.shownMessages.size() == before) return 0;
    // The no-table notice, or a catalogue that could not be read whole.
    return cli.window.ListCount() == 0 && cli.window.shownMessages.back().starts_with("ﾃｰﾌﾞﾙが見つかりません") ? 2 : 1;
}

}  // namespace kolumbra::cli
