#include "shell/form1.h"

#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <cstdlib>

#include "catalog/connection.h"
#include "common/product.h"
#include "common/profile.h"
#include "common/text.h"
#include "csvexport/csv_listing.h"
#include "engine/db/odbc/odbc_source.h"
#include "layoutbook/export_driver.h"
#include "shell/enter_key.h"
#include "shell/fit_font.h"
#include "shell/form2.h"
#include "shell/form3.h"
#include "shell/path_box.h"
#include "shell/prompts.h"
#include "shell/settings_file.h"
#include "shell/twips.h"

namespace kolumbra::shell {
namespace {

QString Qt(const std::string& text) { return QString::fromStdString(text); }

PathBox* MakePathBox(QWidget* parent, const char* name, const QString& tip, int top) {
    auto* box = new PathBox(parent);
    box->setObjectName(name);
    box->setToolTip(tip);
    PlaceAt(box, 720, top, 3615, 270);
    return box;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, int l, int t, int w, int h) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    PlaceAt(button, l, t, w, h);
    return button;
}

// The path labels run under the path boxes, which start at 720 twips; a
// font wider than the one the window was drawn with is made smaller until
// the caption fits in front of the box.
void MakeLabel(QWidget* parent, const char* name, const QString& caption, int top) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    PlaceAt(label, 120, top, 735, 255);
    ShrinkToFit(label, Pixels(720 - 120));
}

}  // namespace

Form1::Form1(Prompts& prompts, db::DbEngine& engine, QString programFolder)
    : prompts_(prompts), places_(PlacesOf(programFolder.toStdString())), session_(*this, engine) {
    setObjectName("Form1");
    setWindowTitle(ProductName);
    BuildControls();
    BuildMenus();
    EnterPressesFocusedButton(this);
}

void Form1::BuildControls() {
    auto* client = new QWidget(this);
    client->setFixedSize(Pixels(6435), Pixels(3315));
    setCentralWidget(client);

    MakeLabel(client, "Label1", QStringLiteral("DBﾊﾟｽ"), 150);
    text1_ = MakePathBox(client, "Text1", QStringLiteral("ODBC使用時は空白のままDB読込"), 120);
    auto* command5 = MakeButton(client, "Command5", "...", 4320, 120, 375, 255);
    MakeLabel(client, "Label2", "Out_xls", 480);
    text2_ = MakePathBox(client, "Text2", QStringLiteral("ﾃｰﾌﾞﾙﾚｲｱｳﾄ作成時にはｴｸｾﾙﾌｧｲﾙ名を指定"), 480);
    auto* command6 = MakeButton(client, "Command6", "...", 4320, 480, 375, 255);
    MakeLabel(client, "Label3", "Out_csv", 840);
    text3_ = MakePathBox(client, "Text3", QStringLiteral("CSVﾌｧｲﾙ作成時に指定"), 840);
    auto* command7 = MakeButton(client, "Command7", "...", 4320, 840, 375, 255);
    command1_ = MakeButton(client, "Command1", QStringLiteral("DB読込(&R)"), 4800, 120, 1575, 975);

    auto* separator = new QFrame(client);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    PlaceAt(separator, 0, 1200, 6435, 30);

    list1_ = new QListWidget(client);
    list1_->setObjectName("List1");
    list1_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    PlaceAt(list1_, 120, 1320, 4095, 1950);

    command4_ = MakeButton(client, "Command4", QStringLiteral("ﾃｰﾌﾞﾙﾚｲｱｳﾄ作成(xls)"), 4320, 1320, 2055, 495);
    command3_ = MakeButton(client, "Command3", QStringLiteral("CSVで書き出し(&W)"), 4320, 1920, 2055, 375);
    command2_ = MakeButton(client, "Command2", QStringLiteral("終了(&X)"), 4320, 2760, 2055, 375);
    command3_->setEnabled(false);
    command4_->setEnabled(false);

    auto* status = new QStatusBar(this);
    status->setObjectName("StatusBar1");
    status->setSizeGripEnabled(false);
    panel1_ = new QLabel(status);
    panel1_->setMinimumWidth(Pixels(2000));
    panel2_ = new QLabel(status);
    status->addWidget(panel1_);
    status->addWidget(panel2_, 1);
    setStatusBar(status);
    status->setFixedHeight(Pixels(300));
    // Placed by hand, outside the status bar's own layout, over its left end.
    progressBar1_ = new QProgressBar(status);
    progressBar1_->setObjectName("ProgressBar1");
    progressBar1_->setTextVisible(false);
    PlaceAt(progressBar1_, 15, 45, 1980, 210);
    progressBar1_->raise();

    const QWidget* order[] = {text1_, command1_, command2_, command3_, list1_, command4_,
                              text2_, command5,  command6,  text3_,   command7};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));

    // Carries the hourglass over the whole window while a command runs; the
    // path boxes' I-beam would show through a pointer set on the window, and
    // one set on the application would show over the questions too.
    busyCover_ = new QWidget(this);
    busyCover_->setObjectName("BusyCover");
    busyCover_->setCursor(::Qt::WaitCursor);
    busyCover_->hide();

    connect(command1_, &QPushButton::clicked, this, [this] { Command1_Click(session_); });
    connect(command3_, &QPushButton::clicked, this, [this] { Command3_Click(session_); });
    connect(command4_, &QPushButton::clicked, this, &Form1::onCommand4Clicked);
    connect(command2_, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(command5, &QPushButton::clicked, this,
            [this] { cmmdlg(text1_, QStringLiteral("Access mdb (*.mdb)"), true); });
    connect(command6, &QPushButton::clicked, this,
            [this] { cmmdlg(text2_, QStringLiteral("Excel book (*.xls)"), false); });
    connect(command7, &QPushButton::clicked, this,
            [this] { cmmdlg(text3_, QStringLiteral("csv ﾌｧｲﾙ (*.csv)"), false); });
}

