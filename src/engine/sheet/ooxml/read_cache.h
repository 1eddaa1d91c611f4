#pragma once
// Cells and shared strings read from parts, kept for later bindings of the
// same file: a command binds its workbook anew for each table and looks
// for that table's forms in every sheet, and a part whose bytes did not
// change reads the same. Entries are found by the part's fingerprint.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/sheet/ooxml/sheet_cells.h"

namespace kolumbra::sheet::ooxml {

using CellList = std::shared_ptr<const std::vector<StoredCell>>;
using StringList = std::shared_ptr<const std::vector<std::string>>;

CellList CachedCells(const std::string& fingerprint, const std::function<std::vector<StoredCell>()>& read);
StringList CachedStrings(const std::string& fingerprint, const std::function<std::vector<std::string>()>& read);

}  // namespace kolumbra::sheet::ooxml
