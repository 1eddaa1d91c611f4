#include "engine/sheet/biff/sheet_reader.h"

#include <cmath>
#include <set>

#include "common/text.h"
#include "engine/sheet/biff/record_types.h"
#include "engine/sheet/biff/sheet_records.h"

namespace kolumbra::sheet::biff {

namespace {

// Records that carry nothing beyond what the sheet writer derives itself.
const std::set<std::uint16_t> Derived = {rt::Bof,        rt::Index,          rt::CalcMode,       rt::CalcCount,
                                         rt::RefMode,    rt::Iteration,      rt::Delta,          rt::SaveRecalc,
                                         rt::PrintHeaders, rt::PrintGridlines, rt::GridSet,      rt::Guts,
                                         rt::DefaultRowHeight, rt::HCenter,  rt::VCenter,        rt::DefColWidth,
                                         rt::Dimensions, rt::DbCell,         rt::Window2,        rt::Selection,
                                         rt::PhoneticInfo, rt::Eof};

class Reader {
public:
    Reader(const Globals& globals, int maxDigitWidth) : globals_(globals), mdw_(maxDigitWidth) {}

    // False when the record is one the model cannot hold.
    bool Take(const Record& r) {
        const Bytes& d = r.data;
        switch (r.type) {
        case rt::Header:
        case rt::Footer:
            return d.empty();
        case rt::WsBool:
            model_->Page().fitToPage = (GetU16(d, 0) & 0x0100) != 0;
            return true;
        case rt::LeftMargin:
            model_->Page().left = GetF64(d, 0);
            return true;
        case rt::RightMargin:
            model_->Page().right = GetF64(d, 0);
            return true;
        case rt::TopMargin:
            model_->Page().top = GetF64(d, 0);
            return true;
        case rt::BottomMargin:
            model_->Page().bottom = GetF64(d, 0);
            return true;
        case rt::Setup:
            return TakeSetup(d);
        case rt::ColInfo:
            return TakeColumns(d);
        case rt::Row:
            TakeRow(d);
            return true;
        case rt::LabelSst:
            return TakeText(d);
        case rt::Rk:
        case rt::Number:
            return TakeNumber(r);
        case rt::Blank:
            return Format(GetU16(d, 0), GetU16(d, 2), GetU16(d, 4));
        case rt::MulBlank:
            return TakeBlanks(d);
        case rt::MergedCells:
            for (std::size_t p = 2; p + 8 <= d.size(); p += 8)
                model_->Merge(Rect{GetU16(d, p), GetU16(d, p + 4), GetU16(d, p + 2), GetU16(d, p + 6)});
            return true;
        default:
            return Derived.count(r.type) != 0;
        }
    }

    std::unique_ptr<SheetModel> Result() { return std::move(model_); }

private:
    bool TakeSetup(const Bytes& d) {
        PageSettings& page = model_->Page();
        page.paper = GetU16(d, 0);
        page.scale = GetU16(d, 2);
        page.fitWide = GetU16(d, 6);
        page.fitTall = GetU16(d, 8);
        page.portrait = (GetU16(d, 10) & 0x0002) != 0;
        page.header = GetF64(d, 16);
        page.footer = GetF64(d, 24);
        return true;
    }

    bool TakeColumns(const Bytes& d) {
        const int first = GetU16(d, 0), last = GetU16(d, 2);
        if (last >= MaxColumns || first > last) return false;
        // The inverse of the stored width: whole pixels, padding removed.
        const int pixels = static_cast<int>(std::ceil(GetU16(d, 4) * static_cast<double>(mdw_) / 256));
        const double characters = (GetU16(d, 8) & 0x0001) ? 0 : std::max(0, pixels - 5) / static_cast<double>(mdw_);
        for (int c = first; c <= last; ++c) model_->SetColumnWidth(c, characters);
        return true;
    }

    void TakeRow(const Bytes& d) {
        const std::uint16_t flags = GetU16(d, 12);
        if (flags & 0x40) model_->TouchRow(GetU16(d, 0)).heightPoints = (flags & 0x20) ? 0 : GetU16(d, 6) / 20.0;
    }

    bool TakeText(const Bytes& d) {
        const std::uint32_t index = GetU32(d, 6);
        if (index >= globals_.Strings().size() || !Format(GetU16(d, 0), GetU16(d, 2), GetU16(d, 4))) return false;
        model_->SetText(GetU16(d, 0), GetU16(d, 2), text::FromUtf16(globals_.Strings()[index].chars));
        return true;
    }

    bool TakeNumber(const Record& r) {
        const Bytes& d = r.data;
        const auto value = FindStoredValue(RecordList{r}, GetU16(d, 0), GetU16(d, 2));
        if (!value || !Format(GetU16(d, 0), GetU16(d, 2), GetU16(d, 4))) return false;
        model_->SetNumber(GetU16(d, 0), GetU16(d, 2), value->number);
        return true;
    }

    bool TakeBlanks(const Bytes& d) {
        if (d.size() < 6) return false;
        const int row = GetU16(d, 0), first = GetU16(d, 2), last = GetU16(d, d.size() - 2);
        if (d.size() != 6 + 2 * static_cast<std::size_t>(last - first + 1)) return false;
        for (int c = first; c <= last; ++c) {
            if (!Format(row, c, GetU16(d, 4 + 2 * static_cast<std::size_t>(c - first)))) return false;
        }
        return true;
    }

    bool Format(int row, int column, std::uint16_t xf) {
        if (row >= MaxRows || column >= MaxColumns) return false;
        const std::optional<CellFormat> format = globals_.CellFormatOf(xf);
        if (!format) return false;
        if (*format != CellFormat{} || model_->Find(row, column)) model_->Touch(row, column).format = *format;
        return true;
    }

    const Globals& globals_;
    int mdw_;
    std::unique_ptr<SheetModel> model_ = std::make_unique<SheetModel>();
};

}  // namespace

std::unique_ptr<SheetModel> ReadModelledSheet(const RecordList& sheet, const Globals& globals, int maxDigitWidth) {
    Reader reader(globals, maxDigitWidth);
    try {
        for (const Record& record : sheet) {
            if (!reader.Take(record)) return nullptr;
        }
    } catch (const FormatError&) {
        return nullptr;
    }
    return reader.Result();
}

}  // namespace kolumbra::sheet::biff
