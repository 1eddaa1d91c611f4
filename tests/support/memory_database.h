#pragma once
// A database held in memory that counts the definitions read from it and
// can fail when a given definition's fields are read, as an engine losing
// its connection would. Summaries come from the table list and never fail.

#include <optional>
#include <utility>
#include <vector>

#include "common/runtime_error.h"
#include "engine/db/database.h"

namespace kolumbra::testing {

class MemoryDatabase : public db::Database {
public:
    explicit MemoryDatabase(std::vector<db::TableDef> defs) : defs_(std::move(defs)) {}

    std::optional<int> failAtItem;
    bool failAnnouncements = false;
    std::vector<std::vector<std::int16_t>> announced;  // by ExpectDefinitionReads
    int itemReads = 0;
    int countReads = 0;
    int summaryReads = 0;

    std::string Name() override { return "fake"; }
    std::string Connect() override { return ""; }
    std::int16_t TableDefCount() override {
        ++countReads;
        return static_cast<std::int16_t>(defs_.size());
    }
    db::TableDef TableDefItem(std::int16_t index) override {
        ++itemReads;
        if (failAtItem && *failAtItem == index) throw RuntimeError(db::dberr::OdbcCallFailed, "ODBC--呼び出しが失敗しました。");
        return defs_.at(static_cast<std::size_t>(index));
    }
    db::TableDef TableDefSummary(std::int16_t index) override {
        ++summaryReads;
        db::TableDef def = defs_.at(static_cast<std::size_t>(index));
        def.Fields.clear();
        def.Indexes.clear();
        return def;
    }
    void ExpectDefinitionReads(const std::vector<std::int16_t>& indexes) override {
        if (failAnnouncements) throw RuntimeError(db::dberr::OdbcCallFailed, "ODBC--呼び出しが失敗しました。");
        announced.push_back(indexes);
    }
    void Close() override {}

private:
    std::vector<db::TableDef> defs_;
};

}  // namespace kolumbra::testing
