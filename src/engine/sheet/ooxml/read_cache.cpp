#include "engine/sheet/ooxml/read_cache.h"

#include <map>
#include <mutex>

namespace kolumbra::sheet::ooxml {

namespace {

// Enough for the sheets of a large workbook; past it the cache starts anew
// rather than grow with every workbook a long-running window opens.
constexpr std::size_t MaxEntries = 20000;

template <typename T>
std::shared_ptr<const T> Cached(const std::string& fingerprint, const std::function<T()>& read) {
    static std::mutex lock;
    static std::map<std::string, std::shared_ptr<const T>> entries;
    {
        const std::lock_guard<std::mutex> held(lock);
        const auto found = entries.find(fingerprint);
        if (found != entries.end()) return found->second;
    }
    auto value = std::make_shared<const T>(read());
    const std::lock_guard<std::mutex> held(lock);
    if (entries.size() >= MaxEntries) entries.clear();
    entries.emplace(fingerprint, value);
    return value;
}

}  // namespace

CellList CachedCells(const std::string& fingerprint, const std::function<std::vector<StoredCell>()>& read) {
    return Cached(fingerprint, read);
}

StringList CachedStrings(const std::string& fingerprint, const std::function<std::vector<std::string>()>& read) {
    return Cached(fingerprint, read);
}

}  // namespace kolumbra::sheet::ooxml
