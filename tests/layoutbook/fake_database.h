#pragma once
// A database whose tables a test lays out in memory, and an engine that
// opens it, for tables no fixture file has (hundreds of fields, long names).

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/db/database.h"

namespace kolumbra::testing {

class FakeDatabase : public db::Database {
public:
    explicit FakeDatabase(std::vector<db::TableDef> tables) : tables_(std::move(tables)) {}
    std::string Name() override { return "fake.mdb"; }
    std::string Connect() override { return ""; }
    std::int16_t TableDefCount() override { return static_cast<std::int16_t>(tables_.size()); }
    db::TableDef TableDefItem(std::int16_t index) override;
    // From the table list: neither counted nor failing.
    db::TableDef TableDefSummary(std::int16_t index) override;
    void Close() override {}

    // Reading the definition of a table of this name fails, as over a lost connection.
    std::string failingTable;
    // Definitions read so far.
    int definitionReads = 0;

private:
    std::vector<db::TableDef> tables_;
};

class FakeEngine : public db::DbEngine {
public:
    std::unique_ptr<db::Database> OpenDatabase(const std::string&, const db::DataSourceChooser&) override {
        throw std::logic_error("the fake engine opens nothing");
    }
};

// A table of `count` text fields named F1, F2, ...
db::TableDef TableWithFields(const std::string& name, int count);

}  // namespace kolumbra::testing
