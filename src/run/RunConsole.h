// The run as the user sees it: started by the compile and application
// buttons, typed to, stopped, and described in the result window's status
// line. At most one run is live. The console tells the result window the
// run's state whenever it changes; the window asks for input, stop and end of
// input through its own signals.
#pragma once

#include "platform/Platform.h"
#include "result/RunState.h"
#include "run/StaleClass.h"

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

    // Made by whoever owns the run's user interface (main, a test) and
    // handed to the windows and commands that use it.
    explicit Console(QObject* parent = nullptr);

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
    // The compiles this console ran in this session, for the stale rule.
    Stale::Compiles& Compiles() { return m_compiles; }

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

signals:
    // The run's state changed (once per change; while a run is live, its
    // running time changes every second).
    void stateChanged(const RunState& state);

private:
    void Listen();
    void Tell();
    void Tick();
    void CheckResultWritten(const RunInfo& info);
    void Sample(bool fresh);

    QTimer* m_tick;
    int m_graceMs = kStopGraceMs;
    QMetaObject::Connection m_listening;  // to the run of the platform in use
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
    Stale::Compiles m_compiles;
};

// The notice of a run that ended without writing result.txt, with the
// reason in `why` (the script's own error lines where it printed any).
QString ResultNotWrittenNotice(const QString& why);

// Lets `console` serve every result window made from now on, for as long as
// it lives: the main window and the benchmarks call this before a result
// window is shown; calling it again changes nothing.
void ServeResultWindows(Console& console);

// The run-state text for `info` at `nowMs`, with result.txt at `resultSize`
// bytes (its limit shown when reached); a live run doing `work`.
QString StateText(const RunInfo& info, qint64 nowMs, qint64 resultSize, RunWork work = RunWork::Computing);
// "1.23 秒"
QString Seconds(qint64 ms);
// "100 MB", "512 KB", "300 バイト"
QString SizeText(qint64 bytes);

}  // namespace Run
