#include "engine/db/access/access_file.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "common/runtime_error.h"
#include "engine/db/access/catalog_wire.h"
#include "engine/db/access/isolated_child.h"
#include "engine/db/access/mdb_catalog.h"

namespace kolumbra::db {

namespace {

// Limits of the reading child: a damaged file can make the library
// allocate without bound or loop forever.
constexpr rlim_t ChildMemoryBytes = 1024ull * 1024 * 1024;
constexpr rlim_t ChildCpuSeconds = 10;
constexpr int ChildWallMilliseconds = 15000;
constexpr std::size_t MaxCatalogBytes = 256u * 1024 * 1024;
constexpr isolated::Limits ReaderLimits{ChildMemoryBytes, ChildCpuSeconds, ChildWallMilliseconds, MaxCatalogBytes};

[[noreturn]] void notFound(const std::string& path) {
    throw RuntimeError(dberr::FileNotFound, "ファイル '" + path + "' が見つかりません。");
}

[[noreturn]] void unrecognised(const std::string& path) {
    throw RuntimeError(dberr::UnrecognisedFormat, "データベースの形式 '" + path + "' を認識できません。");
}

// Only a regular file that starts like an Access database goes on to the library.
void checkBeforeOpening(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) notFound(path);
        throw RuntimeError(3051, "ファイル '" + path + "' を開けません。" + std::strerror(errno));
    }
    struct stat info {};
    char header[20] = {};
    bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    bool readAll = regular && ::pread(fd, header, sizeof header, 0) == static_cast<ssize_t>(sizeof header);
    ::close(fd);
    if (!readAll) unrecognised(path);
    std::string magic(header + 4, 15);
    if (magic != "Standard Jet DB" && magic != "Standard ACE DB") unrecognised(path);
}

[[noreturn]] void beyondLimit(const std::string& path, const std::string& limit) {
    throw RuntimeError(dberr::ResourcesExceeded, "データベース '" + path + "' を読み終わる前に" + limit +
                                                     "の上限に達しました。ファイルが大きすぎるか、壊れています。");
}

std::vector<mdb::CatalogTable> readCatalogIsolated(const std::string& path) {
    std::error_code noFolder;
    const std::string absolute = std::filesystem::absolute(path, noFolder).string();
    if (noFolder) notFound(path);
    const auto work = [&absolute] {
        ::unsetenv("MDBPATH");
        ::unsetenv("MDB_JET3_CHARSET");
        ::unsetenv("MDBOPTS");
        ::setenv("MDBICONV", "UTF-8", 1);
        auto tables = mdb::ReadCatalog(absolute);
        if (!tables) throw std::runtime_error("no catalogue");
        return wire::Encode(*tables);
    };
    const isolated::Result result = isolated::Run(work, ReaderLimits);
    switch (result.outcome) {
        case isolated::Outcome::Done: break;
        case isolated::Outcome::Failed: unrecognised(path);
        case isolated::Outcome::OutOfMemory: beyondLimit(path, "メモリ (" + std::to_string(ChildMemoryBytes >> 20) + " MB)");
        case isolated::Outcome::OutOfTime: beyondLimit(path, "時間 (" + std::to_string(ChildCpuSeconds) + " 秒)");
        case isolated::Outcome::TooMuchOutput:
            beyondLimit(path, "カタログの大きさ (" + std::to_string(MaxCatalogBytes >> 20) + " MB)");
    }
    auto tables = wire::Decode(result.bytes);
    if (!tables) unrecognised(path);
    return std::move(*tables);
}

// A table the reading child could not describe is listed from its
// catalogue entry; only a read of its fields or indexes fails.
class AccessDatabase : public Database {
public:
    AccessDatabase(std::string path, std::vector<mdb::CatalogTable> tables)
        : path_(std::move(path)), tables_(std::move(tables)) {}

    std::string Name() override { return path_; }
    std::string Connect() override { return {}; }
    std::int16_t TableDefCount() override { return static_cast<std::int16_t>(tables_.size()); }
    TableDef TableDefSummary(std::int16_t index) override {
        TableDef def = at(index).Def;
        def.Fields.clear();
        def.Indexes.clear();
        return def;
    }
    TableDef TableDefItem(std::int16_t index) override {
        const mdb::CatalogTable& table = at(index);
        if (!table.Unreadable.empty()) {
            throw RuntimeError(dberr::DamagedTable, "テーブル '" + table.Def.Name + "' の" + table.Unreadable +
                                                        "。ファイルが壊れている可能性があります。");
        }
        return table.Def;
    }
    void Close() override { tables_.clear(); }

private:
    const mdb::CatalogTable& at(std::int16_t index) const {
        if (index < 0 || static_cast<std::size_t>(index) >= tables_.size()) {
            throw RuntimeError(dberr::ItemNotFound, "このコレクションには項目がありません。");
        }
        return tables_[static_cast<std::size_t>(index)];
    }

    std::string path_;
    std::vector<mdb::CatalogTable> tables_;
};

}  // namespace

std::unique_ptr<Database> OpenAccessFile(const std::string& path) {
    checkBeforeOpening(path);
    auto tables = readCatalogIsolated(path);
    mdb::SortByName(tables);
    if (tables.size() > 32767) beyondLimit(path, "テーブル数 (32767)");
    return std::make_unique<AccessDatabase>(path, std::move(tables));
}

}  // namespace kolumbra::db
