// A contained run: one script started under its own supervisor
// (quenlark-run), with a pipe for its standard input. Every process the
// script starts belongs to the run, even one that leaves the process group or
// double-forks; the run is live while any of them is, a signal reaches all of
// them, and when this object or Quenlark itself ends (even by SIGKILL) the
// whole run is killed. When the run's program kills its supervisor, what is
// left of the run (handed to Quenlark as the subreaper) is killed at once;
// when it stops it, the kill after a stop's grace is done without it. Each instance holds one run: a second
// instance is a second contained slot. Telling the user about it is left to the caller.
#pragma once

#include "Platform.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class QSocketNotifier;
class QTimer;
class RunErrors;

class RunProcess : public QObject {
    Q_OBJECT
public:
    RunProcess();
    // A run still alive then is killed whole.
    ~RunProcess() override;

    // Starts `program` with `args` as the run. A live run, or what is left of
    // the last one, is killed first (SIGKILL, no waiting). The program sees
    // only descriptors 0 (the pipe), 1 and 2.
    bool start(const QString& program, const QStringList& args, QString* error);
    const RunInfo& info() const { return m_info; }
    // Reads the live run's file-size limit (the script sets its own after
    // it starts) into its info, and returns it.
    qint64 readFileLimit();
    RunInput inputRoom(qint64 bytes);
    bool write(const QByteArray& data);
    void closeInput();
    // Sends `sig` to every process of the run; nothing once all have ended.
    void signal(int sig);
    // SIGTERM to every process of the run, and SIGKILL `graceMs` after the
    // first call if anything of it is left; later calls change nothing.
    void stop(int graceMs);
    // True while any process of the run is alive (ended, not yet reaped,
    // counts as gone).
    bool groupAlive() const;
    // What the run's processes do now: whether one of them waits in a read
    // of the run's standard input, and the processor time they used. The
    // processes seen are remembered as the run's, so that they can be ended
    // even after the supervisor is gone.
    RunActivity activity();
    void setListener(std::function<void()> changed) { m_listener = std::move(changed); }

    // True while a process other than a zombie has `pgid` as its group.
    static bool groupHasLiveMember(qint64 pgid);
    // The soft "Max file size" of /proc/PID/limits in bytes; -1 when
    // unlimited or unknown.
    static qint64 fileSizeLimit(qint64 pid);
    static qint64 parseFileSizeLimit(const QByteArray& limits);
    static bool appendTo(const QString& path, const QByteArray& data, QString* error);
    static qint64 nowMs();

    // Calls `handler` on the event loop when Quenlark gets SIGTERM, SIGHUP or
    // SIGINT (logout, system shutdown, Ctrl+C in a terminal).
    static void watchTerminationSignals(std::function<void()> handler);

private:
    void ended(quint64 serial, int status);
    // Ends what is left of the run without the supervisor's help.
    void killLeftovers();
    bool isMember(qint64 pid) const;
    void remember(const std::vector<int>& pids);
    void endRun();
    void readLink();
    void flush();
    void dropInput();
    void notify();

    RunInfo m_info;
    qint64 m_scriptPid = 0;  // the script under the supervisor (m_info.pid)
    QByteArray m_linkWord;   // the supervisor's first word as far as read
    int m_link = -1;         // to the supervisor; closing it kills the run
    int m_input = -1;
    QByteArray m_pending;
    QSocketNotifier* m_writable = nullptr;
    QTimer* m_grace = nullptr;
    RunErrors* m_errors = nullptr;  // the run's standard error
    std::function<void()> m_listener;
    QHash<qint64, qint64> m_members;  // processes seen in the run: pid, start time
    quint64 m_inputPipe = 0;          // the inode of the standard input's pipe
};
