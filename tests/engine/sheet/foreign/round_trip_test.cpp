// Workbooks of other applications bound, extended with table sheets and
// saved: everything the engine did not touch must come back as it was, for
// the engine itself and for xlrd and LibreOffice.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "common/runtime_error.h"
#include "engine/sheet/biff/book_stream.h"
#include "engine/sheet/biff/bytes.h"
#include "engine/sheet/biff/record_types.h"
#include "engine/sheet/biff/refusal.h"
#include "engine/sheet/biff/sst.h"
#include "engine/sheet/biff/stream.h"
#include "engine/sheet/biff/xf.h"
#include "engine/sheet/workbook.h"
#include "foreign_files.h"
#include "form_page.h"
#include "readers.h"
#include "temp_dir.h"

namespace kolumbra::sheet::testing {
namespace {

namespace rt = biff::rt;
using biff::Bytes;
using biff::GetU16;
using biff::GetU32;
using biff::RecordList;

// What xlrd reads, sheets by name.
struct Facts {
    std::vector<std::string> sheets;
    std::map<std::string, std::set<std::string>> cells;  // sheet name -> "A1 type value"
    std::set<std::string> names;
    std::set<std::string> CellsOf(const std::string& sheet) const {
        const auto found = cells.find(sheet);
        return found == cells.end() ? std::set<std::string>{} : found->second;
    }
};

Facts ReadFacts(const std::string& path) {
    const std::string script = KOLUMBRA_SOURCE_DIR "/tests/engine/sheet/foreign/book_facts.py";
    Facts facts;
    std::istringstream in(RunCommand("/usr/bin/python3 '" + script + "' '" + path + "'"));
    for (std::string line; std::getline(in, line);) {
        const std::size_t tab = line.find('\t');
        const std::string kind = line.substr(0, tab), rest = line.substr(tab + 1);
        if (kind == "sheet") {
            const std::size_t nameStart = rest.find('\t') + 1;
            facts.sheets.push_back(rest.substr(nameStart, rest.rfind('\t') - nameStart));
        } else if (kind == "cell") {
            const std::size_t split = rest.find('\t');
            facts.cells[rest.substr(0, split)].insert(rest.substr(split + 1));
        } else if (kind == "name") {
            facts.names.insert(rest);
        }
    }
    return facts;
}

biff::BookStream SplitStream(const Bytes& file) { return biff::ReadBookStream(biff::ReadBookFile(file).Workbook()); }

// A substream with what moves with the sheet taken out: INDEX offsets made
// relative to the sheet's start and WINDOW2's selected and shown flags.
RecordList Placeless(RecordList sheet, std::size_t base) {
    for (biff::Record& r : sheet) {
        if (r.type == rt::Index) {
            for (std::size_t p = 12; p + 4 <= r.data.size(); p += 4)
                if (GetU32(r.data, p) != 0) biff::PutU32(r.data, p, static_cast<std::uint32_t>(GetU32(r.data, p) - base));
        }
        if (r.type == rt::Window2) biff::PutU16(r.data, 0, GetU16(r.data, 0) & ~0x0600);
    }
    return sheet;
}

// The globals without the records a changed sheet list rewrites.
RecordList Unchanging(const RecordList& globals) {
    static const std::set<std::uint16_t> rebuilt = {rt::BoundSheet, rt::TabId, rt::Window1, rt::SupBook,
                                                    rt::Sst,        rt::ExtSst, rt::XfCrc,   rt::Xf};
    RecordList kept;
    bool inSst = false;
    for (const biff::Record& r : globals) {
        inSst = r.type == rt::Sst || (inSst && r.type == rt::Continue);
        if (!inSst && !rebuilt.count(r.type)) kept.push_back(r);
    }
    return kept;
}

RecordList Typed(const RecordList& globals, std::uint16_t type) {
    RecordList out;
    for (const biff::Record& r : globals)
        if (r.type == type) out.push_back(r);
    return out;
}

std::vector<biff::SstString> Strings(const RecordList& globals) {
    RecordList table;
    for (const biff::Record& r : globals) {
        if (r.type == rt::Sst || (!table.empty() && r.type == rt::Continue && table.back().type != rt::ExtSst)) {
            table.push_back(r);
        } else if (!table.empty()) {
            break;
        }
    }
    return table.empty() ? std::vector<biff::SstString>{} : biff::ParseSst(table);
}

// Every absolute offset of the stream points where it must.
void ExpectOffsetsSound(const Bytes& stream, std::size_t sheetCount) {
    std::map<std::size_t, std::uint16_t> typeAt;
    for (const PlacedRecord& r : StreamRecords(stream)) typeAt[r.offset] = r.record.type;
    const biff::BookStream book = biff::ReadBookStream(stream);
    ASSERT_EQ(book.sheets.size(), sheetCount);
    for (const RecordList& sheet : book.sheets) {
        for (const biff::Record& r : sheet) {
            if (r.type != rt::Index) continue;
            EXPECT_EQ(typeAt[GetU32(r.data, 12)], rt::DefColWidth);
            for (std::size_t p = 16; p + 4 <= r.data.size(); p += 4) EXPECT_EQ(typeAt[GetU32(r.data, p)], rt::DbCell);
        }
    }
    const RecordList& globals = book.globals.Records();
    std::set<std::uint16_t> tabIds;
    for (const biff::Record& r : Typed(globals, rt::TabId))
        for (std::size_t p = 0; p + 2 <= r.data.size(); p += 2) tabIds.insert(GetU16(r.data, p));
    EXPECT_EQ(tabIds.size(), sheetCount) << "one distinct tab id per sheet";
    for (const biff::Record& r : Typed(globals, rt::SupBook)) {
        if (r.data.size() == 4 && r.data[2] == 1 && r.data[3] == 4) {
            EXPECT_EQ(GetU16(r.data, 0), sheetCount);
        }
    }
    // XFCRC must still match the XFs, or the extended formats are ignored.
    std::vector<Bytes> xfs;
    for (const biff::Record& r : Typed(globals, rt::Xf)) xfs.push_back(r.data);
    for (const biff::Record& r : Typed(globals, rt::XfCrc)) {
        EXPECT_EQ(GetU16(r.data, 14), xfs.size());
        EXPECT_EQ(GetU32(r.data, 16), biff::XfChecksum(xfs));
    }
    const auto strings = Strings(globals);
    for (const biff::Record& r : Typed(globals, rt::ExtSst)) {
        const std::uint16_t bucket = GetU16(r.data, 0);
        for (std::size_t k = 0, p = 2; p + 8 <= r.data.size(); ++k, p += 8) {
            const std::size_t ib = GetU32(r.data, p), inRecord = GetU16(r.data, p + 4);
            EXPECT_TRUE(typeAt[ib - inRecord] == rt::Sst || typeAt[ib - inRecord] == rt::Continue) << "EXTSST " << k;
            ASSERT_LT(k * bucket, strings.size());
            EXPECT_EQ(GetU16(stream, ib), strings[k * bucket].chars.size()) << "EXTSST " << k;
        }
    }
}

// Two table pages after the last sheet, as the export writes a table of
// 35 to 68 fields; saved after each page when `saveEach`.
void AppendTablePages(Workbook& book, bool saveEach, const std::string& table = "T_売上明細") {
    Sheets sheets = book.GetSheets();
    for (int page = 1; page <= 2; ++page) {
        Worksheet sheet = sheets.Add(sheets.Item(sheets.Count()));
        sheet.SetName(table + "_ " + std::to_string(page));
        kolumbra::testing::DrawFormPage(sheet, page, 2);
        if (saveEach) book.Save();
    }
}

TEST(RoundTrip, StoredSheetsAreReadAndRenamedAndTheirValuesSetButNotRebuilt) {
    kolumbra::testing::TempDir dir;
    const std::string path = dir.file("names.xls");
    std::filesystem::copy_file(KOLUMBRA_FIXTURES "/xls/names-34-4sheets.xls", path);
    {
        auto book = GetWorkbook(path);
        Worksheet sheet = book->GetSheets().Item(3);
        EXPECT_EQ(sheet.Cells(1, 2).Value(), "Jan");
        EXPECT_EQ(sheet.Cells(4, 14).Value(), "9876");
        // Values change in the records; formats would need the sheet rebuilt.
        sheet.Cells(1, 2).SetValue("Feb");
        try {
            sheet.Cells(1, 2).SetHorizontalAlignment(xl::HAlignLeft);
            ADD_FAILURE() << "a sheet of another application was rebuilt";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), err::ApplicationDefined);
            EXPECT_NE(e.description().find("Sheet3"), std::string::npos);
        }
        book->GetSheets().Item(2).SetName("集計");
        book->Save();
        book->GetApplication().Quit();
    }
    auto again = GetWorkbook(path);
    EXPECT_EQ(again->GetSheets().Item(2).Name(), "集計");
    EXPECT_EQ(again->GetSheets().Item(4).Name(), "Seamus O'Reilly");
    EXPECT_EQ(again->GetSheets().Item(3).Cells(1, 2).Value(), "Feb");
    EXPECT_EQ(again->GetSheets().Item(3).Cells(4, 14).Value(), "9876");
}

