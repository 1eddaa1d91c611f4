// The form as LibreOffice prints it: every sheet one A4 portrait page,
// though the form is larger than the page inside its margins.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "layout_fixture.h"

namespace kolumbra::testing {
namespace {

std::string output(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string text;
    char buffer[4096];
    for (std::size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) text.append(buffer, n);
    return text;
}

// The value pdfinfo prints after `key`, without the blanks before it.
std::string infoValue(const std::string& info, const std::string& key) {
    const std::size_t start = info.find(key);
    if (start == std::string::npos) return "";
    const std::size_t value = info.find_first_not_of(' ', start + key.size());
    return info.substr(value, info.find('\n', value) - value);
}

TEST_F(LayoutTest, EverySheetPrintsAsOneA4PortraitPage) {
    Export({TableWithFields("Short", 3), TableWithFields("Long", 40)});
    const std::string profile = "file://" + dir.path().string() + "/profile";
    const std::string convert = "soffice --headless --norestore '-env:UserInstallation=" + profile +
                                "' --convert-to pdf --outdir '" + dir.path().string() + "' '" + window.text2 +
                                "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(convert.c_str()), 0);
    const std::string info = output("pdfinfo '" + dir.file("out.pdf") + "'");
    // The workbook's own first sheet is empty and prints nothing.
    EXPECT_EQ(infoValue(info, "Pages:"), "3") << info;
    const std::string size = infoValue(info, "Page size:");
    EXPECT_TRUE(size.starts_with("595") && size.ends_with("(A4)")) << "A4 portrait: " << size;
}

}  // namespace
}  // namespace kolumbra::testing
