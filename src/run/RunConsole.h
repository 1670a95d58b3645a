// The run as the user sees it: started by the compile and application
// buttons, typed to, stopped, and described in the result window's status
// line. At most one run is live. The console tells the result window the
// run's state whenever it changes; the window asks for input, stop and end of
// input through its own signals.
#pragma once

#include "platform/Platform.h"
#include "result/RunState.h"

#include <QObject>
#include <QString>
#include <functional>

class QTimer;
class frmResultText;

namespace Run {

// What a live program does, as its status line says it.
enum class RunWork {
    Reading,    // blocked reading its standard input
    Computing,  // using the processor
    Idle,       // neither (a program whose last window closed while it still runs)
};

// The rule between two readings of the run `elapsedMs` apart: a program
// blocked reading its input waits for input; else one whose processor time
// grew by a tenth of the time between the readings or more computes; else it
// does neither. Without an earlier reading (a run just started, or one the
// system tells nothing about) it counts as computing.
RunWork WorkOf(const RunActivity& now, const RunActivity& before, qint64 elapsedMs);

class Console : public QObject {
    Q_OBJECT
public:
    // How long a stopped run has to end before its group is killed; at
    // program end the wait is shorter.
    static constexpr int kStopGraceMs = 2000;
    static constexpr int kExitGraceMs = 500;

    static Console* instance();
    // The console when one was made, else null.
    static Console* made();

    // Starts a command line as the run; a live run is killed first.
    // `folder` is the source folder it works in, `kind` what it runs.
    bool Start(const QString& commandLine, QString* error, const QString& folder = QString(),
               RunKind kind = RunKind::Application);
    // SIGTERM to the run's group, SIGKILL after the grace if anything of it
    // is still alive.
    void Stop();
    // The same at program end, waiting at most kExitGraceMs before the kill.
    void StopForExit();
    // Sends a line and a newline, in UTF-8, to the run's standard input and
    // appends it to result.txt. False, with why in `why` and nothing
    // written, when the run cannot take it now.
    bool SendLine(const QString& line, QString* why = nullptr);
    // Closes the run's standard input (end of input).
    void EndInput();
    // Lines for the result window to show above the output of the run
    // started last, until the next start.
    void AddNotices(const QStringList& notices);
    // The applet viewer was started for a page in `folder`: until the next
    // run starts, the status says so (unless a run is live) and `notices`
    // stand above the text.
    void AppletStarted(const QString& folder, const QStringList& notices);

    RunInfo Info() const;
    // The source folder of the run started last; before any run, the source
    // folder selected now (where the lines of an earlier result start).
    QString Folder() const;
    // Tells where the selected source folder is asked for.
    void SetSelectedFolder(std::function<QString()> selected);
    bool Live() const { return Info().live(); }
    bool TakesInput() const;
    // The run-state part of the status line, now.
    QString StateText() const;
    // What the result window shows of the run, now.
    RunState State() const;
    // Connects a result window: it gets the state at once and at every
    // change, and its requests reach this console.
    void Serve(frmResultText* window);

    void setStopGraceMs(int ms);
    // Forgets the run, as a console before any run: its timers stop and the
    // platform no longer tells it of the run.
    void Forget();

signals:
    // The run's state changed (once per change; while a run is live, its
    // running time changes every second).
    void stateChanged(const RunState& state);

private:
    explicit Console(QObject* parent);
    void Listen();
    void KillIfLeft();
    void Tell();
    void Tick();
    void CheckResultWritten(const RunInfo& info);
    void Sample(bool fresh);

    QTimer* m_kill;
    QTimer* m_tick;
    QString m_folder;
    bool m_started = false;
    std::function<QString()> m_selected;
    RunKind m_kind = RunKind::Application;  // of the run started last
    RunState m_told;
    quint64 m_limitRead = 0;    // the run whose file-size limit was read
    FileStamp m_resultAtStart;  // result.txt as the run found it
    quint64 m_endChecked = 0;   // the run whose end was looked at
    QStringList m_notices;      // of the run started last
    bool m_applet = false;      // the applet viewer was started after the run
    QString m_appletFolder;
    QStringList m_appletNotices;
    RunActivity m_activity;   // the run's last reading
    qint64 m_activityMs = 0;  // when it was taken
    RunWork m_work = RunWork::Computing;
};

// The notice of a run that ended without writing result.txt, with the
// reason in `why` (the script's own error lines where it printed any).
QString ResultNotWrittenNotice(const QString& why);

// For the life of a block the console serves the platform installed in it;
// at the block's end the console forgets the run, so nothing of it reaches
// the platform after the block, however the block was left.
class ConsoleScope {
public:
    ConsoleScope() = default;
    ~ConsoleScope();
    ConsoleScope(const ConsoleScope&) = delete;
    ConsoleScope& operator=(const ConsoleScope&) = delete;
};

// Serves every result window from now on: the app and the tests call this
// once, before a result window is shown.
void ServeResultWindows();

// The run-state text for `info` at `nowMs`, with result.txt at `resultSize`
// bytes (its limit shown when reached); a live run doing `work`.
QString StateText(const RunInfo& info, qint64 nowMs, qint64 resultSize, RunWork work = RunWork::Computing);
// "1.23 秒"
QString Seconds(qint64 ms);
// "100 MB", "512 KB", "300 バイト"
QString SizeText(qint64 bytes);

}  // namespace Run
