#pragma once
// Workbooks of other applications for the tests, and the surgery the tests
// do on copies of them: streams taken apart into records and put together.

#include <filesystem>
#include <string>
#include <vector>

#include "engine/sheet/biff/book_file.h"
#include "engine/sheet/biff/record.h"

namespace kolumbra::sheet::testing {

// Every .xls file of the shared fixtures, the workbooks with container
// quirks among them, sorted by name.
std::vector<std::filesystem::path> ForeignFixtures();
// The one of them with that file name.
std::filesystem::path ForeignFixture(const std::string& name);

biff::Bytes ReadFile(const std::string& path);
void WriteFile(const std::string& path, const biff::Bytes& bytes);

// A record of a Workbook stream and the stream offset of its header.
struct PlacedRecord {
    std::size_t offset;
    biff::Record record;
};
// Every record from the start to the end of the stream's last whole record.
std::vector<PlacedRecord> StreamRecords(const biff::Bytes& stream);

// The file with its Workbook stream replaced.
biff::Bytes WithWorkbookStream(const biff::Bytes& file, const biff::Bytes& stream);

// A compound file holding one stream of that name.
biff::Bytes CompoundFileWith(const std::string& streamName, const biff::Bytes& stream);

}  // namespace kolumbra::sheet::testing
