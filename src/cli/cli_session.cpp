#include "cli/cli_session.h"

#include <charconv>
#include <filesystem>

#include "catalog/connection.h"
#include "common/program_places.h"
#include "common/text.h"

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

std::int16_t JapValueOf(const std::string& stored) {
    const std::string trimmed = text::TrimBlanks(stored);
    std::int16_t value = 0;
    const char* end = trimmed.data() + trimmed.size();
    const auto [stop, error] = std::from_chars(trimmed.data(), end, value);
    return error == std::errc() && stop == end ? value : 0;
}

int ReadTables(CliSession& cli) {
    std::size_t before = cli.window.shownMessages.size();
    Command1_Click(cli.session);
    if (!cli.session.gDb) return 1;
    if (cli.window.shownMessages.size() == before) return 0;
    // The no-table notice, or a catalogue that could not be read whole.
    return cli.window.ListCount() == 0 && cli.window.shownMessages.back().starts_with("ﾃｰﾌﾞﾙが見つかりません") ? 2 : 1;
}

}  // namespace kolumbra::cli
