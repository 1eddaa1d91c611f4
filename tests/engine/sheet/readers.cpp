#include "readers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "engine/sheet/biff/book_file.h"
#include "engine/sheet/biff/record_types.h"
#include "engine/sheet/biff/sst.h"
#include "engine/sheet/biff/stream.h"
#include "temp_dir.h"

namespace kolumbra::sheet::testing {

namespace {

namespace rt = biff::rt;
using biff::GetU16;
using biff::GetU32;

std::vector<std::vector<std::string>> Lines(const std::string& text) {
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            fields.push_back(line.substr(start, tab - start));
        fields.push_back(line.substr(start));
        lines.push_back(std::move(fields));
    }
    return lines;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

struct At {
    std::size_t offset;
    biff::Record record;
};

// Every record of the stream up to its last EOF, with its offset.
std::vector<At> AllRecords(const biff::Bytes& stream, std::size_t end) {
    std::vector<At> records;
    for (std::size_t pos = 0; pos + 4 <= end;) {
        const std::uint16_t type = GetU16(stream, pos), size = GetU16(stream, pos + 2);
        records.push_back(At{pos, biff::Record{type, biff::Bytes(stream.begin() + static_cast<long>(pos + 4),
                                                                 stream.begin() + static_cast<long>(pos + 4 + size))}});
        pos += 4 + size;
    }
    return records;
}

void ExpectSoundSheet(const std::vector<At>& all, const std::map<std::size_t, std::size_t>& byOffset,
                      std::size_t first, std::size_t xfCount, const std::vector<bool>& styleXf) {
    const auto typeAt = [&](std::size_t offset) -> int {
        const auto found = byOffset.find(offset);
        return found == byOffset.end() ? -1 : all[found->second].record.type;
    };
    std::size_t windows = 0;
    std::vector<std::array<int, 4>> merges;
    int lastRow = -1, lastColumn = -1;
    for (std::size_t i = first; i < all.size(); ++i) {
        const biff::Record& r = all[i].record;
        const auto& d = r.data;
        if (r.type == rt::Eof) break;
        switch (r.type) {
        case rt::Index:
            EXPECT_EQ(typeAt(GetU32(d, 12)), rt::DefColWidth);
            for (std::size_t p = 16; p + 4 <= d.size(); p += 4) {
                const std::size_t dbcell = GetU32(d, p);
                ASSERT_EQ(typeAt(dbcell), rt::DbCell) << dbcell;
                const biff::Bytes& db = all[byOffset.at(dbcell)].record.data;
                const std::size_t firstRow = dbcell - GetU32(db, 0);
                EXPECT_EQ(typeAt(firstRow), rt::Row);
                std::size_t cellPos = firstRow + 20;
                for (std::size_t q = 4; q + 2 <= db.size(); q += 2) {
                    cellPos += GetU16(db, q);
                    const int type = typeAt(cellPos);
                    // Cells of every kind other applications write, too.
                    EXPECT_TRUE(type == rt::LabelSst || type == rt::Rk || type == rt::Number || type == rt::Blank ||
                                type == rt::MulBlank || type == rt::DbCell || type == rt::Row || type == rt::MulRk ||
                                type == rt::Label || type == 0x0006 || type == 0x0205 || type == 0x00D6)
                        << "DBCELL entry points at " << type;
                }
            }
            break;
        case rt::Row:
            EXPECT_EQ(d.size(), 16u);
            break;
        case rt::ColInfo:
            EXPECT_EQ(d.size(), 12u);
            break;
        case rt::Window2:
            EXPECT_EQ(d.size(), 18u);
            ++windows;
            break;
        case rt::MergedCells:
            EXPECT_LE(GetU16(d, 0), 1026);
            EXPECT_EQ(d.size(), 2u + 8u * GetU16(d, 0));
            for (std::size_t p = 2; p + 8 <= d.size(); p += 8)
                merges.push_back({GetU16(d, p), GetU16(d, p + 2), GetU16(d, p + 4), GetU16(d, p + 6)});
            break;
        case rt::LabelSst:
        case rt::Rk:
        case rt::Number:
        case rt::Blank:
        case rt::MulBlank: {
            const int row = GetU16(d, 0), column = GetU16(d, 2);
            EXPECT_TRUE(row > lastRow || (row == lastRow && column > lastColumn)) << "cells out of order";
            lastRow = row;
            lastColumn = r.type == rt::MulBlank ? GetU16(d, d.size() - 2) : column;
            const std::size_t xfEnd = r.type == rt::MulBlank ? d.size() - 2 : 6;
            for (std::size_t p = 4; p < xfEnd; p += 2) {
                const std::uint16_t xf = GetU16(d, p);
                EXPECT_LT(xf, xfCount);
                if (xf < xfCount) {
                    EXPECT_FALSE(styleXf[xf]) << "cell points at a style XF";
                }
            }
            break;
        }
        default:
            break;
        }
    }
    EXPECT_EQ(windows, 1u);
    for (std::size_t a = 0; a < merges.size(); ++a) {
        EXPECT_FALSE(merges[a][0] == merges[a][1] && merges[a][2] == merges[a][3]) << "one-cell merge";
        for (std::size_t b = a + 1; b < merges.size(); ++b) {
            const bool overlap = merges[a][0] <= merges[b][1] && merges[b][0] <= merges[a][1] &&
                                 merges[a][2] <= merges[b][3] && merges[b][2] <= merges[a][3];
            EXPECT_FALSE(overlap) << "overlapping merges";
        }
    }
}

}  // namespace

std::string RunCommand(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot run " << command;
        return out;
    }
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    const int status = ::pclose(pipe);
    EXPECT_EQ(status, 0) << command;
    return out;
}

