#include "engine/sheet/biff/cfb_update.h"

#include "engine/sheet/biff/cfb_format.h"

#include <algorithm>
#include <set>

namespace kolumbra::sheet::biff {

namespace {

using namespace cfb;

constexpr std::size_t PerFat = SectorSize / 4;
constexpr std::size_t PerDifat = PerFat - 1;

std::size_t SectorsFor(std::size_t bytes) { return (bytes + SectorSize - 1) / SectorSize; }
std::size_t OffsetOf(std::uint32_t sector) { return (std::size_t{sector} + 1) * SectorSize; }

// Reads the allocation table and the chains of a file; every sector it
// hands out lies inside the file.
class LayoutReader {
public:
    LayoutReader(const Bytes& file, CfbLayout& layout) : file_(file), layout_(layout) {}

    bool ReadTable() {
        const std::uint32_t fatCount = GetU32(file_, FatCountAt);
        if (fatCount > layout_.sectorCount) return false;
        for (std::size_t i = 0; i < std::min<std::size_t>(fatCount, HeaderFatSectors); ++i)
            if (!Add(layout_.fatSectors, GetU32(file_, HeaderFatAt + 4 * i))) return false;
        std::uint32_t difat = GetU32(file_, DifatStartAt);
        const std::uint32_t difatCount = GetU32(file_, DifatCountAt);
        for (std::uint32_t n = 0; n < difatCount && layout_.fatSectors.size() < fatCount; ++n) {
            if (!Add(layout_.difatSectors, difat)) return false;
            for (std::size_t i = 0; i < PerDifat && layout_.fatSectors.size() < fatCount; ++i)
                if (!Add(layout_.fatSectors, GetU32(file_, OffsetOf(difat) + 4 * i))) return false;
            difat = GetU32(file_, OffsetOf(difat) + 4 * PerDifat);
        }
        if (layout_.fatSectors.size() != fatCount) return false;
        for (std::uint32_t sector : layout_.fatSectors)
            for (std::size_t i = 0; i < PerFat; ++i) layout_.fat.push_back(GetU32(file_, OffsetOf(sector) + 4 * i));
        return layout_.fat.size() >= layout_.sectorCount;
    }

    // The chain from `start`; `count` sectors when given, else up to its end.
    std::optional<std::vector<std::uint32_t>> Chain(std::uint32_t start, std::optional<std::size_t> count) const {
        std::vector<std::uint32_t> chain;
        std::uint32_t sector = start;
        while (count ? chain.size() < *count : sector != EndOfChain) {
            if (sector >= layout_.sectorCount || chain.size() >= layout_.sectorCount) return std::nullopt;
            chain.push_back(sector);
            sector = layout_.fat[sector];
        }
        if (sector != EndOfChain) return std::nullopt;
        return chain;
    }

private:
    bool Add(std::vector<std::uint32_t>& to, std::uint32_t sector) const {
        if (sector >= layout_.sectorCount) return false;
        to.push_back(sector);
        return true;
    }

    const Bytes& file_;
    CfbLayout& layout_;
};

bool NameIs(const Bytes& directory, std::size_t entry, std::u16string_view name) {
    const std::size_t length = GetU16(directory, entry + NameLengthAt);
    if (length != (name.size() + 1) * 2) return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (GetU16(directory, entry + 2 * i) != name[i]) return false;
    return true;
}

// The entry of the stream `name` among the root's children.
std::optional<std::size_t> FindRootStream(const Bytes& directory, std::u16string_view name) {
    const std::size_t entries = directory.size() / EntrySize;
    if (entries == 0 || directory[TypeAt] != RootType) return std::nullopt;
    std::vector<std::uint32_t> pending{GetU32(directory, ChildAt)};
    for (std::size_t visited = 0; !pending.empty() && visited < entries; ++visited) {
        const std::uint32_t index = pending.back();
        pending.pop_back();
        if (index >= entries) continue;
        const std::size_t at = index * EntrySize;
        if (directory[at + TypeAt] == StreamType && NameIs(directory, at, name)) return index;
        pending.push_back(GetU32(directory, at + LeftAt));
        pending.push_back(GetU32(directory, at + RightAt));
    }
    return std::nullopt;
}

// The ranges in order, overlapping and touching ones joined.
ByteRanges Merged(ByteRanges ranges) {
    std::sort(ranges.begin(), ranges.end());
    ByteRanges merged;
    for (const auto& range : ranges) {
        if (!merged.empty() && range.first <= merged.back().second)
            merged.back().second = std::max(merged.back().second, range.second);
        else
            merged.push_back(range);
    }
    return merged;
}

// Whether [from, to) meets one of the merged ranges.
bool Overlaps(const ByteRanges& merged, std::size_t from, std::size_t to) {
    const auto next = std::upper_bound(merged.begin(), merged.end(), from,
                                       [](std::size_t at, const auto& range) { return at < range.second; });
    return next != merged.end() && next->first < to;
}

// Builds the next version of the file's structures; every sector it
// allocates lies after the end of the current file.
class Planner {
public:
    explicit Planner(const CfbLayout& layout) : first_(layout.sectorCount) {
        update_.layout = layout;
        update_.previousHeader = layout.header;
        update_.appendAt = OffsetOf(first_);
    }

