#pragma once
// Name references inside parsed formulas (the rgce token arrays of cells,
// names, shared and array formulas, conditional formats, validations,
// chart series and drawing objects), renumbered when names are removed.

#include <cstdint>
#include <vector>

#include "engine/sheet/biff/bytes.h"

namespace kolumbra::sheet::biff {

struct NameRenumbering {
    // For each 1-based name index of the old list (slot 0 unused): the new
    // index, or 0 for a removed name.
    std::vector<std::uint16_t> newIndex;
    // For each EXTERNSHEET entry: whether it refers to this workbook, so
    // that the names it reaches are this workbook's names.
    std::vector<bool> selfReference;
};

// Rewrites the name tokens of the formula of `size` bytes at `start` in
// `data`: PtgName and PtgNameX of this workbook get their new index, and a
// reference to a removed name becomes a reference error of the same size.
// Throws FormatError for a token it does not know or a formula that runs
// past the record.
void RenumberNames(Bytes& data, std::size_t start, std::size_t size, const NameRenumbering& renumbering);

}  // namespace kolumbra::sheet::biff
