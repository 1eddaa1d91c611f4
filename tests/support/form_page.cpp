#include "form_page.h"

#include <cstdint>
#include <string>

#include "layoutbook/export_state.h"
#include "layoutbook/sheet_page.h"

namespace kolumbra::testing {

namespace {

// The page's share of the sample table: every field on it, the first two
// in the primary key (the first unique), alternate type names, and a
// description long enough to be shrunk on every fifth field.
void fillFields(ExportState& state, int page) {
    const std::size_t first = static_cast<std::size_t>(page - 1) * FieldsPerPage;
    ReserveFieldBuffer(state, first + FieldsPerPage);
    for (std::size_t k = 0; k < static_cast<std::size_t>(FieldsPerPage); ++k) {
        FieldEntry& entry = state.FieldBuffer[first + k];
        entry.FieldName = "FIELD_" + std::to_string(first + k + 1);
        entry.TypeText = k % 2 ? "テキスト型" : "長整数型";
        entry.SizeText = std::to_string(4 + k);
        entry.IndexMark = k < 2 ? "I" : "";
        entry.KeyMark = k < 2 ? "P" : "";
        entry.UniqueFlag = k == 0 ? -1 : 0;
        entry.Remarks = k % 5 ? "項目の説明" : "一行に収まりきらないほど長い、項目の使い方と値の範囲の説明";
    }
    state.TableRemarks = "見本のテーブル";
}

}  // namespace

void DrawFormPage(sheet::Worksheet& sheet, int page, int pages) {
    ExportState state;
    fillFields(state, page);
    state.OutSheet = sheet;
    const PageHeading heading{"T_SAMPLE", "sample.mdb", "作成者", true};
    BuildSheetPage(state, heading, static_cast<std::int16_t>(page), static_cast<std::int16_t>(pages), {});
}

void WriteTwoFormPages(const std::string& path) {
    {
        auto setup = sheet::CreateWorkbook();
        setup->GetApplication().SetStandardFont("ＭＳ 明朝");
        setup->GetApplication().SetStandardFontSize(10);
        setup->GetApplication().Quit();
        auto created = sheet::CreateWorkbook();
        created->SaveAs(path);
        created->GetApplication().Quit();
    }
    auto book = sheet::GetWorkbook(path);
    for (int page = 1; page <= 2; ++page) {
        sheet::Sheets sheets = book->GetSheets();
        sheet::Worksheet added = sheets.Add(sheets.Item(sheets.Count()));
        added.SetName("T_SAMPLE_ " + std::to_string(page));
        DrawFormPage(added, page, 2);
        book->Save();
    }
    book->GetApplication().Quit();
}

}  // namespace kolumbra::testing
