// libFuzzer entry: every input is a workbook file handed to the engine, as
// an .xls file or, built with KOLUMBRA_FUZZ_EXTENSION=".xlsx", as a package.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "book_exercise.h"

#ifndef KOLUMBRA_FUZZ_EXTENSION
#define KOLUMBRA_FUZZ_EXTENSION ".xls"
#endif

namespace {

// One folder per fuzzing process, in memory when the machine has one.
const std::string& WorkFolder() {
    static const std::string folder = [] {
        const char* base = std::getenv("KOLUMBRA_FUZZ_TMP");
        std::filesystem::path path = base != nullptr ? base : (std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp");
        path /= "kolumbra-fuzz-" + std::to_string(getpid());
        std::filesystem::create_directories(path);
        return path.string();
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const kolumbra::fuzz::ExerciseOutcome outcome = kolumbra::fuzz::ExerciseBook(data, size, WorkFolder(), KOLUMBRA_FUZZ_EXTENSION);
    // A workbook the engine accepted and saved must bind again.
    if (outcome.error.empty() && !outcome.reboundCleanly) {
        std::fprintf(stderr, "a workbook the engine saved does not bind again: %s\n", outcome.reboundError.c_str());
        std::abort();
    }
    return 0;
}
