#pragma once
// A data source of the tests' own: a SQLite database made with sqlite3,
// served by the SQLite3 ODBC driver through an odbc.ini in a temporary
// folder. Made once per process, before the first ODBC call.

#include <string>

namespace kolumbra::testing {

inline const std::string TestDsn = "Kolumbra test";
inline const std::string TestDescription = "販売管理 (試験用)";
// A data source whose database file does not exist and may not be created.
inline const std::string RefusingDsn = "Kolumbra refusing";
// A data source whose driver library does not exist.
inline const std::string DriverlessDsn = "Kolumbra driverless";

// Sets up the data sources (once) and returns the database file's path.
const std::string& TestDatabasePath();

}  // namespace kolumbra::testing
