#include "layoutbook/form_refresh.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "catalog/field_type_name.h"
#include "common/text.h"
#include "engine/sheet/cell_value.h"
#include "layoutbook/form_cells.h"
#include "layoutbook/form_check.h"
#include "layoutbook/remarks_text.h"
#include "layoutbook/sheet_page.h"
#include "layoutbook/table_fields.h"
#include "layoutbook/table_sheets.h"

namespace kolumbra {

namespace {

constexpr int FieldIdWidth = form::FieldIdLast - form::FieldIdFirst + 1;
constexpr int RemarksWidth = form::RemarksLast - form::RemarksFirst + 1;
// Half-width characters a line of the table's description holds.
constexpr std::size_t TitleLineWidth = 30;

// What people typed for a field: its ID and remarks cells.
struct Typed {
    std::vector<std::string> fieldId = std::vector<std::string>(FieldIdWidth);
    std::vector<std::string> remarks = std::vector<std::string>(RemarksWidth);
};

// A value as the grid reads it back once written: a number by its
// shortest decimal text.
std::string asRead(const std::string& value, bool number) {
    if (!number) return value;
    const std::optional<double> n = sheet::PlainDecimal(value);
    return n ? sheet::NumberText(*n) : value;
}

// Text that reads back as the same number goes in as a number, like the
// value people typed; any other text stays text.
bool typedAsNumber(const std::string& value) {
    const std::optional<double> n = sheet::PlainDecimal(value);
    return n && sheet::NumberText(*n) == value;
}

// Writes the cells of one page whose value differs from the desired one;
// without a sheet it only notes which cells those are.
class PageWriter {
public:
    PageWriter(std::optional<sheet::Worksheet> sheet, const FormGrid* grid) : sheet_(std::move(sheet)), grid_(grid) {}

    void Put(int row, int column, const std::string& value, bool number) {
        const std::string& current = grid_ ? (*grid_)[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)] : empty_;
        if (current == asRead(value, number)) return;
        written_.push_back({row, column});
        if (!sheet_) return;
        if (number && !value.empty()) {
            sheet_->Cells(row, column).SetValue(value);
        } else {
            sheet_->Cells(row, column).SetText(value);
        }
    }
    void PutTyped(int row, int column, const std::string& value) { Put(row, column, value, typedAsNumber(value)); }
    bool Changed() const { return !written_.empty(); }
    const std::vector<form::CellAt>& Written() const { return written_; }

private:
    std::optional<sheet::Worksheet> sheet_;
    const FormGrid* grid_;
    const std::string empty_;
    std::vector<form::CellAt> written_;
};

bool isTypedColumn(int column) {
    return (column >= form::FieldIdFirst && column <= form::FieldIdLast) ||
           (column >= form::RemarksFirst && column <= form::RemarksLast);
}

std::string cellAddress(int row, int column) {
    std::string letters;
    for (int c = column; c > 0; c = (c - 1) / 26) letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters + std::to_string(row);
}

// The number format the form gives a column's field rows: the one most of
// the page's field rows with a cell record have there.
int formNumberFormat(const FormPage& page, int column) {
    std::map<int, int> counts;
    for (int row = form::CaptionRow + 1; row <= form::LastRow; ++row) {
        const int format = page.makeups[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)].numberFormat;
        if (format >= 0) ++counts[format];
    }
    if (counts.empty()) return -1;
    return std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) { return a.second < b.second; })->first;
}

class TableRefresh {
public:
    TableRefresh(ExportState& state, const PageHeading& heading, const ProgressCallback& progress, const TableForms& forms)
        : state_(state), heading_(heading), progress_(progress), forms_(forms), fields_(FieldsOfForms(forms)),
          pages_(PageCount(state.FieldCount)), remarks_(heading.remarks) {
        for (const PlacedField& placed : fields_) {
            if (typed_.count(placed.field->name)) continue;
            Typed& typed = typed_[placed.field->name];
            typed.fieldId = placed.field->fieldId;
            typed.remarks = placed.field->remarks;
        }
        entries_.assign(state.FieldBuffer.begin(), state.FieldBuffer.begin() + std::max<std::int16_t>(state.FieldCount, 0));
    }

