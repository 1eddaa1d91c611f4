// kolumbra-cli xls: the table-definition workbook of a database's tables,
// as the main window's workbook button writes it. The command line stands
// for the confirmation; --replace answers the same-name question with OK.
//
// Exit status: 0 when every table was written; 1 when the database could
// not be read, or any table failed, was not replaced or is not in the
// database; 2 when the database lists no table; 64 for a wrong command line.

#ifdef KOLUMBRA_HAVE_LAYOUTBOOK

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "catalog/connection.h"
#include "cli/cli_session.h"
#include "cli/command_registry.h"
#include "common/profile.h"
#include "common/runtime_error.h"
#include "layoutbook/export_driver.h"

namespace kolumbra::cli {

namespace {

const char* const Usage = "[--jap | --english] [--author NAME] [--remarks] [--replace] [--refresh] (--dsn NAME | DATABASE) OUT.xls [TABLE ...]";
const char* const SameNameQuestion = "ｼｰﾄ作成時に同一名ｼｰﾄを検出しました";

struct XlsArgs {
    bool jap = false;
    bool english = false;
    std::optional<std::string> author;
    bool remarks = false;
    bool replace = false;
    bool refresh = false;
    std::optional<std::string> dsn;
    std::string database;
    std::string output;
    std::vector<std::string> tables;
};

std::optional<XlsArgs> parseArgs(const std::vector<std::string>& args) {
    XlsArgs parsed;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--jap" || arg == "--english") {
            (arg == "--jap" ? parsed.jap : parsed.english) = true;
        } else if (arg == "--remarks") {
            parsed.remarks = true;
        } else if (arg == "--replace") {
            parsed.replace = true;
        } else if (arg == "--refresh") {
            parsed.refresh = true;
        } else if ((arg == "--author" || arg == "--dsn") && i + 1 < args.size()) {
            (arg == "--author" ? parsed.author : parsed.dsn) = args[++i];
        } else if (arg.starts_with("--")) {
            return std::nullopt;
        } else {
            positional.push_back(arg);
        }
    }
    const std::size_t paths = parsed.dsn ? 1 : 2;
    if (positional.size() < paths) return std::nullopt;
    if (!parsed.dsn) parsed.database = positional[0];
    parsed.output = positional[paths - 1];
    parsed.tables.assign(positional.begin() + static_cast<std::ptrdiff_t>(paths), positional.end());
    return parsed;
}

// The settings the window loads at start-up, from the same kl01.ini, then
// the flags over them.
void loadSettings(Session& session, const XlsArgs& args) {
    const std::string file = SettingsFilePath();
    session.gMkname = ReadProfileString(file, "KLSETTING", "mkname", "");
    session.gJap = JapValue(ReadProfileString(file, "KLSETTING", "jap", "0"));
    session.gRemarks = RemarksValue(ReadProfileString(file, "KLSETTING", "remarks", "0"));
    session.gRefresh = RefreshValue(ReadProfileString(file, "KLSETTING", "refresh", "0"));
    if (args.jap) session.gJap = 1;
    if (args.english) session.gJap = 0;
    if (args.remarks) session.gRemarks = 1;
    if (args.refresh) session.gRefresh = 1;
    if (args.author) session.gMkname = *args.author;
}

std::size_t countStartingWith(const std::vector<std::string>& messages, const std::string& start) {
    std::size_t count = 0;
    for (const auto& message : messages) count += message.starts_with(start) ? 1 : 0;
    return count;
}

int run(const std::vector<std::string>& rawArgs) {
    const auto args = parseArgs(rawArgs);
    if (!args) {
        std::fprintf(stderr, "usage: kolumbra-cli xls %s\n", Usage);
        return 64;
    }
    CliSession cli;
    if (!args->dsn) cli.window.text1 = DatabasePathBox(args->database);
    cli.window.text2 = args->output;
    cli.window.dataSource = args->dsn;
    std::size_t declined = 0;
    cli.window.answerQuestion = [&](const std::string& prompt) {
        if (!prompt.starts_with(SameNameQuestion) || args->replace) return Answer::Ok;
        ++declined;
        std::fputs("kolumbra-cli: the sheet is kept and the table skipped (--replace replaces it)\n", stderr);
        return Answer::Cancel;
    };
    try {
        loadSettings(cli.session, *args);
    } catch (const RuntimeError& error) {
        std::fprintf(stderr, "kolumbra-cli: kl01.ini: %s\n", error.description().c_str());
        return 1;
    }

    if (int status = ReadTables(cli); status != 0) return status;
    const auto unknown = cli.window.SelectTables(args->tables);
    for (const auto& name : unknown) std::fprintf(stderr, "kolumbra-cli: no table named '%s'\n", name.c_str());

    ExportState state;
    Command4_Click(cli.session, state);
    CloseDatabase(cli.session);
    if (cli.session.gRefresh != 0)
        std::printf("refreshed %d, appended %d, unchanged %d\n", state.TablesRefreshed, state.TablesAppended,
                    state.TablesUnchanged);

    const auto& shown = cli.window.shownMessages;
    const bool completed = countStartingWith(shown, FileNameOfPath(args->output) + "が作成されました") == 1;
    const bool failed = countStartingWith(shown, "ｴﾗｰが発生しました") > 0;
    return completed && !failed && declined == 0 && unknown.empty() ? 0 : 1;
}

RegisterCommand reg({"xls", Usage, "writes the table-definition sheets of the tables (all when none is named) into OUT.xls", &run});

}  // namespace

}  // namespace kolumbra::cli

#endif  // KOLUMBRA_HAVE_LAYOUTBOOK
