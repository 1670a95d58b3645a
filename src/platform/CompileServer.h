// The warm compile server's process, as Quenlark keeps it: started after the
// main window shows, replaced when it no longer serves or when the javac on
// PATH is no longer the one it was started for, ended at shut-down.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <memory>

class CompileServer {
public:
    // `runtimeFolder` is the user's private run-time folder; the server's own
    // private folder (its socket, lock and log) is made inside it. The jar
    // lies in `programsFolder`; the server's heap is at most `maxHeap` (as
    // java's -Xmx takes it).
    CompileServer(const QString& runtimeFolder, const QString& programsFolder,
                  const QString& maxHeap = QStringLiteral("512m"));
    ~CompileServer();
    CompileServer(const CompileServer&) = delete;
    CompileServer& operator=(const CompileServer&) = delete;

    // Starts the server at a low priority, with the java beside the javac on
    // PATH, unless one of ours still serves (running, its socket in place and
    // ours, no client found it silent) for that same javac. Never waits for
    // it; false with the reason when it cannot start.
    bool ensureRunning(QString* error);
    // Ends the server without waiting for it: asked (and resumed, if it was
    // stopped), then made to after a grace; the program's reaper collects it.
    void stop();
    // While a compile runs on javac because the server is still warming up,
    // the server waits (stopped), so that javac has the processor to itself;
    // it goes on, with its warm-up time counted afresh, once released. A
    // server that already serves is never held.
    void hold(bool on);
    qint64 pid() const;

    // The javac found on PATH, links resolved, and what tells it from another
    // file at the same path (a JDK updated in place): found with a path
    // lookup and a stat, no JVM started.
    struct Javac {
        QString path;  // "" when there is none
        quint64 device = 0, inode = 0;
        qint64 changedNs = 0;
        bool operator==(const Javac&) const = default;
    };
    static Javac JavacOnPath();
    // The java beside that javac; "" when none.
    static QString JavaBeside(const Javac& javac);
    // The server's command line: java's options and the jar with its folder.
    static QStringList Arguments(const QString& folder, const QString& jar, const QString& maxHeap);

private:
    bool serving() const;

    QString m_folder;
    QString m_jar;
    QString m_maxHeap;
    Javac m_javac;     // the javac the running server compiles for
    qint64 m_pid = 0;  // the server; ended when it is no child left to wait for
    int m_input = -1;  // the writing end of its standard input
    bool m_held = false;
    QElapsedTimer m_started;
};
