#pragma once
// The catalogue of a database as bytes, to pass it from the reading child
// process to the program. Reading is bounded by the size of the bytes.

#include <optional>
#include <string>
#include <vector>

#include "engine/db/access/mdb_catalog.h"

namespace kolumbra::db::wire {

std::string Encode(const std::vector<mdb::CatalogTable>& tables);

// Nothing when the bytes are not a whole, well-formed catalogue.
std::optional<std::vector<mdb::CatalogTable>> Decode(const std::string& bytes);

}  // namespace kolumbra::db::wire
