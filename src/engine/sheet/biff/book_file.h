#pragma once
// A workbook's compound file taken apart: the Workbook stream, and every
// other stream and storage exactly as found (summary information, VBA
// projects, ...), with their class ids, so that it can be written again
// with nothing lost.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kolumbra::sheet::biff {

using Bytes = std::vector<std::uint8_t>;
using ClassId = std::array<std::uint8_t, 16>;

struct CfbEntry {
    std::string name;
    bool isStorage = false;
    ClassId classId{};
    Bytes data;                      // streams only
    std::vector<CfbEntry> children;  // storages only, in file order
    bool operator==(const CfbEntry&) const = default;
};

struct BookFile {
    // The root storage; one of its children is the Workbook stream.
    CfbEntry root{"Root Entry", true, {}, {}, {}};
    // Index of the Workbook stream among root.children.
    std::size_t workbookIndex = 0;

    Bytes& Workbook() { return root.children.at(workbookIndex).data; }
    const Bytes& Workbook() const { return root.children.at(workbookIndex).data; }
};

// Takes a compound file apart. Anything that is not a compound file with a
// Workbook (or Book) stream, or any complaint of the container library, raises a
// RuntimeError.
BookFile ReadBookFile(const Bytes& file);

// Puts the parts together again as a compound file.
Bytes WriteBookFile(const BookFile& book);
// The same into `file`, whose memory is reused.
void WriteBookFile(const BookFile& book, Bytes& file);

}  // namespace kolumbra::sheet::biff
