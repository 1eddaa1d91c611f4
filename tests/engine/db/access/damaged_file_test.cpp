// Damaged copies of the fixtures that make the library hang, exhaust
// memory or read part of the catalogue as if it were whole: each is an open
// failure, with the reading child stopped; one that runs into the reader's
// limits says which. Each damage is a patch in
// mutants/: comment lines, the fixture's name, then "offset byte byte ..."
// lines (hex bytes at a decimal offset) or "truncate size".

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "access_fixture.h"
#include "common/runtime_error.h"
#include "engine/db/access/access_file.h"
#include "temp_dir.h"

namespace kolumbra::testing {
namespace {

// Writes the patched fixture to `path`.
void ApplyPatch(const std::string& patchName, const std::string& path) {
    std::ifstream patch(std::string(KOLUMBRA_ACCESS_TEST_DIR) + "/mutants/" + patchName);
    ASSERT_TRUE(patch) << patchName;
    std::string line, bytes;
    while (std::getline(patch, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        if (bytes.empty()) {
            bytes = ReadBytes(MdbFixture(line));
            continue;
        }
        if (line.rfind("truncate ", 0) == 0) {
            bytes.resize(std::stoul(line.substr(9)));
            continue;
        }
        std::size_t offset = 0;
        fields >> offset;
        unsigned value = 0;
        for (std::size_t at = offset; fields >> std::hex >> value; ++at) {
            ASSERT_LT(at, bytes.size()) << line;
            bytes[at] = static_cast<char>(value);
        }
    }
    ASSERT_FALSE(bytes.empty()) << patchName;
    WriteBytes(path, bytes);
}

struct Damage {
    const char* patch;
    bool beyondLimit;  // else an unrecognised format
};

class DamagedFile : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedFile, IsAnOpenFailureAndLeavesNoChildBehind) {
    TempDir dir;
    const std::string path = dir.file("damaged.mdb");
    ApplyPatch(std::string(GetParam().patch) + ".patch", path);
    try {
        db::OpenAccessFile(path);
        ADD_FAILURE() << "the damaged file opened";
    } catch (const RuntimeError& error) {
        if (GetParam().beyondLimit) {
            EXPECT_EQ(error.number(), db::dberr::ResourcesExceeded);
            EXPECT_TRUE(error.description().starts_with("データベース '" + path + "' を読み終わる前に"))
                << error.description();
        } else {
            EXPECT_EQ(error.number(), db::dberr::UnrecognisedFormat);
            EXPECT_EQ(error.description(), "データベースの形式 '" + path + "' を認識できません。");
        }
    }
    // The stopped child has been waited for.
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

INSTANTIATE_TEST_SUITE_P(Mutants, DamagedFile,
                         ::testing::Values(Damage{"date-property-chunk-too-short-hangs", true},
                                           Damage{"date-property-chunk-too-long-exhausts-memory", true},
                                           Damage{"nwind-last-catalogue-page-cut-off", false}),
                         [](const auto& info) {
                             std::string name = info.param.patch;
                             for (char& c : name) {
                                 if (c == '-') c = '_';
                             }
                             return name;
                         });

}  // namespace
}  // namespace kolumbra::testing