    CfbUpdate Plan(const Bytes& stream, const ByteRanges& changed) {
        CfbLayout& next = update_.layout;
        const std::size_t oldSize = next.workbookSize;
        const ByteRanges merged = Merged(changed);
        const auto unchangedStream = [&](std::size_t i) {
            const std::size_t from = i * SectorSize;
            const std::size_t to = std::min(from + SectorSize, stream.size());
            return std::min(from + SectorSize, oldSize) == to && !Overlaps(merged, from, to);
        };
        next.workbookChain = Rechain(next.workbookChain, stream, unchangedStream);
        update_.newStreamSectors = update_.appended.size() / SectorSize;
        next.workbookSize = stream.size();

        Bytes directory = next.directory;
        const std::size_t entry = next.workbookEntry * EntrySize;
        PutU32(directory, entry + StartAt, next.workbookChain.front());
        PutU32(directory, entry + SizeAt, static_cast<std::uint32_t>(stream.size()));
        const auto unchangedDirectory = [&](std::size_t i) {
            return std::equal(directory.begin() + static_cast<std::ptrdiff_t>(i * SectorSize),
                              directory.begin() + static_cast<std::ptrdiff_t>((i + 1) * SectorSize),
                              next.directory.begin() + static_cast<std::ptrdiff_t>(i * SectorSize));
        };
        next.directoryChain = Rechain(next.directoryChain, directory, unchangedDirectory);
        next.directory = std::move(directory);

        PlaceTables();
        WriteTables();
        WriteHeader();
        return std::move(update_);
    }

private:
    std::uint32_t Allocate() {
        CfbLayout& next = update_.layout;
        const std::uint32_t sector = next.sectorCount++;
        update_.appended.resize(update_.appended.size() + SectorSize, 0);
        if (next.fat.size() <= sector) next.fat.resize(sector + 1, FreeSector);
        return sector;
    }

    std::uint8_t* Data(std::uint32_t sector) { return update_.appended.data() + (sector - first_) * SectorSize; }

    void Set(std::uint32_t sector, std::uint32_t value) {
        std::vector<std::uint32_t>& fat = update_.layout.fat;
        if (fat.size() <= sector) fat.resize(sector + 1, FreeSector);
        if (fat[sector] == value) return;
        fat[sector] = value;
        dirty_.insert(sector / PerFat);
    }

    // The chain for `bytes`: a sector of `old` where `unchanged` says its
    // chunk is the same, a new sector elsewhere.
    template <typename Unchanged>
    std::vector<std::uint32_t> Rechain(const std::vector<std::uint32_t>& old, const Bytes& bytes,
                                       const Unchanged& unchanged) {
        const std::size_t count = SectorsFor(bytes.size());
        std::vector<std::uint32_t> chain(count);
        std::vector<bool> kept(old.size(), false);
        for (std::size_t i = 0; i < count; ++i) {
            if (i < old.size() && unchanged(i)) {
                chain[i] = old[i];
                kept[i] = true;
                continue;
            }
            chain[i] = Allocate();
            const std::size_t from = i * SectorSize;
            std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(from), std::min(SectorSize, bytes.size() - from),
                        Data(chain[i]));
        }
        for (std::size_t j = 0; j < old.size(); ++j)
            if (!kept[j]) Set(old[j], FreeSector);
        for (std::size_t i = 0; i < count; ++i) Set(chain[i], i + 1 < count ? chain[i + 1] : EndOfChain);
        return chain;
    }

    std::size_t DifatNeeded() const {
        const std::size_t fatCount = update_.layout.fatSectors.size();
        return fatCount > HeaderFatSectors ? (fatCount - HeaderFatSectors + PerDifat - 1) / PerDifat : 0;
    }

    // Gives every allocation-table sector whose entries changed a new
    // sector, and the DIFAT too when it lists one of them; each of these
    // changes entries again, so this goes on until nothing more changes.
    void PlaceTables() {
        CfbLayout& next = update_.layout;
        for (bool more = true; more;) {
            more = false;
            while (next.fatSectors.size() * PerFat < next.fat.size()) {
                const std::uint32_t sector = Allocate();
                replaced_.insert(next.fatSectors.size());
                next.fatSectors.push_back(sector);
                Set(sector, FatSector);
                more = true;
            }
            const std::set<std::size_t> dirty = dirty_;
            for (std::size_t k : dirty) {
                if (replaced_.count(k) != 0 || k >= next.fatSectors.size()) continue;
                const std::uint32_t old = next.fatSectors[k];
                const std::uint32_t sector = Allocate();
                next.fatSectors[k] = sector;
                replaced_.insert(k);
                Set(sector, FatSector);
                Set(old, FreeSector);
                more = true;
            }
            const bool listsReplaced = replaced_.lower_bound(HeaderFatSectors) != replaced_.end();
            if (!difatRewritten_ && (listsReplaced || DifatNeeded() != next.difatSectors.size())) {
                for (std::uint32_t old : next.difatSectors) Set(old, FreeSector);
                next.difatSectors.clear();
                difatRewritten_ = true;
                more = true;
            }
            while (difatRewritten_ && next.difatSectors.size() < DifatNeeded()) {
                const std::uint32_t sector = Allocate();
                next.difatSectors.push_back(sector);
                Set(sector, DifatSector);
                more = true;
            }
        }
    }

