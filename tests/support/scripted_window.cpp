#include "scripted_window.h"

#include <algorithm>
#include <sstream>

namespace kolumbra::testing {

void ScriptedWindow::Select(const std::vector<std::string>& names) {
    for (auto& entry : list) {
        entry.selected = std::find(names.begin(), names.end(), entry.text) != names.end();
    }
}

std::vector<std::string> ScriptedWindow::ListTexts() const {
    std::vector<std::string> texts;
    for (const auto& entry : list) texts.push_back(entry.text);
    return texts;
}

Answer ScriptedWindow::MsgBox(const std::string& prompt, Buttons buttons, Icon icon, const std::string& title) {
    messages.push_back({prompt, buttons, icon, title});
    if (answers.empty()) return Answer::Ok;
    Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedWindow::ClearList() {
    list.clear();
    listCurrent = -1;
}

void ScriptedWindow::SetProgressMax(int maximum) {
    progressMax = maximum;
    events.push_back("max " + std::to_string(maximum));
}

void ScriptedWindow::SetProgressValue(float value) {
    progressValue = value;
    std::ostringstream text;
    text << "value " << value;
    events.push_back(text.str());
}

void ScriptedWindow::SetStatusPanel(int panel, const std::string& text) {
    statusPanels[std::clamp(panel, 0, 2)] = text;
    events.push_back("status " + std::to_string(panel) + " " + text);
}

void ScriptedWindow::SetHourglass(bool busy) {
    hourglass = busy;
    events.push_back(busy ? "hourglass on" : "hourglass off");
}

std::optional<std::string> ScriptedWindow::ChooseDataSource() {
    events.push_back("choose data source");
    return dataSourceChoice;
}

}  // namespace kolumbra::testing
