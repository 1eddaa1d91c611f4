#include "engine/sheet/biff/sheet_writer.h"

#include <cmath>

#include "common/text.h"
#include "engine/sheet/biff/record_types.h"
#include "engine/sheet/biff/sheet_records.h"
#include "engine/sheet/biff/stream.h"

namespace kolumbra::sheet::biff {

namespace {

constexpr std::uint16_t DefaultXf = 15;
constexpr std::size_t RowsPerBlock = 32;
constexpr std::size_t MergesPerRecord = 1026;
constexpr std::size_t RowRecordSize = 4 + 16;

struct CellOut {
    int column;
    const Cell* cell;
    std::uint16_t xf;
};

struct RowOut {
    int row;
    const RowInfo* info;
    std::vector<CellOut> cells;
};

// Appends records while keeping track of the substream offset.
class Sink {
public:
    std::size_t Pos() const { return pos_; }
    RecordList& Records() { return records_; }
    void Add(std::uint16_t type, Bytes data = {}) {
        pos_ += 4 + data.size();
        records_.push_back(Record{type, std::move(data)});
    }
    void U16(std::uint16_t type, std::uint16_t value) {
        Bytes data;
        Writer(data).U16(value);
        Add(type, std::move(data));
    }
    void F64(std::uint16_t type, double value) {
        Bytes data;
        Writer(data).F64(value);
        Add(type, std::move(data));
    }

private:
    RecordList records_;
    std::size_t pos_ = 0;
};

bool IsRk(double value, std::uint32_t& rk) {
    if (value != std::floor(value) || value < -(1 << 29) || value >= (1 << 29)) return false;
    rk = static_cast<std::uint32_t>(static_cast<std::int32_t>(value)) << 2 | 0x02;
    return true;
}

std::vector<RowOut> CollectRows(const SheetModel& model, SheetWriteContext& context, std::uint32_t& stringRefs) {
    std::vector<RowOut> rows;
    const CellFormat plain;
    for (std::size_t r = 0; r < model.Rows().size(); ++r) {
        const RowInfo& info = model.Rows()[r];
        RowOut out{static_cast<int>(r), &info, {}};
        for (std::size_t c = 0; c < info.cells.size(); ++c) {
            const Cell& cell = info.cells[c];
            if (cell.kind == Cell::Kind::Empty && cell.format == plain) continue;
            const std::uint16_t xf = cell.format == plain ? DefaultXf : context.globals.InternXf(cell.format);
            out.cells.push_back(CellOut{static_cast<int>(c), &cell, xf});
            if (cell.kind == Cell::Kind::Text) ++stringRefs;
        }
        if (!out.cells.empty() || info.heightPoints) rows.push_back(std::move(out));
    }
    return rows;
}

void WriteRowRecord(Sink& sink, const RowOut& row, std::uint16_t defaultTwips) {
    std::uint16_t twips = defaultTwips;
    std::uint16_t flags = 0x0100;
    if (row.info->heightPoints) {
        flags |= 0x40;  // custom height
        if (*row.info->heightPoints == 0) {
            flags |= 0x20;  // hidden
        } else {
            twips = static_cast<std::uint16_t>(std::lround(*row.info->heightPoints * 20));
        }
    }
    const std::uint16_t first = row.cells.empty() ? 0 : static_cast<std::uint16_t>(row.cells.front().column);
    const std::uint16_t last = row.cells.empty() ? 0 : static_cast<std::uint16_t>(row.cells.back().column + 1);
    Bytes data;
    Writer(data).U16(static_cast<std::uint16_t>(row.row)).U16(first).U16(last).U16(twips).U16(0).U16(0).U16(flags).U16(
        DefaultXf);
    sink.Add(rt::Row, std::move(data));
}

void WriteCells(Sink& sink, const RowOut& row, const SheetModel& model, Globals& globals) {
    const auto r = static_cast<std::uint16_t>(row.row);
    for (std::size_t i = 0; i < row.cells.size();) {
        const CellOut& out = row.cells[i];
        const auto c = static_cast<std::uint16_t>(out.column);
        Bytes data;
        Writer w(data);
        w.U16(r).U16(c);
        if (out.cell->kind == Cell::Kind::Text) {
            w.U16(out.xf).U32(globals.InternString(text::ToUtf16(model.Text(out.cell->text))));
            sink.Add(rt::LabelSst, std::move(data));
        } else if (out.cell->kind == Cell::Kind::Number) {
            std::uint32_t rk = 0;
            if (IsRk(out.cell->number, rk)) {
                w.U16(out.xf).U32(rk);
                sink.Add(rt::Rk, std::move(data));
            } else {
                w.U16(out.xf).F64(out.cell->number);
                sink.Add(rt::Number, std::move(data));
            }
        } else {
            // A run of formatted empty cells goes into one MULBLANK.
            std::size_t end = i + 1;
            while (end < row.cells.size() && row.cells[end].cell->kind == Cell::Kind::Empty &&
                   row.cells[end].column == row.cells[end - 1].column + 1)
                ++end;
            if (end - i == 1) {
                w.U16(out.xf);
                sink.Add(rt::Blank, std::move(data));
            } else {
                for (std::size_t k = i; k < end; ++k) w.U16(row.cells[k].xf);
                w.U16(static_cast<std::uint16_t>(row.cells[end - 1].column));
                sink.Add(rt::MulBlank, std::move(data));
            }
            i = end;
            continue;
        }
        ++i;
    }
}

void WritePageSetup(Sink& sink, const PageSettings& page) {
    sink.Add(rt::Header);
    sink.Add(rt::Footer);
    sink.U16(rt::HCenter, 0);
    sink.U16(rt::VCenter, 0);
    sink.F64(rt::LeftMargin, page.left);
    sink.F64(rt::RightMargin, page.right);
    sink.F64(rt::TopMargin, page.top);
    sink.F64(rt::BottomMargin, page.bottom);
    Bytes setup;
    Writer(setup)
        .U16(page.paper)
        .U16(page.scale)
        .U16(1)  // first page number
        .U16(page.fitWide)
        .U16(page.fitTall)
        .U16(page.portrait ? 0x0002 : 0x0000)
        .U16(600)
        .U16(600)
        .F64(page.header)
        .F64(page.footer)
        .U16(1);
    sink.Add(rt::Setup, std::move(setup));
}

void WriteColumns(Sink& sink, const SheetModel& model, int maxDigitWidth) {
    for (int c = 0; c < MaxColumns;) {
        const std::optional<double> width = model.ColumnWidth(c);
        int last = c;
        while (last + 1 < MaxColumns && model.ColumnWidth(last + 1) == width) ++last;
        if (width) {
            Bytes data;
            Writer(data)
                .U16(static_cast<std::uint16_t>(c))
                .U16(static_cast<std::uint16_t>(last))
                .U16(ColumnWidthUnits(*width, maxDigitWidth))
                .U16(DefaultXf)
                .U16(*width == 0 ? 0x0003 : 0x0002)  // user-set, hidden when 0
                .U16(0);
            sink.Add(rt::ColInfo, std::move(data));
        }
        c = last + 1;
    }
}

Bytes DimensionsBody(const std::vector<RowOut>& rows) {
    std::uint32_t firstRow = 0, lastRow = 0;
    std::uint16_t firstCol = 0, lastCol = 0;
    bool any = false;
    for (const RowOut& row : rows) {
        if (row.cells.empty()) continue;
        const auto r = static_cast<std::uint32_t>(row.row);
        const auto c1 = static_cast<std::uint16_t>(row.cells.front().column);
        const auto c2 = static_cast<std::uint16_t>(row.cells.back().column + 1);
        if (!any) {
            firstRow = r;
            firstCol = c1;
            lastCol = c2;
            any = true;
        }
        lastRow = r + 1;
        firstCol = std::min(firstCol, c1);
        lastCol = std::max(lastCol, c2);
    }
    Bytes data;
    Writer(data).U32(firstRow).U32(lastRow).U16(firstCol).U16(lastCol).U16(0);
    return data;
}

void WriteMerges(Sink& sink, const std::vector<Rect>& merges) {
    for (std::size_t first = 0; first < merges.size(); first += MergesPerRecord) {
        const std::size_t count = std::min(MergesPerRecord, merges.size() - first);
        Bytes data;
        Writer w(data);
        w.U16(static_cast<std::uint16_t>(count));
        for (std::size_t i = first; i < first + count; ++i) {
            const Rect& m = merges[i];
            w.U16(static_cast<std::uint16_t>(m.r1))
                .U16(static_cast<std::uint16_t>(m.r2))
                .U16(static_cast<std::uint16_t>(m.c1))
                .U16(static_cast<std::uint16_t>(m.c2));
        }
        sink.Add(rt::MergedCells, std::move(data));
    }
}

}  // namespace

std::uint16_t ColumnWidthUnits(double characters, int maxDigitWidth) {
    if (characters <= 0) return 0;
    const double pixels = std::round(characters * maxDigitWidth) + 5;
    return static_cast<std::uint16_t>(std::min(65535.0, std::floor(pixels / maxDigitWidth * 256)));
}

WrittenSheet WriteSheet(const SheetModel& model, SheetWriteContext& context) {
    WrittenSheet written;
    const std::vector<RowOut> rows = CollectRows(model, context, written.stringRefs);
    const std::size_t blocks = (rows.size() + RowsPerBlock - 1) / RowsPerBlock;

    Sink sink;
    sink.Add(rt::Bof, BofBody(rt::BofWorksheet));
    const std::size_t indexRecord = sink.Records().size();
    sink.Add(rt::Index, Bytes(16 + 4 * blocks, 0));
    sink.U16(rt::CalcMode, 1);
    sink.U16(rt::CalcCount, 100);
    sink.U16(rt::RefMode, 1);
    sink.U16(rt::Iteration, 0);
    sink.F64(rt::Delta, 0.001);
    sink.U16(rt::SaveRecalc, 1);
    sink.U16(rt::PrintHeaders, 0);
    sink.U16(rt::PrintGridlines, 0);
    sink.U16(rt::GridSet, 1);
    sink.Add(rt::Guts, Bytes(8, 0));
    Bytes rowHeight;
    Writer(rowHeight).U16(0).U16(context.defaultRowTwips);
    sink.Add(rt::DefaultRowHeight, std::move(rowHeight));
    sink.U16(rt::WsBool, static_cast<std::uint16_t>(0x04C1 | (model.Page().fitToPage ? 0x0100 : 0)));
    WritePageSetup(sink, model.Page());
    const std::size_t defColWidthPos = sink.Pos();
    sink.U16(rt::DefColWidth, 8);
    WriteColumns(sink, model, context.maxDigitWidth);
    sink.Add(rt::Dimensions, DimensionsBody(rows));

    std::vector<std::size_t> dbCells;
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::size_t first = b * RowsPerBlock;
        const std::size_t end = std::min(rows.size(), first + RowsPerBlock);
        const std::size_t firstRowPos = sink.Pos();
        for (std::size_t i = first; i < end; ++i) WriteRowRecord(sink, rows[i], context.defaultRowTwips);
        Bytes dbcell;
        Writer w(dbcell);
        w.U32(0);  // patched below
        std::size_t previous = firstRowPos + RowRecordSize;
        for (std::size_t i = first; i < end; ++i) {
            w.U16(static_cast<std::uint16_t>(sink.Pos() - previous));
            previous = sink.Pos();
            WriteCells(sink, rows[i], model, context.globals);
        }
        PutU32(dbcell, 0, static_cast<std::uint32_t>(sink.Pos() - firstRowPos));
        dbCells.push_back(sink.Pos());
        sink.Add(rt::DbCell, std::move(dbcell));
    }

