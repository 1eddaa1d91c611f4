// The windows of an installed program: settings in the user's configuration
// folder, outputs proposed in the documents folder, and the program's icon.

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

#include "common/program_places.h"
#include "shell/form2.h"
#include "shell_fixture.h"

namespace kolumbra::shell::testing {
namespace {

using kolumbra::testing::ReadBytes;
using kolumbra::testing::ScopedEnv;

TEST_F(ShellTest, AnInstalledProgramKeepsItsSettingsInTheUsersFolders) {
    const std::string home = dir.file("home");
    std::filesystem::create_directory(home);
    ScopedEnv homeEnv("HOME", home);
    ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    const QString installed = QString::fromStdString(InstalledProgramFolder());
    auto form = std::make_unique<Form1>(prompts, *engine, installed);
    form->Form_Load();
    EXPECT_EQ(Find<QLineEdit>(form.get(), "Text2")->text().toStdString(), home + "/table.xls");
    EXPECT_EQ(Find<QLineEdit>(form.get(), "Text3")->text().toStdString(), home + "/table.csv");
    const std::string settings = home + "/.config/kolumbra/kl01.ini";
    EXPECT_EQ(form->SettingsPath(), settings);
    EXPECT_FALSE(std::filesystem::exists(home + "/.config")) << "nothing is written before OK";

    PressInNextModal("Command1", [](QWidget* modal) {
        modal->findChild<QRadioButton*>("Option1_1")->setChecked(true);
        modal->findChild<QLineEdit*>("Text1")->setText("Yamada");
    });
    MenuItem(form.get(), "M_komoku_s")->trigger();
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(ReadBytes(settings), "[KLSETTING]\r\njap=1\r\nmkname=Yamada\r\nremarks=0\r\nrefresh=0\r\n");

    auto next = std::make_unique<Form1>(prompts, *engine, installed);
    next->Form_Load();
    EXPECT_EQ(next->session().gJap, 1);
    EXPECT_EQ(next->session().gMkname, "Yamada");
}

TEST_F(ShellTest, TheVersionWindowShowsTheProgramsOwnIcon) {
    Form2 form2(nullptr);
    const QPixmap shown = Find<QLabel>(&form2, "Image1")->pixmap();
    ASSERT_FALSE(shown.isNull());
    const QImage image = shown.toImage();
    // The red head of the sheet and the blue of the drum, as drawn.
    const QColor head = image.pixelColor(image.width() * 37 / 64, image.height() * 8 / 64);
    const QColor drum = image.pixelColor(image.width() * 18 / 64, image.height() * 52 / 64);
    EXPECT_GT(head.red(), 150);
    EXPECT_LT(head.blue(), 100);
    EXPECT_GT(drum.blue(), 100);
    EXPECT_LT(drum.red(), 100);
}

}  // namespace
}  // namespace kolumbra::shell::testing
