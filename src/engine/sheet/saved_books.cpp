#include "engine/sheet/saved_books.h"

#include <mutex>
#include <utility>

namespace kolumbra::sheet::detail {

namespace {

struct Kept {
    std::string path;
    FileStamp stamp;
    std::shared_ptr<Book> book;
};

std::mutex keptMutex;
Kept kept;

}  // namespace

void KeepSavedBook(const std::string& path, const FileStamp& stamp, std::shared_ptr<Book> book) {
    Kept replaced;
    {
        std::lock_guard lock(keptMutex);
        replaced = std::exchange(kept, Kept{path, stamp, std::move(book)});
    }
    // The workbook kept before is released outside the lock.
}

std::shared_ptr<Book> TakeSavedBook(const std::string& path) {
    Kept taken;
    {
        std::lock_guard lock(keptMutex);
        if (kept.book == nullptr || kept.path != path) return nullptr;
        taken = std::exchange(kept, Kept{});
    }
    return StampOf(path) == taken.stamp ? std::move(taken.book) : nullptr;
}

std::pair<std::string, std::shared_ptr<Book>> TakeSavedBook() {
    std::string path;
    {
        std::lock_guard lock(keptMutex);
        path = kept.path;
    }
    std::shared_ptr<Book> book = TakeSavedBook(path);
    return {book ? path : std::string(), std::move(book)};
}

}  // namespace kolumbra::sheet::detail
