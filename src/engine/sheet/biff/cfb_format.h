#pragma once
// Where things lie in a compound file: the sector size, the special sector
// numbers, the header's fields and a directory entry's fields.

#include <cstddef>
#include <cstdint>

namespace kolumbra::sheet::biff::cfb {

inline constexpr std::uint8_t Signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

// The sectors of the files this engine writes and updates in place (the
// format's version 3), and the header, which fills the first of them.
inline constexpr unsigned SectorShift = 9;
inline constexpr std::size_t SectorSize = std::size_t{1} << SectorShift;
inline constexpr std::size_t HeaderSize = SectorSize;
// Streams shorter than this lie in the mini-stream, not in sectors of
// their own.
inline constexpr std::size_t MiniStreamCutoff = 4096;

inline constexpr std::uint32_t MaxRegularSector = 0xFFFFFFFA;
inline constexpr std::uint32_t DifatSector = 0xFFFFFFFC;
inline constexpr std::uint32_t FatSector = 0xFFFFFFFD;
inline constexpr std::uint32_t EndOfChain = 0xFFFFFFFE;
inline constexpr std::uint32_t FreeSector = 0xFFFFFFFF;

// Header fields.
inline constexpr std::size_t SectorShiftAt = 0x1E;
inline constexpr std::size_t FatCountAt = 0x2C;
inline constexpr std::size_t DirectoryStartAt = 0x30;
inline constexpr std::size_t MiniCutoffAt = 0x38;
inline constexpr std::size_t MiniFatStartAt = 0x3C;
inline constexpr std::size_t DifatStartAt = 0x44;
inline constexpr std::size_t DifatCountAt = 0x48;
inline constexpr std::size_t HeaderFatAt = 0x4C;
// Allocation-table sectors the header lists itself.
inline constexpr std::size_t HeaderFatSectors = 109;

// Directory entries and their fields.
inline constexpr std::size_t EntrySize = 128;
inline constexpr std::size_t MaxNameBytes = 64;
inline constexpr std::size_t NameLengthAt = 64;
inline constexpr std::size_t TypeAt = 66;
inline constexpr std::size_t LeftAt = 68;
inline constexpr std::size_t RightAt = 72;
inline constexpr std::size_t ChildAt = 76;
inline constexpr std::size_t StartAt = 116;
inline constexpr std::size_t SizeAt = 120;
inline constexpr std::uint8_t StreamType = 2;
inline constexpr std::uint8_t RootType = 5;

}  // namespace kolumbra::sheet::biff::cfb
