#include "engine/sheet/biff/sst.h"

#include <algorithm>

#include "engine/sheet/biff/record_types.h"

namespace kolumbra::sheet::biff {

namespace {

constexpr std::uint8_t HighByte = 0x01;
constexpr std::uint8_t ExtStFlag = 0x04;
constexpr std::uint8_t RichFlag = 0x08;

// Reads across the boundaries of an SST and its CONTINUE records.
class ContinuedReader {
public:
    explicit ContinuedReader(const RecordList& records) : records_(records) {}

    bool AtEnd() {
        while (record_ < records_.size() && pos_ >= records_[record_].data.size()) Next();
        return record_ >= records_.size();
    }
    std::uint8_t Byte() {
        if (AtEnd()) throw FormatError("shared string table ends inside a string");
        return records_[record_].data[pos_++];
    }
    std::uint16_t U16() { return static_cast<std::uint16_t>(Byte() | (Byte() << 8)); }
    std::uint32_t U32() { return static_cast<std::uint32_t>(U16()) | (static_cast<std::uint32_t>(U16()) << 16); }
    Bytes Raw(std::size_t count) {
        Bytes out;
        out.reserve(std::min<std::size_t>(count, 1 << 16));
        while (out.size() < count) out.push_back(Byte());
        return out;
    }
    // Characters; a record boundary inside them starts with a new width flag.
    std::u16string Chars(std::size_t count, bool highByte) {
        std::u16string out;
        out.reserve(std::min<std::size_t>(count, 1 << 16));
        while (out.size() < count) {
            if (pos_ >= Current().size()) {
                Next();
                if (record_ >= records_.size()) throw FormatError("shared string table ends inside a string");
                highByte = (Byte() & HighByte) != 0;
                continue;
            }
            out.push_back(highByte ? static_cast<char16_t>(U16()) : static_cast<char16_t>(Byte()));
        }
        return out;
    }

private:
    const Bytes& Current() const { return records_[record_].data; }
    void Next() {
        ++record_;
        pos_ = 0;
    }
    const RecordList& records_;
    std::size_t record_ = 0;
    std::size_t pos_ = 0;
};

// Builds SST and CONTINUE bodies, splitting only where the format allows.
class SstWriter {
public:
    explicit SstWriter(SstLayout& layout) : layout_(layout) { layout_.records.push_back(Record{rt::Sst, {}}); }

    Bytes& Body() { return layout_.records.back().data; }
    std::size_t Room() { return rt::MaxRecordData - Body().size(); }
    void Continue() { layout_.records.push_back(Record{rt::Continue, {}}); }

    void String(const SstString& s, bool anchor) {
        const bool high = std::any_of(s.chars.begin(), s.chars.end(), [](char16_t c) { return c > 0xFF; });
        const std::size_t width = high ? 2 : 1;
        const std::size_t header = 3 + (s.runs.empty() ? 0 : 2) + (s.extRst.empty() ? 0 : 4);
        if (Room() < header + (s.chars.empty() ? 0 : width)) Continue();
        if (anchor) layout_.anchors.push_back({layout_.records.size() - 1, Body().size()});
        std::uint8_t flags = high ? HighByte : 0;
        if (!s.runs.empty()) flags |= RichFlag;
        if (!s.extRst.empty()) flags |= ExtStFlag;
        Writer w(Body());
        w.U16(static_cast<std::uint16_t>(s.chars.size())).U8(flags);
        if (!s.runs.empty()) w.U16(static_cast<std::uint16_t>(s.runs.size() / 4));
        if (!s.extRst.empty()) w.U32(static_cast<std::uint32_t>(s.extRst.size()));
        Characters(s.chars, high, width);
        for (std::size_t i = 0; i + 4 <= s.runs.size(); i += 4) {
            if (Room() < 4) Continue();
            Body().insert(Body().end(), s.runs.begin() + static_cast<std::ptrdiff_t>(i),
                          s.runs.begin() + static_cast<std::ptrdiff_t>(i + 4));
        }
        RawBytes(s.extRst);
    }

private:
    void Characters(const std::u16string& chars, bool high, std::size_t width) {
        std::size_t done = 0;
        while (done < chars.size()) {
            std::size_t fit = std::min(chars.size() - done, Room() / width);
            if (fit == 0) {
                Continue();
                Body().push_back(high ? HighByte : 0);
                continue;
            }
            Writer w(Body());
            for (std::size_t i = 0; i < fit; ++i) {
                if (high) {
                    w.U16(chars[done + i]);
                } else {
                    w.U8(static_cast<std::uint8_t>(chars[done + i]));
                }
            }
            done += fit;
        }
    }
    void RawBytes(const Bytes& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            if (Room() == 0) Continue();
            const std::size_t fit = std::min(bytes.size() - done, Room());
            Body().insert(Body().end(), bytes.begin() + static_cast<std::ptrdiff_t>(done),
                          bytes.begin() + static_cast<std::ptrdiff_t>(done + fit));
            done += fit;
        }
    }
    SstLayout& layout_;
};

}  // namespace

