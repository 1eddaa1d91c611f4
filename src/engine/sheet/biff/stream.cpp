#include "engine/sheet/biff/stream.h"

#include "engine/sheet/biff/record_types.h"

namespace kolumbra::sheet::biff {

RecordList ReadSubstream(const Bytes& stream, std::size_t offset) {
    RecordList records;
    int depth = 0;
    std::size_t pos = offset;
    while (true) {
        if (pos > stream.size() || stream.size() - pos < 4) throw FormatError("substream without EOF");
        const std::uint16_t type = GetU16(stream, pos);
        const std::uint16_t size = GetU16(stream, pos + 2);
        pos += 4;
        if (stream.size() - pos < size) throw FormatError("record runs past the end of the stream");
        if (records.empty() && type != rt::Bof) throw FormatError("substream does not begin with BOF");
        records.push_back(Record{type, Bytes(stream.begin() + static_cast<std::ptrdiff_t>(pos),
                                             stream.begin() + static_cast<std::ptrdiff_t>(pos + size))});
        pos += size;
        if (type == rt::Bof) ++depth;
        if (type == rt::Eof && --depth == 0) return records;
    }
}

std::size_t StreamSize(const RecordList& records) {
    std::size_t size = 0;
    for (const Record& record : records) size += StreamSize(record);
    return size;
}

void AppendRecord(Bytes& stream, const Record& record) {
    Writer(stream).U16(record.type).U16(static_cast<std::uint16_t>(record.data.size())).Raw(record.data);
}

void AppendRecords(Bytes& stream, const RecordList& records) {
    for (const Record& record : records) AppendRecord(stream, record);
}

Bytes BofBody(std::uint16_t substreamType) {
    Bytes body;
    // Build and year of the 97-2003 format; history flags and lowest version
    // as written for files of that format.
    Writer(body).U16(rt::BiffVersion8).U16(substreamType).U16(8124).U16(1997).U32(0x000080C9).U32(0x00000206);
    return body;
}

}  // namespace kolumbra::sheet::biff
