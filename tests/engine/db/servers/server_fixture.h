#pragma once
// The database servers the test run started (db-servers, a CTest fixture):
// their data sources and what their schemas hold.

#include <ostream>
#include <string>
#include <vector>

namespace kolumbra::testing {

struct Server {
    std::string kind;  // "PostgreSQL" or "MariaDB"
    std::string dsn;
    std::vector<std::string> tables;  // the table list the schema gives
    std::string types;                // the fields of 型見本 as the driver reports them
};

inline void PrintTo(const Server& server, std::ostream* out) { *out << server.kind; }

// The servers of the test schemas, for parameterised tests.
std::vector<Server> Servers();

// The connection string that reaches `server` without its data source:
// the items of its odbc.ini section joined by ";".
std::string ConnectionStringOf(const Server& server);

// Empty when `server` runs; otherwise why it does not (a server program
// missing from this machine, or the test run outside its fixture).
std::string WhyNotRunning(const Server& server);

}  // namespace kolumbra::testing

// Skips the test when the server does not run; in CI a server that does
// not run is a failure.
#define REQUIRE_SERVER(server)                                               \
    do {                                                                     \
        const std::string why = ::kolumbra::testing::WhyNotRunning(server); \
        if (!why.empty()) {                                                  \
            if (std::getenv("CI") && std::string(std::getenv("CI")) == "true") FAIL() << why; \
            GTEST_SKIP() << why;                                             \
        }                                                                    \
    } while (false)
