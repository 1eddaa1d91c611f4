#pragma once
// The main window: path boxes, table list, command buttons, menus and the
// status bar. It is also the window the commands talk to.

#include <QMainWindow>
#include <memory>
#include <string>

#include "catalog/session.h"
#include "common/program_places.h"
#include "common/window_services.h"
#include "layoutbook/export_state.h"

class QListWidget;
class QProgressBar;
class QPushButton;
class QLabel;

namespace kolumbra::shell {

class PathBox;
class Prompts;

class Form1 : public QMainWindow, public WindowServices {
    Q_OBJECT
public:
    // The program's folder decides where the settings file and the default
    // output files are (common/program_places.h).
    Form1(Prompts& prompts, db::DbEngine& engine, QString programFolder);

    // Start-up: settings, then the default output paths.
    void Form_Load();

    Session& session() { return session_; }
    std::string SettingsPath() const;

    Answer MsgBox(const std::string& prompt, Buttons buttons, Icon icon, const std::string& title) override;
    std::string Text1() const override;
    void SetText1(const std::string& text) override;
    std::string Text2() const override;
    std::string Text3() const override;
    void ClearList() override;
    void AddListItem(const std::string& name) override;
    int ListCount() const override;
    std::string ListItem(int index) const override;
    bool ListSelected(int index) const override;
    void SetListCurrent(int index) override;
    void SetCommand3Enabled(bool enabled) override;
    void SetCommand4Enabled(bool enabled) override;
    void SetProgressMax(int maximum) override;
    float ProgressValue() const override;
    void SetProgressValue(float value) override;
    void RefreshProgress() override;
    void SetStatusPanel(int panel, const std::string& text) override;
    void RefreshStatus() override;
    void SetHourglass(bool busy) override;
    void Pause(int milliseconds) override;
    std::optional<std::string> ChooseDataSource() override;

private:
    void onCommand4Clicked();
    void BuildControls();
    void BuildMenus();
    void Command2_Click();
    void cmmdlg(PathBox* box, const QString& filter, bool existingFile);
    void M_komoku_s_Click();
    void M_VER_Click();

    Prompts& prompts_;
    ProgramPlaces places_;
    Session session_;
    ExportState exportState_;  // the field buffer and workbook of the table in work
    QString gLastDir;
    float progressValue_ = 0;

    PathBox* text1_ = nullptr;
    PathBox* text2_ = nullptr;
    PathBox* text3_ = nullptr;
    QListWidget* list1_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
    QPushButton* command3_ = nullptr;
    QPushButton* command4_ = nullptr;
    QProgressBar* progressBar1_ = nullptr;
    QLabel* panel1_ = nullptr;
    QLabel* panel2_ = nullptr;
    QWidget* busyCover_ = nullptr;
};

}  // namespace kolumbra::shell
