// Values set on sheets other applications wrote: the cells change in the
// sheets' records, every other value stays, and the cell table's offsets
// (ROW, DBCELL, INDEX) stay sound.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "common/runtime_error.h"
#include "engine/sheet/biff/bytes.h"
#include "engine/sheet/biff/cell_edit.h"
#include "engine/sheet/workbook.h"
#include "foreign_files.h"
#include "readers.h"
#include "temp_dir.h"

namespace kolumbra::sheet::testing {
namespace {

struct Edit {
    const char* address;
    const char* value;  // "" empties the cell
    const char* type;   // as xlrd reads it afterwards
    const char* read;
};

// A text over the first cell, a number beside it, a cell emptied, and
// cells in rows far below everything, in a new block of rows.
const std::vector<Edit> Edits = {
    {"A1", "項目ID-1", "text", "項目ID-1"},
    {"B1", "42", "number", "42.0"},
    {"C2", "", "", ""},
    {"D300", "1.5", "number", "1.5"},
    {"AL301", "摘要", "text", "摘要"},
};

// Every INDEX of the stream points at its DEFCOLWIDTH and DBCELL records,
// and every DBCELL at its block's first ROW and each row's first cell.
void ExpectSoundCellTables(const biff::Bytes& stream) {
    const std::vector<PlacedRecord> records = StreamRecords(stream);
    std::map<std::size_t, std::uint16_t> typeAt;
    for (const PlacedRecord& r : records) typeAt[r.offset] = r.record.type;
    const std::set<std::uint16_t> cells = {0x00FD, 0x027E, 0x0203, 0x0201, 0x00BE, 0x00BD, 0x0204, 0x0006, 0x0205, 0x00D6};
    int indexes = 0;
    for (const PlacedRecord& r : records) {
        if (r.record.type != 0x020B) continue;
        ++indexes;
        const biff::Bytes& d = r.record.data;
        if (biff::GetU32(d, 12) != 0) {
            EXPECT_EQ(typeAt[biff::GetU32(d, 12)], 0x0055) << "DEFCOLWIDTH";
        }
        for (std::size_t p = 16; p + 4 <= d.size(); p += 4) {
            const std::size_t dbCell = biff::GetU32(d, p);
            ASSERT_EQ(typeAt[dbCell], 0x00D7) << "INDEX entry at " << dbCell;
            const auto at = std::find_if(records.begin(), records.end(), [&](const PlacedRecord& x) { return x.offset == dbCell; });
            const biff::Bytes& db = at->record.data;
            const std::size_t firstRow = dbCell - biff::GetU32(db, 0);
            ASSERT_EQ(typeAt[firstRow], 0x0208) << "DBCELL's first row";
            std::size_t cell = firstRow + 20;
            for (std::size_t q = 4; q + 2 <= db.size(); q += 2) {
                cell += biff::GetU16(db, q);
                EXPECT_TRUE(cells.count(typeAt[cell]) || typeAt[cell] == 0x00D7 || typeAt[cell] == 0x0208)
                    << "DBCELL entry points at " << typeAt[cell];
            }
        }
    }
    EXPECT_GT(indexes, 0);
}

TEST(ForeignCellEdit, ValuesChangeInTheRecordsAndNothingElseDoes) {
    kolumbra::testing::TempDir dir;
    int edited = 0;
    for (const auto& fixture : ForeignFixtures()) {
        SCOPED_TRACE(fixture.filename().string());
        const std::string path = dir.file(fixture.filename().string());
        std::filesystem::copy_file(fixture, path, std::filesystem::copy_options::overwrite_existing);
        std::shared_ptr<Workbook> book;
        try {
            book = GetWorkbook(path);
        } catch (const RuntimeError&) {
            continue;  // refused workbooks have tests of their own
        }
        const XlrdBook before = ReadWithXlrd(path);
        const int sheet = std::find(before.sheets.begin(), before.sheets.end(), book->GetSheets().Item(1).Name()) -
                          before.sheets.begin();
        for (const Edit& edit : Edits) book->GetSheets().Item(1).GetRange(edit.address).SetValue(edit.value);
        book->Save();
        book->GetApplication().Quit();
        ++edited;

        ExpectSoundCellTables(WorkbookStreamOf(path));
        const XlrdBook after = ReadWithXlrd(path);
        for (const Edit& edit : Edits) {
            EXPECT_EQ(after.Cell(sheet, edit.address).value, edit.read) << edit.address;
            if (*edit.type) {
                EXPECT_EQ(after.Cell(sheet, edit.address).type, edit.type) << edit.address;
            }
        }
        for (const auto& [at, cell] : before.cells) {
            const bool isEdited = at.first == sheet && std::any_of(Edits.begin(), Edits.end(), [&](const Edit& e) {
                                      return at.second == e.address;
                                  });
            if (isEdited) continue;
            const XlrdCell now = after.Cell(at.first, at.second);
            EXPECT_EQ(now.value, cell.value) << at.second;
            EXPECT_EQ(std::tie(now.hAlign, now.left, now.top, now.right, now.bottom),
                      std::tie(cell.hAlign, cell.left, cell.top, cell.right, cell.bottom))
                << at.second << ": its format";
        }
    }
    EXPECT_GE(edited, 4);
}

// A value over the cell a shared formula hangs on is refused as such, not
// as damage.
TEST(ForeignCellEdit, ACellAnchoringASharedFormulaIsRefused) {
    biff::RecordList sheet = {{0x0809, biff::Bytes(16, 0)}, {0x0200, biff::Bytes(14, 0)}, {0x0208, biff::Bytes(16, 0)},
                              {0x0006, biff::Bytes(20, 0)}, {0x04BC, biff::Bytes(10, 0)}, {0x000A, {}}};
    const biff::RecordList before = sheet;
    EXPECT_THROW(biff::EditCells(sheet, 0, {{0, 0, biff::CellEdit::Kind::Number, 1}}, 15), biff::FormulaAnchorError);
    EXPECT_EQ(sheet.size(), before.size());
}

}  // namespace
}  // namespace kolumbra::sheet::testing
