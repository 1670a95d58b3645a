// The main window: its controls and menu, start-up and shut-down, and the
// commands it hands to the run, source and settings modules.
#include "frmExection.h"

#include "Startup.h"

#include "dialogs/About.h"
#include "dialogs/Options.h"
#include "result/Result.h"
#include "result/frmResultText.h"
#include "run/BrowserCommand.h"
#include "run/RunCommands.h"
#include "run/RunConsole.h"
#include "settings/History.h"
#include "settings/Placement.h"
#include "settings/Qlk.h"
#include "sources/SourceCommands.h"
#include "widgets/Fonts.h"
#include "widgets/PlainToolTips.h"
#include "widgets/StableAccessible.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

using namespace Qlk;

namespace {

const QString kAppName = QStringLiteral("Quenlark");
const double kInnerWidth = 1710;

// The window's layout in twips. The run panel holds a button for each run
// kind, one below the other; the panels below it and the window's heights
// are counted from the run panel's bottom edge.
constexpr double kRunPanelTop = 360;
constexpr double kRunButtonTop = 240;   // of the first button, in the panel
constexpr double kRunButtonStep = 480;  // from one button's top to the next
constexpr double kRunButtonHeight = 375;
constexpr double kRunPanelMargin = 120;  // below the last button
// The browser panel's top; the folder panel's top by whether the browser
// panel is shown above it; the window's height by the panels shown,
// [browser panel][folder panel].
constexpr double kBrowserTopBelowRun = -15;
constexpr double kPathTopBelowRun[2] = {-15, 825};
constexpr double kFormHeightBelowRun[2][2] = {{705, 1425}, {1545, 2275}};

double RunPanelHeight() {
    return kRunButtonTop + kRunButtonStep * double(Run::Kinds().size() - 1) + kRunButtonHeight +
           kRunPanelMargin;
}
double RunPanelBottom() { return kRunPanelTop + RunPanelHeight(); }
double PathTop(bool browserShown) { return RunPanelBottom() + kPathTopBelowRun[browserShown]; }
double FormHeight(bool browserShown, bool pathShown) {
    return RunPanelBottom() + kFormHeightBelowRun[browserShown][pathShown];
}
// How long after the window shows the compile server starts.
constexpr int kCompileServerDelayMs = 1000;

QIcon Picture(const QString& file) {
    const QString path = P().files().programFolder() + u'/' + file;
    return QFileInfo::exists(path) ? QIcon(path) : QIcon();
}

}  // namespace

frmExection::frmExection(Run::Console& console, QWidget* parent) : QMainWindow(parent), m_console(console) {
    setObjectName(QStringLiteral("frmExection"));
    setWindowTitle(kAppName);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    QIcon icon;
    for (const char* size : {"16", "32"}) {
        const QString path =
            P().files().programFolder() + QStringLiteral("/quenlark-%1.png").arg(QLatin1String(size));
        if (QFileInfo::exists(path)) icon.addFile(path);
    }
    setWindowIcon(icon);
    // Folder and browser names in tooltips are shown as typed.
    PlainToolTips::Install();
    BuildControls();
    BuildMenu();
    InitForm(this, FormTwips{0, 0, kInnerWidth + kFrameX, FormHeight(true, true), kFrameX, kMainFrameY},
             true);
    Result::SetMainWindow(this);
    Run::ServeResultWindows(m_console);
    connect(Result::Windows(), &Result::Hub::made, this, [](frmResultText* window) {
        connect(window, &frmResultText::openLine, window,
                [window](const QString& file, int line) { Sources::OpenJavaAtLine(file, line, window); });
    });
    m_console.SetSelectedFolder([this] { return Context().folder(); });
    m_compileAndRun = new Run::SequenceRun(&m_console, this);
    Options::SetMainWindow(this);
    connect(Changes(), &SettingsSignals::applied, this, &frmExection::SettingsApplied);
}

frmExection::~frmExection() {
    Result::Discard();
    Options::Discard();
    About::Discard();
    Options::SetMainWindow(nullptr);
    Result::SetMainWindow(nullptr);
    m_console.SetSelectedFolder({});
}

