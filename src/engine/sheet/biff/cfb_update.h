#pragma once
// Saving a workbook again without rewriting its whole compound file. The
// sectors of the Workbook stream that changed, and the allocation-table,
// DIFAT and directory sectors that must change with them, go to new
// sectors after the end of the file; the 512-byte header, written last,
// then makes them the file's content. Sectors the previous version uses
// are never written over, so until the header is written the file holds
// the previous version whole, and a reader that started on it finishes it.

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/sheet/biff/bytes.h"

namespace kolumbra::sheet::biff {

// Where the parts of a compound file with 512-byte sectors lie.
struct CfbLayout {
    Bytes header;                              // the file's first 512 bytes
    std::vector<std::uint32_t> fat;            // one entry per sector
    std::vector<std::uint32_t> fatSectors;     // the sectors holding `fat`, in order
    std::vector<std::uint32_t> difatSectors;   // the chain listing fatSectors beyond the header's 109
    Bytes directory;                           // the directory stream
    std::vector<std::uint32_t> directoryChain;
    std::size_t workbookEntry = 0;             // index of the Workbook stream's entry
    std::vector<std::uint32_t> workbookChain;
    std::size_t workbookSize = 0;
    std::uint32_t sectorCount = 0;             // sectors in the file after the header

    // Sectors the file's current version refers to.
    std::size_t UsedSectors() const;
};

// The layout of `file`, whose root holds the stream `workbookName` (UTF-16)
// of at least 4,096 bytes; nothing for any other file, or one that does
// not hold together.
std::optional<CfbLayout> ReadLayout(const Bytes& file, std::u16string_view workbookName);

// Byte ranges [first, second) of a stream.
using ByteRanges = std::vector<std::pair<std::size_t, std::size_t>>;

struct CfbUpdate {
    std::uint64_t appendAt = 0;  // the end of the file, where `appended` goes
    Bytes appended;
    Bytes header;
    Bytes previousHeader;        // the header the file has before
    CfbLayout layout;            // the file's layout once the header is written
    std::size_t newStreamSectors = 0;  // Workbook stream sectors among `appended`
};

// The update that turns the file of `layout` into one whose Workbook stream
// is `stream`, which equals the stream the file holds everywhere outside
// `changed`. Nothing when the stream is too short for regular sectors.
std::optional<CfbUpdate> PlanUpdate(const CfbLayout& layout, const Bytes& stream, const ByteRanges& changed);

}  // namespace kolumbra::sheet::biff
