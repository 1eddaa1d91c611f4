// Updates that add to a compound file in place: applied as the disk takes
// them, each reads back as the new stream with every other part unchanged
// and frees what it replaced; cut before its header, the file is the old one.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "engine/sheet/biff/book_file.h"
#include "engine/sheet/biff/cfb_update.h"

namespace kolumbra::sheet::biff {
namespace {

Bytes Pattern(std::size_t size, unsigned seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>((i * 131 + seed) >> 3);
    return bytes;
}

// A workbook file with a mini-stream entry and a storage beside the stream.
BookFile SampleBook(const Bytes& workbook) {
    BookFile book;
    book.root.children = {
        CfbEntry{"\x05SummaryInformation", false, {}, Pattern(300, 7), {}},
        CfbEntry{"_VBA_PROJECT_CUR", true, {}, {}, {CfbEntry{"VBA", false, {}, Pattern(5000, 9), {}}}},
        CfbEntry{"Workbook", false, {}, workbook, {}},
    };
    book.workbookIndex = 2;
    return book;
}

// The container lists entries in its own order.
std::vector<CfbEntry> ByName(std::vector<CfbEntry> entries) {
    std::sort(entries.begin(), entries.end(), [](const CfbEntry& a, const CfbEntry& b) { return a.name < b.name; });
    return entries;
}

Bytes Applied(Bytes file, const CfbUpdate& update, bool header) {
    EXPECT_EQ(update.appendAt, file.size());
    file.insert(file.end(), update.appended.begin(), update.appended.end());
    if (header) std::copy(update.header.begin(), update.header.end(), file.begin());
    return file;
}

std::size_t ChainSectors(const CfbLayout& layout) {
    return layout.workbookChain.size() + layout.directoryChain.size() + layout.fatSectors.size() +
           layout.difatSectors.size();
}

struct Step {
    const char* what;
    std::function<void(Bytes& stream, ByteRanges& changed)> change;
    std::size_t mostNewStreamSectors;
};

TEST(CfbUpdate, EachUpdateReadsBackWholeAndCutBeforeItsHeaderAsTheOldVersion) {
    Bytes stream = Pattern(20000, 1);
    Bytes file = WriteBookFile(SampleBook(stream));
    std::optional<CfbLayout> layout = ReadLayout(file, u"Workbook");
    ASSERT_TRUE(layout);
    // Sectors of the mini-stream and the other streams, which no update touches.
    const std::size_t others = layout->UsedSectors() - ChainSectors(*layout);
    const Step steps[] = {
        {"one byte changed", [](Bytes& s, ByteRanges& r) { s[7000] ^= 1, r.push_back({7000, 7001}); }, 1},
        {"a page appended",
         [](Bytes& s, ByteRanges& r) {
             r.push_back({s.size(), s.size() + 9000});
             const Bytes page = Pattern(9000, 3);
             s.insert(s.end(), page.begin(), page.end());
         },
         19},
        {"cut inside a sector", [](Bytes& s, ByteRanges&) { s.resize(12000); }, 1},
        {"grown past the allocation table the header lists",
         [](Bytes& s, ByteRanges& r) {
             r.push_back({s.size(), 7'400'000});
             s.resize(7'400'000, 0x5A);
         },
         14'454},
        {"one byte changed behind a DIFAT", [](Bytes& s, ByteRanges& r) { s[100] ^= 1, r.push_back({100, 101}); }, 1},
        {"nothing changed", [](Bytes&, ByteRanges&) {}, 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const Bytes before = stream;
        ByteRanges changed;
        step.change(stream, changed);
        const std::optional<CfbUpdate> update = PlanUpdate(*layout, stream, changed);
        ASSERT_TRUE(update);
        EXPECT_LE(update->newStreamSectors, step.mostNewStreamSectors);
        EXPECT_EQ(ReadBookFile(Applied(file, *update, false)).Workbook(), before);
        file = Applied(file, *update, true);
        const BookFile read = ReadBookFile(file);
        EXPECT_EQ(ByName(read.root.children), ByName(SampleBook(stream).root.children));
        layout = ReadLayout(file, u"Workbook");
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->workbookChain, update->layout.workbookChain);
        EXPECT_EQ(layout->UsedSectors(), others + ChainSectors(*layout)) << "a replaced sector is still allocated";
    }
    EXPECT_FALSE(layout->difatSectors.empty());
}

TEST(CfbUpdate, StreamsTooShortForWholeSectorsAndOtherFilesAreLeftToWholeSaves) {
    const Bytes file = WriteBookFile(SampleBook(Pattern(5000, 1)));
    const std::optional<CfbLayout> layout = ReadLayout(file, u"Workbook");
    ASSERT_TRUE(layout);
    EXPECT_FALSE(PlanUpdate(*layout, Pattern(4095, 1), {{0, 4095}}));
    EXPECT_FALSE(ReadLayout(file, u"Book"));
    EXPECT_FALSE(ReadLayout(WriteBookFile(SampleBook(Pattern(4000, 1))), u"Workbook"));
    EXPECT_FALSE(ReadLayout(Bytes(file.begin(), file.end() - 1), u"Workbook"));
}

}  // namespace
}  // namespace kolumbra::sheet::biff
