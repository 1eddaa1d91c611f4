#pragma once
// Splitting a Workbook stream into substreams of records, and writing
// records back into a stream.

#include "engine/sheet/biff/bytes.h"
#include "engine/sheet/biff/record.h"

namespace kolumbra::sheet::biff {

// The substream that begins with the BOF at `offset` and ends with its
// matching EOF (nested substreams such as embedded charts included).
// Throws FormatError when a record runs past the end or the EOF is missing.
RecordList ReadSubstream(const Bytes& stream, std::size_t offset);

// Bytes a record takes in a stream: its 4-byte header and its body.
inline std::size_t StreamSize(const Record& record) { return 4 + record.data.size(); }
std::size_t StreamSize(const RecordList& records);

void AppendRecord(Bytes& stream, const Record& record);
void AppendRecords(Bytes& stream, const RecordList& records);

// The 16-byte BOF body of a BIFF8 substream of the given type.
Bytes BofBody(std::uint16_t substreamType);

}  // namespace kolumbra::sheet::biff
