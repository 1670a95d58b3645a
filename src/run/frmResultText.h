// The result window: shows result.txt from the data folder and follows its
// changes, with an always-on-top toggle and its own position and size.
#pragma once

#include "ResultReader.h"
#include "settings/Placement.h"

#include <QMainWindow>

class QAction;
class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTimer;

class frmResultText : public QMainWindow {
    Q_OBJECT
public:
    // At most this many characters are shown; beyond it the oldest text goes
    // (down to kKeepChars) and a note at the top says so.
    static constexpr int kMaxShownChars = 500000;
    static constexpr int kKeepChars = 350000;
    // A change the file system reports is read this long after the first
    // report, so that a burst of writes is read once.
    static constexpr int kSettleMs = 15;
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

    QPlainTextEdit* Text1;
    QLineEdit* txtInput;
    QPushButton* cmdStop;
    QLabel* lblStatus;
    QTimer* Timer1;
    QMenu* mnuMenu;
    QAction* mnuBefore;
    QAction* mnuStop;
    QAction* mnuEnd;

    QString resultFile() const { return m_reader.path(); }
    QFileSystemWatcher* watcher() const { return m_watcher; }
    const ResultReader& reader() const { return m_reader; }
    // True while the shown text lacks the start of the output.
    bool trimmed() const { return m_trimmed; }
    // True once the window has run its close step.
    bool unloaded() const { return m_unloaded; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void Refresh(bool fileReported);
    void Watch(const FileStamp& stamp);
    void Show(const ResultReader::Update& update);
    void Bound();
    void PlaceOnScreen();
    void RememberNormalGeometry();

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
};
