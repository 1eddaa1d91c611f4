// Names and 3-D references when a sheet goes, on records built by hand so
// that every kind of reference is there.

#include <gtest/gtest.h>

#include "engine/sheet/biff/bytes.h"
#include "engine/sheet/biff/record_types.h"
#include "engine/sheet/biff/sheet_removal.h"

namespace kolumbra::sheet::biff {
namespace {

constexpr std::uint16_t FormulaType = 0x0006, ObjType = 0x005D;

Record SupBook(Bytes body) { return Record{rt::SupBook, std::move(body)}; }

// A NAME with a one-letter name and the formula `rgce`.
Record Name(char letter, std::uint16_t itab, const Bytes& rgce) {
    Bytes d;
    Writer(d).U16(0).U8(0).U8(1).U16(static_cast<std::uint16_t>(rgce.size())).U16(0).U16(itab).U32(0).U8(0).U8(
        static_cast<std::uint8_t>(letter));
    Writer(d).Raw(rgce);
    return Record{rt::Name, d};
}

Bytes PtgName(std::uint8_t ptg, std::uint16_t index) {
    Bytes d;
    Writer(d).U8(ptg).U16(index).U16(0);
    return d;
}

Bytes PtgNameX(std::uint8_t ptg, std::uint16_t xti, std::uint16_t index) {
    Bytes d;
    Writer(d).U8(ptg).U16(xti).U16(index).U16(0);
    return d;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Record Formula(const Bytes& rgce) {
    Bytes d(20, 0);
    Writer(d).U16(static_cast<std::uint16_t>(rgce.size())).Raw(rgce);
    return Record{FormulaType, d};
}

// A button whose macro is the name reached through EXTERNSHEET entry `xti`.
Record Button(std::uint16_t xti, std::uint16_t index) {
    Bytes d;
    Writer(d).U16(0x0015).U16(18).Zeros(18);  // ftCmo
    const Bytes rgce = PtgNameX(0x39, xti, index);
    Writer(d).U16(0x0004).U16(14).U16(static_cast<std::uint16_t>(rgce.size())).U32(0).Raw(rgce).U8(0);
    Writer(d).U16(0).U16(0);  // ftEnd
    return Record{ObjType, d};
}

struct Xti {
    std::uint16_t book, first, last;
    bool operator==(const Xti&) const = default;
};

Record ExternSheet(const std::vector<Xti>& entries) {
    Bytes d;
    Writer(d).U16(static_cast<std::uint16_t>(entries.size()));
    for (const Xti& x : entries) Writer(d).U16(x.book).U16(x.first).U16(x.last);
    return Record{rt::ExternSheet, d};
}

std::vector<Xti> EntriesOf(const RecordList& globals) {
    for (const Record& r : globals) {
        if (r.type != rt::ExternSheet) continue;
        std::vector<Xti> out;
        for (std::size_t p = 2; p + 6 <= r.data.size(); p += 6)
            out.push_back({GetU16(r.data, p), GetU16(r.data, p + 2), GetU16(r.data, p + 4)});
        return out;
    }
    return {};
}

// An external workbook first, this workbook second: entry book 1 is self.
RecordList Globals() {
    const Bytes ptgStr = {0x17, 0x02, 0x00, 'a', 'b'};
    const Bytes choose = {0x19, 0x04, 0x01, 0x00, 0x04, 0x00, 0x08, 0x00};
    return RecordList{
        SupBook({0x01, 0x00, 0x03, 0x00, 0x00, 'x'}),
        SupBook({0x04, 0x00, 0x01, 0x04}),
        ExternSheet({{1, 0, 2}, {1, 1, 1}, {1, 2, 2}, {1, 0xFFFE, 0xFFFE}, {0, 1, 1}, {1, 1, 3}}),
        Name('A', 0, Join({ptgStr, choose, PtgName(0x23, 3)})),  // refers to C
        Name('B', 2, Bytes{0x1E, 0x01, 0x00}),                   // scoped to the removed sheet
        Name('C', 3, PtgName(0x43, 2)),                          // refers to B
        Record{rt::Continue, {1, 2}},
        Name('D', 1, Bytes{}),
    };
}

TEST(SheetRemoval, ExternSheetEntriesOfThisWorkbookFollowTheSheets) {
    RecordList globals = Globals();
    RemoveSheetReferences(globals, {}, 1);
    const std::vector<Xti> expected = {
        {1, 0, 1},            // a range over the removed sheet shrinks
        {1, 0xFFFF, 0xFFFF},  // the removed sheet alone: deleted
        {1, 1, 1},            // a later sheet moves down
        {1, 0xFFFE, 0xFFFE},  // the workbook itself stays
        {0, 1, 1},            // another workbook's sheets stay
        {1, 1, 2},            // a range starting at the removed sheet keeps the rest
    };
    EXPECT_EQ(EntriesOf(globals), expected);
}

TEST(SheetRemoval, ASheetIsReferencedWhenAnEntryOfThisWorkbookTakesItIn) {
    const RecordList globals = Globals();
    const RecordList otherBookOnly = {SupBook({0x01, 0x00, 0x03, 0x00, 0x00, 'x'}), SupBook({0x04, 0x00, 0x01, 0x04}),
                                      ExternSheet({{0, 4, 4}})};
    const std::vector<std::tuple<const RecordList*, std::uint16_t, bool>> cases = {
        {&globals, 0, true}, {&globals, 3, true}, {&globals, 4, false}, {&otherBookOnly, 4, false}};
    for (const auto& [records, sheet, referenced] : cases) EXPECT_EQ(SheetReferenced(*records, sheet), referenced) << sheet;
}

TEST(SheetRemoval, NamesOfTheSheetGoAndEveryNameIndexFollows) {
    RecordList globals = Globals();
    RecordList sheet = {
        Formula(Join({PtgName(0x43, 3), PtgNameX(0x39, 3, 4), PtgNameX(0x59, 4, 2), PtgName(0x23, 9)})),
        Button(5, 2),
        Button(4, 2),
    };
    RemoveSheetReferences(globals, {&sheet}, 1);

    RecordList names;
    for (const Record& r : globals)
        if (r.type == rt::Name) names.push_back(r);
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0].data[15], 'A');
    EXPECT_EQ(names[1].data[15], 'C');
    EXPECT_EQ(names[2].data[15], 'D');
    EXPECT_EQ(GetU16(names[1].data, 8), 2) << "scope moved down with its sheet";
    EXPECT_EQ(GetU16(names[2].data, 8), 1) << "scope before the removed sheet stays";
    EXPECT_EQ(GetU16(names[0].data, 15 + 1 + 5 + 8 + 1), 2) << "A refers to C, now the second name";
    EXPECT_EQ(Bytes(names[1].data.begin() + 16, names[1].data.end()), (Bytes{0x4A, 0, 0, 0, 0}))
        << "C referred to the removed B: a reference error of the same class and size";
    const auto c = std::find_if(globals.begin(), globals.end(), [](const Record& r) { return r.type == rt::Name && r.data[15] == 'C'; });
    EXPECT_EQ((c + 1)->type, rt::Continue) << "C keeps its CONTINUE, B's went with B";

