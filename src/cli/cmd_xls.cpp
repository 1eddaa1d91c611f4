// kolumbra-cli xls: the table-definition workbook of a database's tables,
// as the main window's workbook button writes it. The command line stands
// for the confirmation; --replace answers the same-name question with OK.
//
// Exit status: 0 when every table was written; 1 when the database could
// not be read, or any table failed, was not replaced or is not in the
// database; 2 when the database lists no table; 64 for a wrong command line.

#include <cstdio>
#include <string>
#include <vector>

#include "catalog/connection.h"
#include "cli/cli_session.h"
#include "cli/command_line.h"
#include "cli/command_registry.h"
#include "common/profile.h"
#include "common/runtime_error.h"
#include "layoutbook/export_driver.h"

namespace kolumbra::cli {

namespace {

const char* const Usage = "[--jap | --english] [--author NAME] [--remarks] [--replace] [--refresh] (--dsn NAME | --connect STRING | DATABASE) OUT.xls [TABLE ...]";

// The settings the window loads at start-up, from the same kl01.ini, then
// the options over them.
void loadSettings(Session& session, const CommandLine& line) {
    const std::string file = SettingsFilePath();
    session.gMkname = ReadProfileString(file, "KLSETTING", "mkname", "");
    session.gJap = JapValue(ReadProfileString(file, "KLSETTING", "jap", "0"));
    session.gRemarks = RemarksValue(ReadProfileString(file, "KLSETTING", "remarks", "0"));
    session.gRefresh = RefreshValue(ReadProfileString(file, "KLSETTING", "refresh", "0"));
    if (line.Has(option::Jap)) session.gJap = 1;
    if (line.Has(option::English)) session.gJap = 0;
    if (line.Has(option::Remarks)) session.gRemarks = 1;
    if (line.Has(option::Refresh)) session.gRefresh = 1;
    if (auto author = line.Value(option::Author)) session.gMkname = *author;
}

int run(const std::vector<std::string>& arguments) {
    auto line = ParseCommandLine(arguments, {option::Jap, option::English, option::Author, option::Remarks,
                                             option::Replace, option::Refresh, option::Dsn, option::Connect});
    const auto database = line ? TakeDatabase(*line) : std::nullopt;
    if (!database || line->operands.empty()) {
        std::fprintf(stderr, "usage: kolumbra-cli xls %s\n", Usage);
        return 64;
    }
    CliSession cli;
    database->ApplyTo(cli.window);
    cli.window.text2 = line->operands[0];
    const bool replace = line->Has(option::Replace);
    cli.window.answerQuestion = [replace](const std::string&) { return replace ? Answer::Ok : Answer::Cancel; };
    try {
        loadSettings(cli.session, *line);
    } catch (const RuntimeError& error) {
        std::fprintf(stderr, "kolumbra-cli: kl01.ini: %s\n", error.description().c_str());
        return 1;
    }

    if (int status = ReadTables(cli); status != 0) return status;
    const std::vector<std::string> tables(line->operands.begin() + 1, line->operands.end());
    const auto unknown = cli.window.SelectTables(tables);
    for (const auto& name : unknown) std::fprintf(stderr, "kolumbra-cli: no table named '%s'\n", name.c_str());

    const layoutbook::LayoutRequest request = LayoutRequestOf(cli.session, cli.window.SelectedTables());
    if (const auto fault = layoutbook::CheckLayoutRequest(request); fault != layoutbook::RequestFault::None) {
        ShowRequestFault(cli.window, fault);
        return 1;
    }
    const layoutbook::LayoutCallbacks callbacks{WindowProgress(cli.session), [&](const std::string& name) {
        const layoutbook::SameName decision = AskSameName(cli.window, name);
        if (decision == layoutbook::SameName::Keep)
            std::fputs("kolumbra-cli: the sheet is kept and the table skipped (--replace replaces it)\n", stderr);
        return decision;
    }};
    ExportState state;
    const ExportResult result = layoutbook::ExportLayoutBook(request, callbacks, state);
    CloseDatabase(cli.session);
    if (request.options.refresh)
        std::printf("refreshed %d, appended %d, unchanged %d\n", state.TablesRefreshed, state.TablesAppended,
                    state.TablesUnchanged);
    ShowCompletion(cli.window, request.output, result);
    return result.AllWritten() && unknown.empty() ? 0 : 1;
}

RegisterCommand reg({"xls", Usage, "writes the table-definition sheets of the tables (all when none is named) into OUT.xls", &run});

}  // namespace

}  // namespace kolumbra::cli
