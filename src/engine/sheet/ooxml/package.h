#pragma once
// The parts of a zip package, read from a file's bytes and written back
// either whole (parts nobody changed copied as they are compressed) or as a
// tail to append to the file: the parts that changed, then a new
// directory, so that everything before the tail stays where it is.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/sheet/ooxml/zip_archive.h"

namespace kolumbra::sheet::ooxml {

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
    // caller committed it (Placed).
    std::string WholeFile(std::vector<ZipEntry>& placed) const;
    // What to append to the file as last committed so that it holds the
    // parts as they are now; empty when nothing changed.
    std::string Tail(std::vector<ZipEntry>& placed) const;
    // The file now holds `written` (whole, or appended as a tail) with the
    // parts where `placed` says.
    void Committed(const std::string& written, bool whole, std::vector<ZipEntry> placed);
    // Whether the file holds bytes no part uses (tails were appended, or
    // parts changed since it was written whole).
    bool HasUnusedBytes() const { return unusedBytes_; }
    bool Changed() const;

private:
    struct Part {
        ZipEntry entry;
        std::string compressed;  // while the file does not hold it
        bool placed = false;
    };
    const Part* Find(const std::string& name) const;
    void Index();

    std::string file_;
    std::vector<Part> parts_;
    std::unordered_map<std::string, std::size_t> byName_;  // lower-case name
    bool removed_ = false;
    bool unusedBytes_ = false;
};

}  // namespace kolumbra::sheet::ooxml
