#pragma once
// The window services on a terminal: messages go to stderr, questions are
// answered by the command line, progress shows on stderr when it is a
// terminal, pauses are recorded but not waited for.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/window_services.h"

namespace kolumbra::cli {

class ConsoleWindow : public WindowServices {
public:
    // Answers a message box that asks OK or Cancel.
    std::function<Answer(const std::string& prompt)> answerQuestion = [](const std::string&) { return Answer::Ok; };
    // The data source named on the command line (--dsn).
    std::optional<std::string> dataSource;

    std::string text1, text2, text3;
    std::vector<std::string> listItems;
    std::vector<bool> listSelected;

    // Messages shown, in order (the prompt text).
    std::vector<std::string> shownMessages;
    int pausedMilliseconds = 0;

    // Selects the entries named; every entry when `names` is empty. Returns
    // the names that are not in the list.
    std::vector<std::string> SelectTables(const std::vector<std::string>& names);
    // The selected entries, in list order.
    std::vector<std::string> SelectedTables() const;

    Answer MsgBox(const std::string& prompt, Buttons buttons, Icon icon, const std::string& title) override;
    std::string Text1() const override { return text1; }
    void SetText1(const std::string& text) override { text1 = text; }
    std::string Text2() const override { return text2; }
    std::string Text3() const override { return text3; }
    void ClearList() override;
    void AddListItem(const std::string& name) override;
    int ListCount() const override { return static_cast<int>(listItems.size()); }
    std::string ListItem(int index) const override { return listItems.at(static_cast<std::size_t>(index)); }
    bool ListSelected(int index) const override { return listSelected.at(static_cast<std::size_t>(index)); }
    void SetListCurrent(int) override {}
    void SetCommand3Enabled(bool) override {}
    void SetCommand4Enabled(bool) override {}
    void SetProgressMax(int maximum) override { progressMax_ = maximum; }
    float ProgressValue() const override { return progressValue_; }
    void SetProgressValue(float value) override { progressValue_ = value; }
    void RefreshProgress() override;
    void SetStatusPanel(int panel, const std::string& text) override;
    void RefreshStatus() override {}
    void SetHourglass(bool) override {}
    void Pause(int milliseconds) override { pausedMilliseconds += milliseconds; }
    std::optional<std::string> ChooseDataSource() override { return dataSource; }

private:
    int progressMax_ = 100;
    float progressValue_ = 0;
    std::string table_;
    bool terminal_ = false;
    bool terminalChecked_ = false;
    bool progressShown_ = false;
    bool isTerminal();
};

// Turns a prompt's line breaks (CR LF, CR or LF) into the terminal's.
std::string ConsoleText(const std::string& prompt);

}  // namespace kolumbra::cli
