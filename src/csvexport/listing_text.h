#pragma once
// The pieces of the CSV field listing, as code page 932 bytes.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/db/database.h"

namespace kolumbra::csvexport {

// The old file's non-empty records, each ended by CR LF and kept byte for
// byte, then one empty line when any was kept. A record ends at CR LF or at
// a lone CR outside a quoted field, so that a quoted name holding a line
// break (as CsvName writes it) comes back whole.
std::string KeptOldLines(std::string_view oldBytes);

// A name as one CSV field: wrapped in double quotes, with inner quotes
// doubled, only when it holds a comma, a double quote, CR or LF.
std::string CsvName(std::string_view name);

// The lines that name a table and head its field lines.
std::string TableHeadLines(std::string_view tableName);

// One field's line: name, type name, size.
std::string FieldLine(const db::Field& field, std::int16_t jap);

// The empty line and the line of two commas that close a block.
std::string BlockEndLines();

}  // namespace kolumbra::csvexport
