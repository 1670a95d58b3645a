// The main window: the name box, the run, browser and folder buttons, the
// menu, and the program's start-up and shut-down.
#pragma once

#include "dialogs/MainWindowFace.h"
#include "result/RunState.h"
#include "settings/CommandContext.h"
#include "settings/Settings.h"
#include "settings/StoreKeys.h"

#include <QList>
#include <QMainWindow>

class QAction;
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QPushButton;
class QToolButton;
namespace Run {
class Console;
class SequenceRun;
}  // namespace Run

class frmExection : public QMainWindow, public MainWindowFace {
    Q_OBJECT
public:
    // `console` runs what the run buttons start; it outlives the window.
    explicit frmExection(Run::Console& console, QWidget* parent = nullptr);
    ~frmExection() override;

    // Start-up. Returns false when the program must end before showing the
    // window (a second copy, or no result file anywhere); nothing is written
    // then.
    bool Form_Load();
    // Shut-down: writes the window's state and closes the result window.
    void Form_Unload();

    // Commands of the window itself.
    void cmdSetting_Click();
    void mnuSetting_Click();
    void mnuBefore_Click();
    void mnuSelectBrowser_Click();
    void mnuSelectPath_Click();
    void mnuHelp_Click();
    void mnuVersion_Click();
    void mnuEnd_Click();
    void mnuShowResult_Click();
    void mnuCompileRun_Click();
    void cmdExection_Click(int Index);
    void cmdBrowser_Click(int Index);
    void mnuJavaMake_Click();
    void mnuHtmlMake_Click();
    void mnuOpenJava_Click();
    void mnuOpenHtml_Click();

    // MainWindowFace
    QWidget* mainWindow() override { return this; }

    // Tooltips: a folder button's shows its folder, else "設定ナシ".
    void setFolderTooltip(int index, const QString& text);
    void setBrowserTooltip(int index, const QString& text);
    // Refreshes what shows the settings after the settings dialog applied.
    void SettingsApplied(const Qlk::SettingsChange& change);

    // The run button of a kind.
    QPushButton* RunButton(RunKind kind) const;
    // The selected folder button, -1 when none is.
    int SelectedFolder() const;
    CommandContext Context();

    // Controls, named as the window defines them.
    QComboBox* cmbName;
    QGroupBox* fmeCompile;
    QGroupBox* fmeBrowser;
    QGroupBox* fmePath;
    QList<QPushButton*> cmdExection;  // one for each run kind, in the table's order
    QToolButton* cmdBrowser[Qlk::kBrowserCount];
    QToolButton* cmdSetting;
    QToolButton* optPath[Qlk::kFolderCount];
    QButtonGroup* optPathGroup;
    QAction* mnuBefore;
    QAction* mnuSelectBrowser;
    QAction* mnuSelectPath;
    QAction* mnuJavaMake;
    QAction* mnuHtmlMake;
    QAction* mnuOpenJava;
    QAction* mnuOpenHtml;
    QAction* mnuSetting;
    QAction* mnuHelp;
    QAction* mnuVersion;
    QAction* mnuEnd;
    QAction* mnuShowResult;
    QAction* mnuCompileRun;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void BuildMenu();
    void TakeSettings(const Qlk::Settings& loaded, bool historySizeUnset);
    bool RestoreWindowState();
    void SetPathTop(double top);
    Run::Console& m_console;
    bool m_unloaded = false;
    Run::SequenceRun* m_compileAndRun;
};
