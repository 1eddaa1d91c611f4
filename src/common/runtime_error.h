#pragma once
// Run-time errors: the failures a procedure can trap, each with the error
// number and the description the user is shown.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kolumbra {

class RuntimeError : public std::runtime_error {
public:
    // An error with the runtime's standard description of its number.
    explicit RuntimeError(std::int32_t number);
    // An error with a description of its own (the engines word theirs).
    RuntimeError(std::int32_t number, std::string description);

    std::int32_t number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }

private:
    std::int32_t number_;
    std::string description_;
};

// Error numbers the system raises by name.
namespace err {
inline constexpr std::int32_t InvalidCall = 5;
inline constexpr std::int32_t Overflow = 6;
inline constexpr std::int32_t OutOfMemory = 7;
inline constexpr std::int32_t SubscriptOutOfRange = 9;
inline constexpr std::int32_t TypeMismatch = 13;
inline constexpr std::int32_t FileNotFound = 53;
inline constexpr std::int32_t FileAlreadyOpen = 55;
inline constexpr std::int32_t DeviceIo = 57;
inline constexpr std::int32_t DiskFull = 61;
inline constexpr std::int32_t PermissionDenied = 70;
inline constexpr std::int32_t PathFileAccess = 75;
inline constexpr std::int32_t PathNotFound = 76;
inline constexpr std::int32_t ObjectNotSet = 91;
inline constexpr std::int32_t CannotCreateObject = 429;
inline constexpr std::int32_t ApplicationDefined = 1004;
}  // namespace err

// The runtime's standard description of an error number, worded as on a
// Japanese system. Numbers outside 0..65535 have none: raises error 5.
std::string StandardErrorDescription(std::int64_t number);

}  // namespace kolumbra
