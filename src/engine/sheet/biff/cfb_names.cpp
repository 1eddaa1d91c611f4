#include "engine/sheet/biff/cfb_names.h"

#include <vector>

namespace kolumbra::sheet::biff {

namespace {

constexpr std::uint32_t MaxRegularSector = 0xFFFFFFFA;
constexpr std::size_t HeaderFatSectors = 109;
constexpr std::size_t EntrySize = 128;
constexpr std::size_t MaxNameBytes = 64;

// The sectors of a compound file, followed through its allocation table.
class SectorChains {
public:
    SectorChains(const Bytes& file, unsigned shift) : file_(file), size_(std::size_t{1} << shift) {
        for (std::size_t i = 0; i < HeaderFatSectors; ++i) fatSectors_.push_back(GetU32(file, 0x4C + 4 * i));
        const std::size_t perDifat = size_ / 4 - 1;
        std::uint32_t difat = GetU32(file, 0x44);
        for (std::size_t n = 0; IsWhole(difat) && n < SectorCount(); ++n) {
            for (std::size_t i = 0; i < perDifat; ++i) fatSectors_.push_back(GetU32(file, Offset(difat) + 4 * i));
            difat = GetU32(file, Offset(difat) + 4 * perDifat);
        }
    }

    std::size_t SectorSize() const { return size_; }
    std::size_t SectorCount() const { return file_.size() / size_; }
    std::size_t Offset(std::uint32_t sector) const { return (std::size_t{sector} + 1) * size_; }
    bool IsWhole(std::uint32_t sector) const {
        return sector < MaxRegularSector && Offset(sector) + size_ <= file_.size();
    }

    // The sector after `sector` in its chain; past the end when unknown.
    std::uint32_t Next(std::uint32_t sector) const {
        const std::size_t perFat = size_ / 4;
        const std::size_t index = sector / perFat;
        if (index >= fatSectors_.size() || !IsWhole(fatSectors_[index])) return MaxRegularSector;
        return GetU32(file_, Offset(fatSectors_[index]) + 4 * (sector % perFat));
    }

private:
    const Bytes& file_;
    std::size_t size_;
    std::vector<std::uint32_t> fatSectors_;
};

bool NameEndsInNul(const Bytes& file, std::size_t entry) {
    const std::size_t length = GetU16(file, entry + 64);
    return length >= 2 && length <= MaxNameBytes && length % 2 == 0 && GetU16(file, entry + length - 2) == 0;
}

}  // namespace

bool DirectoryNamesEndInNul(const Bytes& file) {
    const unsigned shift = GetU16(file, 0x1E);
    if (shift != 9 && shift != 12) return true;
    const SectorChains sectors(file, shift);
    std::uint32_t sector = GetU32(file, 0x30);
    // The count bounds a chain that runs in a circle.
    for (std::size_t n = 0; sectors.IsWhole(sector) && n < sectors.SectorCount(); ++n) {
        const std::size_t start = sectors.Offset(sector);
        for (std::size_t entry = start; entry < start + sectors.SectorSize(); entry += EntrySize) {
            const bool unused = file[entry + 66] == 0;
            if (!unused && !NameEndsInNul(file, entry)) return false;
        }
        sector = sectors.Next(sector);
    }
    return true;
}

}  // namespace kolumbra::sheet::biff
