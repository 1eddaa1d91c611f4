#include "engine/sheet/ooxml/sheet_part.h"

#include <charconv>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace kolumbra::sheet::ooxml {

namespace {

void AppendNumber(std::string& out, double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

bool IsEscapeLike(const std::string& text, std::size_t at) {
    if (at + 7 > text.size() || text[at + 1] != 'x' || text[at + 6] != '_') return false;
    for (std::size_t i = at + 2; i < at + 6; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
    return true;
}

// Text as XML character data, escaped as EscapedCellText says.
void AppendText(std::string& out, const std::string& text) {
    for (const char c : EscapedCellText(text)) {
        if (c == '&') {
            out += "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else {
            out += c;
        }
    }
}

// Column width as the part stores it: characters of the widest digit plus
// the cell padding, in 256ths.
double StoredWidth(double characters, int maxDigitWidth) {
    if (characters <= 0) return 0;
    const double pixels = std::round(characters * maxDigitWidth) + 5;
    return std::floor(pixels / maxDigitWidth * 256) / 256;
}

void AppendColumns(std::string& out, const SheetModel& model, int maxDigitWidth) {
    std::string cols;
    for (int c = 0; c < MaxColumns;) {
        const std::optional<double> width = model.ColumnWidth(c);
        int last = c;
        while (last + 1 < MaxColumns && model.ColumnWidth(last + 1) == width) ++last;
        if (width) {
            cols += "<col min=\"" + std::to_string(c + 1) + "\" max=\"" + std::to_string(last + 1) + "\" width=\"";
            AppendNumber(cols, StoredWidth(*width, maxDigitWidth));
            cols += *width == 0 ? "\" hidden=\"1\" customWidth=\"1\"/>" : "\" customWidth=\"1\"/>";
        }
        c = last + 1;
    }
    if (!cols.empty()) out += "<cols>" + cols + "</cols>";
}

void AppendCell(std::string& out, const SheetModel& model, const Cell& cell, int row, int column, unsigned xf) {
    out += "<c r=\"" + CellReference(row, column) + "\"";
    if (xf != 0) out += " s=\"" + std::to_string(xf) + "\"";
    if (cell.kind == Cell::Kind::Number) {
        out += "><v>";
        AppendNumber(out, cell.number);
        out += "</v></c>";
    } else if (cell.kind == Cell::Kind::Text) {
        out += " t=\"inlineStr\"><is><t xml:space=\"preserve\">";
        AppendText(out, model.Text(cell.text));
        out += "</t></is></c>";
    } else {
        out += "/>";
    }
}

void AppendRows(std::string& out, const SheetModel& model, const SheetPartContext& context, Rect& used, bool& any) {
    const CellFormat plain;
    out += "<sheetData>";
    for (std::size_t r = 0; r < model.Rows().size(); ++r) {
        const RowInfo& info = model.Rows()[r];
        std::string cells;
        for (std::size_t c = 0; c < info.cells.size(); ++c) {
            const Cell& cell = info.cells[c];
            if (cell.kind == Cell::Kind::Empty && cell.format == plain) continue;
            const int row = static_cast<int>(r), column = static_cast<int>(c);
            AppendCell(cells, model, cell, row, column, context.xfOf(cell.format));
            used = any ? used.Union(Rect{row, column, row, column}) : Rect{row, column, row, column};
            any = true;
        }
        if (cells.empty() && !info.heightPoints) continue;
        out += "<row r=\"" + std::to_string(r + 1) + "\"";
        if (info.heightPoints) {
            out += " ht=\"";
            AppendNumber(out, *info.heightPoints);
            out += *info.heightPoints == 0 ? "\" hidden=\"1\" customHeight=\"1\"" : "\" customHeight=\"1\"";
        }
        out += cells.empty() ? "/>" : ">" + cells + "</row>";
    }
    out += "</sheetData>";
}

void AppendPage(std::string& out, const PageSettings& page) {
    out += "<pageMargins left=\"";
    AppendNumber(out, page.left);
    out += "\" right=\"";
    AppendNumber(out, page.right);
    out += "\" top=\"";
    AppendNumber(out, page.top);
    out += "\" bottom=\"";
    AppendNumber(out, page.bottom);
    out += "\" header=\"";
    AppendNumber(out, page.header);
    out += "\" footer=\"";
    AppendNumber(out, page.footer);
    out += "\"/><pageSetup paperSize=\"" + std::to_string(page.paper) + "\" scale=\"" + std::to_string(page.scale) +
           "\" fitToWidth=\"" + std::to_string(page.fitWide) + "\" fitToHeight=\"" + std::to_string(page.fitTall) +
           "\" orientation=\"" + (page.portrait ? "portrait" : "landscape") + "\"/>";
}

}  // namespace

std::string EscapedCellText(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        // A carriage return too: XML readers turn a raw one into a line feed.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "_x%04X_", static_cast<unsigned char>(c));
            out += escaped;
        } else if (c == '_' && IsEscapeLike(text, i)) {
            out += "_x005F_";
        } else {
            out += c;
        }
    }
    return out;
}

