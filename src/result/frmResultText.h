// The result window: shows result.txt from the data folder and follows its
// changes, with an always-on-top toggle and its own position and size.
#pragma once

#include "ResultReader.h"
#include "settings/Placement.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <functional>
#include <memory>

class QAction;
class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class ResultFind;
class ResultMarks;

class frmResultText : public QMainWindow {
    Q_OBJECT
public:
    // At most this many characters are shown; beyond it the oldest text goes
    // (down to kKeepChars) and a note at the top says so.
    static constexpr int kMaxShownChars = 500000;
    static constexpr int kKeepChars = 350000;
    // The same for lines, which cost the text box more than characters.
    static constexpr int kMaxShownLines = 8000;
    static constexpr int kKeepLines = 5000;
    // A change the file system reports is read this long after the first
    // report, so that a burst of writes is read once.
    static constexpr int kSettleMs = 15;
    static constexpr int kShowsPerSecond = 30;
    static constexpr double kRestFactor = 6;
    static const QString kTrimmedNote;

    // `mainWindow` lends its icon.
    explicit frmResultText(QWidget* mainWindow);
    ~frmResultText() override;

    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void mnuBefore_Click();
    void mnuEnd_Click();
    void Timer1_Timer();

    // The run's console: a line typed into txtInput goes to the run's
    // standard input; cmdStop and mnuStop stop it; lblStatus tells its state.
    void txtInput_Enter();
    void txtInput_EndOfInput();
    void cmdStop_Click();
    void UpdateRun();
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
    // Ctrl+F, F3 and Shift+F3.
    void mnuFind_Click();
    void FindNext(bool backwards);

    // Opens a source at a line (1 = the first) in the Java editor.
    std::function<void(const QString& file, int line, QWidget* window)> openLine;

    QPlainTextEdit* Text1;
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
    ResultFind* findBar;

    QString resultFile() const { return m_reader.path(); }
    QFileSystemWatcher* watcher() const { return m_watcher; }
    const ResultReader& reader() const { return m_reader; }
    // True while the shown text lacks the start of the output.
    bool trimmed() const { return m_trimmed; }
    // True once the window has run its close step.
    bool unloaded() const { return m_unloaded; }
    const ResultMarks& marks() const { return *m_marks; }
    // Off: the text is shown unmarked (a benchmark's baseline).
    void SetMarking(bool on) { m_marking = on; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void Refresh(bool fileReported);
    void Watch(const FileStamp& stamp);
    void ShowUpdate(const ResultReader::Update& update);
    void ScheduleRefresh(bool reported);
    void Bound();
    void PlaceOnScreen();
    void RememberNormalGeometry();
    void Step(bool backwards);
    void Select(qint64 line, bool atTop);
    void FinishIfEnded();
    void ShowCounts();

    QWidget* m_main;
    ResultReader m_reader;
    QFileSystemWatcher* m_watcher;
    QTimer* m_settle;
    bool m_fileReported = false;
    bool m_more = false;
    quint64 m_watchedDevice = 0, m_watchedInode = 0;
    bool m_trimmed = false;
    bool m_unloaded = false;
    bool m_haveNormal = false;
    Qlk::FormTwips m_normal;
    QString m_statusExtra;
    quint64 m_shownRun = 0;
    std::unique_ptr<ResultMarks> m_marks;
    qint64 m_navLine = -1;  // the problem line F4 went to last
    int m_navBlock = -1;
    quint64 m_finished = 0;  // the run whose output was read to its end
    QString m_shownCounts;
    bool m_marking = true;
    QElapsedTimer m_sinceShown;  // since the end of the last refresh
    double m_lastCostMs = 0;     // how long the last refresh took
};
