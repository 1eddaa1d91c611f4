// The .xlsx/.xlsm back end on real workbooks of other writers: appending
// and replacing sheets keeps everything else, and packages that cannot be
// edited safely are refused with their own reason.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <functional>

#include "book_exercise.h"
#include "common/runtime_error.h"
#include "engine/sheet/ooxml/package.h"
#include "engine/sheet/ooxml/package_book.h"
#include "engine/sheet/ooxml/refusal.h"
#include "engine/sheet/ooxml/zip_archive.h"
#include "engine/sheet/workbook.h"
#include "form_page.h"
#include "readers.h"
#include "temp_dir.h"

namespace kolumbra::sheet::ooxml {
namespace {

const std::string kFixtures = std::string(KOLUMBRA_FIXTURES) + "/xlsx/";
const std::string kCheck = std::string(KOLUMBRA_SOURCE_DIR) + "/tests/engine/sheet/ooxml/xlsx_check.py";

// A small page: texts, a number, a merge, borders and alignments.
void FillPage(SheetModel& model, const std::string& title) {
    model.SetText(0, 0, title);
    model.SetText(1, 1, "項　目　名 & <x>");
    model.SetNumber(2, 2, 4);
    model.SetNumber(3, 2, 0.1);
    model.Merge(Rect{4, 0, 4, 3});
    CellFormat framed;
    framed.top.style = line::Double;
    framed.top.colour = AutomaticColour;
    framed.hAlign = 2;
    framed.shrinkToFit = true;
    model.Touch(4, 0).format = framed;
    model.SetColumnWidth(0, 2.5);
    model.TouchRow(1).heightPoints = 18;
    model.Page().fitToPage = true;
}

std::unique_ptr<PackageBook> Open(const std::string& path) {
    return PackageBook::FromBytes(kolumbra::testing::ReadBytes(path));
}

std::size_t PositionOf(const PackageBook& book, const std::string& name) {
    for (std::size_t i = 0; i < book.Sheets().size(); ++i)
        if (book.Sheets()[i].name == name) return i;
    return std::string::npos;
}

class EveryFixture : public ::testing::TestWithParam<std::string> {};

// Two tables appended page by page, then the same two again in a new
// binding, each replacing its sheet as after an OK to the question.
TEST_P(EveryFixture, KeepsEverythingThroughAppendAndReplace) {
    kolumbra::testing::TempDir dir;
    const std::string original = kFixtures + GetParam();
    const std::string path = dir.file(GetParam());
    kolumbra::testing::WriteBytes(path, kolumbra::testing::ReadBytes(original));
    const std::vector<std::string> tables = {"T_ORDERS", "T_日本語"};
    std::deque<SheetModel> models;
    for (int round = 0; round < 2; ++round) {
        auto book = Open(path);
        for (const std::string& table : tables) {
            if (const std::size_t at = PositionOf(*book, table); at != std::string::npos) book->Delete(at);
            FillPage(models.emplace_back(), table + std::to_string(round));
            book->AppendWorksheet(table, &models.back());
            book->Save(path);
        }
        book->Compact(path);
    }
    std::string command = "/usr/bin/python3 " + kCheck + " kept '" + original + "' '" + path + "'";
    for (const std::string& table : tables) command += " '" + table + "'";
    EXPECT_EQ(sheet::testing::RunCommand(command), "");
    const std::string cells = sheet::testing::RunCommand("/usr/bin/python3 " + kCheck + " cells '" + path + "' T_ORDERS");
    EXPECT_EQ(cells, "A1\tstr\tT_ORDERS1\nB2\tstr\t項　目　名 & <x>\nC3\tint\t4\nC4\tfloat\t0.1\n");
    // LibreOffice opens the result without complaint (it leaves out sheet
    // types it has no sheets for).
    std::filesystem::create_directory(dir.path() / "lo");
    const sheet::testing::LibreOfficeBook lo = sheet::testing::ReadWithLibreOffice(path, dir.file("lo"));
    EXPECT_TRUE(lo.warnings.empty());
    ASSERT_GE(lo.sheets.size(), 2u);
    EXPECT_EQ(lo.sheets.back(), "T_日本語");
    EXPECT_EQ(lo.values.at({static_cast<int>(lo.sheets.size()) - 2, "A1"}), "T_ORDERS1");
}

// The fuzzer's pass through the object model (bind, read, append, edit and
// delete the first sheet, save as, save again, bind the result again).
TEST_P(EveryFixture, GoesThroughTheFuzzersBindingPass) {
    kolumbra::testing::TempDir dir;
    const std::string bytes = kolumbra::testing::ReadBytes(kFixtures + GetParam());
    const fuzz::ExerciseOutcome outcome =
        fuzz::ExerciseBook(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), dir.path(), ".xlsx");
    EXPECT_EQ(outcome.error, "");
    EXPECT_TRUE(outcome.reboundCleanly) << outcome.reboundError;
}

INSTANTIATE_TEST_SUITE_P(Xlsx, EveryFixture,
                         ::testing::Values("gsheets-names-dv.xlsx", "mac2011-dialog-macro-sheets.xlsm",
                                           "xl2007-ja-16sheets.xlsx", "xl2013-28sheets-pivots.xlsx",
                                           "xl2013-stress-chartsheet-extlink.xlsx", "xl365-kitchen-sink.xlsx"));


// A fixture's bytes with one part's content changed by `edit`.
std::string WithPart(const std::string& fixture, const std::string& part,
                     const std::function<std::string(std::string)>& edit) {
    Package package(kolumbra::testing::ReadBytes(kFixtures + fixture));
    package.Write(part, edit(package.Has(part) ? package.Read(part) : std::string()));
    Placement placed;
    return package.WholeFile(placed, false);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The bytes of a fixture with the data of `part` overwritten in the middle.
std::string WithDamagedData(const std::string& fixture, const std::string& part) {
    std::string file = kolumbra::testing::ReadBytes(kFixtures + fixture);
    for (const ZipEntry& entry : ReadZipDirectory(file).entries)
        if (entry.name == part)
            for (std::size_t i = 0; i < 8; ++i) file[entry.dataOffset + entry.compressedSize / 2 + i] ^= 0x5A;
    return file;
}

struct RefusalCase {
    const char* what;
    std::function<std::string()> file;
    std::string description;
};

TEST(PackageRefusals, EachSaysWhy) {
    const std::string ja = "xl2007-ja-16sheets.xlsx";
    std::string compound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    compound.resize(1024, '\0');
    for (char c : std::string("EncryptionInfo")) compound += std::string{c, '\0'};
    const std::vector<RefusalCase> cases = {
        {"encrypted", [&] { return compound; }, kEncrypted},
        {"compound file without encryption", [&] { return compound.substr(0, 1024); }, kNotPackage},
        {"not an archive", [] { return std::string("name,type\r\n"); }, kNotPackage},
        {"cut archive", [&] { return kolumbra::testing::ReadBytes(kFixtures + ja).substr(0, 20000); }, kArchiveDamaged},
        {"two parts of one name, but for case",
         [&] {
             return Replaced(kolumbra::testing::ReadBytes(kFixtures + ja), "xl/worksheets/sheet2.xml",
                             "xl/worksheets/SHEET1.xml");
         },
         kDuplicateNames},
        {"signed", [&] { return WithPart(ja, "_xmlsignatures/sig1.xml", [](std::string) { return "<Signature/>"; }); },
         kSigned},
        {"strict",
         [&] {
             return WithPart(ja, "xl/workbook.xml", [](std::string xml) {
                 return Replaced(xml, "http://schemas.openxmlformats.org/spreadsheetml/2006/main",
                                 "http://purl.oclc.org/ooxml/spreadsheetml/main");
             });
         },
         kStrict},
        {"damaged workbook part", [&] { return WithDamagedData(ja, "xl/workbook.xml"); },
         PartDamaged("xl/workbook.xml")},
        {"workbook part not XML", [&] { return WithPart(ja, "xl/workbook.xml", [](std::string xml) { return xml.substr(0, 300); }); },
         PartDamaged("xl/workbook.xml")},
        {"no content types", [&] {
             Package package(kolumbra::testing::ReadBytes(kFixtures + ja));
             package.Remove("[Content_Types].xml");
             Placement placed;
             return package.WholeFile(placed, false);
         },
         PartMissing("[Content_Types].xml")},
        {"names with backslashes", [&] {
             const Package package(kolumbra::testing::ReadBytes(kFixtures + ja));
             Package renamed;
             for (const std::string& name : package.Names()) renamed.Write(Replaced(name, "/", "\\"), package.Read(name));
             Placement placed;
             return renamed.WholeFile(placed, false);
         },
         kBackslashNames},
    };
    for (const RefusalCase& c : cases) {
        try {
            PackageBook::FromBytes(c.file());
            ADD_FAILURE() << c.what << " was bound";
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), err::ApplicationDefined) << c.what;
            EXPECT_EQ(error.description(), c.description) << c.what;
        }
    }
}