TEST(RoundTrip, XfChecksumIsTheOneOtherApplicationsStore) {
    int checked = 0;
    for (const auto& fixture : ForeignFixtures()) {
        const biff::BookStream book = SplitStream(ReadFile(fixture.string()));
        const RecordList& globals = book.globals.Records();
        std::vector<Bytes> xfs;
        for (const biff::Record& r : Typed(globals, rt::Xf)) xfs.push_back(r.data);
        for (const biff::Record& r : Typed(globals, rt::XfCrc)) {
            EXPECT_EQ(GetU32(r.data, 16), biff::XfChecksum(xfs)) << fixture.filename();
            ++checked;
        }
    }
    EXPECT_EQ(checked, 4);
}

TEST(RoundTrip, SavingWithoutChangesKeepsEveryStreamAsItWas) {
    kolumbra::testing::TempDir dir;
    for (const auto& fixture : ForeignFixtures()) {
        SCOPED_TRACE(fixture.filename().string());
        const std::string path = dir.file(fixture.filename().string());
        std::filesystem::copy_file(fixture, path);
        auto book = GetWorkbook(path);
        book->Save();
        book->GetApplication().Quit();
        const biff::BookFile before = biff::ReadBookFile(ReadFile(fixture.string()));
        const biff::BookFile after = biff::ReadBookFile(ReadFile(path));
        EXPECT_TRUE(after.Workbook() == before.Workbook()) << "Workbook stream differs";
        EXPECT_EQ(after.root, before.root) << "another stream, storage or class id differs";
    }
}

