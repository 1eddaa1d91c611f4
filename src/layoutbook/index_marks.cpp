#include "layoutbook/index_marks.h"

#include <algorithm>
#include <span>

namespace kolumbra {

namespace {

std::span<FieldEntry> filledEntries(ExportState& state) {
    return std::span(state.FieldBuffer).first(static_cast<std::size_t>(std::max<std::int16_t>(state.FieldCount, 0)));
}

// The unique flag is set by any index that marks the entry with the flag,
// whatever indexes come after it: a key field stays a key field.
void raiseFlag(FieldEntry& entry, bool flag) {
    if (flag) entry.UniqueFlag = -1;
}

// Sets a one-letter mark. Assigned as a character, not as a literal: GCC 12
// at -O3 inlines the literal's copy and raises a false -Wrestrict on it.
void setMark(std::string& mark, char letter) { mark.assign(1, letter); }

// An ODBC source: the first entry named like each field of the index gets
// "I" and the index's Unique flag; keys are never shown as primary.
void markOdbc(std::span<FieldEntry> entries, const db::Index& index) {
    for (const auto& field : index.Fields) {
        auto entry = std::find_if(entries.begin(), entries.end(), [&](const FieldEntry& e) { return e.FieldName == field; });
        if (entry == entries.end()) continue;
        setMark(entry->IndexMark, 'I');
        raiseFlag(*entry, index.Unique);
    }
}

// A database file: every entry named like a field of the index is marked, and
// with "P" too when the index is the primary key, whether its name says so
// ("PrimaryKey") or only its Primary property does (files whose keys are
// named "Index_..."). An index not named "Primary..." also marks the entries
// named like the index itself, which is how automatic indexes on one field
// are named.
void markFile(std::span<FieldEntry> entries, const db::Index& index) {
    const bool namedPrimary = index.Name.starts_with("Primary");
    const bool primary = namedPrimary || index.Primary;
    for (auto& entry : entries) {
        const bool coversField = std::find(index.Fields.begin(), index.Fields.end(), entry.FieldName) != index.Fields.end();
        const bool namedLikeIndex = !namedPrimary && entry.FieldName == index.Name;
        if (!coversField && !namedLikeIndex) continue;
        setMark(entry.IndexMark, 'I');
        if (coversField && primary) setMark(entry.KeyMark, 'P');
        raiseFlag(entry, index.Primary);
    }
}

}  // namespace

void MarkIndex(ExportState& state, const db::Index& index, bool odbc) {
    if (odbc) {
        markOdbc(filledEntries(state), index);
    } else {
        markFile(filledEntries(state), index);
    }
}

}  // namespace kolumbra