// `file` with `bytes` written at `offset` into the local header of `part`.
std::string WithLocalHeader(std::string file, const std::string& part, std::size_t offset, const std::string& bytes) {
    for (const ZipEntry& entry : ReadZipDirectory(file).entries)
        if (entry.name == part) file.replace(entry.headerOffset + offset, bytes.size(), bytes);
    return file;
}

// A local header that differs from the directory only in what readers go
// by the directory for (times, a data descriptor's sizes filled in) binds;
// one that describes other data is damage.
TEST(PackageArchive, LocalHeadersAreCheckedForWhatLocatesTheData) {
    const std::string ja = kolumbra::testing::ReadBytes(kFixtures + "xl2007-ja-16sheets.xlsx");
    const std::string part = "xl/workbook.xml", dataDescriptor("\x08\x00", 2), zero(4, '\0');
    const std::vector<RefusalCase> cases = {
        {"other time", [&] { return WithLocalHeader(ja, part, 10, "\x12\x34"); }, ""},
        {"descriptor flagged, sizes filled in", [&] { return WithLocalHeader(ja, part, 6, dataDescriptor); }, ""},
        {"descriptor flagged, CRC zero", [&] { return WithLocalHeader(WithLocalHeader(ja, part, 6, dataDescriptor), part, 14, zero); }, ""},
        {"other CRC", [&] { return WithLocalHeader(ja, part, 14, zero); }, kArchiveDamaged},
        {"other size", [&] { return WithLocalHeader(ja, part, 18, "\x01\x00"); }, kArchiveDamaged},
        {"other method", [&] { return WithLocalHeader(ja, part, 8, std::string("\x00\x00", 2)); }, kArchiveDamaged},
    };
    for (const RefusalCase& c : cases) {
        try {
            EXPECT_GT(PackageBook::FromBytes(c.file())->Sheets().size(), 0u);
            EXPECT_EQ(c.description, "") << c.what << " was bound";
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.description(), c.description) << c.what;
        }
    }
}