XlrdCell XlrdBook::Cell(int sheet, const std::string& a1) const {
    const auto found = cells.find({sheet, a1});
    return found == cells.end() ? XlrdCell{} : found->second;
}

XlrdBook ReadWithXlrd(const std::string& path) {
    XlrdBook book;
    const std::string script = KOLUMBRA_SOURCE_DIR "/tests/engine/sheet/xls_check.py";
    for (const auto& f : Lines(RunCommand("/usr/bin/python3 " + Quoted(script) + " " + Quoted(path)))) {
        if (f[0] == "font0") {
            book.font0 = f.at(1);
            book.font0Twips = std::stoi(f.at(2));
        } else if (f[0] == "sheet") {
            book.sheets.push_back(f.at(2));
        } else if (f[0] == "width") {
            book.widths[{std::stoi(f[1]), std::stoi(f[2])}] = std::stoi(f.at(3));
        } else if (f[0] == "height") {
            book.heights[{std::stoi(f[1]), std::stoi(f[2])}] = std::stoi(f.at(3));
        } else if (f[0] == "merge") {
            book.merges[std::stoi(f[1])].push_back({std::stoi(f[2]), std::stoi(f[3]), std::stoi(f[4]), std::stoi(f.at(5))});
        } else if (f[0] == "cell") {
            XlrdCell c{f.at(3), f.at(4),           std::stoi(f.at(5)),  std::stoi(f.at(6)),
                       std::stoi(f.at(7)),  std::stoi(f.at(8)),  std::stoi(f.at(9)),  std::stoi(f.at(10)),
                       std::stoi(f.at(11)), std::stoi(f.at(12)), std::stoi(f.at(13)), std::stoi(f.at(14)),
                       std::stoi(f.at(15))};
            book.cells[{std::stoi(f[1]), f[2]}] = c;
        }
    }
    return book;
}

LibreOfficeBook ReadWithLibreOffice(const std::string& path, const std::string& workdir) {
    LibreOfficeBook book;
    const std::string script = KOLUMBRA_SOURCE_DIR "/tests/engine/sheet/lo_check.py";
    for (const auto& f : Lines(RunCommand("/usr/bin/python3 " + Quoted(script) + " " + Quoted(path) + " " + Quoted(workdir)))) {
        if (f[0] == "sheet") {
            book.sheets.push_back(f.at(2));
        } else if (f[0] == "value") {
            book.values[{std::stoi(f[1]), f.at(2)}] = f.size() > 3 ? f[3] : "";
        } else if (f[0] == "merge") {
            book.merges[std::stoi(f[1])].insert(f.at(2));
        } else if (f[0] == "formula") {
            book.formulas[{std::stoi(f[1]), f.at(2)}] = f.size() > 3 ? f[3] : "";
        } else if (f[0] == "warning") {
            book.warnings.push_back(f.size() > 1 ? f[1] : "");
        } else if (f[0] == "margins") {
            book.margins[std::stoi(f[1])] = {std::stod(f.at(2)), std::stod(f.at(3)), std::stod(f.at(4)),
                                             std::stod(f.at(5))};
        }
    }
    return book;
}

