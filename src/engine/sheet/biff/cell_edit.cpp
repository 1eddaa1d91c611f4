#include "engine/sheet/biff/cell_edit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <set>

#include "engine/sheet/biff/bytes.h"
#include "engine/sheet/biff/record_types.h"

namespace kolumbra::sheet::biff {

namespace {

constexpr std::uint16_t Formula = 0x0006;
constexpr std::uint16_t BoolErr = 0x0205;
constexpr std::uint16_t String = 0x0207;
constexpr std::uint16_t Array = 0x0221;
constexpr std::uint16_t Table = 0x0236;
constexpr std::uint16_t ShrFmla = 0x04BC;
constexpr std::uint16_t RString = 0x00D6;
constexpr std::size_t RowsPerBlock = 32;
constexpr std::size_t HeaderSize = 4;

bool IsCell(std::uint16_t type) {
    switch (type) {
    case rt::Blank: case rt::MulBlank: case rt::Number: case rt::Rk: case rt::MulRk: case rt::Label:
    case rt::LabelSst: case RString: case BoolErr: case Formula:
        return true;
    default:
        return false;
    }
}

// Records that belong to the cell before them.
bool BelongsToCell(std::uint16_t type) {
    return type == String || type == Array || type == Table || type == ShrFmla || type == rt::Continue;
}

bool InCellTable(std::uint16_t type) { return type == rt::Row || type == rt::DbCell || IsCell(type) || BelongsToCell(type); }

// One cell record (or a run of them in a MULRK or MULBLANK) with the
// records that belong to it.
struct CellItem {
    int first = 0, last = 0;
    RecordList records;
};

struct RowData {
    std::optional<Record> row;
    std::vector<CellItem> cells;
    bool touched = false;
};

std::size_t SizeOf(const Record& r) { return HeaderSize + r.data.size(); }

Record CellRecord(std::uint16_t type, int row, int column, std::uint16_t xf, const Bytes& value) {
    Bytes data;
    Writer(data).U16(static_cast<std::uint16_t>(row)).U16(static_cast<std::uint16_t>(column)).U16(xf).Raw(value);
    return Record{type, std::move(data)};
}

// The single cells of a MULRK or MULBLANK.
std::vector<CellItem> Singles(const CellItem& item) {
    const Record& r = item.records.front();
    const int row = GetU16(r.data, 0);
    std::vector<CellItem> singles;
    for (int c = item.first; c <= item.last; ++c) {
        const std::size_t i = static_cast<std::size_t>(c - item.first);
        if (r.type == rt::MulRk) {
            Bytes rk;
            Writer(rk).U32(GetU32(r.data, 4 + 6 * i + 2));
            singles.push_back({c, c, {CellRecord(rt::Rk, row, c, GetU16(r.data, 4 + 6 * i), rk)}});
        } else {
            singles.push_back({c, c, {CellRecord(rt::Blank, row, c, GetU16(r.data, 4 + 2 * i), {})}});
        }
    }
    return singles;
}

Record EditedRecord(const CellEdit& edit, std::uint16_t xf) {
    Bytes value;
    switch (edit.kind) {
    case CellEdit::Kind::Empty:
        return CellRecord(rt::Blank, edit.row, edit.column, xf, value);
    case CellEdit::Kind::Text:
        Writer(value).U32(edit.sstIndex);
        return CellRecord(rt::LabelSst, edit.row, edit.column, xf, value);
    case CellEdit::Kind::Number:
        break;
    }
    const double n = edit.number;
    if (n == std::floor(n) && n >= -(1 << 29) && n < (1 << 29)) {
        Writer(value).U32(static_cast<std::uint32_t>(static_cast<std::int32_t>(n)) << 2 | 0x02);
        return CellRecord(rt::Rk, edit.row, edit.column, xf, value);
    }
    Writer(value).F64(n);
    return CellRecord(rt::Number, edit.row, edit.column, xf, value);
}

class CellTable {
public:
    // Reads the records of [begin, end).
    CellTable(RecordList::const_iterator begin, RecordList::const_iterator end) {
        CellItem* last = nullptr;
        for (auto it = begin; it != end; ++it) {
            const Record& r = *it;
            if (r.type == rt::Row) {
                rows_[GetU16(r.data, 0)].row = r;
            } else if (IsCell(r.type)) {
                const int row = GetU16(r.data, 0), first = GetU16(r.data, 2);
                const bool run = r.type == rt::MulRk || r.type == rt::MulBlank;
                const int lastColumn = run ? GetU16(r.data, r.data.size() - 2) : first;
                const std::size_t width = r.type == rt::MulRk ? 6 : 2;
                if (run && (lastColumn < first || r.data.size() != 6 + width * static_cast<std::size_t>(lastColumn - first + 1)))
                    throw FormatError("malformed cell run");
                auto& cells = rows_[row].cells;
                cells.push_back({first, lastColumn, {r}});
                last = &cells.back();
            } else if (BelongsToCell(r.type)) {
                if (!last) throw FormatError("record without its cell");
                last->records.push_back(r);
            }
        }
    }