struct ReplaceCase {
    const char* sheet;
    std::string refusal;          // "" when the sheet may go
    std::vector<std::string> gone;  // parts that go with it
};

// Deleting a sheet of a workbook full of references: what others refer to
// stays, what only the deleted sheet used goes with it.
TEST(PackageReplace, DeletesOnlyWhatNothingElseNeeds) {
    const std::string fixture = "xl2013-28sheets-pivots.xlsx";
    const std::vector<ReplaceCase> cases = {
        {"StressedYieldCurvesFull", SheetReferenced("StressedYieldCurvesFull", "シート 'StressedYieldCurvePivot' の数式"), {}},
        {"Input", SheetReferenced("Input", "名前 'assets_effective_date'"), {}},
        {"StressedAssets", SheetReferenced("StressedAssets", "ピボットテーブルのキャッシュ 'xl/pivotCache/pivotCacheDefinition1.xml'"), {}},
        {"Checks", "", {"xl/worksheets/sheet28.xml", "xl/worksheets/_rels/sheet28.xml.rels",
                        "xl/printerSettings/printerSettings15.bin"}},
        {"AssetsDetail", "", {"xl/worksheets/sheet10.xml", "xl/tables/table5.xml"}},
    };
    for (const ReplaceCase& c : cases) {
        kolumbra::testing::TempDir dir;
        const std::string path = dir.file(fixture);
        kolumbra::testing::WriteBytes(path, kolumbra::testing::ReadBytes(kFixtures + fixture));
        auto book = Open(path);
        const std::size_t sheets = book->Sheets().size();
        try {
            book->Delete(PositionOf(*book, c.sheet));
            EXPECT_EQ(c.refusal, "") << c.sheet << " was deleted";
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.description(), c.refusal) << c.sheet;
            EXPECT_EQ(book->Sheets().size(), sheets);
            continue;
        }
        book->Save(path);
        const std::string file = kolumbra::testing::ReadBytes(path);
        for (const std::string& part : c.gone) EXPECT_FALSE(Package(file).Has(part)) << part;
        const std::string names = sheet::testing::RunCommand(
            "/usr/bin/python3 -c \"import openpyxl,sys; b=openpyxl.load_workbook(sys.argv[1]); "
            "print(len(b.sheetnames), sorted((d.name, d.localSheetId) for d in b.defined_names.definedName "
            "if d.localSheetId is not None))\" '" + path + "'");
        EXPECT_EQ(names.substr(0, 3), "27 ") << c.sheet;
        EXPECT_EQ(names.find("None"), std::string::npos);
    }
}

