#pragma once
// One pass over everything the workbook engine does with a workbook it is
// given: bind, read, extend, delete, save and bind the result again. Shared
// by the fuzzer and the regression test of the files it found.

#include <cstddef>
#include <cstdint>
#include <string>

namespace kolumbra::fuzz {

struct ExerciseOutcome {
    // The run-time error that ended the pass; empty when it saved.
    std::string error;
    // Whether what it saved bound again and read back.
    bool reboundCleanly = false;
    // Why it did not, when it did not.
    std::string reboundError;
};

// Binds the workbook in `bytes` (written to `work`/in`extension` first,
// ".xls" or ".xlsx", which chooses the format) and works it over. A refusal or any other run-time error of the engine is a clean
// outcome and ends the pass; every other exception escapes to the caller.
ExerciseOutcome ExerciseBook(const std::uint8_t* bytes, std::size_t size, const std::string& work,
                             const std::string& extension = ".xls");

}  // namespace kolumbra::fuzz
