#include "engine/db/access/access_file.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "common/runtime_error.h"
#include "engine/db/access/catalog_wire.h"
#include "engine/db/access/mdb_catalog.h"

namespace kolumbra::db {

namespace {

// Limits of the reading child: a damaged file can make the library
// allocate without bound or loop forever.
constexpr rlim_t ChildMemoryBytes = 1024ull * 1024 * 1024;
constexpr rlim_t ChildCpuSeconds = 10;
constexpr int ChildWallMilliseconds = 15000;
constexpr std::size_t MaxCatalogBytes = 256u * 1024 * 1024;

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

[[noreturn]] void runChild(const std::string& absolutePath, int out) {
    int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
    }
    struct rlimit memory{ChildMemoryBytes, ChildMemoryBytes};
    struct rlimit cpu{ChildCpuSeconds, ChildCpuSeconds};
    ::setrlimit(RLIMIT_AS, &memory);
    ::setrlimit(RLIMIT_CPU, &cpu);
    ::unsetenv("MDBPATH");
    ::unsetenv("MDB_JET3_CHARSET");
    ::unsetenv("MDBOPTS");
    ::setenv("MDBICONV", "UTF-8", 1);
    auto tables = mdb::ReadCatalog(absolutePath);
    if (!tables) ::_exit(3);
    std::string bytes = wire::Encode(*tables);
    for (std::size_t done = 0; done < bytes.size();) {
        ssize_t n = ::write(out, bytes.data() + done, bytes.size() - done);
        if (n <= 0) ::_exit(4);
        done += static_cast<std::size_t>(n);
    }
    ::_exit(0);
}

// Everything the child writes, or nothing when it runs out of time or
// sends more than any catalogue needs.
std::optional<std::string> collect(int in) {
    std::string bytes;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ChildWallMilliseconds);
    char buffer[65536];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        struct pollfd p{in, POLLIN, 0};
        int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return std::nullopt;
        ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) return bytes;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > MaxCatalogBytes) return std::nullopt;
    }
}

std::vector<mdb::CatalogTable> readCatalogIsolated(const std::string& path) {
    std::string absolute = std::filesystem::absolute(path).string();
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) throw RuntimeError(err::OutOfMemory);
    pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        throw RuntimeError(err::OutOfMemory);
    }
    if (child == 0) {
        ::close(pipeEnds[0]);
        runChild(absolute, pipeEnds[1]);
    }
    ::close(pipeEnds[1]);
    auto bytes = collect(pipeEnds[0]);
    ::close(pipeEnds[0]);
    if (!bytes) ::kill(child, SIGKILL);  // out of time or too much: stop it
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    bool cleanExit = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!bytes || !cleanExit) unrecognised(path);
    auto tables = wire::Decode(*bytes);
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
    if (tables.size() > 32767) unrecognised(path);
    return std::make_unique<AccessDatabase>(path, std::move(tables));
}

}  // namespace kolumbra::db