void frmExection::BuildControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    auto frame = [&](const char* name, const QString& accessible, QRectF twips) {
        auto* box = new QGroupBox(client);
        box->setObjectName(QLatin1String(name));
        box->setAccessibleName(accessible);
        box->setFont(Fonts::PGothic(9));
        PlaceControl(box, twips);
        return box;
    };
    // Created in the window's own control order.
    fmePath = frame("fmePath", QStringLiteral("フォルダ選択"), {23, PathTop(true), 1656, 735});
    optPathGroup = new QButtonGroup(this);
    optPathGroup->setExclusive(true);
    const QString folderCaptions[3] = {QStringLiteral("１"), QStringLiteral("2"), QStringLiteral("3")};
    for (int i = 0; i < kFolderCount; ++i) {
        auto* b = new QToolButton(fmePath);
        b->setObjectName(QStringLiteral("optPath%1").arg(i));
        b->setText(folderCaptions[i]);
        b->setAccessibleName(QStringLiteral("フォルダ%1").arg(i + 1));
        b->setCheckable(true);
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setIconSize(QSize(16, 16));
        b->setFont(Fonts::PGothic(8.25));
        // 510 high, not 450: the caption under the picture needs the height
        // the browser buttons have in the Japanese font found here.
        PlaceControl(b, {120.0 + 480 * i, 185, 450, 510});
        optPathGroup->addButton(b, i);
        optPath[i] = b;
    }
    optPath[0]->setIcon(Picture(QStringLiteral("folder.png")));
    optPath[0]->setChecked(true);

    fmeBrowser = frame("fmeBrowser", QStringLiteral("ブラウザと設定"),
                       {23, RunPanelBottom() + kBrowserTopBelowRun, 1656, 855});
    cmdSetting = new QToolButton(fmeBrowser);
    cmdSetting->setObjectName(QStringLiteral("cmdSetting"));
    cmdSetting->setAccessibleName(QStringLiteral("設定"));
    cmdSetting->setIcon(Picture(QStringLiteral("tools.png")));
    cmdSetting->setIconSize(QSize(16, 16));
    cmdSetting->setFont(Fonts::PGothic(9));
    PlaceControl(cmdSetting, {1080, 220, 435, 510});
    for (int j = 0; j < kBrowserCount; ++j) {
        auto* b = new QToolButton(fmeBrowser);
        b->setObjectName(QStringLiteral("cmdBrowser%1").arg(j));
        b->setText(QString::number(j + 1));
        b->setAccessibleName(QStringLiteral("ブラウザ%1").arg(j + 1));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setIconSize(QSize(16, 16));
        b->setFont(Fonts::PGothic(8.25));
        PlaceControl(b, {120.0 + 480 * j, 220, 435, 510});
        cmdBrowser[j] = b;
        connect(b, &QToolButton::clicked, this, [this, j] { cmdBrowser_Click(j); });
    }
    cmdBrowser[0]->setIcon(Picture(QStringLiteral("browser.png")));

    fmeCompile = frame("fmeCompile", QStringLiteral("実行"), {23, kRunPanelTop, 1656, RunPanelHeight()});
    for (int i = 0; i < Run::Kinds().size(); ++i) {
        const QString& caption = Run::Kinds()[i].caption;
        auto* b = new QPushButton(caption, fmeCompile);
        b->setObjectName(QStringLiteral("cmdExection%1").arg(i));
        b->setAccessibleName(caption);
        b->setFont(Fonts::PGothic(9));
        b->setAutoDefault(false);
        PlaceControl(b, {120, kRunButtonTop + kRunButtonStep * i, 1395, kRunButtonHeight});
        cmdExection << b;
        connect(b, &QPushButton::clicked, this, [this, i] { cmdExection_Click(i); });
    }

    cmbName = new QComboBox(client);
    cmbName->setObjectName(QStringLiteral("cmbName"));
    StableAccessible::MarkComboBox(cmbName, QStringLiteral("クラス名"));
    cmbName->setEditable(true);
    cmbName->setInsertPolicy(QComboBox::NoInsert);
    // No completion: a name is used exactly as typed, never changed to a
    // history entry that differs in case or continues it.
    cmbName->setCompleter(nullptr);
    cmbName->setFont(Fonts::PGothic(9));
    PlaceControl(cmbName, {23, 0, 1680, 300}, ControlKind::ComboBox);

    connect(cmdSetting, &QToolButton::clicked, this, &frmExection::cmdSetting_Click);

    // Tab order: name box, run buttons, browser buttons, settings, folders.
    QList<QWidget*> order{cmbName};
    for (QPushButton* b : cmdExection) order << b;
    order << cmdBrowser[0] << cmdBrowser[1] << cmdSetting << optPath[0] << optPath[1] << optPath[2];
    for (qsizetype i = 0; i + 1 < order.size(); ++i) setTabOrder(order[i], order[i + 1]);
    cmbName->setFocus();
}

