#pragma once
// The state the workbook export shares between the driver, the sheet writer
// and the page builder: one table's field descriptions, the output workbook,
// the page in work and the progress increment.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/sheet/workbook.h"

namespace kolumbra {

// What the sheet shows of one field.
struct FieldEntry {
    std::string FieldName;
    std::string SizeText;   // decimal digits, no leading blank
    std::string TypeText;   // FieldTypeName of the field's type
    std::string IndexMark;  // "I" when an index covers the field
    std::string KeyMark;    // "P" when the primary key covers the field
    std::int16_t UniqueFlag = 0;  // -1 when any index that marked the field had the flag
    std::string Remarks;          // the field's description, when the remarks option is on
};

// The buffer never holds fewer entries than this; a wider table grows it so
// that every field fits and an empty name after the last one ends the list.
inline constexpr std::size_t FieldBufferMinimum = 251;

struct ExportState {
    std::int16_t FieldCount = 0;
    std::vector<FieldEntry> FieldBuffer = std::vector<FieldEntry>(FieldBufferMinimum);
    std::string TableRemarks;  // the table's description, when the remarks option is on

    std::shared_ptr<sheet::Workbook> OutBook;   // while one table is written
    std::optional<sheet::Worksheet> OutSheet;   // the page being built
    std::int16_t ProgressStep = 0;              // progress increment of the current table

    // The sheets the current command has saved, in order.
    std::vector<std::string> SheetsSaved;

    // With refresh on: the tables whose forms were brought up to date,
    // those written anew for want of forms, and those found up to date.
    int TablesRefreshed = 0, TablesAppended = 0, TablesUnchanged = 0;
};

// Empties every entry of the buffer and the table remarks, and shrinks the
// buffer back to its minimum size.
void ClearFieldBuffer(ExportState& state);

// Makes room for `fieldCount` fields followed by one empty entry.
void ReserveFieldBuffer(ExportState& state, std::size_t fieldCount);

}  // namespace kolumbra
