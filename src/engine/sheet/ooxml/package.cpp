#include "engine/sheet/ooxml/package.h"

#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <memory>

#include "common/text.h"
#include "engine/sheet/ooxml/refusal.h"

namespace kolumbra::sheet::ooxml {

namespace {

constexpr std::uint64_t MinimumHole = 256 * 1024;
constexpr std::uint64_t DirectoriesPerHole = 64;
constexpr std::uint64_t LargestOffset = 0xFFFFFFFE;

bool IsCompoundFile(std::string_view file) {
    return file.starts_with(std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
}

// An encrypted workbook is a compound file with an EncryptionInfo stream;
// its directory names the stream in UTF-16.
bool HasEncryptionInfo(std::string_view file) {
    std::string name;
    for (char c : std::string_view("EncryptionInfo")) {
        name += c;
        name += '\0';
    }
    return file.find(name) != std::string_view::npos;
}

zip_t* OpenWithLibzip(const std::string& file, int flags, int& code) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(file.data(), file.size(), 0, &error);
    if (!source) throw std::bad_alloc();
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY | flags, &error);
    code = zip_error_code_zip(&error);
    zip_error_fini(&error);
    if (!archive) zip_source_free(source);
    return archive;
}

// libzip's own consistency check of the archive: every local header
// against the directory. It also holds local headers whose times, version
// or unused fields differ from the directory's to be inconsistent, as
// many tools write them; ReadZipDirectory has compared what locates and
// checks the data, and that is enough.
void CheckWithLibzip(const std::string& file, std::size_t entries) {
    int code = 0;
    zip_t* archive = OpenWithLibzip(file, ZIP_CHECKCONS, code);
    if (!archive && code == ZIP_ER_INCONS) archive = OpenWithLibzip(file, 0, code);
    if (!archive) Refuse(kArchiveDamaged);
    const bool sameCount = zip_get_num_entries(archive, 0) == static_cast<zip_int64_t>(entries);
    zip_discard(archive);
    if (!sameCount) Refuse(kArchiveDamaged);
}

std::string Inflate(std::string_view raw, const ZipEntry& entry) {
    if (entry.method == 0) {
        if (raw.size() != entry.size) Refuse(PartDamaged(entry.name));
        return std::string(raw);
    }
    if (entry.method != 8 || entry.size > (std::uint64_t{1} << 31)) Refuse(PartDamaged(entry.name));
    std::string out(entry.size, '\0');
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) throw std::bad_alloc();
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
    z.avail_in = static_cast<uInt>(raw.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int status = inflate(&z, Z_FINISH);
    const bool whole = status == Z_STREAM_END && z.total_out == entry.size;
    inflateEnd(&z);
    if (!whole) Refuse(PartDamaged(entry.name));
    return out;
}

}  // namespace

Package::Package(std::string file) : file_(std::move(file)) {
    if (IsCompoundFile(file_)) Refuse(HasEncryptionInfo(file_) ? kEncrypted : kNotPackage);
    if (!file_.starts_with("PK")) Refuse(kNotPackage);
    ZipDirectory directory = ReadZipDirectory(file_);
    file_.resize(directory.end);
    const std::size_t entries = directory.entries.size();
    for (ZipEntry& entry : directory.entries) parts_.push_back(Part{std::move(entry), {}, true});
    // Names equal but for case are one part name too.
    Index();
    if (byName_.size() != parts_.size()) Refuse(kDuplicateNames);
    CheckWithLibzip(file_, entries);
}

void Package::Index() {
    byName_.clear();
    for (std::size_t i = 0; i < parts_.size(); ++i) byName_.emplace(text::AsciiLower(parts_[i].entry.name), i);
}

const Package::Part* Package::Find(const std::string& name) const {
    const auto it = byName_.find(text::AsciiLower(name));
    return it == byName_.end() ? nullptr : &parts_[it->second];
}

std::string Package::StoredName(const std::string& name) const {
    const Part* part = Find(name);
    return part ? part->entry.name : name;
}

std::string Package::Read(const std::string& name) const {
    const Part* part = Find(name);
    if (!part) Refuse(PartMissing(name));
    const std::string_view raw = part->placed ? RawData(file_, part->entry) : std::string_view(part->compressed);
    std::string content = Inflate(raw, part->entry);
    const auto crc = crc32(0, reinterpret_cast<const Bytef*>(content.data()), static_cast<uInt>(content.size()));
    if (crc != part->entry.crc) Refuse(PartDamaged(name));
    return content;
}

