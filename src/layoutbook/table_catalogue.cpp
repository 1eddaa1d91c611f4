#include "layoutbook/table_catalogue.h"

#include <algorithm>

namespace kolumbra {

std::optional<db::TableDef> TableCatalogue::Find(const std::string& name) {
    if (!database_) return std::nullopt;
    if (!count_) {
        count_ = database_->TableDefCount();
        read_.resize(static_cast<std::size_t>(std::max<std::int16_t>(*count_, 0)));
    }
    for (std::size_t j = 0; j < read_.size(); ++j) {
        if (!read_[j]) read_[j] = database_->TableDefItem(static_cast<std::int16_t>(j));
        if (read_[j]->Name == name) return read_[j];
    }
    return std::nullopt;
}

}  // namespace kolumbra
