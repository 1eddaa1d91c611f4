#pragma once
// The last workbook this process quit while its file held all of it (just
// saved, or bound and left unchanged), kept so that binding it again does
// not parse the whole file anew. It is handed back only while the file on
// disk is still that one.

#include <memory>
#include <string>
#include <utility>

#include "engine/sheet/file_stamp.h"

namespace kolumbra::sheet::detail {

class Book;

// Keeps `book`, which holds what the file at the absolute `path` held when
// it had `stamp`, in place of any workbook kept before.
void KeepSavedBook(const std::string& path, const FileStamp& stamp, std::shared_ptr<Book> book);

// The workbook kept for `path` if the file still has the stamp it had when
// saved; it is no longer kept either way.
std::shared_ptr<Book> TakeSavedBook(const std::string& path);
// The same for whatever path it was kept for, and that path.
std::pair<std::string, std::shared_ptr<Book>> TakeSavedBook();

}  // namespace kolumbra::sheet::detail