TEST(RoundTrip, AppendedTableSheetsLeaveEverythingElseAsItWas) {
    kolumbra::testing::TempDir dir;
    for (const auto& fixture : ForeignFixtures()) {
        const std::string name = fixture.filename().string();
        SCOPED_TRACE(name);
        const std::string path = dir.file(name);
        std::filesystem::copy_file(fixture, path);
        auto book = GetWorkbook(path);
        Sheets sheets = book->GetSheets();
        const int stored = sheets.Count();
        AppendTablePages(*book, true);
        book->GetApplication().Quit();

        const Bytes original = ReadFile(fixture.string()), saved = ReadFile(path);
        const Bytes savedStream = biff::ReadBookFile(saved).Workbook();
        ExpectOffsetsSound(savedStream, static_cast<std::size_t>(stored) + 2);
        EXPECT_EQ(saved.size() % 512, 0u) << "the container ends inside a sector";
        // Bound again from the file, not from what this process kept.
        const std::string copy = dir.file("again-" + name);
        std::filesystem::copy_file(path, copy);
        EXPECT_EQ(GetWorkbook(copy)->GetSheets().Count(), stored + 2);
        const biff::BookStream was = SplitStream(original), is = SplitStream(saved);
        for (int i = 0; i < stored; ++i)
            EXPECT_EQ(Placeless(is.sheets[i], is.offsets[i]), Placeless(was.sheets[i], was.offsets[i])) << "sheet " << i;
        EXPECT_EQ(Unchanging(is.globals.Records()), Unchanging(was.globals.Records()));
        const RecordList xfsWas = Typed(was.globals.Records(), rt::Xf), xfsIs = Typed(is.globals.Records(), rt::Xf);
        ASSERT_GE(xfsIs.size(), xfsWas.size());
        EXPECT_TRUE(std::equal(xfsWas.begin(), xfsWas.end(), xfsIs.begin())) << "stored XFs moved";
        const auto stringsWas = Strings(was.globals.Records()), stringsIs = Strings(is.globals.Records());
        ASSERT_GE(stringsIs.size(), stringsWas.size());
        EXPECT_TRUE(std::equal(stringsWas.begin(), stringsWas.end(), stringsIs.begin())) << "stored strings moved";
        biff::BookFile otherStreams = biff::ReadBookFile(saved), otherWas = biff::ReadBookFile(original);
        otherStreams.Workbook().clear();
        otherWas.Workbook().clear();
        EXPECT_EQ(otherStreams.root, otherWas.root);

        const Facts before = ReadFacts(fixture.string()), after = ReadFacts(path);
        std::vector<std::string> expected = before.sheets;
        expected.push_back("T_売上明細_ 1");
        expected.push_back("T_売上明細_ 2");
        EXPECT_EQ(after.sheets, expected);
        for (const std::string& sheet : before.sheets) EXPECT_EQ(after.CellsOf(sheet), before.CellsOf(sheet)) << sheet;
        EXPECT_EQ(after.names, before.names);
        EXPECT_EQ(after.CellsOf("T_売上明細_ 2").count("A11\t2\t35.0"), 1u);

        const std::string loDir = dir.file(name + ".lo");
        std::filesystem::create_directory(loDir);
        const LibreOfficeBook loBefore = ReadWithLibreOffice(fixture.string(), loDir);
        const LibreOfficeBook loAfter = ReadWithLibreOffice(path, loDir);
        EXPECT_TRUE(loAfter.warnings.empty()) << loAfter.warnings.front();
        ASSERT_EQ(loAfter.sheets.size(), loBefore.sheets.size() + 2);
        EXPECT_TRUE(std::equal(loBefore.sheets.begin(), loBefore.sheets.end(), loAfter.sheets.begin()));
        for (const auto& [at, value] : loBefore.values) {
            const auto found = loAfter.values.find(at);
            EXPECT_TRUE(found != loAfter.values.end() && found->second == value) << at.first << " " << at.second;
        }
        const auto lastPage = loAfter.values.find({static_cast<int>(loBefore.sheets.size()) + 1, "A11"});
        ASSERT_TRUE(lastPage != loAfter.values.end());
        EXPECT_EQ(lastPage->second, "35");
    }
}