void frmExection::BuildMenu() {
    QMenuBar* bar = menuBar();
    bar->setFont(Fonts::PGothic(9));
    QMenu* mnuMenu = bar->addMenu(QStringLiteral("ﾒﾆｭｰ(&M)"));
    mnuMenu->setObjectName(QStringLiteral("mnuMenu"));
    auto item = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    QMenu* mnuNew = mnuMenu->addMenu(QStringLiteral("新規作成(&N)"));
    mnuNew->setObjectName(QStringLiteral("mnuNew"));
    mnuJavaMake = item(mnuNew, "mnuJavaMake", QStringLiteral("javaﾌｧｲﾙ(&J)"));
    mnuHtmlMake = item(mnuNew, "mnuHtmlMake", QStringLiteral("htmlﾌｧｲﾙ(&H)"));
    mnuMenu->addSeparator();
    QMenu* mnuOpen = mnuMenu->addMenu(QStringLiteral("開く(&O)"));
    mnuOpen->setObjectName(QStringLiteral("mnuOpen"));
    mnuOpenJava = item(mnuOpen, "mnuOpenJava", QStringLiteral("javaﾌｧｲﾙ(&J)"));
    mnuOpenHtml = item(mnuOpen, "mnuOpenHtml", QStringLiteral("htmlﾌｧｲﾙ(&H)"));
    mnuShowResult = item(mnuMenu, "mnuShowResult", QStringLiteral("出力結果を表示(&R)"));
    mnuCompileRun = item(mnuMenu, "mnuCompileRun", Run::CompileAndRun().caption);
    // Its key works from every window, as the run buttons' keys do.
    mnuCompileRun->setShortcut(Run::CompileAndRun().key);
    mnuCompileRun->setShortcutContext(Qt::ApplicationShortcut);
    mnuMenu->addSeparator();
    mnuSetting = item(mnuMenu, "mnuSetting", QStringLiteral("設定(&S)..."));
    mnuMenu->addSeparator();
    mnuBefore = item(mnuMenu, "mnuBefore", QStringLiteral("常に手前に表示"));
    mnuSelectBrowser = item(mnuMenu, "mnuSelectBrowser", QStringLiteral("ﾌﾞﾗｳｻﾞと設定を表示"));
    mnuSelectPath = item(mnuMenu, "mnuSelectPath", QStringLiteral("ﾊﾟｽ選択を表示"));
    mnuMenu->addSeparator();
    mnuHelp = item(mnuMenu, "mnuHelp", QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    mnuVersion = item(mnuMenu, "mnuVersion", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&V)"));
    mnuMenu->addSeparator();
    mnuEnd = item(mnuMenu, "mnuEnd", QStringLiteral("終了(&X)"));

    for (QAction* a : {mnuBefore, mnuSelectBrowser, mnuSelectPath}) a->setCheckable(true);
    mnuSelectBrowser->setChecked(true);
    mnuSelectPath->setChecked(true);

    connect(mnuJavaMake, &QAction::triggered, this, &frmExection::mnuJavaMake_Click);
    connect(mnuHtmlMake, &QAction::triggered, this, &frmExection::mnuHtmlMake_Click);
    connect(mnuOpenJava, &QAction::triggered, this, &frmExection::mnuOpenJava_Click);
    connect(mnuOpenHtml, &QAction::triggered, this, &frmExection::mnuOpenHtml_Click);
    connect(mnuSetting, &QAction::triggered, this, &frmExection::mnuSetting_Click);
    ConnectCheckMark(mnuBefore, this, [this] { mnuBefore_Click(); });
    ConnectCheckMark(mnuSelectBrowser, this, [this] { mnuSelectBrowser_Click(); });
    ConnectCheckMark(mnuSelectPath, this, [this] { mnuSelectPath_Click(); });
    connect(mnuHelp, &QAction::triggered, this, &frmExection::mnuHelp_Click);
    connect(mnuVersion, &QAction::triggered, this, &frmExection::mnuVersion_Click);
    connect(mnuEnd, &QAction::triggered, this, &frmExection::mnuEnd_Click);
    connect(mnuShowResult, &QAction::triggered, this, &frmExection::mnuShowResult_Click);
    connect(mnuCompileRun, &QAction::triggered, this, &frmExection::mnuCompileRun_Click);

    // Keys that work from every window of the program: each run kind's key
    // (F8 compiles, F5 runs the application) presses its button, Ctrl+Break
    // (the X server sends Break, which a menu shortcut does not catch) stops
    // the run.
    auto key = [this](QKeySequence sequence, auto handler) {
        auto* shortcut = new QShortcut(sequence, this);
        shortcut->setContext(Qt::ApplicationShortcut);
        connect(shortcut, &QShortcut::activated, this, handler);
    };
    for (int i = 0; i < Run::Kinds().size(); ++i)
        if (!Run::Kinds()[i].key.isEmpty()) key(Run::Kinds()[i].key, [this, i] { cmdExection[i]->click(); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Pause), [this] { m_console.Stop(); });
}

bool frmExection::Form_Load() {
    if (!Startup::StoreReadable()) return false;
    if (!Startup::ClaimSingleInstance()) return false;
    Startup::PrepareProgramFolder();
    const QString programFolder = P().files().programFolder();
    S.HelpFilePath = Startup::HelpFilePath(programFolder);
    S.WindowsFolder = P().files().windowsFolder();

    bool historySizeUnset = false;
    const Settings loaded = LoadSettings(S.WindowsFolder, &historySizeUnset);
    TakeSettings(loaded, historySizeUnset);

    if (!Startup::SeedResultFile(programFolder, S.WindowsFolder)) return false;
    Startup::SeedDefaultEditor(programFolder, S.WindowsFolder);

    const bool positioned = RestoreWindowState();
    S.ResultFileTime = P().files().fileStamp(S.WindowsFolder + QStringLiteral("result.txt"));

    if (QLineEdit* edit = cmbName->lineEdit()) edit->setSelection(0, 30);

    ScaleForm(this);
    // With no saved position the window opens in the middle of the screen.
    if (!positioned) CenterForm(this);

    optPath[1]->setIcon(optPath[0]->icon());
    optPath[2]->setIcon(optPath[0]->icon());
    cmdBrowser[1]->setIcon(cmdBrowser[0]->icon());

    show();
    // The compile server starts once the window is up, so start-up never
    // waits for it; a compile before it serves runs javac.
    if (S.CompileServer) QTimer::singleShot(kCompileServerDelayMs, this, [] { P().compileServer().start(); });
    return true;
}

// The loaded settings go into the shared settings in this order: a settings
// dialog built on the way (no folder at all) shows only what came before it
// until the window is shown.
void frmExection::TakeSettings(const Settings& loaded, bool historySizeUnset) {
    for (int i = 0; i < kFolderCount; ++i) {
        S.JavaFileFolder[i] = loaded.JavaFileFolder[i];
        setFolderTooltip(i, S.JavaFileFolder[i]);
    }

    // No folder at all: ask for one in the settings dialog, and go on.
    if (S.JavaFileFolder[0].isEmpty() && S.JavaFileFolder[1].isEmpty() && S.JavaFileFolder[2].isEmpty()) {
        P().desktop().beep();
        P().desktop().messageBox(
            nullptr,
            QStringLiteral("コンパイルしたい Javaﾌｧｲﾙ(*.java) が置いてある\nフォルダ を選択してください"),
            QStringLiteral("ﾌｫﾙﾀﾞ選択"), MsgIcon::Information, MsgButtons::Ok);
        Options::Show(0);
    }

    S.JavaEdit = loaded.JavaEdit;
    S.HtmlEdit = loaded.HtmlEdit;
    for (int j = 0; j < kBrowserCount; ++j) S.Browser[j] = loaded.Browser[j];
    for (int j = 0; j < kBrowserCount; ++j) S.BrowserName[j] = loaded.BrowserName[j];
    for (int j = 0; j < kBrowserCount; ++j) setBrowserTooltip(j, BrowserTooltip(j));

    // The default history size shows in the settings dialog's label too,
    // which builds the dialog hidden.
    S.RecentNumber = loaded.RecentNumber;
    if (historySizeUnset) Options::SetLabel7(S.RecentNumber);
    LoadRecent(cmbName);

    S.HtmlExtension = loaded.HtmlExtension;
    S.CompileServer = loaded.CompileServer;
}

// Always on top, the selected folder, the panels and the position, as the
// last close by the close box left them. True when a position was stored.
bool frmExection::RestoreWindowState() {
    // The toggle flips the mark, so it is set to the opposite of the stored
    // state first.
    mnuBefore->setChecked(ReadSetting(kSetting, Key::FormBefore) != QStringLiteral("True"));
    mnuBefore_Click();

    const QString selected = ReadSetting(kSetting, Key::SelectedFolder);
    for (int i = 0; i < kFolderCount; ++i) {
        if (selected == IndexText(i)) {
            optPath[i]->setChecked(true);
            break;
        }
    }

    const QString showBrowser = ReadSetting(kSetting, Key::ShowBrowser);
    const QString showPath = ReadSetting(kSetting, Key::ShowPath);
    if (!showBrowser.isEmpty() && !showPath.isEmpty()) {
        if (showBrowser == QStringLiteral("False")) mnuSelectBrowser_Click();
        if (showPath == QStringLiteral("False")) mnuSelectPath_Click();
    }

    const QString left = ReadSetting(kSetting, Key::MainLeft);
    const QString top = ReadSetting(kSetting, Key::MainTop);
    if (left.isEmpty() || top.isEmpty()) return false;
    SetFormLeft(this, TwipsFromStored(Val(left)));
    SetFormTop(this, TwipsFromStored(Val(top)));
    return true;
}

void frmExection::Form_Unload() {
    if (m_unloaded) return;
    m_unloaded = true;
    m_console.StopForExit();
    P().compileServer().stop();
    // The window state and the result window's, in one rewrite.
    const SettingsBatch batch;
    WriteSetting(kSetting, Key::FormBefore, FlagText(mnuBefore->isChecked()));
    const int selected = SelectedFolder();
    if (selected >= 0) WriteSetting(kSetting, Key::SelectedFolder, IndexText(selected));
    WriteSetting(kSetting, Key::ShowBrowser, FlagText(mnuSelectBrowser->isChecked()));
    WriteSetting(kSetting, Key::ShowPath, FlagText(mnuSelectPath->isChecked()));
    const FormTwips form = GetForm(this);
    WriteSetting(kSetting, Key::MainTop, NumberText(StoredFromTwips(form.Top)));
    WriteSetting(kSetting, Key::MainLeft, NumberText(StoredFromTwips(form.Left)));
    Result::Close();
    Options::Discard();
    About::Discard();
}

void frmExection::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
    QApplication::quit();
}

