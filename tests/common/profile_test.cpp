#include "common/profile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "common/cp932.h"
#include "common/runtime_error.h"
#include "temp_dir.h"

namespace kolumbra {
namespace {

using testing::TempDir;
using testing::WriteBytes;

class Profile : public ::testing::Test {
protected:
    TempDir dir;
    std::string ini = dir.file("kl01.ini");
    void write(const std::string& utf8) { WriteBytes(ini, cp932::FromUtf8(utf8)); }
    std::string read(const std::string& section, const std::string& key, const std::string& fallback = "DEF") {
        return ReadProfileString(ini, section, key, fallback);
    }
};

TEST_F(Profile, ReadsTheSettingsTheWindowWrites) {
    write("[KLSETTING]\r\njap=1\r\nmkname=山田 太郎\r\n");
    EXPECT_EQ(read("KLSETTING", "jap"), "1");
    EXPECT_EQ(read("KLSETTING", "mkname"), "山田 太郎");
    EXPECT_EQ(read("KLSETTING", "missing"), "DEF");
    EXPECT_EQ(read("OTHER", "jap"), "DEF");
}

TEST_F(Profile, MatchesNamesIgnoringCaseAndBlanks) {
    write("[klsetting]\nJAP = 5 \n  MkName=  ｻﾄｳ  \n");
    EXPECT_EQ(read("KLSETTING", "jap"), "5");
    EXPECT_EQ(read("KlSetting", "mkname"), "ｻﾄｳ");
}

TEST_F(Profile, UnwrapsMatchingQuotesOnly) {
    write("[S]\na=\" x \"\nb='y'\nc=\"z'\nd=\"\n");
    EXPECT_EQ(read("S", "a"), " x ");
    EXPECT_EQ(read("S", "b"), "y");
    EXPECT_EQ(read("S", "c"), "\"z'");
    EXPECT_EQ(read("S", "d"), "\"");
}

TEST_F(Profile, FirstSectionAndKeyWin) {
    write("[S]\nk=first\nk=second\n[S]\nk=third\n");
    EXPECT_EQ(read("S", "k"), "first");
}

TEST_F(Profile, IgnoresCommentsAndLinesWithoutEquals) {
    write("[S]\n;k=comment\nk\n  ; k=also\nk=real\n");
    EXPECT_EQ(read("S", "k"), "real");
}

TEST_F(Profile, KeysOutsideTheSectionDoNotCount) {
    write("jap=1\n[OTHER]\njap=2\n");
    EXPECT_EQ(read("KLSETTING", "jap", "0"), "0");
}

TEST_F(Profile, CutsLongValuesAtACharacterBoundary) {
    // 150 double-byte characters: 300 bytes; 254 bytes hold 127 of them.
    std::string value;
    for (int i = 0; i < 150; ++i) value += "漢";
    write("[S]\nk=" + value + "\n");
    std::string got = read("S", "k");
    EXPECT_EQ(cp932::FromUtf8(got).size(), 254u);
    EXPECT_EQ(got, value.substr(0, 127 * 3));

    // One byte off: 253 bytes of ASCII and a double-byte character never half-kept.
    write("[S]\nk=" + std::string(253, 'a') + "漢\n");
    EXPECT_EQ(read("S", "k"), std::string(253, 'a'));
}

TEST_F(Profile, MissingFileGivesTheDefault) {
    EXPECT_EQ(ReadProfileString(dir.file("none.ini"), "S", "k", "0"), "0");
    EXPECT_EQ(ReadProfileString(dir.file("nofolder/none.ini"), "S", "k", ""), "");
}

TEST_F(Profile, UnreadableFileIsAFailure) {
    try {
        ReadProfileString(dir.path().string(), "S", "k", "0");  // a folder
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 75);
    }
    if (::geteuid() != 0) {
        write("[S]\nk=v\n");
        ::chmod(ini.c_str(), 0);
        try {
            read("S", "k");
            FAIL();
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), 70);
        }
    }
}

TEST_F(Profile, InvalidBytesDoNotCrash) {
    WriteBytes(ini, "[S]\nk=\x81\n");
    EXPECT_EQ(read("S", "k"), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace kolumbra
