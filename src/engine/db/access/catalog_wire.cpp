#include "engine/db/access/catalog_wire.h"

#include <cstdint>
#include <cstring>

namespace kolumbra::db::wire {

namespace {

class Writer {
public:
    void u32(std::uint32_t v) { out.append(reinterpret_cast<const char*>(&v), sizeof v); }
    void text(const std::string& s) {
        u32(static_cast<std::uint32_t>(s.size()));
        out += s;
    }
    std::string out;
};

class Reader {
public:
    explicit Reader(const std::string& bytes) : in_(bytes) {}
    bool u32(std::uint32_t& v) {
        if (in_.size() - pos_ < sizeof v) return false;
        std::memcpy(&v, in_.data() + pos_, sizeof v);
        pos_ += sizeof v;
        return true;
    }
    bool text(std::string& s) {
        std::uint32_t n = 0;
        if (!u32(n) || in_.size() - pos_ < n) return false;
        s.assign(in_, pos_, n);
        pos_ += n;
        return true;
    }
    // A count that cannot exceed what the remaining bytes could hold.
    bool count(std::uint32_t& n, std::size_t minimumItemSize) {
        return u32(n) && n <= (in_.size() - pos_) / minimumItemSize;
    }
    bool atEnd() const { return pos_ == in_.size(); }

private:
    const std::string& in_;
    std::size_t pos_ = 0;
};

// The fewest bytes an item can take: its counts and fixed numbers.
constexpr std::size_t FieldMinimumSize = 16;  // name, type, size, description
constexpr std::size_t IndexMinimumSize = 12;  // name, flags, field count
constexpr std::size_t TableMinimumSize = 24;  // name, description, attributes, failure, two counts

bool readField(Reader& r, Field& f) {
    std::uint32_t type = 0, size = 0;
    if (!r.text(f.Name) || !r.u32(type) || !r.u32(size) || !r.text(f.Description)) return false;
    f.Type = static_cast<std::int16_t>(type);
    f.Size = static_cast<std::int32_t>(size);
    return true;
}

bool readIndex(Reader& r, Index& x) {
    std::uint32_t flags = 0, n = 0;
    if (!r.text(x.Name) || !r.u32(flags) || !r.count(n, 4)) return false;
    x.Unique = flags & 1;
    x.Primary = flags & 2;
    x.Fields.resize(n);
    for (auto& name : x.Fields) {
        if (!r.text(name)) return false;
    }
    return true;
}

bool readTable(Reader& r, mdb::CatalogTable& table) {
    TableDef& t = table.Def;
    std::uint32_t attributes = 0, nFields = 0, nIndexes = 0;
    if (!r.text(t.Name) || !r.text(t.Description) || !r.u32(attributes) || !r.text(table.Unreadable) ||
        !r.count(nFields, FieldMinimumSize)) {
        return false;
    }
    t.Attributes = static_cast<std::int32_t>(attributes);
    t.Fields.resize(nFields);
    for (auto& f : t.Fields) {
        if (!readField(r, f)) return false;
    }
    if (!r.count(nIndexes, IndexMinimumSize)) return false;
    t.Indexes.resize(nIndexes);
    for (auto& x : t.Indexes) {
        if (!readIndex(r, x)) return false;
    }
    return true;
}

}  // namespace

std::string Encode(const std::vector<mdb::CatalogTable>& tables) {
    Writer w;
    w.u32(static_cast<std::uint32_t>(tables.size()));
    for (const auto& [t, unreadable] : tables) {
        w.text(t.Name);
        w.text(t.Description);
        w.u32(static_cast<std::uint32_t>(t.Attributes));
        w.text(unreadable);
        w.u32(static_cast<std::uint32_t>(t.Fields.size()));
        for (const auto& f : t.Fields) {
            w.text(f.Name);
            w.u32(static_cast<std::uint32_t>(static_cast<std::uint16_t>(f.Type)));
            w.u32(static_cast<std::uint32_t>(f.Size));
            w.text(f.Description);
        }
        w.u32(static_cast<std::uint32_t>(t.Indexes.size()));
        for (const auto& x : t.Indexes) {
            w.text(x.Name);
            w.u32((x.Unique ? 1u : 0u) | (x.Primary ? 2u : 0u));
            w.u32(static_cast<std::uint32_t>(x.Fields.size()));
            for (const auto& name : x.Fields) w.text(name);
        }
    }
    return w.out;
}

std::optional<std::vector<mdb::CatalogTable>> Decode(const std::string& bytes) {
    Reader r(bytes);
    std::uint32_t n = 0;
    if (!r.count(n, TableMinimumSize)) return std::nullopt;
    std::vector<mdb::CatalogTable> tables(n);
    for (auto& t : tables) {
        if (!readTable(r, t)) return std::nullopt;
    }
    if (!r.atEnd()) return std::nullopt;
    return tables;
}

}  // namespace kolumbra::db::wire
