#include "engine/sheet/ooxml/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "engine/sheet/ooxml/refusal.h"

namespace kolumbra::sheet::ooxml {

namespace {

constexpr std::uint32_t LocalSignature = 0x04034b50;
constexpr std::uint32_t CentralSignature = 0x02014b50;
constexpr std::uint32_t EndSignature = 0x06054b50;
constexpr std::uint32_t Zip64EndSignature = 0x06064b50;
constexpr std::uint32_t Zip64LocatorSignature = 0x07064b50;
constexpr std::size_t CentralSize = 46;
constexpr std::size_t LocalSize = 30;
constexpr std::uint16_t FlagEncrypted = 0x0001;
constexpr std::uint16_t FlagDataDescriptor = 0x0008;
constexpr std::uint32_t Max32 = 0xFFFFFFFF;

// Little-endian reads that refuse the archive when they run past its end.
class Cursor {
public:
    explicit Cursor(std::string_view data) : data_(data) {}
    std::uint64_t Get(std::size_t at, int bytes) const {
        if (at > data_.size() || data_.size() - at < static_cast<std::size_t>(bytes)) Refuse(kArchiveDamaged);
        std::uint64_t value = 0;
        for (int i = bytes - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(data_[at + i]);
        return value;
    }
    std::uint16_t U16(std::size_t at) const { return static_cast<std::uint16_t>(Get(at, 2)); }
    std::uint32_t U32(std::size_t at) const { return static_cast<std::uint32_t>(Get(at, 4)); }
    std::uint64_t U64(std::size_t at) const { return Get(at, 8); }
    std::string_view Slice(std::uint64_t at, std::uint64_t length) const {
        if (at > data_.size() || data_.size() - at < length) Refuse(kArchiveDamaged);
        return data_.substr(at, length);
    }

private:
    std::string_view data_;
};

void Put(std::string& out, std::uint64_t value, int bytes) {
    char little[8];
    for (int i = 0; i < bytes; ++i) little[i] = static_cast<char>(value >> (8 * i) & 0xFF);
    out.append(little, static_cast<std::size_t>(bytes));
}

// The end record: the one the file ends with (after its comment), else
// the last one whose directory lies right before it, as when a writer left
// bytes of its own behind the archive.
std::size_t FindEnd(std::string_view file) {
    if (file.size() < EndRecordSize) Refuse(kArchiveDamaged);
    const Cursor in(file);
    const std::size_t lowest = file.size() > EndRecordSize + 0xFFFF ? file.size() - EndRecordSize - 0xFFFF : 0;
    for (std::size_t at = file.size() - EndRecordSize + 1; at-- > lowest;)
        if (in.U32(at) == EndSignature && at + EndRecordSize + in.U16(at + 20) == file.size()) return at;
    for (std::size_t at = file.rfind("PK\x05\x06"); at != std::string_view::npos && at > 0;
         at = file.rfind("PK\x05\x06", at - 1)) {
        if (at + EndRecordSize > file.size()) continue;
        const std::uint64_t size = in.U32(at + 12), offset = in.U32(at + 16);
        if (offset + size == at) return at;
    }
    Refuse(kArchiveDamaged);
}

// Replaces the 32-bit fields set to their maximum by the values of the
// zip64 extra field, in the order the format gives them.
void ApplyZip64(const Cursor& in, std::size_t extra, std::size_t extraLength, ZipEntry& entry) {
    for (std::size_t at = extra; at + 4 <= extra + extraLength;) {
        const std::uint16_t id = in.U16(at);
        const std::uint16_t length = in.U16(at + 2);
        if (id == 0x0001) {
            std::size_t field = at + 4;
            auto take = [&](std::uint64_t& value) {
                if (value != Max32) return;
                if (field + 8 > at + 4 + length) Refuse(kArchiveDamaged);
                value = in.U64(field);
                field += 8;
            };
            take(entry.size);
            take(entry.compressedSize);
            take(entry.headerOffset);
        }
        at += 4 + length;
    }
}

// The local header describes the data the directory entry does: same
// method and, unless a data descriptor follows the data, same CRC and
// sizes (or the zip64 marker). Times, versions and names are left to the
// directory: tools rewrite them there alone, and readers go by it.
void CheckLocalHeader(const Cursor& in, const ZipEntry& e) {
    const std::uint64_t at = e.headerOffset;
    if (in.U32(at) != LocalSignature || in.U16(at + 8) != e.method) Refuse(kArchiveDamaged);
    if ((in.U16(at + 6) | e.flags) & FlagDataDescriptor) return;
    auto same = [](std::uint64_t local, std::uint64_t central) { return local == central || local == Max32; };
    if (in.U32(at + 14) != e.crc || !same(in.U32(at + 18), e.compressedSize) || !same(in.U32(at + 22), e.size))
        Refuse(kArchiveDamaged);
}

}  // namespace

ZipDirectory ReadZipDirectory(std::string_view file) {
    const Cursor in(file);
    const std::size_t end = FindEnd(file);
    if (in.U16(end + 4) != 0 || in.U16(end + 6) != 0) Refuse(kArchiveUnsupported);
    std::uint64_t count = in.U16(end + 10);
    std::uint64_t directorySize = in.U32(end + 12);
    std::uint64_t directoryOffset = in.U32(end + 16);
    if (end >= 20 && in.U32(end - 20) == Zip64LocatorSignature) {
        const std::uint64_t record = in.U64(end - 12);
        if (in.U32(record) != Zip64EndSignature) Refuse(kArchiveDamaged);
        count = in.U64(record + 32);
        directorySize = in.U64(record + 40);
        directoryOffset = in.U64(record + 48);
    }
    const std::string_view directory = in.Slice(directoryOffset, directorySize);
    ZipDirectory result;
    result.end = std::min<std::uint64_t>(file.size(), end + EndRecordSize + in.U16(end + 20));
    const Cursor dir(directory);
    std::size_t at = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (dir.U32(at) != CentralSignature) Refuse(kArchiveDamaged);
        ZipEntry e;
        e.versionMadeBy = dir.U16(at + 4);
        e.versionNeeded = dir.U16(at + 6);
        e.flags = dir.U16(at + 8);
        e.method = dir.U16(at + 10);
        e.time = dir.U16(at + 12);
        e.date = dir.U16(at + 14);
        e.crc = dir.U32(at + 16);
        e.compressedSize = dir.U32(at + 20);
        e.size = dir.U32(at + 24);
        const std::uint16_t nameLength = dir.U16(at + 28);
        const std::uint16_t extraLength = dir.U16(at + 30);
        const std::uint16_t commentLength = dir.U16(at + 32);
        if (dir.U16(at + 34) != 0) Refuse(kArchiveUnsupported);
        e.internalAttributes = dir.U16(at + 36);
        e.externalAttributes = dir.U32(at + 38);
        e.headerOffset = dir.U32(at + 42);
        e.name = std::string(dir.Slice(at + CentralSize, nameLength));
        // No part name holds a control character; libzip takes such a name
        // for a damaged archive, so a save would write one nobody reads.
        if (std::any_of(e.name.begin(), e.name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
            Refuse(kArchiveDamaged);
        ApplyZip64(dir, at + CentralSize + nameLength, extraLength, e);
        if (e.flags & FlagEncrypted) Refuse(kArchiveUnsupported);
        CheckLocalHeader(in, e);
        e.dataOffset = e.headerOffset + LocalSize + in.U16(e.headerOffset + 26) + in.U16(e.headerOffset + 28);
        in.Slice(e.dataOffset, e.compressedSize);
        result.entries.push_back(std::move(e));
        at += CentralSize + nameLength + extraLength + commentLength;
    }
    return result;
}

std::uint64_t DirectoryRecordSize(const ZipEntry& entry) {
    return CentralSize + entry.name.size();
}

ZipEntry DeflatedEntry(const std::string& name, std::string_view content, std::string& compressed) {
    ZipEntry entry;
    entry.name = name;
    if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        entry.flags = FlagUtf8;
    entry.size = content.size();
    entry.crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(content.data()), static_cast<uInt>(content.size())));
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::bad_alloc();
    compressed.resize(deflateBound(&z, static_cast<uLong>(content.size())));
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    z.avail_in = static_cast<uInt>(content.size());
    z.next_out = reinterpret_cast<Bytef*>(compressed.data());
    z.avail_out = static_cast<uInt>(compressed.size());
    deflate(&z, Z_FINISH);
    compressed.resize(z.total_out);
    deflateEnd(&z);
    entry.compressedSize = compressed.size();
    return entry;
}

ZipEntry ZipWriter::Add(ZipEntry entry, std::string_view raw) {
    // The name keeps the encoding its flag says: marking a name of another
    // encoding UTF-8 makes readers that check names refuse the archive.
    entry.flags = static_cast<std::uint16_t>(entry.flags & ~FlagDataDescriptor);
    entry.headerOffset = Offset();
    if (entry.headerOffset >= Max32 || entry.size >= Max32 || raw.size() >= Max32)
        Refuse(kArchiveUnsupported);
    Put(out_, LocalSignature, 4);
    Put(out_, entry.versionNeeded, 2);
    Put(out_, entry.flags, 2);
    Put(out_, entry.method, 2);
    Put(out_, entry.time, 2);
    Put(out_, entry.date, 2);
    Put(out_, entry.crc, 4);
    Put(out_, raw.size(), 4);
    Put(out_, entry.size, 4);
    Put(out_, entry.name.size(), 2);
    Put(out_, 0, 2);
    out_ += entry.name;
    entry.dataOffset = Offset();
    entry.compressedSize = raw.size();
    out_ += raw;
    return entry;
}

void ZipWriter::Finish(const std::vector<ZipEntry>& entries) {
    const std::uint64_t directoryOffset = Offset();
    for (const ZipEntry& e : entries) {
        if (e.headerOffset >= Max32 || e.size >= Max32 || e.compressedSize >= Max32) Refuse(kArchiveUnsupported);
        Put(out_, CentralSignature, 4);
        Put(out_, e.versionMadeBy, 2);
        Put(out_, e.versionNeeded, 2);
        Put(out_, e.flags, 2);
        Put(out_, e.method, 2);
        Put(out_, e.time, 2);
        Put(out_, e.date, 2);
        Put(out_, e.crc, 4);
        Put(out_, e.compressedSize, 4);
        Put(out_, e.size, 4);
        Put(out_, e.name.size(), 2);
        Put(out_, 0, 2);  // extra
        Put(out_, 0, 2);  // comment
        Put(out_, 0, 2);  // disk
        Put(out_, e.internalAttributes, 2);
        Put(out_, e.externalAttributes, 4);
        Put(out_, e.headerOffset, 4);
        out_ += e.name;
    }
    const std::uint64_t directorySize = Offset() - directoryOffset;
    if (entries.size() > 0xFFFF || directoryOffset >= Max32) Refuse(kArchiveUnsupported);
    Put(out_, EndSignature, 4);
    Put(out_, 0, 4);  // disk numbers
    Put(out_, entries.size(), 2);
    Put(out_, entries.size(), 2);
    Put(out_, directorySize, 4);
    Put(out_, directoryOffset, 4);
    Put(out_, 0, 2);  // comment
}

}  // namespace kolumbra::sheet::ooxml
