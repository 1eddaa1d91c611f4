#include "fake_database.h"

namespace kolumbra::testing {

db::TableDef TableWithFields(const std::string& name, int count) {
    db::TableDef table{name, 0, {}, {}};
    for (int i = 1; i <= count; ++i) table.Fields.push_back({"F" + std::to_string(i), 10, 50});
    return table;
}

}  // namespace kolumbra::testing