biff::Bytes WorkbookStreamOf(const std::string& path) {
    const std::string raw = kolumbra::testing::ReadBytes(path);
    return biff::ReadBookFile(biff::Bytes(raw.begin(), raw.end())).Workbook();
}

void ExpectSoundStream(const biff::Bytes& stream) {
    const biff::RecordList globals = biff::ReadSubstream(stream, 0);
    std::vector<std::size_t> sheetOffsets;
    std::size_t xfCount = 0;
    std::vector<bool> styleXf;
    std::size_t fonts = 0;
    for (const biff::Record& r : globals) {
        EXPECT_LE(r.data.size(), rt::MaxRecordData);
        if (r.type == rt::BoundSheet) sheetOffsets.push_back(GetU32(r.data, 0));
        if (r.type == rt::Font) ++fonts;
        if (r.type == rt::Xf) {
            ++xfCount;
            styleXf.push_back((GetU16(r.data, 4) & 0x0004) != 0);
        }
    }
    EXPECT_GE(fonts, 5u);
    EXPECT_GE(xfCount, 21u);
    EXPECT_LE(xfCount, 4050u);
    std::size_t end = biff::StreamSize(globals);
    for (std::size_t offset : sheetOffsets) end = std::max(end, offset + biff::StreamSize(biff::ReadSubstream(stream, offset)));
    EXPECT_GE(stream.size(), 4096u);
    const std::vector<At> all = AllRecords(stream, end);
    std::map<std::size_t, std::size_t> byOffset;
    for (std::size_t i = 0; i < all.size(); ++i) byOffset[all[i].offset] = i;
    for (const At& at : all) EXPECT_LE(at.record.data.size(), rt::MaxRecordData);
    for (std::size_t offset : sheetOffsets) {
        ASSERT_TRUE(byOffset.count(offset)) << "BOUNDSHEET points between records";
        const biff::Record& bof = all[byOffset[offset]].record;
        ASSERT_EQ(bof.type, rt::Bof);
        EXPECT_EQ(bof.data.size(), 16u);
        EXPECT_EQ(GetU16(bof.data, 2), rt::BofWorksheet);
        ExpectSoundSheet(all, byOffset, byOffset[offset], xfCount, styleXf);
    }
    // EXTSST: every entry points at a string header inside the SST.
    biff::RecordList sst;
    std::size_t sstStart = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].record.type != rt::Sst) continue;
        sstStart = all[i].offset;
        sst.push_back(all[i].record);
        for (std::size_t j = i + 1; all[j].record.type == rt::Continue; ++j) sst.push_back(all[j].record);
        const biff::Record& extsst = all[i + sst.size()].record;
        ASSERT_EQ(extsst.type, rt::ExtSst);
        const std::uint16_t bucket = GetU16(extsst.data, 0);
        const auto strings = biff::ParseSst(sst);
        EXPECT_EQ(GetU32(sst.front().data, 4), strings.size());
        const std::size_t buckets = (extsst.data.size() - 2) / 8;
        EXPECT_EQ(buckets, (strings.size() + bucket - 1) / bucket);
        for (std::size_t k = 0; k < buckets; ++k) {
            const std::size_t ib = GetU32(extsst.data, 2 + 8 * k), inRecord = GetU16(extsst.data, 6 + 8 * k);
            ASSERT_TRUE(byOffset.count(ib - inRecord)) << "EXTSST entry " << k;
            const int type = all[byOffset[ib - inRecord]].record.type;
            EXPECT_TRUE(type == rt::Sst || type == rt::Continue);
            EXPECT_EQ(GetU16(stream, ib), strings[k * bucket].chars.size()) << "EXTSST entry " << k;
        }
        break;
    }
    EXPECT_NE(sstStart, 0u) << "no SST";
}

}  // namespace kolumbra::sheet::testing