void WriteTwoPages(const std::string& path) {
    kolumbra::testing::WriteTwoFormPages(path);
    CompactSavedWorkbook();
}

TEST(PackageForm, IsTheXlsFormCellForCell) {
    kolumbra::testing::TempDir dir;
    WriteTwoPages(dir.file("form.xls"));
    WriteTwoPages(dir.file("form.xlsx"));
    EXPECT_EQ(sheet::testing::RunCommand("/usr/bin/python3 " + kCheck + " form '" + dir.file("form.xls") + "' '" +
                                         dir.file("form.xlsx") + "'"),
              "");
    WriteTwoPages(dir.file("form.xlsm"));
    const std::string types = Package(kolumbra::testing::ReadBytes(dir.file("form.xlsm"))).Read("[Content_Types].xml");
    EXPECT_NE(types.find("sheet.macroEnabled.main+xml"), std::string::npos) << "the type an .xlsm must have";
    const std::string styles = Package(kolumbra::testing::ReadBytes(dir.file("form.xlsx"))).Read("xl/styles.xml");
    EXPECT_NE(styles.find("<sz val=\"10\"/><name val=\"ＭＳ 明朝\"/>"), std::string::npos);
}

// Pages saved one by one by a process killed at a moment that varies: the
// file left behind always binds, in this engine, in a strict zip reader and
// in openpyxl, as the workbook with the pages saved so far.
TEST(PackageSaves, SurviveAKillAtAnyMoment) {
    kolumbra::testing::TempDir dir;
    const std::string fixture = kFixtures + "xl2007-ja-16sheets.xlsx";
    for (int delayMs : {2, 10, 30, 80, 200}) {
        const std::string path = dir.file("killed" + std::to_string(delayMs) + ".xlsx");
        kolumbra::testing::WriteBytes(path, kolumbra::testing::ReadBytes(fixture));
        const pid_t child = ::fork();
        if (child == 0) {
            auto book = Open(path);
            std::deque<SheetModel> models;
            for (int page = 1; page <= 300; ++page) {
                FillPage(models.emplace_back(), "P" + std::to_string(page));
                book->AppendWorksheet("P" + std::to_string(page), &models.back());
                book->Save(path);
            }
            ::_exit(0);
        }
        ::usleep(static_cast<useconds_t>(delayMs) * 1000);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        auto book = Open(path);
        const std::vector<PackageSheet>& sheets = book->Sheets();
        ASSERT_GE(sheets.size(), 16u);
        std::string names;
        for (std::size_t i = 0; i < sheets.size(); ++i) {
            if (i >= 16) {
                EXPECT_EQ(sheets[i].name, "P" + std::to_string(i - 15));
            }
            names += sheets[i].name + "\n";
        }
        EXPECT_EQ(sheet::testing::RunCommand("/usr/bin/python3 " + kCheck + " strict '" + path + "'"), names)
            << delayMs << " ms";
    }
}

