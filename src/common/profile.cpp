#include "common/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <optional>
#include <string_view>
#include <system_error>

#include "common/cp932.h"
#include "common/file_io.h"
#include "common/report_error.h"
#include "common/runtime_error.h"
#include "common/text.h"

namespace kolumbra {

namespace {

std::string_view trimWhite(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

[[noreturn]] void raiseFor(int error) {
    throw RuntimeError(error == EACCES || error == EPERM ? err::PermissionDenied : err::PathFileAccess);
}

// The whole file, or nothing when it does not exist.
std::optional<std::string> readFile(const std::string& path) {
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
        raiseFor(errno);
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) raiseFor(S_ISDIR(info.st_mode) ? EISDIR : errno);
    try {
        return ReadAll(file.get());
    } catch (const std::system_error& error) {
        raiseFor(error.code().value());
    }
}

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// The value found in the file's text (UTF-8), if any.
std::optional<std::string> lookUp(std::string_view content, std::string_view section, std::string_view key) {
    bool inSection = false;
    while (!content.empty()) {
        auto end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = trimWhite(line);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            auto close = line.find(']');
            std::string_view name = line.substr(1, close == std::string_view::npos ? line.npos : close - 1);
            inSection = equalsIgnoringAsciiCase(trimWhite(name), section);
            continue;
        }
        if (!inSection) continue;
        auto eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        if (equalsIgnoringAsciiCase(trimWhite(line.substr(0, eq)), key)) {
            return std::string(unquote(trimWhite(line.substr(eq + 1))));
        }
    }
    return std::nullopt;
}

}  // namespace

std::string ReadProfileString(const std::string& path, const std::string& section, const std::string& key,
                              const std::string& fallback) {
    auto bytes = readFile(path);
    if (!bytes) return fallback;
    auto value = lookUp(cp932::ToUtf8(*bytes), trimWhite(section), trimWhite(key));
    if (!value) return fallback;
    std::string encoded = cp932::FromUtf8(*value);
    if (encoded.size() <= ProfileValueLimit) return *value;
    return cp932::ToUtf8(cp932::CutAtCharBoundary(encoded, ProfileValueLimit));
}

std::string paGetPrivateProfileString(WindowServices& window, const std::string& path, const std::string& section,
                                      const std::string& key, const std::string& fallback) {
    try {
        return ReadProfileString(path, section, key, fallback);
    } catch (const RuntimeError& failure) {
        ReportError(window, std::to_string(failure.number()), "paGetPrivateProfileString");
    }
}

std::int16_t JapValue(const std::string& text) {
    const std::string trimmed = text::TrimBlanks(text);
    std::int16_t value = 0;
    const char* end = trimmed.data() + trimmed.size();
    const auto [stop, error] = std::from_chars(trimmed.data(), end, value);
    return error == std::errc() && stop == end ? value : 0;
}

std::int16_t RemarksValue(const std::string& text) { return text == "1" ? 1 : 0; }

}  // namespace kolumbra