    RefreshOutcome Run() {
        refuseLosingTypedCells();
        recordFieldChanges();
        std::string last = forms_.pages.back().sheetName;
        for (int page = 1; page <= pages_; ++page) {
            const FormPage* existing = pageNumbered(page);
            if (existing) {
                rewritePage(*existing);
            } else {
                last = addPage(page, last);
            }
        }
        for (const FormPage& page : forms_.pages) {
            if (page.page > pages_) dropOrKeep(page);
        }
        outcome_.changed = outcome_.changed || !outcome_.history.empty();
        return std::move(outcome_);
    }

private:
    const FormPage* pageNumbered(int page) const {
        for (const FormPage& p : forms_.pages)
            if (p.page == page) return &p;
        return nullptr;
    }

    sheet::Worksheet sheetNamed(const std::string& name) {
        const std::int16_t position = FindSheetIndex(state_, name);
        if (position == 0) throw RuntimeError(err::SubscriptOutOfRange);
        return state_.OutBook->GetSheets().Item(position);
    }

    // Type names the forms give in the other language are written again in
    // today's, but the database did not change: the history says nothing.
    void recordFieldChanges() {
        for (const FieldChange& change : DiffFields(fields_, entries_)) {
            if (change.what == differs::Type && TranslatedTypeName(change.workbook, change.database)) continue;
            HistoryRow row{forms_.table, change.field, historyWhat(change.what), change.workbook, change.database, "", ""};
            if (change.what == differs::FieldRemoved) {
                row.fieldId = JoinedText(change.formField->fieldId);
                row.remarks = JoinedText(change.formField->remarks);
            }
            outcome_.history.push_back(std::move(row));
        }
    }

    static std::string_view historyWhat(std::string_view what) {
        if (what == differs::FieldAdded) return changed::FieldAdded;
        if (what == differs::FieldRemoved) return changed::FieldRemoved;
        if (what == differs::Position) return changed::Position;
        if (what == differs::Type) return changed::Type;
        if (what == differs::Size) return changed::Size;
        return changed::Marks;
    }

    std::string pageNumberText(int page) const {
        return text::SignedNumberText(page) + "/" + text::SignedNumberText(pages_);
    }

    void writeHeader(PageWriter& writer, int page) {
        writer.Put(form::TableName.row, form::TableName.column, heading_.table, false);
        writer.Put(form::DatabaseName.row, form::DatabaseName.column, heading_.database, false);
        writer.Put(form::Author.row, form::Author.column, heading_.author, false);
        writer.Put(form::PageNumber.row, form::PageNumber.column, pageNumberText(page), false);
        if (!remarks_) return;
        const auto lines = WrapLines(state_.TableRemarks, TitleLineWidth, form::TableRemarksRows);
        for (int i = 0; i < form::TableRemarksRows; ++i)
            writer.Put(form::TableRemarksFirstRow + i, 1, static_cast<std::size_t>(i) < lines.size() ? lines[static_cast<std::size_t>(i)] : "", false);
    }

    // The typed cells of row `row`: the field's own, where one stands there
    // now; a row that had no field keeps what it holds unless the field
    // brings something.
    void writeTyped(PageWriter& writer, int row, const FieldEntry* entry, bool hadField) const {
        const Typed none;
        const auto found = entry ? typed_.find(entry->FieldName) : typed_.end();
        const Typed& typed = found == typed_.end() ? none : found->second;
        const bool description = entry && remarks_ && !entry->Remarks.empty();
        for (int c = 0; c < FieldIdWidth; ++c) {
            const std::string& value = typed.fieldId[static_cast<std::size_t>(c)];
            if (hadField || !value.empty()) writer.PutTyped(row, form::FieldIdFirst + c, value);
        }
        for (int c = 0; c < RemarksWidth; ++c) {
            if (c == 0 && description) {
                writer.Put(row, form::RemarksFirst, RemarksLine(entry->Remarks), false);
                continue;
            }
            const std::string& value = typed.remarks[static_cast<std::size_t>(c)];
            if (hadField || !value.empty()) writer.PutTyped(row, form::RemarksFirst + c, value);
        }
    }

    void writeFieldRow(PageWriter& writer, int row, const FieldEntry* entry) const {
        const FieldEntry blank;
        const FieldEntry& e = entry ? *entry : blank;
        const std::size_t index = static_cast<std::size_t>(entry ? entry - entries_.data() : 0);
        writer.Put(row, form::NumberColumn, entry ? text::SignedNumberText(static_cast<std::int64_t>(index) + 1) : "", true);
        writer.Put(row, form::NameColumn, e.FieldName, false);
        writer.Put(row, form::TypeColumn, e.TypeText, false);
        writer.Put(row, form::SizeColumn, e.SizeText, true);
        writer.Put(row, form::IndexColumn, e.IndexMark, false);
        writer.Put(row, form::KeyColumn, entry ? KeyCellText(e) : "", false);
    }