void Form1::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    file->setObjectName("M_FILE");
    QAction* end = file->addAction(QStringLiteral("終了(&X)"), this, &Form1::Command2_Click);
    end->setObjectName("M_end");
    QMenu* setting = menuBar()->addMenu(QStringLiteral("設定(&S)"));
    setting->setObjectName("M_setting");
    setting->addAction(QStringLiteral("項目設定(&I)"), this, &Form1::M_komoku_s_Click)->setObjectName("M_komoku_s");
    QMenu* help = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    help->setObjectName("M_help");
    help->addAction(QStringLiteral("Ver情報(&V)"), this, &Form1::M_VER_Click)->setObjectName("M_VER");
}

std::string Form1::SettingsPath() const { return places_.settingsFile; }

void Form1::Form_Load() {
    const std::string path = SettingsPath();
    session_.gMkname = paGetPrivateProfileString(*this, path, "KLSETTING", "mkname", "");
    session_.gJap = JapValue(paGetPrivateProfileString(*this, path, "KLSETTING", "jap", "0"));
    session_.gRemarks = RemarksValue(paGetPrivateProfileString(*this, path, "KLSETTING", "remarks", "0"));
    session_.gRefresh = RefreshValue(paGetPrivateProfileString(*this, path, "KLSETTING", "refresh", "0"));
    text2_->setText(Qt(places_.outputFolder + "/table.xls"));
    text3_->setText(Qt(places_.outputFolder + "/table.csv"));
}

void Form1::onCommand4Clicked() { Command4_Click(session_, exportState_); }

void Form1::Command2_Click() {
    CloseDatabase(session_);
    std::exit(EXIT_SUCCESS);
}

void Form1::cmmdlg(PathBox* box, const QString& filter, bool existingFile) {
    const QString folder = gLastDir.isEmpty() ? Qt(places_.outputFolder) : gLastDir;
    const auto chosen = prompts_.ChooseFile(this, folder, filter, existingFile ? FileUse::Existing : FileUse::New);
    if (!chosen) return;
    box->setText(*chosen);
    gLastDir = QFileInfo(*chosen).absolutePath();
}

void Form1::M_komoku_s_Click() {
    Form3 form3(this, session_, prompts_, SettingsPath());
    form3.exec();
}

void Form1::M_VER_Click() {
    Form2 form2(this);
    form2.exec();
}

Answer Form1::MsgBox(const std::string& prompt, Buttons buttons, Icon icon, const std::string& title) {
    const QString text = Qt(text::LfLineBreaks(prompt));
    return prompts_.MessageBox(this, text, buttons, icon, title.empty() ? QString(ApplicationTitle) : Qt(title));
}

std::string Form1::Text1() const { return text1_->text().toStdString(); }
void Form1::SetText1(const std::string& text) { text1_->setText(Qt(text)); }
std::string Form1::Text2() const { return text2_->text().toStdString(); }
std::string Form1::Text3() const { return text3_->text().toStdString(); }

void Form1::ClearList() {
    list1_->clear();
    list1_->repaint();
}
void Form1::AddListItem(const std::string& name) { list1_->addItem(Qt(name)); }
int Form1::ListCount() const { return list1_->count(); }
std::string Form1::ListItem(int index) const { return list1_->item(index)->text().toStdString(); }
bool Form1::ListSelected(int index) const { return list1_->item(index)->isSelected(); }
void Form1::SetListCurrent(int index) {
    list1_->setCurrentRow(index, QItemSelectionModel::NoUpdate);
}

void Form1::SetCommand3Enabled(bool enabled) { command3_->setEnabled(enabled); }
void Form1::SetCommand4Enabled(bool enabled) { command4_->setEnabled(enabled); }

void Form1::SetProgressMax(int maximum) { progressBar1_->setMaximum(maximum); }
float Form1::ProgressValue() const { return progressValue_; }
void Form1::SetProgressValue(float value) {
    progressValue_ = value;
    progressBar1_->setValue(std::clamp(static_cast<int>(value), 0, progressBar1_->maximum()));
}
namespace {

// A command runs without returning to the event loop. Paints still get
// through: the paint requests waiting in the queue, and the whole main
// window drawn at once, so that where a box closed just before stood the
// window shows again. Queued calls, clicks and keys wait until the command
// ends.
void repaintWaitingWindows(QWidget& mainWindow) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateLater);
    mainWindow.repaint();
}

}  // namespace

void Form1::RefreshProgress() {
    progressBar1_->repaint();
    repaintWaitingWindows(*this);
}

void Form1::SetStatusPanel(int panel, const std::string& text) {
    (panel == 2 ? panel2_ : panel1_)->setText(Qt(text));
}
void Form1::RefreshStatus() {
    statusBar()->repaint();
    repaintWaitingWindows(*this);
}

void Form1::SetHourglass(bool busy) {
    busyCover_->setGeometry(rect());
    busyCover_->raise();
    busyCover_->setVisible(busy);
}

// Sleeps on the UI thread: input that arrives meanwhile waits in the queue
// until the command is done, as during the rest of the command.
void Form1::Pause(int milliseconds) {
    repaintWaitingWindows(*this);
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

std::optional<std::string> Form1::ChooseDataSource() {
    QList<DataSourceItem> sources;
    for (const auto& source : db::ListDataSources()) sources.append({Qt(source.Name), Qt(source.Description)});
    const auto chosen = prompts_.ChooseDataSource(this, sources);
    if (!chosen) return std::nullopt;
    return chosen->toStdString();
}

}  // namespace kolumbra::shell
