// Where the settings file and the proposed outputs are: beside a program run
// from its build tree or a copy, in the user's folders for an installed one.

#include "common/program_places.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "temp_dir.h"

namespace kolumbra {
namespace {

namespace fs = std::filesystem;
using testing::ScopedEnv;
using testing::TempDir;
using testing::WriteBytes;

class Places : public ::testing::Test {
protected:
    TempDir dir;
    std::string home = dir.file("home"), bin = dir.file("usr/bin");
    ScopedEnv homeEnv{"HOME", home};
    void SetUp() override {
        fs::create_directories(home + "/.config");
        fs::create_directories(bin);
    }
};

TEST_F(Places, AProgramOutsideTheInstallFolderKeepsEverythingBesideIt) {
    ScopedEnv config("XDG_CONFIG_HOME", dir.file("config"));
    for (const std::string& folder : {dir.file("build/src/shell"), dir.file("copy")}) {
        const ProgramPlaces places = PlacesOf(folder, bin);
        EXPECT_EQ(places.settingsFile, folder + "/kl01.ini");
        EXPECT_EQ(places.outputFolder, folder);
    }
}

TEST_F(Places, AnInstalledProgramUsesTheUsersFolders) {
    fs::create_directories(home + "/書類");
    WriteBytes(home + "/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/書類\"\n");
    fs::create_directory_symlink(bin, dir.file("bin"));  // /bin on a merged /usr
    const struct {
        std::optional<std::string> xdgConfigHome;
        std::string settings;
    } cases[] = {{std::nullopt, home + "/.config/kolumbra/kl01.ini"},
                 {"", home + "/.config/kolumbra/kl01.ini"},
                 {"relative/config", home + "/.config/kolumbra/kl01.ini"},
                 {dir.file("xdg"), dir.file("xdg") + "/kolumbra/kl01.ini"}};
    for (const auto& c : cases) {
        ScopedEnv config("XDG_CONFIG_HOME", c.xdgConfigHome);
        for (const std::string& folder : {bin, dir.file("bin"), bin + "/"}) {
            const ProgramPlaces places = PlacesOf(folder, bin);
            EXPECT_EQ(places.settingsFile, c.settings) << folder;
            if (!c.xdgConfigHome || c.xdgConfigHome->empty()) {
                EXPECT_EQ(places.outputFolder, home + "/書類");
            }
        }
    }
}

TEST_F(Places, WithoutADocumentsFolderOutputsGoHome) {
    ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(PlacesOf(bin, bin).outputFolder, home);
    WriteBytes(home + "/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/gone\"\n");
    EXPECT_EQ(PlacesOf(bin, bin).outputFolder, home);
}

}  // namespace
}  // namespace kolumbra
