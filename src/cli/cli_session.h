#pragma once
// What the commands of kolumbra-cli share: reading the database named on
// the command line into a session, as the read button does.

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

// Splits "--dsn NAME" or a database path off the front of the arguments:
// sets the path box or the data source. False when neither is given.
bool TakeDatabaseArgument(std::vector<std::string>& args, ConsoleWindow& window);

// Runs the read command. 0 when tables are listed, 1 when the database
// could not be opened or read, 2 when it lists no table.
int ReadTables(CliSession& cli);

}  // namespace kolumbra::cli
