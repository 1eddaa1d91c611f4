#include "layoutbook/export_driver.h"

#include <optional>
#include <string>
#include <vector>

#include "catalog/connection.h"
#include "catalog/field_type_name.h"
#include "catalog/table_catalogue.h"
#include "common/runtime_error.h"
#include "common/text.h"
#include "layoutbook/index_marks.h"
#include "layoutbook/table_sheets.h"

namespace kolumbra {

namespace {

bool anyTableSelected(WindowServices& window) {
    for (int i = 0; i < window.ListCount(); ++i) {
        if (window.ListSelected(i)) return true;
    }
    return false;
}

bool isWorkbookPath(const std::string& path) {
    const std::string extension = text::RightChars(path, 4);
    return extension == ".xls" || extension == ".XLS";
}

// Puts the pointer back even when the database
// engine fails while a definition is read.
class BusyPointer {
public:
    explicit BusyPointer(WindowServices& window) : window_(window) { window_.SetHourglass(true); }
    ~BusyPointer() { window_.SetHourglass(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    WindowServices& window_;
};

// Fills the field buffer from the definition of CurrentTable: names, type
// names, sizes and the index marks. An unknown table leaves it empty.
void readTableFields(Session& session, TableCatalogue& catalogue, ExportState& state) {
    ClearFieldBuffer(state);
    state.FieldCount = 0;
    const std::optional<db::TableDef> definition = catalogue.Find(session.CurrentTable);
    if (!definition) return;

    state.FieldCount = static_cast<std::int16_t>(definition->Fields.size());
    ReserveFieldBuffer(state, definition->Fields.size());
    for (std::size_t k = 0; k < definition->Fields.size(); ++k) {
        const db::Field& field = definition->Fields[k];
        FieldEntry& entry = state.FieldBuffer[k];
        entry.FieldName = field.Name;
        entry.TypeText = FieldTypeName(field.Type, session.gJap);
        entry.SizeText = std::to_string(field.Size);
        if (session.gRemarks != 0) entry.Remarks = field.Description;
    }
    if (session.gRemarks != 0) state.TableRemarks = definition->Description;
    const bool odbc = IsOdbcMode(session.window.Text1());
    for (const db::Index& index : definition->Indexes) MarkIndex(state, index, odbc);
}

// A database failure while the definition is read (a lost connection, a
// damaged catalogue) is reported like a failure while writing; the table
// then gets no sheet, as a form with part of its fields would pass for the
// whole definition.
bool readFieldsReported(Session& session, TableCatalogue& catalogue, ExportState& state) {
    try {
        readTableFields(session, catalogue, state);
        return true;
    } catch (const RuntimeError& error) {
        ReportSheetError(session.window, error);
        return false;
    }
}

void writeTable(Session& session, TableCatalogue& catalogue, ExportState& state) {
    WindowServices& window = session.window;
    window.SetStatusPanel(2, session.CurrentTable);
    window.RefreshStatus();
    if (readFieldsReported(session, catalogue, state)) WriteTableSheets(session, state);
    window.SetStatusPanel(2, "");
    window.RefreshStatus();
}

}  // namespace

void Command4_Click(Session& session, ExportState& state) {
    WindowServices& window = session.window;
    if (!anyTableSelected(window)) {
        window.MsgBox("書き出すﾃｰﾌﾞﾙを選択してください。", Buttons::Ok, Icon::Exclamation, "確認");
        return;
    }
    if (!isWorkbookPath(window.Text2())) {
        window.MsgBox("Out_xlsはｴｸｾﾙｼｰﾄを指定してください", Buttons::Ok, Icon::Exclamation, "確認");
        return;
    }
    const Answer answer = window.MsgBox(
        "ﾃｰﾌﾞﾙﾚｲｱｳﾄの書出しを開始します｡起動中のｴｸｾﾙﾌｧｲﾙは終了して下さい｡" + std::string("\r") + "よろしいですか？",
        Buttons::OkCancel, Icon::Exclamation, "確認");
    if (answer != Answer::Ok) return;

    state.SheetsSaved.clear();
    {
        BusyPointer busy(window);
        TableCatalogue catalogue(session.gDb.get());
        const int count = window.ListCount();
        std::vector<std::string> selected;
        for (int i = 0; i < count; ++i) {
            if (window.ListSelected(i)) selected.push_back(window.ListItem(i));
        }
        catalogue.ExpectDefinitionsOf(selected);
        for (const std::string& table : selected) {
            session.CurrentTable = table;
            writeTable(session, catalogue, state);
        }
        sheet::CompactSavedWorkbook();
    }
    // Where nothing was saved, the errors already shown are the whole report.
    if (state.SheetsSaved.empty()) return;
    window.MsgBox(FileNameOfPath(window.Text2()) + "が作成されました", Buttons::Ok, Icon::None, "完了");
}

}  // namespace kolumbra