std::vector<SstString> ParseSst(const RecordList& sstAndContinues) {
    if (sstAndContinues.empty() || sstAndContinues.front().type != rt::Sst) throw FormatError("not an SST record");
    ContinuedReader reader(sstAndContinues);
    reader.U32();  // total references: recomputed when written
    const std::uint32_t unique = reader.U32();
    std::vector<SstString> strings;
    strings.reserve(std::min<std::uint32_t>(unique, 1 << 16));
    for (std::uint32_t i = 0; i < unique && !reader.AtEnd(); ++i) {
        SstString s;
        const std::uint16_t count = reader.U16();
        const std::uint8_t flags = reader.Byte();
        const std::uint16_t runs = (flags & RichFlag) ? reader.U16() : 0;
        const std::uint32_t ext = (flags & ExtStFlag) ? reader.U32() : 0;
        s.chars = reader.Chars(count, (flags & HighByte) != 0);
        s.runs = reader.Raw(std::size_t{runs} * 4);
        s.extRst = reader.Raw(ext);
        strings.push_back(std::move(s));
    }
    return strings;
}

SstLayout BuildSst(const std::vector<SstString>& strings, std::uint32_t totalRefs) {
    SstLayout layout;
    const std::size_t perBucket = (strings.size() + 127) / 128;
    layout.bucketSize = static_cast<std::uint16_t>(std::max<std::size_t>(8, perBucket));
    SstWriter writer(layout);
    Writer(writer.Body()).U32(totalRefs).U32(static_cast<std::uint32_t>(strings.size()));
    for (std::size_t i = 0; i < strings.size(); ++i) writer.String(strings[i], i % layout.bucketSize == 0);
    return layout;
}

Record BuildExtSst(const SstLayout& layout, std::size_t sstOffset) {
    std::vector<std::size_t> recordStart;
    std::size_t pos = sstOffset;
    for (const Record& record : layout.records) {
        recordStart.push_back(pos);
        pos += 4 + record.data.size();
    }
    Record extsst{rt::ExtSst, {}};
    Writer w(extsst.data);
    w.U16(layout.bucketSize);
    for (const SstLayout::Anchor& anchor : layout.anchors) {
        const std::size_t inRecord = 4 + anchor.offset;
        w.U32(static_cast<std::uint32_t>(recordStart[anchor.record] + inRecord))
            .U16(static_cast<std::uint16_t>(inRecord))
            .U16(0);
    }
    return extsst;
}

Record ShiftedExtSst(const Record& extSst, std::int64_t delta) {
    Record shifted = extSst;
    for (std::size_t pos = 2; pos + 8 <= shifted.data.size(); pos += 8)
        PutU32(shifted.data, pos, static_cast<std::uint32_t>(GetU32(shifted.data, pos) + delta));
    return shifted;
}

}  // namespace kolumbra::sheet::biff
