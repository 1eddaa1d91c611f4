#include "cli/cli_session.h"

#include <filesystem>

#include "catalog/connection.h"
#include "common/program_places.h"

namespace kolumbra::cli {

CliSession::CliSession() : engine(db::MakeDbEngine()), session(window, *engine) {}

std::string DatabasePathBox(const std::string& argument) {
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(argument, ec);
    return ec ? argument : absolute.string();
}

std::string SettingsFilePath() { return PlacesOf(RunningProgramFolder()).settingsFile; }

int ReadTables(CliSession& cli) {
    switch (ReadTableList(cli.session)) {
        case ReadOutcome::Listed:
            return 0;
        case ReadOutcome::NoTables:
            return 2;
        case ReadOutcome::CatalogueFailed:
        case ReadOutcome::NotOpened:
            return 1;
    }
    return 1;
}

}  // namespace kolumbra::cli
