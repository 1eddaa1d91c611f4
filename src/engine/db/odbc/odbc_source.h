#pragma once
// ODBC data sources through unixODBC.

#include <memory>
#include <string>
#include <vector>

#include "engine/db/database.h"

namespace kolumbra::db {

// Connects to the data source named `source`, or through the connection
// string `source` (one holding "=", which no data-source name holds).
std::unique_ptr<Database> OpenOdbcSource(const std::string& source);

struct DataSourceInfo {
    std::string Name;
    std::string Description;  // its Description in odbc.ini
};

// The user and system data sources the driver manager knows.
std::vector<DataSourceInfo> ListDataSources();

}  // namespace kolumbra::db
