#pragma once
// The state the main window's commands share for the whole run. The
// g-prefixed names are the settings of the settings window (Form3), kept
// under their historical names: gJap the field-type naming, gMkname the
// author, gRemarks the remarks option, gRefresh the refresh option; gDb
// the open database.

#include <cstdint>
#include <memory>
#include <string>

#include "common/window_services.h"
#include "engine/db/database.h"

namespace kolumbra {

struct Session {
    Session(WindowServices& w, db::DbEngine& engine) : window(w), DBEngine(engine) {}

    WindowServices& window;
    db::DbEngine& DBEngine;

    std::unique_ptr<db::Database> gDb;  // the one open database, or nothing
    std::string DbName;                 // its display name
    std::string CurrentTable;           // the table a command is working on

    std::int16_t gJap = 0;  // non-zero: Japanese field-type names
    std::string gMkname;    // author printed on every sheet
    std::int16_t gRemarks = 0;  // non-zero: descriptions go in the sheets' remarks block
    std::int16_t gRefresh = 0;  // non-zero: a table's existing forms are brought up to date in place
};

}  // namespace kolumbra
