#pragma once
// Access database files (.mdb, .accdb), read through mdbtools in a child
// process so that a damaged file can never take the program down.

#include <memory>
#include <string>

#include "engine/db/database.h"

namespace kolumbra::db {

// Opens the file at `path`; Name() is the path as given, Connect() empty.
std::unique_ptr<Database> OpenAccessFile(const std::string& path);

}  // namespace kolumbra::db