    void Apply(const CellEdit& edit, std::uint16_t newCellXf) {
        RowData& row = rows_[edit.row];
        row.touched = true;
        auto& cells = row.cells;
        auto at = std::find_if(cells.begin(), cells.end(), [&](const CellItem& i) { return edit.column >= i.first && edit.column <= i.last; });
        if (at != cells.end() && at->first != at->last) {
            std::vector<CellItem> singles = Singles(*at);
            at = cells.erase(at);
            at = cells.insert(at, singles.begin(), singles.end());
            at += edit.column - singles.front().first;
        }
        if (at != cells.end()) {
            const bool anchorsFormula = std::any_of(at->records.begin() + 1, at->records.end(), [](const Record& r) {
                return r.type == Array || r.type == Table || r.type == ShrFmla;
            });
            if (anchorsFormula) throw FormulaAnchorError("the cell anchors a shared or array formula");
            at->records = {EditedRecord(edit, GetU16(at->records.front().data, 4))};
            return;
        }
        if (edit.kind == CellEdit::Kind::Empty) return;
        const auto before = std::find_if(cells.begin(), cells.end(), [&](const CellItem& i) { return i.first > edit.column; });
        cells.insert(before, CellItem{edit.column, edit.column, {EditedRecord(edit, newCellXf)}});
    }

    // ROW records for rows that had none, and the columns each touched row spans.
    void CompleteRows(std::uint16_t defaultTwips) {
        for (auto it = rows_.begin(); it != rows_.end();) {
            RowData& data = it->second;
            if (!data.row && data.cells.empty()) {
                it = rows_.erase(it);
                continue;
            }
            if (!data.row) {
                Bytes body;
                Writer(body).U16(static_cast<std::uint16_t>(it->first)).U16(0).U16(0).U16(defaultTwips).U16(0).U16(0).U16(0x0100).U16(0x000F);
                data.row = Record{rt::Row, std::move(body)};
                data.touched = true;
            }
            if (data.touched && !data.cells.empty()) {
                PutU16(data.row->data, 2, static_cast<std::uint16_t>(data.cells.front().first));
                PutU16(data.row->data, 4, static_cast<std::uint16_t>(data.cells.back().last + 1));
            }
            ++it;
        }
    }

    std::size_t Blocks() const { return (rows_.size() + RowsPerBlock - 1) / RowsPerBlock; }
    bool Empty() const { return rows_.empty(); }
    int FirstRow() const { return rows_.begin()->first; }
    int LastRow() const { return rows_.rbegin()->first; }

    // The extent of the cells: first row, last row + 1, first column, last column + 1.
    std::optional<std::array<int, 4>> Extent() const {
        std::optional<std::array<int, 4>> extent;
        for (const auto& [row, data] : rows_) {
            if (data.cells.empty()) continue;
            const std::array<int, 4> e = {row, row + 1, data.cells.front().first, data.cells.back().last + 1};
            extent = extent ? std::array<int, 4>{std::min((*extent)[0], e[0]), e[1], std::min((*extent)[2], e[2]),
                                                 std::max((*extent)[3], e[3])}
                            : e;
        }
        return extent;
    }

