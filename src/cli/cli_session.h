#pragma once
// What the commands of kolumbra-cli share: reading the database named on
// the command line into a session, as the read button does.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "catalog/session.h"
#include "cli/console_window.h"

namespace kolumbra::cli {

struct CliSession {
    CliSession();
    ConsoleWindow window;
    std::unique_ptr<db::DbEngine> engine;
    Session session;
};

// The path box's text for a DATABASE argument. The argument always names a
// file (data sources come through --dsn), so it is made absolute: a relative
// name that starts with "odbc" must not take the read command's ODBC road.
std::string DatabasePathBox(const std::string& argument);

// kl01.ini where the window of the same program folder keeps it.
std::string SettingsFilePath();

// Runs the read command. 0 when tables are listed, 1 when the database
// could not be opened or read, 2 when it lists no table.
int ReadTables(CliSession& cli);

}  // namespace kolumbra::cli
