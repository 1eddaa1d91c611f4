#pragma once
// Opening the Access fixtures and describing what the engine reports.

#include <memory>
#include <string>

#include "../catalogue_text.h"
#include "engine/db/database.h"

namespace kolumbra::testing {

// The fixture file of that name in the shared mdb folder.
std::string MdbFixture(const std::string& name);

std::unique_ptr<db::Database> OpenMdbFixture(const std::string& name);

}  // namespace kolumbra::testing
