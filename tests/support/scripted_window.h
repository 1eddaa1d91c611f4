#pragma once
// A window for tests: records every message box and every refresh exactly,
// answers questions from a script, and holds the path boxes and the list.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/window_services.h"

namespace kolumbra::testing {

struct RecordedMessage {
    std::string prompt;
    Buttons buttons;
    Icon icon;
    std::string title;
    bool operator==(const RecordedMessage&) const = default;
};

struct ListEntry {
    std::string text;
    bool selected = false;
};

class ScriptedWindow : public WindowServices {
public:
    // Script: answers given to message boxes in turn; OK when the script is used up.
    std::deque<Answer> answers;
    // Script: what the data-source chooser returns.
    std::optional<std::string> dataSourceChoice;

    // Record.
    std::vector<RecordedMessage> messages;
    // Progress, status, pointer, pause and chooser calls in order, as text:
    // "max 102", "value 17", "refresh progress", "status 2 Orders",
    // "refresh status", "hourglass on", "pause 400", "choose data source".
    std::vector<std::string> events;

    // Window state.
    std::string text1, text2, text3;
    std::vector<ListEntry> list;
    int listCurrent = -1;
    bool command3Enabled = false;
    bool command4Enabled = false;
    int progressMax = 100;
    float progressValue = 0;
    std::string statusPanels[3];
    bool hourglass = false;

    // Selects the entries of these names.
    void Select(const std::vector<std::string>& names);
    std::vector<std::string> ListTexts() const;

    Answer MsgBox(const std::string& prompt, Buttons buttons, Icon icon, const std::string& title) override;
    std::string Text1() const override { return text1; }
    void SetText1(const std::string& text) override { text1 = text; }
    std::string Text2() const override { return text2; }
    std::string Text3() const override { return text3; }
    void ClearList() override;
    void AddListItem(const std::string& name) override { list.push_back({name, false}); }
    int ListCount() const override { return static_cast<int>(list.size()); }
    std::string ListItem(int index) const override { return list.at(static_cast<std::size_t>(index)).text; }
    bool ListSelected(int index) const override { return list.at(static_cast<std::size_t>(index)).selected; }
    void SetListCurrent(int index) override { listCurrent = index; }
    void SetCommand3Enabled(bool enabled) override { command3Enabled = enabled; }
    void SetCommand4Enabled(bool enabled) override { command4Enabled = enabled; }
    void SetProgressMax(int maximum) override;
    float ProgressValue() const override { return progressValue; }
    void SetProgressValue(float value) override;
    void RefreshProgress() override { events.push_back("refresh progress"); }
    void SetStatusPanel(int panel, const std::string& text) override;
    void RefreshStatus() override { events.push_back("refresh status"); }
    void SetHourglass(bool busy) override;
    void Pause(int milliseconds) override { events.push_back("pause " + std::to_string(milliseconds)); }
    std::optional<std::string> ChooseDataSource() override;
};

}  // namespace kolumbra::testing
