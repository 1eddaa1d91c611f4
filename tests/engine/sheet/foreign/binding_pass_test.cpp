// The fuzzer's whole binding pass over the workbooks it starts from, and
// over the inputs it found faults with (kept under fuzz-found/).

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "book_exercise.h"
#include "foreign_files.h"
#include "temp_dir.h"

namespace kolumbra::sheet::testing {
namespace {

namespace fs = std::filesystem;

fuzz::ExerciseOutcome Exercise(const fs::path& file, const std::string& work) {
    const biff::Bytes bytes = ReadFile(file.string());
    return fuzz::ExerciseBook(bytes.data(), bytes.size(), work);
}

TEST(BindingPass, EverySampleWorkbookIsExtendedSavedAndBindsAgain) {
    kolumbra::testing::TempDir dir;
    std::vector<fs::path> samples = ForeignFixtures();
    for (const char* folder : {KOLUMBRA_SOURCE_DIR "/fuzz/seeds", KOLUMBRA_SOURCE_DIR "/tests/engine/sheet/foreign/quirks"})
        for (const auto& own : fs::directory_iterator(folder)) samples.push_back(own.path());
    ASSERT_GE(samples.size(), 12u);
    for (const fs::path& sample : samples) {
        const fuzz::ExerciseOutcome outcome = Exercise(sample, dir.path());
        EXPECT_EQ(outcome.error, "") << sample.filename();
        EXPECT_TRUE(outcome.reboundCleanly) << sample.filename() << ": " << outcome.reboundError;
    }
}

TEST(BindingPass, InputsTheFuzzerFoundAreRefusedOrSavedSoundly) {
    kolumbra::testing::TempDir dir;
    int files = 0;
    for (const auto& found : fs::directory_iterator(KOLUMBRA_SOURCE_DIR "/tests/engine/sheet/foreign/fuzz-found")) {
        const fuzz::ExerciseOutcome outcome = Exercise(found.path(), dir.path());
        EXPECT_TRUE(!outcome.error.empty() || outcome.reboundCleanly) << found.path().filename() << ": " << outcome.reboundError;
        ++files;
    }
    EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace kolumbra::sheet::testing