// The stream with the globals' FONT records taken out and every stream
// offset behind them moved back: the sheets' positions, EXTSST and INDEX.
Bytes WithoutFontRecords(const Bytes& stream) {
    Bytes out;
    std::uint32_t removed = 0;
    bool inGlobals = true;
    for (const PlacedRecord& placed : StreamRecords(stream)) {
        biff::Record r = placed.record;
        if (inGlobals && r.type == rt::Font) {
            removed += static_cast<std::uint32_t>(4 + r.data.size());
            continue;
        }
        const auto moveBack = [&](std::size_t at) { biff::PutU32(r.data, at, GetU32(r.data, at) - removed); };
        if (r.type == rt::BoundSheet) moveBack(0);
        for (std::size_t p = 2; r.type == rt::ExtSst && p + 8 <= r.data.size(); p += 8) moveBack(p);
        for (std::size_t p = 12; r.type == rt::Index && p + 4 <= r.data.size(); p += 4) moveBack(p);
        inGlobals = inGlobals && r.type != rt::Eof;
        biff::AppendRecord(out, r);
    }
    return out;
}

// Globals without a single FONT record, whose XFs still name fonts 0 to 2,
// as a host system's export writes them: two tables are appended, and
// the stored cells read as before, in the fonts readers assume.
TEST(RoundTrip, AWorkbookWithoutFontRecordsTakesTableSheets) {
    kolumbra::testing::TempDir dir;
    const std::string source = KOLUMBRA_FIXTURES "/xls/jp-jma-areaforecast-3sheets.xls", path = dir.file("nofont.xls");
    const Bytes file = ReadFile(source);
    const Bytes stream = WithoutFontRecords(biff::ReadBookFile(file).Workbook());
    ASSERT_TRUE(Typed(SplitStream(file).globals.Records(), rt::Font).size() > 3);
    WriteFile(path, WithWorkbookStream(file, stream));
    const Facts before = ReadFacts(path);
    for (const std::string table : {"T_受注", "T_出荷"}) {
        auto book = GetWorkbook(path);
        AppendTablePages(*book, true, table);
        book->GetApplication().Quit();
    }
    ExpectOffsetsSound(biff::ReadBookFile(ReadFile(path)).Workbook(), before.sheets.size() + 4);
    const Facts after = ReadFacts(path);
    ASSERT_EQ(after.sheets.size(), before.sheets.size() + 4);
    EXPECT_EQ(after.sheets.back(), "T_出荷_ 2");
    for (const std::string& sheet : before.sheets) EXPECT_EQ(after.CellsOf(sheet), before.CellsOf(sheet)) << sheet;
    const XlrdBook fonts = ReadWithXlrd(path);
    EXPECT_EQ(std::make_pair(fonts.font0, fonts.font0Twips), std::make_pair(std::string("Arial"), 200));
    const LibreOfficeBook lo = ReadWithLibreOffice(path, dir.file(""));
    EXPECT_TRUE(lo.warnings.empty()) << lo.warnings.front();
    EXPECT_EQ(lo.sheets.size(), after.sheets.size());
    EXPECT_EQ(lo.values.at({static_cast<int>(before.sheets.size()) + 3, "A11"}), "35");
}

