// Workbooks the engine cannot edit safely are refused with the reason, and
// the file stays as it was.

#include <gtest/gtest.h>

#include "common/runtime_error.h"
#include "engine/sheet/biff/bytes.h"
#include "engine/sheet/biff/record_types.h"
#include "engine/sheet/biff/refusal.h"
#include "engine/sheet/biff/stream.h"
#include "engine/sheet/workbook.h"
#include "foreign_files.h"
#include "temp_dir.h"

namespace kolumbra::sheet::testing {
namespace {

namespace rt = biff::rt;
using biff::Bytes;

std::string Fixture(const std::string& name) { return KOLUMBRA_FIXTURES "/xls/" + name; }

// Binds the file and expects error 1004 naming the file and giving `why`,
// with the file unchanged afterwards.
void ExpectRefused(const std::string& path, const std::string& why) {
    const Bytes before = ReadFile(path);
    try {
        GetWorkbook(path);
        ADD_FAILURE() << "bound " << path;
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::ApplicationDefined);
        EXPECT_EQ(e.description(), "'" + path + "' をブックとして開けません。" + why);
    }
    EXPECT_EQ(ReadFile(path), before);
}

Bytes Biff5Stream() {
    Bytes stream;
    biff::Writer(stream).U16(rt::Bof).U16(8).U16(0x0500).U16(rt::BofGlobals).U16(0x1234).U16(1995);
    biff::Writer(stream).U16(rt::Eof).U16(0);
    stream.resize(4096, 0);
    return stream;
}

Bytes OwnWorkbookStream(const kolumbra::testing::TempDir& dir) {
    const std::string path = dir.file("own.xls");
    CreateWorkbook()->SaveAs(path);
    return biff::ReadBookFile(ReadFile(path)).Workbook();
}

std::vector<std::size_t> BoundSheetOffsets(const Bytes& stream) {
    std::vector<std::size_t> at;
    for (const PlacedRecord& r : StreamRecords(stream)) {
        if (r.record.type == rt::Eof) break;
        if (r.record.type == rt::BoundSheet) at.push_back(r.offset + 4);
    }
    return at;
}

// The Workbook stream's directory entry in a fixture written with 512-byte
// sectors: its size field.
std::size_t WorkbookSizeField(const Bytes& file) {
    const std::size_t directory = (biff::GetU32(file, 0x30) + 1) * 512;
    for (std::size_t entry = directory; entry < directory + 512; entry += 128)
        if (biff::GetU16(file, entry) == 'W' && biff::GetU16(file, entry + 2) == 'o') return entry + 120;
    ADD_FAILURE() << "no Workbook entry in the first directory sector";
    return 0;
}

TEST(Refusal, FilesThatAreNoWorkbooks) {
    kolumbra::testing::TempDir dir;
    const std::pair<std::string, Bytes> files[] = {
        {"empty.xls", {}},
        {"text.xls", Bytes(700, 'a')},
        {"renamed.xls", Bytes{'P', 'K', 3, 4, 20, 0, 6, 0, 8, 0}},
    };
    for (const auto& [name, bytes] : files) {
        WriteFile(dir.file(name), bytes);
        ExpectRefused(dir.file(name), biff::kNotCompoundFile);
    }
    WriteFile(dir.file("nostream.xls"), CompoundFileWith("Data", Bytes(5000, 1)));
    ExpectRefused(dir.file("nostream.xls"), biff::kNoWorkbookStream);
}

TEST(Refusal, OldFormatsAreDecidedByTheFirstBofNotTheStreamName) {
    kolumbra::testing::TempDir dir;
    WriteFile(dir.file("biff5.xls"), CompoundFileWith("Book", Biff5Stream()));
    ExpectRefused(dir.file("biff5.xls"), biff::kOldFormat);
    WriteFile(dir.file("biff5-named-workbook.xls"), CompoundFileWith("Workbook", Biff5Stream()));
    ExpectRefused(dir.file("biff5-named-workbook.xls"), biff::kOldFormat);
    // A BIFF4 worksheet is a bare stream, not a compound file.
    Bytes biff4;
    biff::Writer(biff4).U16(0x0409).U16(6).U16(0).U16(0x0010).U16(0).U16(rt::Eof).U16(0);
    WriteFile(dir.file("biff4.xls"), biff4);
    ExpectRefused(dir.file("biff4.xls"), biff::kOldFormat);
    // A BIFF8 stream named "Book" is bound.
    WriteFile(dir.file("book.xls"), CompoundFileWith("Book", OwnWorkbookStream(dir)));
    EXPECT_EQ(GetWorkbook(dir.file("book.xls"))->GetSheets().Count(), 1);
}

TEST(Refusal, EncryptedWorkbook) {
    kolumbra::testing::TempDir dir;
    const Bytes file = ReadFile(Fixture("names-34-4sheets.xls"));
    Bytes stream = biff::ReadBookFile(file).Workbook();
    // XOR obfuscation: FILEPASS right after the globals BOF, sheets moved on.
    Bytes filePass;
    biff::Writer(filePass).U16(rt::FilePass).U16(6).U16(0).U16(0x1234).U16(0x5678);
    stream.insert(stream.begin() + 20, filePass.begin(), filePass.end());
    for (std::size_t at : BoundSheetOffsets(stream))
        biff::PutU32(stream, at, biff::GetU32(stream, at) + static_cast<std::uint32_t>(filePass.size()));
    WriteFile(dir.file("encrypted.xls"), WithWorkbookStream(file, stream));
    ExpectRefused(dir.file("encrypted.xls"), biff::kEncrypted);
}

TEST(Refusal, DamagedContainersSayWhatIsWrong) {
    kolumbra::testing::TempDir dir;
    const Bytes file = ReadFile(Fixture("3d-multisheet-refs.xls"));
    const std::size_t sizeField = WorkbookSizeField(file);
    const std::uint32_t streamSize = biff::GetU32(file, sizeField);
    Bytes signatureOnly(file.begin(), file.begin() + 8);
    signatureOnly.resize(1024, 0);
    Bytes longerThanChain = file;
    biff::PutU32(longerThanChain, sizeField, streamSize + 600);
    Bytes longerThanFile = file;
    biff::PutU32(longerThanFile, sizeField, static_cast<std::uint32_t>(file.size() + 1));
    const auto half = static_cast<std::ptrdiff_t>(file.size() / 2);
    const std::pair<Bytes, std::string> damaged[] = {
        {signatureOnly, biff::kContainerUnreadable},
        {Bytes(file.begin(), file.begin() + half / 512 * 512), biff::kContainerUnreadable},
        {Bytes(file.begin(), file.begin() + half + 100), biff::kCutInsideSector},
        {longerThanChain, biff::StreamCut("Workbook")},
        {longerThanFile, biff::kContainerInconsistent},
    };
    for (const auto& [bytes, why] : damaged) {
        SCOPED_TRACE(why);
        WriteFile(dir.file("damaged.xls"), bytes);
        ExpectRefused(dir.file("damaged.xls"), why);
    }
}

TEST(Refusal, DamagedWorkbookStreamsSayWhatIsWrong) {
    kolumbra::testing::TempDir dir;
    const Bytes file = ReadFile(Fixture("3d-multisheet-refs.xls"));
    const Bytes stream = biff::ReadBookFile(file).Workbook();
    const std::vector<std::size_t> sheets = BoundSheetOffsets(stream);
    ASSERT_EQ(sheets.size(), 3u);
    std::vector<std::pair<Bytes, std::string>> damaged;
    damaged.emplace_back(Bytes(5, 0), biff::kStreamTooShort);
    damaged.emplace_back(Bytes(5000, 1), biff::kNoBookBof);
    damaged.emplace_back(Bytes(stream.begin(), stream.begin() + 3000), biff::kGlobalsCut);
    damaged.emplace_back(Bytes(stream.begin(), stream.end() - 30), biff::SheetCut("Sheet3"));
    Bytes fontCut;
    biff::Writer(fontCut).U16(rt::Bof).U16(16).Raw(biff::BofBody(rt::BofGlobals)).U16(rt::Font).U16(2).U16(200);
    biff::Writer(fontCut).U16(rt::Eof).U16(0);
    damaged.emplace_back(fontCut, biff::kGlobalsDamaged);
    Bytes noSheets;
    for (const PlacedRecord& r : StreamRecords(OwnWorkbookStream(dir)))
        if (r.record.type != rt::BoundSheet) biff::AppendRecord(noSheets, r.record);
    damaged.emplace_back(noSheets, biff::kNoSheets);
    Bytes intoGlobals = stream;
    biff::PutU32(intoGlobals, sheets[1], 0);
    damaged.emplace_back(intoGlobals, biff::SheetMisplaced("Sheet2"));
    Bytes pastEnd = stream;
    biff::PutU32(pastEnd, sheets[2], static_cast<std::uint32_t>(stream.size() + 100));
    damaged.emplace_back(pastEnd, biff::SheetMisplaced("Sheet3"));
    Bytes atTheEndOfTheRange = stream;
    biff::PutU32(atTheEndOfTheRange, sheets[2], 0xFFFFFFFC);
    damaged.emplace_back(atTheEndOfTheRange, biff::SheetMisplaced("Sheet3"));
    Bytes betweenRecords = stream;
    biff::PutU32(betweenRecords, sheets[0], biff::GetU32(stream, sheets[0]) + 2);
    damaged.emplace_back(betweenRecords, biff::SheetMisplaced("Sheet1"));
    Bytes shared = stream;
    biff::PutU32(shared, sheets[2], biff::GetU32(stream, sheets[1]));
    damaged.emplace_back(shared, biff::SheetsOverlap("Sheet3"));
    for (const auto& [bytes, why] : damaged) {
        SCOPED_TRACE(why);
        WriteFile(dir.file("damaged.xls"), WithWorkbookStream(file, bytes));
        ExpectRefused(dir.file("damaged.xls"), why);
    }
}

}  // namespace
}  // namespace kolumbra::sheet::testing
