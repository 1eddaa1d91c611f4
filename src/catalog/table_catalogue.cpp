#include "catalog/table_catalogue.h"

#include <algorithm>
#include <set>

#include "common/runtime_error.h"

namespace kolumbra {

std::size_t TableCatalogue::Count() {
    if (!database_) return 0;
    if (!count_) {
        count_ = database_->TableDefCount();
        slots_.resize(static_cast<std::size_t>(std::max<std::int16_t>(*count_, 0)));
    }
    return slots_.size();
}

const db::TableDef& TableCatalogue::Summary(std::size_t index) {
    std::optional<db::TableDef>& summary = slots_[index].summary;
    if (!summary) summary = database_->TableDefSummary(static_cast<std::int16_t>(index));
    return *summary;
}

bool TableCatalogue::Named(std::size_t index, const std::string& name) { return Summary(index).Name == name; }

const db::TableDef& TableCatalogue::Whole(std::size_t index) {
    std::optional<db::TableDef>& whole = slots_[index].whole;
    if (!whole) whole = database_->TableDefItem(static_cast<std::int16_t>(index));
    return *whole;
}

const std::vector<db::Field>& TableCatalogue::Fields(std::size_t index) {
    Slot& slot = slots_[index];
    if (slot.whole) return slot.whole->Fields;
    if (!slot.fields) slot.fields = database_->TableDefFields(static_cast<std::int16_t>(index));
    return *slot.fields;
}

std::optional<db::TableDef> TableCatalogue::Find(const std::string& name) {
    const std::size_t count = Count();
    for (std::size_t j = 0; j < count; ++j) {
        if (Named(j, name)) return Whole(j);
    }
    return std::nullopt;
}

std::vector<db::Field> TableCatalogue::FieldsOfAll(const std::string& name) {
    std::vector<db::Field> found;
    const std::size_t count = Count();
    for (std::size_t j = 0; j < count; ++j) {
        if (!Named(j, name)) continue;
        const std::vector<db::Field>& fields = Fields(j);
        found.insert(found.end(), fields.begin(), fields.end());
    }
    return found;
}

bool TableCatalogue::Lists(const std::string& name) {
    const std::size_t count = Count();
    for (std::size_t j = 0; j < count; ++j) {
        if (Named(j, name)) return true;
    }
    return false;
}

std::vector<std::int16_t> TableCatalogue::IndexesNamed(const std::vector<std::string>& names) {
    const std::set<std::string> wanted(names.begin(), names.end());
    std::vector<std::int16_t> indexes;
    const std::size_t count = Count();
    for (std::size_t j = 0; j < count; ++j) {
        if (wanted.contains(Summary(j).Name)) indexes.push_back(static_cast<std::int16_t>(j));
    }
    return indexes;
}

// An announcement is a hint: where it fails, each table's own read fails
// or succeeds alone, and reports its own error.
void TableCatalogue::ExpectFieldsOf(const std::vector<std::string>& names) {
    try {
        const std::vector<std::int16_t> indexes = IndexesNamed(names);
        if (!indexes.empty()) database_->ExpectFieldReads(indexes);
    } catch (const RuntimeError&) {
    }
}

void TableCatalogue::ExpectDefinitionsOf(const std::vector<std::string>& names) {
    try {
        const std::vector<std::int16_t> indexes = IndexesNamed(names);
        if (!indexes.empty()) database_->ExpectDefinitionReads(indexes);
    } catch (const RuntimeError&) {
    }
}

}  // namespace kolumbra
