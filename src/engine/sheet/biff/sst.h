#pragma once
// The shared string table (SST with its CONTINUE records) and its index
// (EXTSST).

#include <string>
#include <vector>

#include "engine/sheet/biff/bytes.h"
#include "engine/sheet/biff/record.h"

namespace kolumbra::sheet::biff {

// One string of the table; formatting runs and phonetic data are kept raw.
struct SstString {
    std::u16string chars;
    Bytes runs;    // 4 bytes per run
    Bytes extRst;  // phonetic block
    bool operator==(const SstString&) const = default;
};

// The strings of an SST record followed by its CONTINUE records.
std::vector<SstString> ParseSst(const RecordList& sstAndContinues);

// SST and CONTINUE records holding the strings, with what EXTSST needs.
struct SstLayout {
    RecordList records;
    std::uint16_t bucketSize = 8;
    // For the first string of every bucket: which record holds its header
    // and where in that record's body the header starts.
    struct Anchor {
        std::size_t record;
        std::size_t offset;
    };
    std::vector<Anchor> anchors;
};

// `totalRefs` is the number of cells referring to the table.
SstLayout BuildSst(const std::vector<SstString>& strings, std::uint32_t totalRefs);

// The EXTSST record for a table laid out at stream offset `sstOffset`.
Record BuildExtSst(const SstLayout& layout, std::size_t sstOffset);

// An EXTSST whose table moved by `delta` bytes in the stream unchanged.
Record ShiftedExtSst(const Record& extSst, std::int64_t delta);

}  // namespace kolumbra::sheet::biff