QPushButton* frmExection::RunButton(RunKind kind) const {
    for (int i = 0; i < Run::Kinds().size(); ++i)
        if (Run::Kinds()[i].kind == kind) return cmdExection[i];
    return nullptr;
}

int frmExection::SelectedFolder() const {
    for (int i = 0; i < kFolderCount; ++i)
        if (optPath[i]->isChecked()) return i;
    return -1;
}

CommandContext frmExection::Context() {
    CommandContext c;
    c.window = this;
    c.selectedFolder = SelectedFolder();
    c.name = cmbName->currentText();
    c.addRecent = [this] { AddRecent(cmbName); };
    c.showResult = [] { Result::Show(); };
    c.openOptions = [](int page) { Options::Show(page); };
    return c;
}

void frmExection::setFolderTooltip(int index, const QString& text) {
    optPath[index]->setToolTip(text.isEmpty() ? kNotSet : text);
}

void frmExection::setBrowserTooltip(int index, const QString& text) { cmdBrowser[index]->setToolTip(text); }

// After an apply of the settings dialog: the tooltip of each changed
// folder, both browser tooltips always, and the history for a new size,
// keeping what is typed in the name box.
void frmExection::SettingsApplied(const SettingsChange& change) {
    for (int i = 0; i < kFolderCount; ++i)
        if (change.folder[i]) setFolderTooltip(i, S.JavaFileFolder[i]);
    for (int j = 0; j < kBrowserCount; ++j) setBrowserTooltip(j, BrowserTooltip(j));
    if (change.recentNumber) ReloadRecent(cmbName);
}

