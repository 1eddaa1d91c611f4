// kolumbra-cli csv: the CSV field listing of the named tables (all when none).

#include <cstdio>

#include "cli/cli_session.h"
#include "cli/command_line.h"
#include "cli/command_registry.h"
#include "common/profile.h"
#include "common/runtime_error.h"
#include "csvexport/csv_listing.h"

namespace kolumbra::cli {

namespace {

constexpr const char* Usage = "[--jap | --english] (--dsn NAME | --connect STRING | DATABASE) OUT.csv [TABLE ...]";

int runCsv(const std::vector<std::string>& arguments) {
    auto line = ParseCommandLine(arguments, {option::Jap, option::English, option::Dsn, option::Connect});
    const auto database = line ? TakeDatabase(*line) : std::nullopt;
    if (!database || line->operands.empty()) {
        std::fprintf(stderr, "usage: kolumbra-cli csv %s\n", Usage);
        return 64;
    }
    CliSession cli;
    database->ApplyTo(cli.window);
    // The flag of kl01.ini, as the window names types; the options over it.
    try {
        cli.session.gJap = JapValue(ReadProfileString(SettingsFilePath(), "KLSETTING", "jap", "0"));
    } catch (const RuntimeError& error) {
        std::fprintf(stderr, "kolumbra-cli: kl01.ini: %s\n", error.description().c_str());
        return 1;
    }
    if (line->Has(option::Jap)) cli.session.gJap = 1;
    if (line->Has(option::English)) cli.session.gJap = 0;

    const std::vector<std::string> tables(line->operands.begin() + 1, line->operands.end());
    if (int status = ReadTables(cli); status != 0) return status;
    for (const auto& unknown : cli.window.SelectTables(tables)) {
        std::fprintf(stderr, "kolumbra-cli: no table named '%s'\n", unknown.c_str());
        return 3;
    }
    const csvexport::ListingRequest request{cli.session.gDb.get(), cli.window.SelectedTables(), line->operands[0],
                                            cli.session.gJap};
    if (const auto fault = csvexport::CheckListingRequest(request); fault != csvexport::RequestFault::None) {
        ShowListingFault(cli.window, fault);
        return 1;
    }
    csvexport::DiskListingStore disk;
    const ExportResult result = csvexport::WriteListing(
        request, disk, [&](const ExportProgress& step) { ShowListingStep(cli.window, step); });
    ShowListingDone(cli.window, request.path, result);
    return result.AllWritten() ? 0 : 1;
}

const RegisterCommand reg({"csv", Usage, "appends the field listing of the tables to a CSV file", &runCsv});

}  // namespace

}  // namespace kolumbra::cli