    Bytes window;
    Writer(window)
        .U16(context.active ? 0x06B6 : 0x00B6)
        .U16(0)
        .U16(0)
        .U16(AutomaticColour)
        .U16(0)
        .U16(0)
        .U16(0)
        .U32(0);
    sink.Add(rt::Window2, std::move(window));
    sink.Add(rt::Selection, SelectionBody(context.selection));
    WriteMerges(sink, model.Merges());
    Bytes phonetic;
    Writer(phonetic).U16(context.phoneticFont).U16(0x0037).U16(0);
    sink.Add(rt::PhoneticInfo, std::move(phonetic));
    sink.Add(rt::Eof);

    Bytes& index = sink.Records()[indexRecord].data;
    PutU32(index, 4, rows.empty() ? 0 : static_cast<std::uint32_t>(rows.front().row));
    PutU32(index, 8, rows.empty() ? 0 : static_cast<std::uint32_t>(rows.back().row + 1));
    PutU32(index, 12, static_cast<std::uint32_t>(defColWidthPos));
    for (std::size_t b = 0; b < blocks; ++b) PutU32(index, 16 + 4 * b, static_cast<std::uint32_t>(dbCells[b]));
    written.records = std::move(sink.Records());
    return written;
}

}  // namespace kolumbra::sheet::biff
