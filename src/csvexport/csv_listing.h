#pragma once
// The CSV command of the main window, and the messages kolumbra-cli shows
// for the same listing.

#include <string>

#include "catalog/session.h"
#include "common/export_report.h"
#include "common/window_services.h"
#include "csvexport/csv_export.h"
#include "csvexport/listing_store.h"

namespace kolumbra {

// The CSV command: appends the field listing of the selected tables to the
// file named in Text3.
void Command3_Click(Session& session);

// The same command writing through `store` instead of the disk store.
void Command3_Click(Session& session, csvexport::ListingStore& store);

// The message of a request that cannot go ahead; nothing for None.
void ShowListingFault(WindowServices& window, csvexport::RequestFault fault);

// Shows the failure of a table that got no block, when `step` finished one.
void ShowListingStep(WindowServices& window, const ExportProgress& step);

// The closing message: the file to look at, or the write failure.
void ShowListingDone(WindowServices& window, const std::string& path, const ExportResult& result);

}  // namespace kolumbra
