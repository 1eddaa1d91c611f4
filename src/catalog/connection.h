#pragma once
// Opening the database named in the path box, listing its tables, closing it.

#include <cstdint>
#include <string>

#include "catalog/session.h"

namespace kolumbra {

// ODBC mode: the path box is empty or begins with exactly "ODBC".
bool IsOdbcMode(const std::string& text1);

// The part of a path after its last "\" or "/".
std::string FileNameOfPath(const std::string& path);

// Opens the database named by Text1 into gDb: 0 on success, 999 on failure
// (after showing the failure message).
std::int16_t ConnectDatabase(Session& session);

// Closes and releases gDb; never reports an error.
void CloseDatabase(Session& session);

enum class ReadOutcome { Listed, NoTables, CatalogueFailed, NotOpened };

// Opens the database and lists its ordinary tables, showing the read
// command's messages; says how far it came.
ReadOutcome ReadTableList(Session& session);

// The read command.
void Command1_Click(Session& session);

}  // namespace kolumbra
