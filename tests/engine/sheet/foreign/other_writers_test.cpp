// Workbooks written by another program's converter (Debian's ssconvert):
// its BIFF7 files are refused, its BIFF8 and dual-format files are bound and
// extended like any other.

#include <gtest/gtest.h>

#include <algorithm>

#include "common/runtime_error.h"
#include "engine/sheet/biff/bytes.h"
#include "engine/sheet/biff/refusal.h"
#include "engine/sheet/workbook.h"
#include "foreign_files.h"
#include "readers.h"
#include "temp_dir.h"

namespace kolumbra::sheet::testing {
namespace {

const std::string Source = KOLUMBRA_FIXTURES "/xls/3d-multisheet-refs.xls";

// The fixture as the converter saves it in `format` (excel_biff7,
// excel_biff8, excel_dsf).
std::string Converted(const kolumbra::testing::TempDir& dir, const std::string& format) {
    const std::string path = dir.file(format + ".xls");
    RunCommand("ssconvert -T Gnumeric_Excel:" + format + " '" + Source + "' '" + path + "' 2>/dev/null");
    return path;
}

const biff::CfbEntry* StreamNamed(const biff::BookFile& file, const std::string& name) {
    const auto& children = file.root.children;
    const auto found = std::find_if(children.begin(), children.end(), [&](const auto& c) { return c.name == name; });
    return found == children.end() ? nullptr : &*found;
}

// Appends one sheet with a value after the last and saves.
void AppendSheet(const std::string& path) {
    auto book = GetWorkbook(path);
    Sheets sheets = book->GetSheets();
    Worksheet added = sheets.Add(sheets.Item(sheets.Count()));
    added.SetName("追加");
    added.Cells(2, 3).SetValue("ﾃｰﾌﾞﾙﾚｲｱｳﾄ");
    book->Save();
    book->GetApplication().Quit();
}

TEST(OtherWriters, Biff7IsRefusedAndLeftAsItWas) {
    kolumbra::testing::TempDir dir;
    const std::string path = Converted(dir, "excel_biff7");
    const biff::Bytes before = ReadFile(path);
    const biff::BookFile file = biff::ReadBookFile(before);
    const biff::CfbEntry* book = StreamNamed(file, "Book");
    ASSERT_NE(book, nullptr);
    ASSERT_EQ(biff::GetU16(book->data, 4), 0x0500) << "BOF of BIFF5/7";
    try {
        GetWorkbook(path);
        ADD_FAILURE() << "a BIFF7 workbook was bound";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.description(), "'" + path + "' をブックとして開けません。" + biff::kOldFormat);
    }
    EXPECT_EQ(ReadFile(path), before);
}

TEST(OtherWriters, Biff8AndDualFormatFilesTakeNewSheets) {
    kolumbra::testing::TempDir dir;
    for (const std::string format : {"excel_biff8", "excel_dsf"}) {
        SCOPED_TRACE(format);
        const std::string path = Converted(dir, format);
        const biff::BookFile original = biff::ReadBookFile(ReadFile(path));
        AppendSheet(path);
        const biff::BookFile saved = biff::ReadBookFile(ReadFile(path));
        // The BIFF7 copy of a dual-format file is kept as the converter wrote it.
        if (const biff::CfbEntry* old = StreamNamed(original, "Book")) {
            ASSERT_NE(StreamNamed(saved, "Book"), nullptr);
            EXPECT_EQ(StreamNamed(saved, "Book")->data, old->data);
        }
        const LibreOfficeBook lo = ReadWithLibreOffice(path, dir.file(""));
        EXPECT_TRUE(lo.warnings.empty()) << lo.warnings.front();
        EXPECT_EQ(lo.sheets, (std::vector<std::string>{"Sheet1", "Sheet2", "Sheet3", "追加"}));
        EXPECT_EQ(lo.values.at({0, "A1"}), "11");
        EXPECT_EQ(lo.formulas.at({0, "A3"}), "SUM(Sheet1:Sheet3!A1:A1)");
        EXPECT_EQ(lo.values.at({3, "C2"}), "ﾃｰﾌﾞﾙﾚｲｱｳﾄ");
    }
}

}  // namespace
}  // namespace kolumbra::sheet::testing
