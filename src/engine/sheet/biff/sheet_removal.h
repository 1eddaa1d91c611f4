#pragma once
// What refers to sheets by position outside their own substreams, brought
// in line when a sheet is removed or inserted.

#include <cstdint>
#include <vector>

#include "engine/sheet/biff/record.h"

namespace kolumbra::sheet::biff {

// For the removal of the sheet at tab position `removed` (0-based):
// - names scoped to later sheets move down one sheet (NAME.itab);
// - names scoped to the removed sheet go, and every name index in the
//   formulas of the other names and of `sheets` (the substreams of the
//   remaining stored sheets) is renumbered; references to a removed name
//   become reference errors;
// - EXTERNSHEET entries of this workbook that pointed at the removed sheet
//   only are marked deleted, later sheets move down, and 3-D ranges over
//   it shrink. Entries are never removed: formulas refer to them by index.
// Throws FormatError, with nothing changed, when a record it must rewrite
// cannot be read.
void RemoveSheetReferences(RecordList& globals, const std::vector<RecordList*>& sheets, std::uint16_t removed);

// Whether a 3-D reference of this workbook, which formulas and names
// refer to sheets through (an EXTERNSHEET entry), takes in the sheet at tab
// position `sheet` (0-based).
bool SheetReferenced(const RecordList& globals, std::uint16_t sheet);

// For a new sheet at tab position `inserted`, before sheets already there:
// names scoped to the sheets from there on and this workbook's EXTERNSHEET
// entries move up one sheet. Throws FormatError, with nothing changed, when
// a record it must rewrite cannot be read.
void InsertSheetReferences(RecordList& globals, std::uint16_t inserted);

}  // namespace kolumbra::sheet::biff
