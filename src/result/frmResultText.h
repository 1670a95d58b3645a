// The result window: shows result.txt from the data folder as its follower
// reads it, with an always-on-top toggle, its own position and size, the
// run's console (input, stop, status) and the problem lines' navigation.
#pragma once

#include "result/ResultFollower.h"
#include "result/RunState.h"
#include "settings/Placement.h"

#include <QMainWindow>

class ConsoleRows;
class ProblemSteps;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class ResultFind;

class frmResultText : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kMaxShownChars = ResultFollower::kMaxShownChars;
    static constexpr int kKeepChars = ResultFollower::kKeepChars;
    static constexpr int kMaxShownLines = ResultFollower::kMaxShownLines;
    static constexpr int kKeepLines = ResultFollower::kKeepLines;
    static inline const QString& kTrimmedNote = ResultFollower::kTrimmedNote;

    // `mainWindow` lends its icon.
    explicit frmResultText(QWidget* mainWindow);
    ~frmResultText() override;

    void Form_Load();
    void Form_Unload();
    void mnuBefore_Click();
    void mnuEnd_Click();
    void Timer1_Timer();

    // The run's console (the rows under the text): a line typed into
    // txtInput goes to the run's standard input; cmdStop and mnuStop stop it;
    // lblStatus tells its state.
    void txtInput_Enter();
    void txtInput_EndOfInput();
    void cmdStop_Click();
    // The run's state, as the console tells it.
    void SetRun(const RunState& run);
    // What became of the line asked to be sent; `why` tells a refusal.
    void LineSent(bool sent, const QString& why);
    // Something shown after the run's state on the status line.
    void SetStatusExtra(const QString& extra);
    QString StatusText() const;
    // Called when the window is shown: a run it has not yet shown gets the
    // input box's focus.
    void ShownForRun();

    // The problem lines: F4 / Shift+F4 select the next or previous one and
    // open it; a double click on one opens it.
    void mnuNext_Click();
    void mnuPrevious_Click();
    bool OpenBlock(int block);
    // Ctrl+F, F3 and Shift+F3; Esc closes the find bar.
    void mnuFind_Click();
    void FindNext(bool backwards);

    QPlainTextEdit* Text1;
    // Above the text: what the user should know of this run's output, no
    // part of result.txt (hidden while there is nothing to say).
    QLabel* lblNotice;
    QLineEdit* txtInput;
    QPushButton* cmdStop;
    QLabel* lblStatus;
    QTimer* Timer1;
    QMenu* mnuMenu;
    QAction* mnuBefore;
    QAction* mnuStop;
    QAction* mnuNext;
    QAction* mnuPrevious;
    QAction* mnuEnd;
    QAction* actFind;
    QAction* actFindNext;
    QAction* actFindPrevious;
    QAction* actCloseFind;
    ResultFind* findBar;

    ResultFollower* follower() const { return m_follower; }
    QString resultFile() const { return m_follower->reader().path(); }
    QFileSystemWatcher* watcher() const { return m_follower->watcher(); }
    const ResultReader& reader() const { return m_follower->reader(); }
    bool trimmed() const { return m_follower->trimmed(); }
    // True once the window has run its close step.
    bool unloaded() const { return m_unloaded; }
    const ResultMarks& marks() const { return m_follower->marks(); }
    void SetMarking(bool on) { m_follower->setMarking(on); }

signals:
    // Asks the run's console to send a line, to stop the run, to end its input.
    void sendLine(const QString& line);
    void stopRun();
    void endInput();
    // Asks the editor to open a source at a line (1 = the first).
    void openLine(const QString& file, int line);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void BuildMenu();
    void PlaceOnScreen();
    void RememberNormalGeometry();
    void ShowCounts();
    void Replaced();
    void Finished();

    QWidget* m_main;
    ResultFollower* m_follower;
    ConsoleRows* m_console;
    ProblemSteps* m_steps;
    RunState m_run;
    bool m_following = false;  // the view was at the end before text was added
    bool m_unloaded = false;
    bool m_haveNormal = false;
    Qlk::FormTwips m_normal;
    quint64 m_shownRun = 0;
    QString m_shownCounts;
};
