#include "catalog/table_catalogue.h"

#include <algorithm>

namespace kolumbra {

std::size_t TableCatalogue::Count() {
    if (!database_) return 0;
    if (!count_) {
        count_ = database_->TableDefCount();
        read_.resize(static_cast<std::size_t>(std::max<std::int16_t>(*count_, 0)));
    }
    return read_.size();
}

const db::TableDef& TableCatalogue::Definition(std::size_t index) {
    std::optional<db::TableDef>& slot = read_[index];
    if (!slot) slot = database_->TableDefItem(static_cast<std::int16_t>(index));
    return *slot;
}

std::optional<db::TableDef> TableCatalogue::Find(const std::string& name) {
    const std::size_t count = Count();
    for (std::size_t j = 0; j < count; ++j) {
        if (Definition(j).Name == name) return Definition(j);
    }
    return std::nullopt;
}

std::vector<db::TableDef> TableCatalogue::FindAll(const std::string& name) {
    std::vector<db::TableDef> found;
    const std::size_t count = Count();
    for (std::size_t j = 0; j < count; ++j) {
        if (Definition(j).Name == name) found.push_back(Definition(j));
    }
    return found;
}

}  // namespace kolumbra