    const FieldEntry* entryAt(int page, int slot) const {
        const std::size_t i = static_cast<std::size_t>((page - 1) * FieldsPerPage + slot);
        return i < entries_.size() ? &entries_[i] : nullptr;
    }

    void writeFieldRows(PageWriter& writer, const FormPage& page) const {
        for (int slot = 0; slot < FieldsPerPage; ++slot) {
            const int row = form::CaptionRow + 1 + slot;
            const FieldEntry* entry = entryAt(page.page, slot);
            const bool hadField = !page.grid[static_cast<std::size_t>(row - 1)][form::NameColumn - 1].empty();
            writeFieldRow(writer, row, entry);
            writeTyped(writer, row, entry, hadField);
        }
    }

    // A typed cell is rewritten with its value alone, so a formula in it,
    // or a number format of its own (a typed date), would be lost where its
    // field moves or leaves its row: such a table is refused before anything
    // is written. The fields of a surplus page all leave it. Borders,
    // alignments and fonts are the form's, which stay with the row.
    void refuseLosingTypedCells() const {
        for (const FormPage& page : forms_.pages) {
            std::vector<form::CellAt> leaving;
            if (page.page <= pages_) {
                PageWriter plan(std::nullopt, &page.grid);
                writeFieldRows(plan, page);
                leaving = plan.Written();
            } else {
                for (const FormField& field : page.fields) {
                    for (int column = 1; column <= form::LastColumn; ++column) {
                        const std::size_t r = static_cast<std::size_t>(field.row - 1), c = static_cast<std::size_t>(column - 1);
                        if (!page.grid[r][c].empty() || page.makeups[r][c].formula) leaving.push_back({field.row, column});
                    }
                }
            }
            for (const form::CellAt& at : leaving) {
                if (!isTypedColumn(at.column)) continue;
                const sheet::CellMakeup& makeup =
                    page.makeups[static_cast<std::size_t>(at.row - 1)][static_cast<std::size_t>(at.column - 1)];
                const bool ownFormat = makeup.numberFormat >= 0 && makeup.numberFormat != formNumberFormat(page, at.column);
                if (!makeup.formula && !ownFormat) continue;
                throw RuntimeError(err::ApplicationDefined,
                                   "シート '" + page.sheetName + "' のセル " + cellAddress(at.row, at.column) + " の" +
                                   (makeup.formula ? "数式" : "書式") + "が更新で失われるため、表を更新できません。");
            }
        }
    }

    void rewritePage(const FormPage& page) {
        PageWriter writer(sheetNamed(page.sheetName), &page.grid);
        writeHeader(writer, page.page);
        writeFieldRows(writer, page);
        outcome_.changed = outcome_.changed || writer.Changed();
        AdvanceProgress(progress_, heading_.table, static_cast<std::int16_t>(state_.ProgressStep * 6));
    }

    std::string freeName(int page) {
        const std::string name = SheetNameOf(heading_.table, static_cast<std::int16_t>(page), static_cast<std::int16_t>(pages_));
        if (FindSheetIndex(state_, name) == 0) return name;
        for (int n = 2;; ++n) {
            std::string suffix = "~";  // appended: GCC 12 at -O3 warns falsely on "~" + string
            suffix += std::to_string(n);
            const std::string candidate = text::LeftChars(name, 31 - suffix.size()) + suffix;
            if (FindSheetIndex(state_, candidate) == 0) return candidate;
        }
    }

    // Builds page `page` after the sheet named `after`; returns its name.
    std::string addPage(int page, const std::string& after) {
        const std::string name = freeName(page);
        sheet::Worksheet added = state_.OutBook->GetSheets().Add(sheetNamed(after));
        added.SetName(name);
        AdvanceProgress(progress_, heading_.table, state_.ProgressStep);
        state_.OutSheet = added;
        BuildSheetPage(state_, heading_, static_cast<std::int16_t>(page), static_cast<std::int16_t>(pages_), progress_);
        state_.OutSheet.reset();
        PageWriter writer(added, nullptr);
        for (int slot = 0; slot < FieldsPerPage; ++slot) {
            if (const FieldEntry* entry = entryAt(page, slot)) writeTyped(writer, form::CaptionRow + 1 + slot, entry, false);
        }
        outcome_.changed = true;
        outcome_.history.push_back({forms_.table, "", changed::PageAdded, "", name, "", ""});
        return name;
    }

