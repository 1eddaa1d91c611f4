#include "fake_database.h"

#include "common/runtime_error.h"

namespace kolumbra::testing {

db::TableDef FakeDatabase::TableDefItem(std::int16_t index) {
    ++definitionReads;
    db::TableDef table = tables_.at(static_cast<std::size_t>(index));
    if (table.Name == failingTable) throw RuntimeError(db::dberr::OdbcCallFailed, "ODBC 呼び出しが失敗しました。");
    return table;
}

db::TableDef FakeDatabase::TableDefSummary(std::int16_t index) {
    const db::TableDef& table = tables_.at(static_cast<std::size_t>(index));
    return {table.Name, table.Attributes, {}, {}, table.Description};
}

db::TableDef TableWithFields(const std::string& name, int count) {
    db::TableDef table{name, 0, {}, {}, {}};
    for (int i = 1; i <= count; ++i) table.Fields.push_back({"F" + std::to_string(i), 10, 50, ""});
    return table;
}

}  // namespace kolumbra::testing