void frmExection::cmdSetting_Click() { Options::Show(); }
void frmExection::mnuSetting_Click() { Options::Show(); }

void frmExection::mnuBefore_Click() { ToggleTopmost(this, mnuBefore); }

void frmExection::mnuSelectBrowser_Click() {
    const bool shown = !mnuSelectBrowser->isChecked();  // the state after the click
    const bool path = mnuSelectPath->isChecked();
    if (!shown) fmeBrowser->hide();
    if (path) SetPathTop(PathTop(shown));
    SetFormHeight(this, FormHeight(shown, path));
    if (shown) fmeBrowser->show();
    mnuSelectBrowser->setChecked(shown);
}

void frmExection::mnuSelectPath_Click() {
    const bool shown = !mnuSelectPath->isChecked();  // the state after the click
    const bool browser = mnuSelectBrowser->isChecked();
    if (shown) SetPathTop(PathTop(browser));
    SetFormHeight(this, FormHeight(browser, shown));
    fmePath->setVisible(shown);
    mnuSelectPath->setChecked(shown);
}

void frmExection::SetPathTop(double top) {
    QRectF r = ControlTwips(fmePath);
    r.moveTop(top);
    SetControlTwips(fmePath, r);
}

void frmExection::mnuHelp_Click() { P().desktop().showHelp(this, S.HelpFilePath, 0); }

void frmExection::mnuVersion_Click() { About::Show(this); }

void frmExection::mnuShowResult_Click() { Result::Show(); }

void frmExection::mnuEnd_Click() {
    // Ends at once: nothing of the window's state, nor the result window's, is
    // written.
    m_unloaded = true;
    m_console.StopForExit();
    Result::Discard();
    Options::Discard();
    About::Discard();
    QApplication::exit(0);
}

void frmExection::cmdExection_Click(int Index) {
    Run::Execute(Run::Kinds().at(Index).kind, Context(), m_console);
}
void frmExection::mnuCompileRun_Click() { m_compileAndRun->Start(Run::CompileAndRun(), Context()); }
void frmExection::cmdBrowser_Click(int Index) { Run::Browser(Index, Context()); }
void frmExection::mnuJavaMake_Click() { Sources::MakeNew(QStringLiteral(".java"), Context()); }
void frmExection::mnuHtmlMake_Click() { Sources::MakeNew(S.HtmlExtension, Context()); }
void frmExection::mnuOpenJava_Click() { Sources::OpenJava(Context()); }
void frmExection::mnuOpenHtml_Click() { Sources::OpenHtml(Context()); }
