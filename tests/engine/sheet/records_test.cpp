// Record bodies byte for byte, and the shared string table across CONTINUE
// records.

#include <gtest/gtest.h>

#include "engine/sheet/biff/record_types.h"
#include "engine/sheet/biff/sheet_reader.h"
#include "engine/sheet/biff/sheet_records.h"
#include "engine/sheet/biff/sheet_writer.h"
#include "engine/sheet/biff/sst.h"
#include "engine/sheet/biff/stream.h"
#include "engine/sheet/biff/xf.h"

namespace kolumbra::sheet::biff {
namespace {

TEST(Records, CellXfOfACentredDoubleTopThinLeftCell) {
    CellFormat f;
    f.hAlign = 2;
    f.top = {line::Double, AutomaticColour};
    f.left = {line::Thin, AutomaticColour};
    const Bytes expected = {0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x22, 0x00, 0x00, 0x30,
                            0x01, 0x06, 0x40, 0x00, 0x40, 0x00, 0x00, 0x00, 0xC0, 0x20};
    EXPECT_EQ(CellXfBody(f), expected);
    EXPECT_EQ(DecodeCellXf(expected), f);
    EXPECT_EQ(CellXfBody(CellFormat{}), (Bytes{0, 0, 0, 0, 0x01, 0, 0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0x20}));
    CellFormat shrunk;
    shrunk.shrinkToFit = true;
    EXPECT_EQ(CellXfBody(shrunk), (Bytes{0, 0, 0, 0, 0x01, 0, 0x20, 0, 0x10, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0x20}))
        << "the flag in the indent byte, with the alignment marked as used";
    EXPECT_EQ(DecodeCellXf(CellXfBody(shrunk)), shrunk);
    EXPECT_NE(shrunk.Key(), CellFormat{}.Key());
    Bytes styleXf = CellXfBody(CellFormat{});
    styleXf[4] = 0xF5;
    styleXf[5] = 0xFF;
    EXPECT_FALSE(DecodeCellXf(styleXf)) << "a style XF is no cell format";
}

TEST(Records, FontOfTheJapaneseStandardFace) {
    const Bytes expected = {0xC8, 0x00, 0x00, 0x00, 0xFF, 0x7F, 0x90, 0x01, 0x00, 0x00, 0x00, 0x01, 0x80, 0x00,
                            0x05, 0x01, 0x2D, 0xFF, 0x33, 0xFF, 0x20, 0x00, 0x0E, 0x66, 0x1D, 0x67};
    EXPECT_EQ(FontBody(u"ＭＳ 明朝", 200), expected);
    const FontInfo font = DecodeFont(expected);
    EXPECT_EQ(font.name, u"ＭＳ 明朝");
    EXPECT_EQ(font.twips, 200);
    const Bytes arial = FontBody(u"Arial", 200);
    EXPECT_EQ(arial.size(), 14u + 2 + 5) << "8-bit name";
    EXPECT_EQ(arial[12], 0) << "western character set";
}

TEST(Records, BofSelectionAndBuiltInXfs) {
    EXPECT_EQ(BofBody(rt::BofWorksheet),
              (Bytes{0x00, 0x06, 0x10, 0x00, 0xBC, 0x1F, 0xCD, 0x07, 0xC9, 0x80, 0x00, 0x00, 0x06, 0x02, 0x00, 0x00}));
    EXPECT_EQ(SelectionBody(Rect{1, 2, 3, 4}),
              (Bytes{0x03, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x03, 0x00, 0x02, 0x04}));
    const std::vector<Bytes> xfs = BuiltInXfs();
    ASSERT_EQ(xfs.size(), 21u);
    EXPECT_EQ(xfs[15], CellXfBody(CellFormat{}));
    EXPECT_EQ(GetU16(xfs[16], 2), 0x2B);
    for (std::size_t i = 0; i < xfs.size(); ++i) EXPECT_EQ((GetU16(xfs[i], 4) & 0x04) != 0, i != 15) << i;
}

TEST(Records, ColumnWidthUnitsIncludeThePadding) {
    EXPECT_EQ(ColumnWidthUnits(2, 7), 694);
    EXPECT_EQ(ColumnWidthUnits(8.43, 7), 2340);
    EXPECT_EQ(ColumnWidthUnits(0, 7), 0);
    EXPECT_EQ(ColumnWidthUnits(255, 7), 65462);
}

TEST(Records, RelocatedIndexAndActiveFlag) {
    RecordList sheet{{rt::Bof, BofBody(rt::BofWorksheet)},
                     {rt::Index, Bytes{0, 0, 0, 0, 1, 0, 0, 0, 5, 0, 0, 0, 0x10, 0, 0, 0, 0x20, 0, 0, 0}},
                     {rt::Window2, Bytes{0xB6, 0x06, 0, 0, 0, 0, 0x40, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
                     {rt::Eof, {}}};
    RelocateIndex(sheet, 0x100);
    EXPECT_EQ(GetU32(sheet[1].data, 4), 1u) << "row numbers stay";
    EXPECT_EQ(GetU32(sheet[1].data, 12), 0x110u);
    EXPECT_EQ(GetU32(sheet[1].data, 16), 0x120u);
    SetSheetActive(sheet, false);
    EXPECT_EQ(GetU16(sheet[2].data, 0), 0x00B6);
    SetSheetActive(sheet, true);
    EXPECT_EQ(GetU16(sheet[2].data, 0), 0x06B6);
}

TEST(Records, AWrittenSheetReadBackIntoAModelWritesTheSameRecords) {
    Globals globals = Globals::CreateNew(u"ＭＳ 明朝", 200);
    SheetModel model;
    model.SetText(0, 0, "番号");
    model.SetNumber(1, 1, 12.5);
    model.SetNumber(2, 1, 7);
    model.Touch(3, 3).format.bottom = {line::Thin, AutomaticColour};
    model.Touch(3, 4).format.hAlign = 2;
    model.Merge(Rect{5, 0, 6, 2});
    model.TouchRow(10).heightPoints = 20;
    model.TouchRow(11).heightPoints = 0;
    for (int c = 0; c < 38; ++c) model.SetColumnWidth(c, 2);
    model.SetColumnWidth(40, 8.43);
    model.SetColumnWidth(41, 0);
    model.Page().left = 0.55;
    model.Page().fitToPage = true;
    model.Page().portrait = false;
    for (int r = 20; r < 120; ++r) model.SetText(r, 5, "row " + std::to_string(r % 7));  // several row blocks
    SheetWriteContext context{globals, 7, 270, true, Rect{2, 2, 4, 4}};
    const WrittenSheet written = WriteSheet(model, context);
    const std::unique_ptr<SheetModel> read = ReadModelledSheet(written.records, globals, 7);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(WriteSheet(*read, context).records, written.records);

    RecordList foreign = written.records;
    foreign.insert(foreign.end() - 1, Record{0x00EC, Bytes(8, 0)});  // a drawing the model cannot hold
    EXPECT_EQ(ReadModelledSheet(foreign, globals, 7), nullptr);
}

SstString Plain(std::u16string text) { return SstString{std::move(text), {}, {}}; }

TEST(SharedStrings, SmallTableByteForByte) {
    const SstLayout layout = BuildSst({Plain(u"P"), Plain(u"番号")}, 3);
    ASSERT_EQ(layout.records.size(), 1u);
    EXPECT_EQ(layout.records[0].data,
              (Bytes{3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 'P', 2, 0, 1, 0x6A, 0x75, 0xF7, 0x53}));
    const Record extsst = BuildExtSst(layout, 100);
    EXPECT_EQ(extsst.data, (Bytes{8, 0, 112, 0, 0, 0, 12, 0, 0, 0}));
}

TEST(SharedStrings, LongTablesSplitOnlyWhereAllowedAndReadBack) {
    std::vector<SstString> strings;
    for (int i = 0; i < 3000; ++i) strings.push_back(Plain(u"F" + std::u16string(i % 40, u'x')));
    strings.push_back(Plain(std::u16string(9000, u'あ')));  // 16-bit characters over two records
    strings.push_back(Plain(std::u16string(20000, u'a')));  // 8-bit characters over three records
    SstString rich = Plain(u"rich");
    rich.runs = Bytes(4 * 3000, 0x11);  // runs over a record boundary
    rich.extRst = Bytes(9000, 0x22);
    strings.push_back(rich);
    strings.push_back(Plain(u""));
    const SstLayout layout = BuildSst(strings, 12345);
    EXPECT_GT(layout.records.size(), 6u);
    for (std::size_t i = 0; i < layout.records.size(); ++i) {
        EXPECT_LE(layout.records[i].data.size(), rt::MaxRecordData);
        EXPECT_EQ(layout.records[i].type, i == 0 ? rt::Sst : rt::Continue);
    }
    EXPECT_EQ(ParseSst(layout.records), strings);
    EXPECT_EQ(layout.bucketSize, 24) << "ceil(3004 / 128)";
    EXPECT_EQ(layout.anchors.size(), (strings.size() + 23) / 24);
    EXPECT_EQ(GetU32(layout.records[0].data, 0), 12345u);
}

TEST(SharedStrings, SplitCharactersCarryANewWidthFlag) {
    // The first string leaves 7 bytes of the first record: the second
    // string's header and 4 characters fit, the rest go on after a flag.
    const std::size_t first = rt::MaxRecordData - 8 - 3 - 7;
    const SstLayout layout = BuildSst({Plain(std::u16string(first, u'a')), Plain(u"bbbbbb")}, 2);
    ASSERT_EQ(layout.records.size(), 2u);
    const Bytes& head = layout.records[0].data;
    EXPECT_EQ(head.size(), rt::MaxRecordData);
    EXPECT_EQ(Bytes(head.end() - 7, head.end()), (Bytes{6, 0, 0, 'b', 'b', 'b', 'b'}));
    EXPECT_EQ(layout.records[1].data, (Bytes{0, 'b', 'b'}));
}

TEST(SharedStrings, AHeaderNeverStandsWithoutItsFirstCharacter) {
    const std::size_t first = rt::MaxRecordData - 8 - 3 - 3;  // leaves exactly one header's room
    const SstLayout layout = BuildSst({Plain(std::u16string(first, u'a')), Plain(u"b")}, 2);
    ASSERT_EQ(layout.records.size(), 2u);
    EXPECT_EQ(layout.records[0].data.size(), rt::MaxRecordData - 3);
    EXPECT_EQ(layout.records[1].data, (Bytes{1, 0, 0, 'b'}));
}

}  // namespace
}  // namespace kolumbra::sheet::biff
