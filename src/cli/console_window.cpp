#include "cli/console_window.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "common/text.h"

namespace kolumbra::cli {

std::string ConsoleText(const std::string& prompt) { return text::LfLineBreaks(prompt); }

std::vector<std::string> ConsoleWindow::SelectTables(const std::vector<std::string>& names) {
    std::vector<std::string> unknown;
    for (std::size_t i = 0; i < listItems.size(); ++i) {
        listSelected[i] = names.empty() || std::find(names.begin(), names.end(), listItems[i]) != names.end();
    }
    for (const auto& name : names) {
        if (std::find(listItems.begin(), listItems.end(), name) == listItems.end()) unknown.push_back(name);
    }
    return unknown;
}

std::vector<std::string> ConsoleWindow::SelectedTables() const {
    std::vector<std::string> selected;
    for (std::size_t i = 0; i < listItems.size(); ++i) {
        if (listSelected[i]) selected.push_back(listItems[i]);
    }
    return selected;
}

Answer ConsoleWindow::MsgBox(const std::string& prompt, Buttons buttons, Icon, const std::string&) {
    if (progressShown_) {
        std::fputs("\n", stderr);
        progressShown_ = false;
    }
    shownMessages.push_back(prompt);
    std::fprintf(stderr, "%s\n", ConsoleText(prompt).c_str());
    return buttons == Buttons::OkCancel ? answerQuestion(prompt) : Answer::Ok;
}

void ConsoleWindow::ClearList() {
    listItems.clear();
    listSelected.clear();
}

void ConsoleWindow::AddListItem(const std::string& name) {
    listItems.push_back(name);
    listSelected.push_back(false);
}

bool ConsoleWindow::isTerminal() {
    if (!terminalChecked_) {
        terminal_ = ::isatty(STDERR_FILENO) != 0;
        terminalChecked_ = true;
    }
    return terminal_;
}

void ConsoleWindow::RefreshProgress() {
    if (!isTerminal() || progressMax_ <= 0) return;
    int percent = static_cast<int>(100.0f * progressValue_ / static_cast<float>(progressMax_));
    std::fprintf(stderr, "\r%3d%% %s\x1b[K", std::clamp(percent, 0, 100), table_.c_str());
    progressShown_ = true;
}

void ConsoleWindow::SetStatusPanel(int panel, const std::string& text) {
    if (panel == 2) table_ = text;
}

}  // namespace kolumbra::cli