    const Bytes& cells = sheet[0].data;
    EXPECT_EQ(GetU16(cells, 23), 2);
    EXPECT_EQ(GetU16(cells, 27 + 3), 3) << "PtgNameX through this workbook's entry";
    EXPECT_EQ(GetU16(cells, 34 + 3), 2) << "PtgNameX of another workbook stays";
    EXPECT_EQ(GetU16(cells, 41 + 1), 9) << "a dangling index stays as it was";
    EXPECT_EQ(sheet[1].data[4 + 18 + 4 + 6], 0x3C) << "a button's removed macro name: PtgRefErr3d";
    EXPECT_EQ(GetU16(sheet[2].data, 4 + 18 + 4 + 6 + 3), 2) << "another workbook's macro stays";
}

TEST(SheetRemoval, ASheetInsertedBeforeOthersMovesTheirNamesAndReferences) {
    RecordList globals = Globals();
    InsertSheetReferences(globals, 1);
    const std::vector<Xti> expected = {
        {1, 0, 3},            // a range over the new position takes the new sheet in
        {1, 2, 2},            // sheets from the new position on move up
        {1, 3, 3},
        {1, 0xFFFE, 0xFFFE},  // the workbook itself stays
        {0, 1, 1},            // another workbook's sheets stay
        {1, 2, 4},
    };
    EXPECT_EQ(EntriesOf(globals), expected);
    std::vector<std::uint16_t> scopes;
    for (const Record& r : globals)
        if (r.type == rt::Name) scopes.push_back(GetU16(r.data, 8));
    EXPECT_EQ(scopes, (std::vector<std::uint16_t>{0, 3, 4, 1})) << "sheet numbers + 1; 0 is the workbook";
}

TEST(SheetRemoval, AFormulaItCannotReadLeavesEverythingAsItWas) {
    RecordList globals = Globals();
    RecordList sheet = {Formula(PtgName(0x23, 3)), Formula(Bytes{0x18, 0x05, 0x00, 0x00, 0x00, 0x00})};
    const RecordList globalsBefore = globals, sheetBefore = sheet;
    EXPECT_THROW(RemoveSheetReferences(globals, {&sheet}, 1), FormatError);
    EXPECT_EQ(globals, globalsBefore);
    EXPECT_EQ(sheet, sheetBefore);
    // A formula running past its record is refused the same way.
    RecordList cut = {Formula(PtgName(0x23, 3))};
    cut[0].data.resize(cut[0].data.size() - 2);
    EXPECT_THROW(RemoveSheetReferences(globals, {&cut}, 1), FormatError);
}

}  // namespace
}  // namespace kolumbra::sheet::biff