void Package::Write(const std::string& name, std::string_view content) {
    Part part;
    part.entry = DeflatedEntry(name, content, part.compressed);
    const auto it = byName_.find(text::AsciiLower(name));
    if (it == byName_.end()) {
        byName_.emplace(text::AsciiLower(name), parts_.size());
        parts_.push_back(std::move(part));
        return;
    }
    Part& old = parts_[it->second];
    // The stored name and attributes stay; only the data is new.
    part.entry.name = old.entry.name;
    part.entry.flags = old.entry.flags & FlagUtf8;
    part.entry.versionMadeBy = old.entry.versionMadeBy;
    part.entry.externalAttributes = old.entry.externalAttributes;
    old = std::move(part);
}

void Package::Remove(const std::string& name) {
    const auto it = byName_.find(text::AsciiLower(name));
    if (it == byName_.end()) return;
    parts_.erase(parts_.begin() + static_cast<std::ptrdiff_t>(it->second));
    removed_ = true;
    Index();
}

std::vector<std::string> Package::Names() const {
    std::vector<std::string> names;
    for (const Part& part : parts_) names.push_back(part.entry.name);
    return names;
}

bool Package::Changed() const {
    return removed_ || std::any_of(parts_.begin(), parts_.end(), [](const Part& p) { return !p.placed; });
}

std::string Package::WholeFile(Placement& placed, bool leaveRoom) const {
    ZipWriter writer(0);
    placed = Placement{};
    for (const Part& part : parts_)
        placed.entries.push_back(
            writer.Add(part.entry, part.placed ? RawData(file_, part.entry) : std::string_view(part.compressed)));
    if (leaveRoom) {
        // Every save in place takes a new directory from the hole, besides
        // its parts: the hole grows with the file and with the directory,
        // so that writing it whole again stays rare however large either
        // gets. A whole write leaves it unwritten, a sparse stretch of the
        // file.
        std::uint64_t directorySize = 0;
        for (const ZipEntry& entry : placed.entries) directorySize += DirectoryRecordSize(entry);
        // Offsets stay within the 32-bit fields of a zip without zip64.
        const std::uint64_t wanted = std::max({MinimumHole, writer.Offset(), DirectoriesPerHole * directorySize});
        const std::uint64_t fits = LargestOffset - std::min(LargestOffset, writer.Offset() + directorySize + EndRecordSize);
        if (fits >= MinimumHole) {
            placed.room.holeNext = writer.Offset();
            writer.Pad(std::min(wanted, fits));
            placed.room.holeEnd = writer.Offset();
        }
    }
    writer.Finish(placed.entries);
    return writer.Bytes();
}

std::optional<InPlaceSave> Package::InPlace(Placement& placed) const {
    if (room_.holeEnd == 0) return std::nullopt;
    ZipWriter entries(room_.holeNext);
    placed = Placement{};
    for (const Part& part : parts_)
        placed.entries.push_back(part.placed ? part.entry : entries.Add(part.entry, part.compressed));
    // The new directory ends where the one in force starts, so that each
    // is right before its end record, as readers that locate the entries
    // from the end record's place want.
    const std::uint64_t directorySize = [&] {
        ZipWriter sizing(0);
        sizing.Finish(placed.entries);
        return sizing.Offset();
    }();
    if (entries.Offset() + directorySize > room_.holeEnd) return std::nullopt;
    const std::uint64_t directoryAt = room_.holeEnd - directorySize;
    ZipWriter directory(directoryAt);
    directory.Finish(placed.entries);
    InPlaceSave save;
    save.body.push_back(FileWrite{room_.holeNext, entries.Bytes()});
    save.body.push_back(FileWrite{directoryAt, directory.Bytes()});
    save.length = room_.holeEnd;
    placed.room = Room{entries.Offset(), directoryAt};
    return save;
}

void Package::Committed(std::string file, Placement placed) {
    file_ = std::move(file);
    Placed(std::move(placed));
}

void Package::Committed(const InPlaceSave& save, Placement placed) {
    for (const FileWrite& write : save.body) file_.replace(write.at, write.bytes.size(), write.bytes);
    file_.resize(save.length);
    Placed(std::move(placed));
}

void Package::Placed(Placement placed) {
    room_ = placed.room;
    for (std::size_t i = 0; i < parts_.size(); ++i) {
        parts_[i].entry = std::move(placed.entries[i]);
        parts_[i].placed = true;
        std::string().swap(parts_[i].compressed);
    }
    removed_ = false;
}

}  // namespace kolumbra::sheet::ooxml
