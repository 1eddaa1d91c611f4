#pragma once
// The CSV field listing without a window: appends a block per requested
// table to the file and says what became of each.

#include <cstdint>
#include <string>
#include <vector>

#include "common/export_report.h"
#include "csvexport/listing_store.h"
#include "engine/db/database.h"

namespace kolumbra::csvexport {

struct ListingRequest {
    db::Database* database = nullptr;  // the open database
    std::vector<std::string> tables;   // in list order
    std::string path;                  // the file, as typed
    std::int16_t jap = 0;              // non-zero: Japanese field-type names
};

// Where the request cannot go ahead at all.
enum class RequestFault { None, NoFileName, NotCsvPath };
RequestFault CheckListingRequest(const ListingRequest& request);

// Claims the file, reads its old lines, appends a block for each table and
// replaces the file in one piece. A file another program holds is left
// untouched and fails the request. A table whose fields cannot be read fails alone
// and gets no block; a failure of the file fails the whole request
// (`fileError`) and leaves the old file as it was.
ExportResult WriteListing(const ListingRequest& request, ListingStore& store, const ProgressCallback& progress);

}  // namespace kolumbra::csvexport