// Which original sheet each fixture loses, and whether a VBA module keeps it.
struct Deletion {
    std::string fixture;
    std::string sheet;
    bool vbaModule;
};

const Deletion Deletions[] = {
    {"3d-multisheet-refs.xls", "Sheet2", false},                    // inside Sheet1:Sheet3 ranges
    {"chartsheets-2-vba.xls", "Graph1", false},                     // a chart sheet
    {"jp-jma-areaforecast-3sheets.xls", "Sheet1", false},           // active, with its own Print_Area
    {"jp-vba-filecopy.xls", "Sheet1", true},                        // has a sheet module
    {"names-34-4sheets.xls", "Sheet2", false},                      // a local name, names using names
    {"vba-18sheets-3d-notes.xls", "reported claim lag dump", true}, // every sheet has a module
    {"mac-rich-text-stress.xls", "Sheet1", false},                   // the only sheet of a Mac workbook
    {"ole-oddsize-form-drawings.xls", "DIC 6", false},               // a sheet with drawings
};

int PositionOf(Sheets& sheets, const std::string& name) {
    for (int i = 1; i <= sheets.Count(); ++i)
        if (sheets.Item(i).Name() == name) return i;
    ADD_FAILURE() << "no sheet " << name;
    return 1;
}

TEST(RoundTrip, DeletingAnOriginalSheetKeepsTheOthersAndTheirReferences) {
    kolumbra::testing::TempDir dir;
    ASSERT_EQ(std::size(Deletions), ForeignFixtures().size());
    for (const Deletion& deletion : Deletions) {
        SCOPED_TRACE(deletion.fixture);
        const std::string source = ForeignFixture(deletion.fixture).string(), path = dir.file(deletion.fixture);
        std::filesystem::copy_file(source, path);
        auto book = GetWorkbook(path);
        Sheets sheets = book->GetSheets();
        const int stored = sheets.Count();
        AppendTablePages(*book, false);
        const int position = PositionOf(sheets, deletion.sheet);
        if (deletion.vbaModule) {
            try {
                sheets.Item(position).Delete();
                ADD_FAILURE() << "a sheet with a VBA module was deleted";
            } catch (const RuntimeError& e) {
                EXPECT_EQ(e.description(), "シート '" + deletion.sheet + "' " + biff::kVbaSheet);
            }
            EXPECT_EQ(sheets.Count(), stored + 2);
            EXPECT_EQ(sheets.Item(position).Name(), deletion.sheet);
            continue;
        }
        sheets.Item(position).Delete();
        book->Save();
        book->GetApplication().Quit();
        ExpectOffsetsSound(biff::ReadBookFile(ReadFile(path)).Workbook(), static_cast<std::size_t>(stored) + 1);

        const Facts before = ReadFacts(source), after = ReadFacts(path);
        std::vector<std::string> expected;
        for (const std::string& sheet : before.sheets)
            if (sheet != deletion.sheet) expected.push_back(sheet);
        expected.push_back("T_売上明細_ 1");
        expected.push_back("T_売上明細_ 2");
        EXPECT_EQ(after.sheets, expected);
        for (const std::string& sheet : before.sheets) {
            if (sheet != deletion.sheet) {
                EXPECT_EQ(after.CellsOf(sheet), before.CellsOf(sheet)) << sheet;
            }
        }
        // Names of the deleted sheet are gone; names that did not reach it
        // mean what they meant.
        std::size_t scoped = 0;
        for (const std::string& name : before.names) {
            const std::size_t scopeStart = name.find('\t') + 1;
            const std::string scope = name.substr(scopeStart, name.find('\t', scopeStart) - scopeStart);
            if (scope == deletion.sheet) {
                ++scoped;
            } else if (name.find(deletion.sheet + ":") == std::string::npos &&
                       name.find(":" + deletion.sheet + "!") == std::string::npos) {
                EXPECT_EQ(after.names.count(name), 1u) << name;
            }
        }
        EXPECT_EQ(after.names.size(), before.names.size() - scoped);

        const std::string loDir = dir.file(deletion.fixture + ".lo");
        std::filesystem::create_directory(loDir);
        const LibreOfficeBook loBefore = ReadWithLibreOffice(source, loDir), loAfter = ReadWithLibreOffice(path, loDir);
        EXPECT_TRUE(loAfter.warnings.empty()) << loAfter.warnings.front();
        std::map<std::string, int> afterIndex;
        for (std::size_t i = 0; i < loAfter.sheets.size(); ++i) afterIndex[loAfter.sheets[i]] = static_cast<int>(i);
        // Values of formulas may change with the sheet gone; their text stays
        // unless it names the deleted sheet at an end of a reference.
        const auto namesDeleted = [&](const std::string& formula) {
            return formula.find(deletion.sheet + "!") != std::string::npos ||
                   formula.find(deletion.sheet + ":") != std::string::npos;
        };
        for (const auto& [at, value] : loBefore.values) {
            const std::string& sheet = loBefore.sheets.at(static_cast<std::size_t>(at.first));
            if (sheet == deletion.sheet) continue;
            ASSERT_TRUE(afterIndex.count(sheet)) << sheet;
            const std::pair<int, std::string> now{afterIndex[sheet], at.second};
            const auto formula = loBefore.formulas.find(at);
            if (formula != loBefore.formulas.end()) {
                if (!namesDeleted(formula->second)) {
                    EXPECT_EQ(loAfter.formulas.at(now), formula->second) << at.second;
                }
                continue;
            }
            const auto found = loAfter.values.find(now);
            EXPECT_TRUE(found != loAfter.values.end() && found->second == value) << sheet << " " << at.second;
        }
        if (deletion.fixture == "3d-multisheet-refs.xls") {
            EXPECT_EQ(loAfter.formulas.at({0, "A3"}), "SUM(Sheet1:Sheet3!A1:A1)");
            EXPECT_EQ(loAfter.values.at({0, "A3"}), "44") << "11 on Sheet1 and 33 on Sheet3";
        }
        EXPECT_EQ(afterIndex.count(deletion.sheet), 0u);
    }
}