    // Whether a cell of a surplus page holds what the program wrote, or
    // what was typed for a field that now stands elsewhere.
    bool accountedFor(const FormPage& page, int row, int column) const {
        const auto is = [&](form::CellAt at) { return at.row == row && at.column == column; };
        if (row == form::CaptionRow || is(form::TableName) || is(form::DatabaseName) || is(form::Author) || is(form::PageNumber))
            return true;
        if (std::any_of(form::HeaderCaptionCells.begin(), form::HeaderCaptionCells.end(), is)) return true;
        if (remarks_ && column == 1 && row >= form::TableRemarksFirstRow && row < form::TableRemarksFirstRow + form::TableRemarksRows)
            return true;
        return row > form::CaptionRow && !page.grid[static_cast<std::size_t>(row - 1)][form::NameColumn - 1].empty();
    }

    void dropOrKeep(const FormPage& page) {
        bool typedLeft = false;
        for (int row = 1; row <= form::LastRow && !typedLeft; ++row) {
            for (int column = 1; column <= form::LastColumn && !typedLeft; ++column) {
                typedLeft = !page.grid[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)].empty() &&
                            !accountedFor(page, row, column);
            }
        }
        // Deleting a sheet that formulas or names refer to would turn them
        // into reference errors.
        const bool referenced = !typedLeft && sheetNamed(page.sheetName).IsReferenced();
        if (!typedLeft && !referenced) {
            auto& application = state_.OutBook->GetApplication();
            application.SetDisplayAlerts(false);
            sheetNamed(page.sheetName).Delete();
            application.SetDisplayAlerts(true);
            outcome_.changed = true;
        }
        const std::string_view kept = typedLeft ? changed::PageKept : referenced ? changed::PageReferenced : "";
        outcome_.history.push_back({forms_.table, "", changed::PageRemoved, page.sheetName, std::string(kept), "", ""});
    }

    ExportState& state_;
    const PageHeading& heading_;
    const ProgressCallback& progress_;
    const TableForms& forms_;
    const std::vector<PlacedField> fields_;
    const int pages_;
    const bool remarks_;
    std::vector<FieldEntry> entries_;
    std::map<std::string, Typed> typed_;
    RefreshOutcome outcome_;
};

}  // namespace

RefreshOutcome RefreshTableForms(ExportState& state, const PageHeading& heading, const ProgressCallback& progress,
                                 const TableForms& forms) {
    return TableRefresh(state, heading, progress, forms).Run();
}

namespace {

std::set<std::string> ordinaryTables(db::Database* database) {
    std::set<std::string> names;
    if (!database) return names;
    const std::int16_t count = database->TableDefCount();
    for (std::int16_t i = 0; i < count; ++i) {
        const db::TableDef summary = database->TableDefSummary(i);
        if (summary.Attributes == 0) names.insert(summary.Name);
    }
    return names;
}

}  // namespace

void RecordRemovedTables(const layoutbook::LayoutRequest& request, TableReport& report) {
    report.table = std::string(HistorySheetName);
    if (!FileExists(request.output)) return;
    std::shared_ptr<sheet::Workbook> book;
    try {
        const std::set<std::string> tables = ordinaryTables(request.database);
        book = sheet::GetWorkbook(request.output);
        std::vector<HistoryRow> rows;
        for (const TableForms& forms : ReadForms(*book)) {
            if (!tables.contains(forms.table) && !HistoryRecordsRemoval(*book, forms.table))
                rows.push_back({forms.table, "", changed::TableRemoved, forms.pages.front().sheetName, "", "", ""});
        }
        if (!rows.empty()) {
            AppendHistory(*book, rows, HistoryDate());
            book->Save();
            report.sheets.push_back(std::string(HistorySheetName));
        }
        book->GetApplication().Quit();
    } catch (const RuntimeError& error) {
        report.outcome = TableOutcome::Failed;
        report.error = error;
        if (book) book->GetApplication().Quit();
    }
}

}  // namespace kolumbra
