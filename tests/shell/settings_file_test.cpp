#include "common/profile.h"
#include "shell/settings_file.h"

#include <gtest/gtest.h>

#include "temp_dir.h"

namespace kolumbra::shell {
namespace {

TEST(SettingsFile, WritesFiveLinesInCodePage932WithTrimmedAuthor) {
    kolumbra::testing::TempDir dir;
    const std::string path = dir.file("kl01.ini");
    ASSERT_TRUE(WriteSettingsFile(path, 1, "  山田  ", 1, 0));
    EXPECT_EQ(kolumbra::testing::ReadBytes(path), "[KLSETTING]\r\njap=1\r\nmkname=\x8e\x52\x93\x63\r\nremarks=1\r\nrefresh=0\r\n");
    EXPECT_TRUE(ComposeSettingsFile(0, "", 0, 0).ends_with("\r\nremarks=0\r\nrefresh=0\r\n"));
    EXPECT_TRUE(ComposeSettingsFile(0, "", 0, 1).ends_with("\r\nremarks=0\r\nrefresh=1\r\n"));
}

TEST(SettingsFile, AMissingConfigurationFolderIsMade) {
    kolumbra::testing::TempDir dir;
    const std::string path = dir.file("config/kolumbra/kl01.ini");
    ASSERT_TRUE(WriteSettingsFile(path, 0, "a", 0, 0));
    EXPECT_EQ(kolumbra::testing::ReadBytes(path), "[KLSETTING]\r\njap=0\r\nmkname=a\r\nremarks=0\r\nrefresh=0\r\n");
}

TEST(SettingsFile, UnwritablePlaceIsReportedAndLeavesNoFile) {
    kolumbra::testing::TempDir dir;
    kolumbra::testing::WriteBytes(dir.file("plain"), "x");
    EXPECT_FALSE(WriteSettingsFile(dir.file("plain") + "/kl01.ini", 0, "", 0, 0));
}

TEST(SettingsFile, JapValueTakesIntegersAndZeroForAnythingElse) {
    EXPECT_EQ(JapValue("5"), 5);
    EXPECT_EQ(JapValue(" 1 "), 1);
    EXPECT_EQ(JapValue(""), 0);
    EXPECT_EQ(JapValue("yes"), 0);
    EXPECT_EQ(JapValue("1x"), 0);
    EXPECT_EQ(JapValue("99999"), 0);
}

}  // namespace
}  // namespace kolumbra::shell
