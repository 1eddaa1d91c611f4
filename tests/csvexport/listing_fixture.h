#pragma once
// A window, a session and a temporary folder for running the CSV command.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "catalog/session.h"
#include "common/cp932.h"
#include "common/runtime_error.h"
#include "csvexport/csv_listing.h"
#include "memory_database.h"
#include "scripted_window.h"
#include "temp_dir.h"

namespace kolumbra::testing {

inline void PrintTo(const RecordedMessage& m, std::ostream* os) {
    *os << "[" << m.title << "] " << m.prompt;
}

// An engine that is never asked to open anything in these tests.
class UnusedEngine : public db::DbEngine {
public:
    std::unique_ptr<db::Database> OpenDatabase(const std::string&, const db::DataSourceChooser&) override {
        throw RuntimeError(db::dberr::FileNotFound, "unused");
    }
};

inline db::TableDef Table(std::string name, std::vector<db::Field> fields) {
    db::TableDef def;
    def.Name = std::move(name);
    def.Fields = std::move(fields);
    return def;
}

class ListingTest : public ::testing::Test {
protected:
    TempDir dir;
    ScriptedWindow window;
    UnusedEngine engine;
    Session session{window, engine};
    MemoryDatabase* database = nullptr;

    // Opens a database of these definitions and lists their names.
    void Open(std::vector<db::TableDef> defs) {
        window.list.clear();
        for (const auto& def : defs) window.list.push_back({def.Name, false});
        auto owned = std::make_unique<MemoryDatabase>(std::move(defs));
        database = owned.get();
        session.gDb = std::move(owned);
    }

    void Run(const std::string& text3, const std::vector<std::string>& selected) {
        for (auto& entry : window.list) entry.selected = false;
        window.Select(selected);
        window.text3 = text3;
        window.messages.clear();
        Command3_Click(session);
    }

    RecordedMessage Done(const std::string& text3) const { return {text3 + "を確認して下さい", Buttons::Ok, Icon::None, "完了"}; }
    static RecordedMessage WriteFailed() { return {"書き込みできませんでした", Buttons::Ok, Icon::None, "完了"}; }
    static std::string Sjis(const std::string& utf8) { return cp932::FromUtf8(utf8); }

    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

}  // namespace kolumbra::testing