    // Appends the blocks to `out`, whose records end at stream offset
    // `position`; returns the stream offsets of the DBCELL records.
    std::vector<std::size_t> Emit(RecordList& out, std::size_t position) const {
        std::vector<std::size_t> dbCells;
        auto it = rows_.begin();
        while (it != rows_.end()) {
            std::vector<const RowData*> block;
            for (; it != rows_.end() && block.size() < RowsPerBlock; ++it) block.push_back(&it->second);
            const std::size_t firstRow = position;
            for (const RowData* row : block) {
                out.push_back(*row->row);
                position += SizeOf(*row->row);
            }
            Bytes dbCell;
            Writer w(dbCell);
            w.U32(0);
            std::size_t previous = firstRow + SizeOf(*block.front()->row);
            for (const RowData* row : block) {
                w.U16(static_cast<std::uint16_t>(position - previous));
                previous = position;
                for (const CellItem& item : row->cells) {
                    for (const Record& r : item.records) {
                        out.push_back(r);
                        position += SizeOf(r);
                    }
                }
            }
            PutU32(dbCell, 0, static_cast<std::uint32_t>(position - firstRow));
            dbCells.push_back(position);
            out.push_back(Record{rt::DbCell, std::move(dbCell)});
            position += SizeOf(out.back());
        }
        return dbCells;
    }

private:
    std::map<int, RowData> rows_;
};

std::uint16_t DefaultRowTwips(const RecordList& sheet) {
    for (const Record& r : sheet) {
        if (r.type == rt::DefaultRowHeight && r.data.size() >= 4) return GetU16(r.data, 2);
    }
    return 255;
}

}  // namespace

void EditCells(RecordList& sheet, std::size_t base, const std::vector<CellEdit>& edits, std::uint16_t newCellXf) {
    if (edits.empty()) return;
    auto find = [&](std::uint16_t type) {
        return std::find_if(sheet.begin(), sheet.end(), [type](const Record& r) { return r.type == type; });
    };
    // The cell table: the one run of its records, else the place after
    // DIMENSIONS where it goes.
    auto begin = std::find_if(sheet.begin() + 1, sheet.end(), [](const Record& r) { return r.type == rt::Row || IsCell(r.type); });
    if (begin == sheet.end()) {
        begin = find(rt::Dimensions);
        if (begin == sheet.end()) throw FormatError("no DIMENSIONS record");
        ++begin;
    }
    const auto end = std::find_if(begin, sheet.end(), [](const Record& r) { return !InCellTable(r.type); });
    if (std::any_of(end, sheet.end(), [](const Record& r) { return r.type == rt::Row || IsCell(r.type); }))
        throw FormatError("cell records outside the cell table");

    CellTable table(begin, end);
    for (const CellEdit& edit : edits) table.Apply(edit, newCellXf);
    table.CompleteRows(DefaultRowTwips(sheet));

    RecordList out(sheet.begin(), begin);
    RecordList suffix(end, sheet.end());
    const auto isIndex = [](const Record& r) { return r.type == rt::Index; };
    auto index = std::find_if(out.begin(), out.end(), isIndex);
    const bool hasIndex = index != out.end();
    if (hasIndex) {
        RequireSize(index->data, 0, 16);
        index->data.resize(16 + 4 * table.Blocks());
    }
    std::size_t position = base;
    for (const Record& r : out) position += SizeOf(r);
    const std::vector<std::size_t> dbCells = table.Emit(out, position);

    if (auto dims = std::find_if(out.begin(), out.end(), [](const Record& r) { return r.type == rt::Dimensions; });
        dims != out.end() && dims->data.size() >= 12) {
        if (const auto extent = table.Extent()) {
            const bool empty = GetU32(dims->data, 4) == 0;
            PutU32(dims->data, 0, static_cast<std::uint32_t>(empty ? (*extent)[0] : std::min<int>((*extent)[0], GetU32(dims->data, 0))));
            PutU32(dims->data, 4, static_cast<std::uint32_t>(std::max<int>((*extent)[1], GetU32(dims->data, 4))));
            PutU16(dims->data, 8, static_cast<std::uint16_t>(empty ? (*extent)[2] : std::min<int>((*extent)[2], GetU16(dims->data, 8))));
            PutU16(dims->data, 10, static_cast<std::uint16_t>(std::max<int>((*extent)[3], GetU16(dims->data, 10))));
        }
    }
    out.insert(out.end(), suffix.begin(), suffix.end());

    if (hasIndex) {
        Bytes& body = std::find_if(out.begin(), out.end(), isIndex)->data;
        PutU32(body, 4, table.Empty() ? 0 : static_cast<std::uint32_t>(table.FirstRow()));
        PutU32(body, 8, table.Empty() ? 0 : static_cast<std::uint32_t>(table.LastRow() + 1));
        std::size_t at = base;
        for (const Record& r : out) {
            if (r.type == rt::DefColWidth) PutU32(body, 12, static_cast<std::uint32_t>(at));
            at += SizeOf(r);
        }
        for (std::size_t b = 0; b < dbCells.size(); ++b) PutU32(body, 16 + 4 * b, static_cast<std::uint32_t>(dbCells[b]));
    }
    sheet = std::move(out);
}

}  // namespace kolumbra::sheet::biff