// Cells set in stored sheets: a table's header row refuses the whole set
// before any cell changes, and a cell a formula filled leaves the
// calculation chain.
TEST(PackageWorkbook, StoredCellsAreSetAllOrNone) {
    using Kind = StoredCellEdit::Kind;
    auto book = Open(kFixtures + "xl365-kitchen-sink.xlsx");
    auto valueAt = [&](std::size_t sheet, int row, int column) {
        for (const StoredCell& cell : book->StoredCells(sheet))
            if (cell.row == row && cell.column == column) return cell.number ? std::to_string(*cell.number) : cell.text;
        return std::string("(none)");
    };
    const std::size_t tables = 2, formulas = 0;  // Table2 at A3:E11; G18 in the chain of sheetId 6
    const std::string before = valueAt(tables, 29, 0);
    try {
        book->SetStoredCells(tables, {{29, 0, Kind::Text, 0, "set"}, {2, 1, Kind::Text, 0, "header"}});
        ADD_FAILURE() << "a table's header cell was set";
    } catch (const RuntimeError& error) {
        EXPECT_NE(error.description().find("テーブル 'Table2' の見出し"), std::string::npos) << error.description();
    }
    EXPECT_EQ(valueAt(tables, 29, 0), before);

    ASSERT_NE(valueAt(formulas, 17, 6), "(none)");
    book->SetStoredCells(formulas, {{17, 6, Kind::Number, 5, ""}});
    EXPECT_EQ(valueAt(formulas, 17, 6), std::to_string(5.0));
    kolumbra::testing::TempDir dir;
    book->SaveWhole(dir.file("book.xlsx"), false);
    const std::string chain = Package(kolumbra::testing::ReadBytes(dir.file("book.xlsx"))).Read("xl/calcChain.xml");
    EXPECT_EQ(chain.find("<c r=\"G18\" i=\"6\""), std::string::npos);
    EXPECT_NE(chain.find("<c r=\"H21\" i=\"6\""), std::string::npos);
}

// Through the object model: a refused package names the file and stays as
// it was; a package another program changed between two saves is not
// saved over.
TEST(PackageWorkbook, RefusesAndNeverSavesOverAnotherProgramsChange) {
    kolumbra::testing::TempDir dir;
    const std::string signedBook = dir.file("signed.xlsx");
    const std::string bytes = WithPart("gsheets-names-dv.xlsx", "_xmlsignatures/sig1.xml", [](std::string) { return "<S/>"; });
    kolumbra::testing::WriteBytes(signedBook, bytes);
    try {
        GetWorkbook(signedBook);
        ADD_FAILURE() << "a signed workbook was bound";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.description(), "'" + signedBook + "' をブックとして開けません。" + kSigned);
    }
    EXPECT_EQ(kolumbra::testing::ReadBytes(signedBook), bytes);

    const std::string path = dir.file("book.xlsx");
    kolumbra::testing::WriteBytes(path, kolumbra::testing::ReadBytes(kFixtures + "gsheets-names-dv.xlsx"));
    auto book = GetWorkbook(path);
    Sheets sheets = book->GetSheets();
    // Another writer's sheet takes values in its part; its formats stay
    // its own.
    for (const char* value : {"text", "12"}) {
        sheets.Item(1).Cells(1, 1).SetValue(value);
        EXPECT_EQ(sheets.Item(1).Cells(1, 1).Value(), value);
    }
    try {
        sheets.Item(1).Cells(1, 1).SetColumnWidth(3);
        ADD_FAILURE() << "a stored sheet took a width";
    } catch (const RuntimeError& error) {
        EXPECT_NE(error.description().find("保存済みのため、変更できません。"), std::string::npos) << error.description();
    }
    sheets.Add(sheets.Item(sheets.Count())).SetName("T_1");
    book->Save();
    const std::string other = kolumbra::testing::ReadBytes(kFixtures + "xl2007-ja-16sheets.xlsx");
    kolumbra::testing::WriteBytes(path, other);
    sheets.Add(sheets.Item(sheets.Count())).SetName("T_2");
    EXPECT_THROW(book->Save(), RuntimeError);
    EXPECT_EQ(kolumbra::testing::ReadBytes(path), other);
    book->GetApplication().Quit();
}

}  // namespace
}  // namespace kolumbra::sheet::ooxml
