#pragma once
// The zip layout of a package: its central directory as read, and the
// writing of entries, directory and end record. The writer is our own so
// that a save can add entries and a new directory behind the ones a file
// already has, leaving every byte before them as it was.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kolumbra::sheet::ooxml {

struct ZipEntry {
    std::string name;
    std::uint16_t versionMadeBy = 20;
    std::uint16_t versionNeeded = 20;
    std::uint16_t flags = 0;
    std::uint16_t method = 8;  // 0 stored, 8 deflated
    std::uint16_t time = 0, date = 0x21;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0, size = 0;
    std::uint16_t internalAttributes = 0;
    std::uint32_t externalAttributes = 0;
    std::uint64_t headerOffset = 0;  // of the local header in the file
    std::uint64_t dataOffset = 0;    // of the compressed data
};

struct ZipDirectory {
    std::vector<ZipEntry> entries;  // in directory order
    // Where the archive ends: before the unfinished tail of a save cut
    // short, if any.
    std::uint64_t end = 0;
};

// The central directory of `file`, with the data offset of every entry
// checked against its local header. Refuses (error 1004) an archive that is
// damaged, split or encrypted.
ZipDirectory ReadZipDirectory(std::string_view file);

constexpr std::size_t EndRecordSize = 22;
// The general-purpose flag saying a name is UTF-8 (else code page 437).
constexpr std::uint16_t FlagUtf8 = 0x0800;
constexpr std::string_view EndRecordSignature("PK\x05\x06", 4);

// The compressed bytes of `entry` inside `file`.
inline std::string_view RawData(std::string_view file, const ZipEntry& entry) {
    return file.substr(entry.dataOffset, entry.compressedSize);
}

// The bytes `entry` takes in a central directory.
std::uint64_t DirectoryRecordSize(const ZipEntry& entry);

// `content` deflated, as an entry named `name` (not yet placed).
ZipEntry DeflatedEntry(const std::string& name, std::string_view content, std::string& compressed);

// Entries written one after the other from a file offset, then the
// directory and end record that make them an archive.
class ZipWriter {
public:
    explicit ZipWriter(std::uint64_t startOffset) : start_(startOffset) {}
    // Writes a local header and `raw` (the compressed data of `entry`);
    // returns the entry as placed, for the directory.
    ZipEntry Add(ZipEntry entry, std::string_view raw);
    // Appends the directory of `entries` (placed by any writer) and the end
    // record.
    void Finish(const std::vector<ZipEntry>& entries);
    // Appends `count` zero bytes.
    void Pad(std::uint64_t count) { out_.append(count, '\0'); }
    const std::string& Bytes() const { return out_; }
    // Where the next byte goes in the file.
    std::uint64_t Offset() const { return start_ + out_.size(); }

private:
    std::uint64_t start_;
    std::string out_;
};

}  // namespace kolumbra::sheet::ooxml
