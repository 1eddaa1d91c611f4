#pragma once
// The parts of a zip package, read from a file's bytes and written back
// either whole (parts nobody changed copied as they are compressed) or in
// place, into free bytes a whole save left for that, so that every byte a
// reader may use stays where it is until cutting the file short commits
// the save.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/sheet/ooxml/zip_archive.h"

namespace kolumbra::sheet::ooxml {

// Where the free bytes of a file written with room are: the hole, from
// `holeNext` to `holeEnd`, where the directory in force starts. The file
// ends with that directory and its end record. All zero when the file has
// no room.
struct Room {
    std::uint64_t holeNext = 0, holeEnd = 0;
};

struct Placement {
    std::vector<ZipEntry> entries;  // in directory order
    Room room;
};

// Bytes to write at a file offset.
struct FileWrite {
    std::uint64_t at = 0;
    std::string bytes;
};

// What a save in place writes: `body` first, flushed, into the hole; it
// ends with a new directory and end record right before the directory in
// force. Cutting the file to `length` then commits it: the new end record
// becomes the last bytes of the file.
struct InPlaceSave {
    std::vector<FileWrite> body;
    std::uint64_t length = 0;
};

class Package {
public:
    Package() = default;
    // Indexes the archive `file`; refuses one that is no zip archive, is
    // damaged, or is an encrypted workbook.
    explicit Package(std::string file);

    bool Has(const std::string& name) const { return Find(name) != nullptr; }
    // The stored name of a part (names compare without letter case).
    std::string StoredName(const std::string& name) const;
    // The part's content; refuses a part whose data is damaged.
    std::string Read(const std::string& name) const;
    // Adds or replaces a part; a new part goes last.
    void Write(const std::string& name, std::string_view content);
    void Remove(const std::string& name);
    std::vector<std::string> Names() const;

    // The archive written whole, and the parts placed as in it once the
    // caller committed it (Committed). With `leaveRoom` it is laid out as
    // entries, a hole of zero bytes, the directory and the end record, so
    // that later saves can go in place (InPlace).
    std::string WholeFile(Placement& placed, bool leaveRoom) const;
    // A save into the file as last committed, which must have been written
    // whole with room: the changed parts go to the start of the hole, and a
    // new directory and end record to its end. Nothing when the hole is too
    // small.
    std::optional<InPlaceSave> InPlace(Placement& placed) const;
    // The file now holds `file` (written whole) or `save`, with the parts
    // where `placed` says.
    void Committed(std::string file, Placement placed);
    void Committed(const InPlaceSave& save, Placement placed);
    // Whether the file holds bytes no part uses: a hole and a room, or what
    // saves in place left behind.
    bool HasUnusedBytes() const { return room_.holeEnd != 0; }
    bool Changed() const;

private:
    struct Part {
        ZipEntry entry;
        std::string compressed;  // while the file does not hold it
        bool placed = false;
    };
    const Part* Find(const std::string& name) const;
    void Index();
    void Placed(Placement placed);

    std::string file_;
    std::vector<Part> parts_;
    std::unordered_map<std::string, std::size_t> byName_;  // lower-case name
    bool removed_ = false;
    Room room_;
};

}  // namespace kolumbra::sheet::ooxml
