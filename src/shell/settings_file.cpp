#include "shell/settings_file.h"

#include <charconv>
#include <cstdio>
#include <fstream>

#include "common/cp932.h"
#include "common/text.h"

namespace kolumbra::shell {

std::string ComposeSettingsFile(std::int16_t jap, const std::string& mkname, std::int16_t remarks) {
    const std::string block = "[KLSETTING]\r\njap=" + std::to_string(jap) + "\r\nmkname=" + text::TrimBlanks(mkname) +
                              "\r\nremarks=" + (remarks != 0 ? "1" : "0") + "\r\n";
    return cp932::FromUtf8(block);
}

bool WriteSettingsFile(const std::string& path, std::int16_t jap, const std::string& mkname, std::int16_t remarks) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << ComposeSettingsFile(jap, mkname, remarks);
        out.close();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

std::int16_t JapValue(const std::string& text) {
    const std::string trimmed = text::TrimBlanks(text);
    std::int16_t value = 0;
    const char* end = trimmed.data() + trimmed.size();
    const auto [stop, error] = std::from_chars(trimmed.data(), end, value);
    if (error != std::errc() || stop != end) return 0;
    return value;
}

std::int16_t RemarksValue(const std::string& text) { return text == "1" ? 1 : 0; }

}  // namespace kolumbra::shell
