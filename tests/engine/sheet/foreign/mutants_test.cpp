// Damaged copies of the fixtures that the mutation campaign
// (scripts/mutate-xls) found bound and saved with something lost: each is
// refused with the reason, with the file left as it was. Each damage is a patch in
// mutants/: comment lines, the fixture's name, then "offset byte byte ..."
// lines (hex bytes at a decimal file offset) or "truncate size".

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "common/runtime_error.h"
#include "engine/sheet/biff/refusal.h"
#include "engine/sheet/workbook.h"
#include "foreign_files.h"
#include "temp_dir.h"

namespace kolumbra::sheet::testing {
namespace {

biff::Bytes PatchedFixture(const std::string& patchName) {
    std::ifstream patch(KOLUMBRA_SOURCE_DIR "/tests/engine/sheet/foreign/mutants/" + patchName + ".patch");
    EXPECT_TRUE(patch) << patchName;
    std::string line;
    biff::Bytes bytes;
    bool named = false;
    while (std::getline(patch, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (!named) {
            bytes = ReadFile(KOLUMBRA_FIXTURES "/xls/" + line);
            named = true;
        } else if (line.starts_with("truncate ")) {
            bytes.resize(std::stoul(line.substr(9)));
        } else {
            std::istringstream fields(line);
            std::size_t at = 0;
            fields >> at;
            for (unsigned value = 0; fields >> std::hex >> value; ++at) bytes.at(at) = static_cast<std::uint8_t>(value);
        }
    }
    EXPECT_FALSE(bytes.empty()) << patchName;
    return bytes;
}

struct Damage {
    const char* patch;
    std::string why;
};

class Mutant : public ::testing::TestWithParam<Damage> {};

TEST_P(Mutant, IsRefusedWithTheReasonAndLeftAsItWas) {
    kolumbra::testing::TempDir dir;
    const std::string path = dir.file("mutant.xls");
    const biff::Bytes bytes = PatchedFixture(GetParam().patch);
    WriteFile(path, bytes);
    try {
        GetWorkbook(path)->SaveAs(dir.file("saved.xls"));
        ADD_FAILURE() << "the mutant was bound";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::ApplicationDefined);
        EXPECT_EQ(e.description(), "'" + path + "' をブックとして開けません。" + GetParam().why);
    }
    EXPECT_EQ(ReadFile(path), bytes);
}

// Named for the fault each one showed.
const Damage Mutants[] = {
    {"chartsheets-unlisted-worksheet-dropped", biff::kUnlistedData},
    {"chartsheets-directory-sector-cut-vba-lost", biff::kCutInsideSector},
    {"jp-vba-directory-sector-cut-summary-lost", biff::kCutInsideSector},
    {"jp-vba-project-name-without-nul-renamed", biff::kNameWithoutNul},
};

INSTANTIATE_TEST_SUITE_P(Campaign, Mutant, ::testing::ValuesIn(Mutants), [](const auto& info) {
    std::string name = info.param.patch;
    for (char& c : name) c = c == '-' ? '_' : c;
    return name;
});

}  // namespace
}  // namespace kolumbra::sheet::testing