TEST(RoundTrip, ASheetInsertedBetweenStoredSheetsLeavesNamesOnTheirSheets) {
    kolumbra::testing::TempDir dir;
    const std::string source = KOLUMBRA_FIXTURES "/xls/names-34-4sheets.xls", path = dir.file("names.xls");
    std::filesystem::copy_file(source, path);
    auto book = GetWorkbook(path);
    Sheets sheets = book->GetSheets();
    sheets.Add(sheets.Item(1)).SetName("挿入");
    book->Save();
    book->GetApplication().Quit();
    ExpectOffsetsSound(biff::ReadBookFile(ReadFile(path)).Workbook(), 5);

    const Facts before = ReadFacts(source), after = ReadFacts(path);
    EXPECT_EQ(after.sheets, (std::vector<std::string>{"Sheet1", "挿入", "Sheet2", "Sheet3", "Seamus O'Reilly"}));
    for (const std::string& sheet : before.sheets) EXPECT_EQ(after.CellsOf(sheet), before.CellsOf(sheet)) << sheet;
    // Sheet-local names keep their sheets and 3-D references their ends;
    // Sheet1:Sheet3 now spans the new sheet too.
    EXPECT_EQ(after.names, before.names);
}

// The hidden sheet right of the active one is not what a deletion of the
// active sheet may leave active: the nearest visible sheet is.
TEST(RoundTrip, DeletingTheActiveSheetActivatesAVisibleSheet) {
    kolumbra::testing::TempDir dir;
    const std::string source = KOLUMBRA_FIXTURES "/xls/names-34-4sheets.xls", path = dir.file("hidden.xls");
    const Bytes file = ReadFile(source);
    Bytes stream = biff::ReadBookFile(file).Workbook();
    for (const PlacedRecord& r : StreamRecords(stream)) {
        if (r.record.type == rt::BoundSheet && biff::ReadShortString(r.record.data, 6) == u"Seamus O'Reilly")
            stream[r.offset + 4 + 4] = 0x01;  // hidden
    }
    WriteFile(path, WithWorkbookStream(file, stream));
    auto book = GetWorkbook(path);
    Sheets sheets = book->GetSheets();
    ASSERT_EQ(sheets.Item(3).Name(), "Sheet3");  // the active sheet
    sheets.Item(3).Delete();
    book->Save();
    book->GetApplication().Quit();

    const biff::BookStream saved = SplitStream(ReadFile(path));
    EXPECT_EQ(saved.globals.Window().activeSheet, 1) << "Sheet2, the nearest visible sheet";
    const std::vector<bool> selected = {false, true, false};
    ASSERT_EQ(saved.sheets.size(), selected.size());
    for (std::size_t i = 0; i < selected.size(); ++i) {
        for (const biff::Record& r : saved.sheets[i]) {
            if (r.type == rt::Window2) {
                EXPECT_EQ((GetU16(r.data, 0) & 0x0600) != 0, selected[i]) << "sheet " << i;
            }
        }
    }
}

}  // namespace
}  // namespace kolumbra::sheet::testing