    void WriteTables() {
        const CfbLayout& next = update_.layout;
        for (std::size_t k : replaced_) {
            Bytes part(SectorSize);
            for (std::size_t i = 0; i < PerFat; ++i) {
                const std::size_t entry = k * PerFat + i;
                PutU32(part, 4 * i, entry < next.fat.size() ? next.fat[entry] : FreeSector);
            }
            std::copy(part.begin(), part.end(), Data(next.fatSectors[k]));
        }
        if (!difatRewritten_) return;
        for (std::size_t j = 0; j < next.difatSectors.size(); ++j) {
            Bytes part(SectorSize);
            for (std::size_t i = 0; i < PerDifat; ++i) {
                const std::size_t k = HeaderFatSectors + j * PerDifat + i;
                PutU32(part, 4 * i, k < next.fatSectors.size() ? next.fatSectors[k] : FreeSector);
            }
            PutU32(part, 4 * PerDifat, j + 1 < next.difatSectors.size() ? next.difatSectors[j + 1] : EndOfChain);
            std::copy(part.begin(), part.end(), Data(next.difatSectors[j]));
        }
    }

    void WriteHeader() {
        CfbLayout& next = update_.layout;
        Bytes& header = next.header;
        PutU32(header, FatCountAt, static_cast<std::uint32_t>(next.fatSectors.size()));
        PutU32(header, DirectoryStartAt, next.directoryChain.front());
        PutU32(header, DifatStartAt, next.difatSectors.empty() ? EndOfChain : next.difatSectors.front());
        PutU32(header, DifatCountAt, static_cast<std::uint32_t>(next.difatSectors.size()));
        for (std::size_t i = 0; i < HeaderFatSectors; ++i)
            PutU32(header, HeaderFatAt + 4 * i, i < next.fatSectors.size() ? next.fatSectors[i] : FreeSector);
        update_.header = header;
    }

    const std::uint32_t first_;
    CfbUpdate update_;
    std::set<std::size_t> dirty_;     // allocation-table sectors with a changed entry
    std::set<std::size_t> replaced_;  // those given a new sector in this update
    bool difatRewritten_ = false;
};

}  // namespace

std::size_t CfbLayout::UsedSectors() const {
    return static_cast<std::size_t>(std::count_if(fat.begin(), fat.end(), [](std::uint32_t e) { return e != FreeSector; }));
}

std::optional<CfbLayout> ReadLayout(const Bytes& file, std::u16string_view workbookName) {
    if (file.size() < 2 * SectorSize || file.size() % SectorSize != 0 ||
        !std::equal(std::begin(Signature), std::end(Signature), file.begin()) || GetU16(file, SectorShiftAt) != SectorShift)
        return std::nullopt;
    CfbLayout layout;
    layout.header.assign(file.begin(), file.begin() + HeaderSize);
    layout.sectorCount = static_cast<std::uint32_t>(file.size() / SectorSize - 1);
    LayoutReader reader(file, layout);
    if (!reader.ReadTable()) return std::nullopt;
    const auto directory = reader.Chain(GetU32(file, DirectoryStartAt), std::nullopt);
    if (!directory || directory->empty()) return std::nullopt;
    layout.directoryChain = *directory;
    for (std::uint32_t sector : layout.directoryChain)
        layout.directory.insert(layout.directory.end(), file.begin() + static_cast<std::ptrdiff_t>(OffsetOf(sector)),
                                file.begin() + static_cast<std::ptrdiff_t>(OffsetOf(sector) + SectorSize));
    const std::optional<std::size_t> entry = FindRootStream(layout.directory, workbookName);
    if (!entry) return std::nullopt;
    const std::size_t at = *entry * EntrySize;
    layout.workbookEntry = *entry;
    layout.workbookSize = GetU32(layout.directory, at + SizeAt);
    if (layout.workbookSize < MiniStreamCutoff || GetU32(layout.directory, at + SizeAt + 4) != 0) return std::nullopt;
    const auto workbook = reader.Chain(GetU32(layout.directory, at + StartAt), SectorsFor(layout.workbookSize));
    if (!workbook) return std::nullopt;
    layout.workbookChain = *workbook;
    return layout;
}

std::optional<CfbUpdate> PlanUpdate(const CfbLayout& layout, const Bytes& stream, const ByteRanges& changed) {
    if (stream.size() < MiniStreamCutoff || stream.size() > UINT32_MAX) return std::nullopt;
    return Planner(layout).Plan(stream, changed);
}

}  // namespace kolumbra::sheet::biff
