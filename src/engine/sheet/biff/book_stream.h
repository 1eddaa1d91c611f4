#pragma once
// A Workbook stream taken apart into its globals and the substream of every
// sheet, after the checks that decide whether the workbook can be edited
// safely at all.

#include <vector>

#include "engine/sheet/biff/globals.h"

namespace kolumbra::sheet::biff {

struct BookStream {
    Globals globals;
    // One substream per BOUNDSHEET, in tab order, and where it stood.
    std::vector<RecordList> sheets;
    std::vector<std::size_t> offsets;
    // Whatever followed the last substream (usually padding).
    Bytes tail;
};

// Raises a RuntimeError with the reason (refusal.h) for a stream that is
// not BIFF8, is encrypted, is cut short or whose directory does not match
// its substreams.
BookStream ReadBookStream(const Bytes& stream);

}  // namespace kolumbra::sheet::biff
