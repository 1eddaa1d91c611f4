#pragma once
// A main window, a session over an in-memory database and the export state,
// with the output workbook in a fresh folder.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog/session.h"
#include "engine/sheet/workbook.h"
#include "fake_database.h"
#include "layoutbook/export_driver.h"
#include "scripted_window.h"
#include "temp_dir.h"
#include "workbook_probe.h"

namespace kolumbra::testing {

class ExportRig {
public:
    ExportRig() : session(window, engine) {
        window.text1 = "/data/fake.mdb";
        window.text2 = dir.file("out.xls");
        session.DbName = "fake.mdb";
        session.gMkname = "山田 太郎";
    }

    // Lists the tables, selects those named (all when none) and runs the command.
    void Export(std::vector<db::TableDef> tables, std::vector<std::string> selected = {}) {
        window.list.clear();
        for (const auto& table : tables) window.AddListItem(table.Name);
        if (selected.empty()) {
            for (const auto& table : tables) selected.push_back(table.Name);
        }
        window.Select(selected);
        session.gDb = std::make_unique<FakeDatabase>(std::move(tables));
        Command4_Click(session, state);
    }

    std::vector<SheetView> Sheets() const { return ProbeWorkbook(window.text2); }

    std::vector<std::string> SheetNames() const {
        std::vector<std::string> names;
        for (const auto& sheet : Sheets()) names.push_back(sheet.name);
        return names;
    }

    std::vector<std::string> Prompts() const {
        std::vector<std::string> prompts;
        for (const auto& message : window.messages) prompts.push_back(message.prompt);
        return prompts;
    }

    TempDir dir;
    ScriptedWindow window;
    FakeEngine engine;
    Session session;
    ExportState state;
};

// A workbook holding sheets of the given names, as another program left it.
inline void writeWorkbookWithSheets(const std::string& path, const std::vector<std::string>& names) {
    auto book = sheet::CreateWorkbook();
    auto sheets = book->GetSheets();
    sheets.Item(1).SetName(names.at(0));
    for (std::size_t i = 1; i < names.size(); ++i) {
        sheets.Add(sheets.Item(sheets.Count()));
        sheets.Item(sheets.Count()).SetName(names[i]);
    }
    book->SaveAs(path);
    book->GetApplication().Quit();
}

class LayoutTest : public ::testing::Test, public ExportRig {};

inline const std::string Confirmation =
    "ﾃｰﾌﾞﾙﾚｲｱｳﾄの書出しを開始します｡起動中のｴｸｾﾙﾌｧｲﾙは終了して下さい｡\rよろしいですか？";

}  // namespace kolumbra::testing
