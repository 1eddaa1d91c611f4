#include "server_fixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kolumbra::testing {

std::vector<Server> Servers() {
    return {
        {"PostgreSQL", "Kolumbra PostgreSQL", {"受注明細", "商品マスタ", "型見本", "経理.商品マスタ", "項目300"}},
        {"MariaDB", "Kolumbra MariaDB", {"受注明細", "商品マスタ", "型見本", "項目300"}},
    };
}

std::string WhyNotRunning(const Server& server) {
    const std::string state = KOLUMBRA_SERVERS_STATE;
    std::ifstream runtime(state + "/runtime");
    if (!runtime) return "the database servers were not started: run this test through ctest";
    ::setenv("ODBCINI", (state + "/odbc.ini").c_str(), 1);
    ::setenv("ODBCSYSINI", state.c_str(), 1);
    std::ifstream missingFile(state + "/missing");
    std::string line;
    while (std::getline(missingFile, line)) {
        if (line == server.kind) return server.kind + " is not installed on this machine (scripts/setup installs it)";
    }
    return "";
}

}  // namespace kolumbra::testing
