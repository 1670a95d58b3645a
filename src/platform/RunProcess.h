// The run: one script started with a pipe for its standard input, in a
// process group of its own, reaped with its exit status. Stopping it and
// telling the user about it are left to the caller; this only does what the
// operating system does.
#pragma once

#include "Platform.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QSocketNotifier;
class QTimer;

class RunProcess : public QObject {
    Q_OBJECT
public:
    RunProcess();
    // A run still alive then is killed with its whole group.
    ~RunProcess() override;

    // Starts `program` with `args`. A live run, or what is left of the last
    // one's group, is killed first (SIGKILL, no waiting). The program sees
    // only descriptors 0 (the pipe), 1 and 2.
    bool start(const QString& program, const QStringList& args, QString* error);
    const RunInfo& info() const { return m_info; }
    // Reads the live run's file-size limit (the script sets its own after
    // it starts) into its info, and returns it.
    qint64 readFileLimit();
    RunInput inputRoom(qint64 bytes);
    bool write(const QByteArray& data);
    void closeInput();
    void signal(int sig);
    bool groupAlive() const;
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
    void watchEnd(qint64 pid, quint64 serial);
    void ended(quint64 serial, int status);
    void flush();
    void dropInput();
    void notify();

    RunInfo m_info;
    int m_input = -1;
    QByteArray m_pending;
    QSocketNotifier* m_writable = nullptr;
    std::function<void()> m_listener;
};
