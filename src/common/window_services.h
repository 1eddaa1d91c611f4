#pragma once
// What the commands need of the main window. The Qt window, the console of
// kolumbra-cli and the scripted test window implement it; the commands
// never see which one they talk to.
//
// The windows and controls keep their historical names, which the settings,
// the tests and the window pictures use:
//   Form1        the main window; Form2 the version window; Form3 the
//                settings window (field-type naming, author, remarks).
//   Text1..3     the path boxes: database (empty for ODBC), workbook, CSV
//                file; Command5..7 are the "..." buttons that browse for them.
//   Command1     reads the database and fills List1, the table list.
//   Command2     quits; Command3 writes the CSV listing; Command4 writes the
//                table-definition workbook.
//   M_komoku_s   the menu entry "項目設定" that opens Form3 (its handler
//                M_komoku_s_Click); M_VER opens Form2.

#include <optional>
#include <string>

namespace kolumbra {

enum class Buttons { Ok, OkCancel };
enum class Icon { None, Exclamation, Critical, Question };
enum class Answer { Ok, Cancel };

// The title of a message box that has none of its own.
inline constexpr const char* ApplicationTitle = "Kolumbra";

class WindowServices {
public:
    virtual ~WindowServices() = default;

    // A modal message box. An empty title shows the application title; a
    // line break inside the prompt is a single CR.
    virtual Answer MsgBox(const std::string& prompt, Buttons buttons, Icon icon, const std::string& title) = 0;

    // The three path boxes: database, workbook, CSV file.
    virtual std::string Text1() const = 0;
    virtual void SetText1(const std::string& text) = 0;
    virtual std::string Text2() const = 0;
    virtual std::string Text3() const = 0;

    // The table list. Clearing also redraws it.
    virtual void ClearList() = 0;
    virtual void AddListItem(const std::string& name) = 0;
    virtual int ListCount() const = 0;
    virtual std::string ListItem(int index) const = 0;
    virtual bool ListSelected(int index) const = 0;
    // Makes an entry the list's current item (the list's text).
    virtual void SetListCurrent(int index) = 0;

    // The CSV and workbook export buttons.
    virtual void SetCommand3Enabled(bool enabled) = 0;
    virtual void SetCommand4Enabled(bool enabled) = 0;

    // The progress bar over the status bar's left end.
    virtual void SetProgressMax(int maximum) = 0;
    virtual float ProgressValue() const = 0;
    virtual void SetProgressValue(float value) = 0;
    virtual void RefreshProgress() = 0;

    // Status-bar panels, numbered from 1.
    virtual void SetStatusPanel(int panel, const std::string& text) = 0;
    virtual void RefreshStatus() = 0;

    // The hourglass pointer while a long command runs.
    virtual void SetHourglass(bool busy) = 0;

    // Holds the window for a while (the pause after each written page).
    virtual void Pause(int milliseconds) = 0;

    // Lets the user pick an ODBC data source; nothing when cancelled.
    virtual std::optional<std::string> ChooseDataSource() = 0;
};

}  // namespace kolumbra
