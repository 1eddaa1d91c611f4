#pragma once
// One BIFF record as it stands in a Workbook stream: its type and body.
// CONTINUE records stay records of their own, in place, so that a stream
// read and written again comes back byte for byte.

#include <cstdint>
#include <vector>

namespace kolumbra::sheet::biff {

struct Record {
    std::uint16_t type = 0;
    std::vector<std::uint8_t> data;
    bool operator==(const Record&) const = default;
};

// A substream, from its BOF to its EOF.
using RecordList = std::vector<Record>;

}  // namespace kolumbra::sheet::biff