bool ParseCellReference(std::string_view reference, int& row, int& column) {
    std::size_t i = 0;
    int letters = 0;
    for (; i < reference.size() && i < 3 && reference[i] >= 'A' && reference[i] <= 'Z'; ++i)
        letters = letters * 26 + (reference[i] - 'A' + 1);
    int number = 0;
    const auto [end, error] = std::from_chars(reference.data() + i, reference.data() + reference.size(), number);
    if (letters == 0 || letters > 16384 || error != std::errc() || end != reference.data() + reference.size() ||
        number < 1 || number > MaxGridRows)
        return false;
    row = number - 1;
    column = letters - 1;
    return true;
}

std::optional<Rect> ParseCellRange(std::string_view range) {
    const std::size_t colon = range.find(':');
    Rect r;
    if (!ParseCellReference(range.substr(0, colon), r.r1, r.c1)) return std::nullopt;
    if (colon == std::string_view::npos) {
        r.r2 = r.r1;
        r.c2 = r.c1;
    } else if (!ParseCellReference(range.substr(colon + 1), r.r2, r.c2)) {
        return std::nullopt;
    }
    return r;
}

std::string CellReference(int row, int column) {
    std::string letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26) letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters + std::to_string(row + 1);
}

std::string WorksheetPart(const SheetModel& model, const SheetPartContext& context) {
    std::string rows;
    Rect used;
    bool any = false;
    AppendRows(rows, model, context, used, any);

    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">";
    if (model.Page().fitToPage) out += "<sheetPr><pageSetUpPr fitToPage=\"1\"/></sheetPr>";
    out += "<dimension ref=\"" + CellReference(used.r1, used.c1);
    if (!used.IsSingleCell()) out.append(":").append(CellReference(used.r2, used.c2));
    out += context.tabSelected ? "\"/><sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"/></sheetViews>"
                               : "\"/><sheetViews><sheetView workbookViewId=\"0\"/></sheetViews>";
    out += "<sheetFormatPr defaultRowHeight=\"";
    AppendNumber(out, context.defaultRowPoints);
    out += "\"/>";
    AppendColumns(out, model, context.maxDigitWidth);
    out += rows;
    if (!model.Merges().empty()) {
        out += "<mergeCells count=\"" + std::to_string(model.Merges().size()) + "\">";
        for (const Rect& m : model.Merges())
            out += "<mergeCell ref=\"" + CellReference(m.r1, m.c1) + ":" + CellReference(m.r2, m.c2) + "\"/>";
        out += "</mergeCells>";
    }
    AppendPage(out, model.Page());
    out += "</worksheet>";
    return out;
}

}  // namespace kolumbra::sheet::ooxml
