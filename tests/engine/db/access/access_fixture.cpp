#include "access_fixture.h"

#include "engine/db/access/access_file.h"

namespace kolumbra::testing {

std::string MdbFixture(const std::string& name) { return std::string(KOLUMBRA_FIXTURES) + "/mdb/" + name; }

std::unique_ptr<db::Database> OpenMdbFixture(const std::string& name) { return db::OpenAccessFile(MdbFixture(name)); }

}  // namespace kolumbra::testing
