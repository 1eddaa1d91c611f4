#include "foreign_files.h"

#include <algorithm>
#include <stdexcept>

#include "engine/sheet/biff/bytes.h"
#include "temp_dir.h"

namespace kolumbra::sheet::testing {

std::vector<std::filesystem::path> ForeignFixtures() {
    std::vector<std::filesystem::path> files;
    for (const char* folder : {KOLUMBRA_FIXTURES "/xls", KOLUMBRA_FIXTURES "/xls-quirks"})
        for (const auto& e : std::filesystem::directory_iterator(folder))
            if (e.path().extension() == ".xls") files.push_back(e.path());
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.filename() < b.filename(); });
    return files;
}

std::filesystem::path ForeignFixture(const std::string& name) {
    for (const auto& path : ForeignFixtures())
        if (path.filename() == name) return path;
    throw std::runtime_error("no fixture " + name);
}

biff::Bytes ReadFile(const std::string& path) {
    const std::string raw = kolumbra::testing::ReadBytes(path);
    return biff::Bytes(raw.begin(), raw.end());
}

void WriteFile(const std::string& path, const biff::Bytes& bytes) {
    kolumbra::testing::WriteBytes(path, std::string(bytes.begin(), bytes.end()));
}

std::vector<PlacedRecord> StreamRecords(const biff::Bytes& stream) {
    std::vector<PlacedRecord> records;
    for (std::size_t pos = 0; pos + 4 <= stream.size();) {
        const std::size_t size = biff::GetU16(stream, pos + 2);
        if (pos + 4 + size > stream.size()) break;
        const auto body = stream.begin() + static_cast<std::ptrdiff_t>(pos + 4);
        records.push_back(
            PlacedRecord{pos, biff::Record{biff::GetU16(stream, pos), biff::Bytes(body, body + static_cast<std::ptrdiff_t>(size))}});
        pos += 4 + size;
    }
    return records;
}

biff::Bytes WithWorkbookStream(const biff::Bytes& file, const biff::Bytes& stream) {
    biff::BookFile book = biff::ReadBookFile(file);
    book.Workbook() = stream;
    return biff::WriteBookFile(book);
}

biff::Bytes CompoundFileWith(const std::string& streamName, const biff::Bytes& stream) {
    biff::BookFile book;
    book.root.children.push_back(biff::CfbEntry{streamName, false, {}, stream, {}});
    return biff::WriteBookFile(book);
}

}  // namespace kolumbra::sheet::testing
