#pragma once

#include "catalog/session.h"
#include "csvexport/listing_store.h"

namespace kolumbra {

// The CSV command: appends the field listing of the selected tables to the
// file named in Text3.
void Command3_Click(Session& session);

// The same command writing through `store` instead of the disk store.
void Command3_Click(Session& session, csvexport::ListingStore& store);

}  // namespace kolumbra
