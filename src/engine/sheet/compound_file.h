#pragma once
// The compound-file container of a workbook, read and written through
// libgsf: a tree of storages and streams, each storage with its class id.

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace kolumbra::sheet {

struct CompoundEntry {
    std::string name;
    bool storage = false;
    std::vector<std::uint8_t> data;      // streams only
    std::array<std::uint8_t, 16> clsid{};  // storages only
    std::vector<CompoundEntry> children;  // storages only

    const CompoundEntry* Child(const std::string& childName) const;
    CompoundEntry* Child(const std::string& childName);
};

class CompoundFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The whole tree of a compound file held in memory; the root is a storage.
// Throws CompoundFileError for anything that is not a sound compound file.
CompoundEntry ReadCompoundFile(const std::vector<std::uint8_t>& file);

// The bytes of a compound file holding the tree.
std::vector<std::uint8_t> WriteCompoundFile(const CompoundEntry& root);

// The class id of a workbook root storage.
std::array<std::uint8_t, 16> WorkbookClassId();

}  // namespace kolumbra::sheet
