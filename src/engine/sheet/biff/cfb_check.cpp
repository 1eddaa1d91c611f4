#include "engine/sheet/biff/cfb_check.h"

#include "engine/sheet/biff/cfb_format.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace kolumbra::sheet::biff {

namespace {

using namespace cfb;

unsigned ValidSectorShift(const Bytes& file) {
    const unsigned shift = GetU16(file, SectorShiftAt);
    return shift == 9 || shift == 12 ? shift : 0;
}

// The sectors of a compound file, followed through its allocation table.
class SectorChains {
public:
    SectorChains(const Bytes& file, unsigned shift) : file_(file), size_(std::size_t{1} << shift) {
        for (std::size_t i = 0; i < HeaderFatSectors; ++i) fatSectors_.push_back(GetU32(file, HeaderFatAt + 4 * i));
        const std::size_t perDifat = size_ / 4 - 1;
        std::uint32_t difat = GetU32(file, DifatStartAt);
        for (std::size_t n = 0; IsWhole(difat) && n < SectorCount(); ++n) {
            difatSectors_.push_back(difat);
            for (std::size_t i = 0; i < perDifat; ++i) fatSectors_.push_back(GetU32(file, Offset(difat) + 4 * i));
            difat = GetU32(file, Offset(difat) + 4 * perDifat);
        }
        tablesWhole_ = difat >= MaxRegularSector || IsWhole(difat);
        for (std::uint32_t sector : fatSectors_)
            if (sector < MaxRegularSector && !IsWhole(sector)) tablesWhole_ = false;
    }

    // Whether every sector of the allocation table is in the file.
    bool TablesWhole() const { return tablesWhole_; }

    std::size_t SectorSize() const { return size_; }
    std::size_t SectorCount() const { return file_.size() / size_; }
    std::size_t Offset(std::uint32_t sector) const { return (std::size_t{sector} + 1) * size_; }
    bool IsWhole(std::uint32_t sector) const {
        return sector < MaxRegularSector && Offset(sector) + size_ <= file_.size();
    }

    // The allocation table's entry for `sector`; free when the table does
    // not reach it.
    std::uint32_t Next(std::uint32_t sector) const {
        const std::size_t perFat = size_ / 4;
        const std::size_t index = sector / perFat;
        if (index >= fatSectors_.size() || !IsWhole(fatSectors_[index])) return FreeSector;
        return GetU32(file_, Offset(fatSectors_[index]) + 4 * (sector % perFat));
    }

    // Whether the allocation table, or the sectors that hold it, refer to
    // `sector`.
    bool Mentions(std::uint32_t sector) const {
        if (Next(sector) != FreeSector) return true;
        if (std::find(fatSectors_.begin(), fatSectors_.end(), sector) != fatSectors_.end() ||
            std::find(difatSectors_.begin(), difatSectors_.end(), sector) != difatSectors_.end())
            return true;
        const std::size_t entries = fatSectors_.size() * (size_ / 4);
        for (std::uint32_t s = 0; s < entries; ++s)
            if (Next(s) == sector) return true;
        return false;
    }

private:
    const Bytes& file_;
    std::size_t size_;
    std::vector<std::uint32_t> fatSectors_;
    std::vector<std::uint32_t> difatSectors_;
    bool tablesWhole_ = true;
};

// Calls `visit` with the file offset of every used directory entry and its
// index, as far as the directory chain can be followed.
void ForEachEntry(const Bytes& file, const SectorChains& sectors,
                  const std::function<void(std::size_t offset, std::size_t index)>& visit) {
    std::uint32_t sector = GetU32(file, DirectoryStartAt);
    std::size_t index = 0;
    // The count bounds a chain that runs in a circle.
    for (std::size_t n = 0; sectors.IsWhole(sector) && n < sectors.SectorCount(); ++n) {
        const std::size_t start = sectors.Offset(sector);
        for (std::size_t entry = start; entry < start + sectors.SectorSize(); entry += EntrySize, ++index)
            if (file[entry + TypeAt] != 0) visit(entry, index);
        sector = sectors.Next(sector);
    }
}

bool NameEndsInNul(const Bytes& file, std::size_t entry) {
    const std::size_t length = GetU16(file, entry + NameLengthAt);
    return length >= 2 && length <= MaxNameBytes && length % 2 == 0 && GetU16(file, entry + length - 2) == 0;
}

}  // namespace

bool DirectoryNamesEndInNul(const Bytes& file) {
    const unsigned shift = ValidSectorShift(file);
    if (shift == 0) return true;
    bool allEnd = true;
    ForEachEntry(file, SectorChains(file, shift), [&](std::size_t entry, std::size_t index) {
        const bool root = index == 0 && file[entry + TypeAt] == RootType;
        if (!root && !NameEndsInNul(file, entry)) allEnd = false;
    });
    return allEnd;
}

std::optional<std::size_t> WholeSectorLength(const Bytes& file) {
    const unsigned shift = ValidSectorShift(file);
    if (shift == 0) return file.size();
    const std::size_t size = std::size_t{1} << shift;
    const std::size_t whole = file.size() / size * size;
    if (whole == file.size()) return whole;
    if (whole < size) return std::nullopt;
    const SectorChains sectors(file, shift);
    const auto partial = static_cast<std::uint32_t>(whole / size - 1);
    // Without the whole table, no one can tell what the cut sector held.
    if (!sectors.TablesWhole() || sectors.Mentions(partial)) return std::nullopt;
    for (std::size_t field : {DirectoryStartAt, MiniFatStartAt, DifatStartAt})
        if (GetU32(file, field) == partial) return std::nullopt;
    // Streams below the cutoff start in the mini-stream, not in a sector.
    const std::uint32_t cutoff = GetU32(file, MiniCutoffAt);
    bool started = false;
    ForEachEntry(file, sectors, [&](std::size_t entry, std::size_t index) {
        const bool regular = index == 0 || file[entry + TypeAt] == RootType || GetU32(file, entry + SizeAt) >= cutoff;
        if (regular && GetU32(file, entry + StartAt) == partial) started = true;
    });
    if (started) return std::nullopt;
    return whole;
}

}  // namespace kolumbra::sheet::biff
