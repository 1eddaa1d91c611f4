#include "shell/settings_file.h"

#include <filesystem>
#include <system_error>

#include "common/atomic_replace.h"
#include "common/cp932.h"
#include "common/text.h"

namespace kolumbra::shell {

std::string ComposeSettingsFile(std::int16_t jap, const std::string& mkname, std::int16_t remarks,
                                std::int16_t refresh) {
    const std::string block = "[KLSETTING]\r\njap=" + std::to_string(jap) + "\r\nmkname=" + text::TrimBlanks(mkname) +
                              "\r\nremarks=" + (remarks != 0 ? "1" : "0") + "\r\nrefresh=" + (refresh != 0 ? "1" : "0") +
                              "\r\n";
    return cp932::FromUtf8(block);
}

bool WriteSettingsFile(const std::string& path, std::int16_t jap, const std::string& mkname, std::int16_t remarks,
                       std::int16_t refresh) {
    // The configuration folder of an installed program may not exist yet;
    // when it cannot be made, the write below fails and says so.
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    try {
        ReplaceFileAtomically(path, ComposeSettingsFile(jap, mkname, remarks, refresh));
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

}  // namespace kolumbra::shell
