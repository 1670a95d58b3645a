#include "ProcessRules.h"

#include "FileRules.h"
#include "PathRules.h"
#include "RunLink.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPointer>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <vector>

extern char** environ;

using FileRules::MakePrivateDir;
using FileRules::SystemError;

namespace {
bool UsableRuntimeDir(const QByteArray& dir) {
    struct stat st {};
    return !dir.isEmpty() && ::stat(dir.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

// The environment as the program received it, kept before start-up changes
// it for Qt's sake.
struct KeptEnvironment {
    bool kept = false;
    QList<QByteArray> entries;
    std::vector<char*> pointers;
    QByteArray runtimeDir;
};

KeptEnvironment& Kept() {
    static KeptEnvironment k;
    return k;
}

// The null-ended array exec takes, after the entries changed.
void PointAtEntries(KeptEnvironment& k) {
    k.pointers.clear();
    for (QByteArray& e : k.entries) k.pointers.push_back(e.data());
    k.pointers.push_back(nullptr);
}

void KeepEnvironment() {
    KeptEnvironment& k = Kept();
    k.entries.clear();
    for (char** e = environ; e && *e; ++e) {
        // The desktop's start-up notice belongs to Quenlark's own start; a
        // program started later must not answer it.
        if (std::strncmp(*e, "DESKTOP_STARTUP_ID=", 19) == 0) continue;
        if (std::strncmp(*e, "QUENLARK_PROGRAMS=", 18) == 0) continue;
        // Started inside a run, Quenlark's own programs are still no part of it.
        if (std::strncmp(*e, "QUENLARK_RUN=", 13) == 0) continue;
        k.entries << QByteArray(*e);
    }
    // Where the programs Quenlark ships live (the applet viewer, the compile
    // client): the folder of the running executable, for the scripts, whose
    // per-user copy of a system install lies elsewhere.
    const QString programs = ProgramsFolder();
    if (!programs.isEmpty()) k.entries << "QUENLARK_PROGRAMS=" + QFile::encodeName(programs);
    PointAtEntries(k);
    k.runtimeDir = qgetenv("XDG_RUNTIME_DIR");
    k.kept = true;
}
}  // namespace

void EnsurePrivateRuntimeDir() {
    KeepEnvironment();
    if (UsableRuntimeDir(qgetenv("XDG_RUNTIME_DIR"))) return;
    QByteArray base = qgetenv("XDG_DATA_HOME");
    if (base.isEmpty() || base.front() != '/') base = qgetenv("HOME") + "/.local/share";
    const QString dir = MakePrivateDir(QFile::decodeName(base) + QStringLiteral("/Quenlark/runtime"));
    if (!dir.isEmpty()) qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir));
}

QString ProgramsFolder() {
    const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return exe.isEmpty() ? QString() : QFileInfo(exe).absolutePath();
}

char** StartEnvironment() { return Kept().kept ? Kept().pointers.data() : environ; }

void SetStartVariable(const QByteArray& name, const QByteArray& value) {
    KeptEnvironment& k = Kept();
    if (!k.kept) {
        qputenv(name.constData(), value);
        return;
    }
    const QByteArray prefix = name + '=';
    k.entries.removeIf([&prefix](const QByteArray& e) { return e.startsWith(prefix); });
    k.entries << prefix + value;
    PointAtEntries(k);
}

QString UserRuntimeFolder() {
    const QByteArray runtime = Kept().kept ? Kept().runtimeDir : qgetenv("XDG_RUNTIME_DIR");
    return UsableRuntimeDir(runtime) ? QFile::decodeName(runtime) : QString();
}

QString PrivateRuntimeFolder(const QString& dataFolder) {
    const QString runtime = UserRuntimeFolder();
    return runtime.isEmpty() ? dataFolder : runtime;
}

namespace ProcessRules {

ExecArgs::ExecArgs(const QString& program, const QStringList& args) {
    words << QFile::encodeName(program);
    for (const QString& a : args) words << QFile::encodeName(a);
    for (QByteArray& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
}

bool ResolveCommand(const QString& commandLine, QString* program, QStringList* args, QString* error) {
    // A prefix that names a file the start cannot run (a plain file "my"
    // beside a folder "my editors") is passed over; when no prefix names a
    // program, the first such file is the reason.
    QString notRunnable;
    auto isProgram = [&notRunnable](const QString& candidate, QString* resolved) {
        if (candidate.contains(u'/')) {
            if (FileRules::IsProgramFile(candidate)) return true;
            if (notRunnable.isEmpty() && QFileInfo(candidate).isFile()) notRunnable = candidate;
            return false;
        }
        const QString found = QStandardPaths::findExecutable(candidate);
        if (found.isEmpty()) return false;
        *resolved = found;
        return true;
    };
    const PathRules::SplitCommand split = PathRules::SplitCommandLine(commandLine, isProgram);
    if (split.program.isEmpty()) {
        // No prefix names a program; the caller shows the whole command line.
        if (error)
            *error = notRunnable.isEmpty() ? SystemError(ENOENT)
                                           : QStringLiteral("%1: %2").arg(notRunnable, SystemError(EACCES));
        return false;
    }
    const QByteArray name = QFile::encodeName(split.program);
    if (split.program.endsWith(QStringLiteral(".bat"))) {
        if (::access(name.constData(), R_OK) != 0) {
            if (error) *error = QStringLiteral("%1: %2").arg(split.program, SystemError(errno));
            return false;
        }
        *program = QStringLiteral("/bin/sh");
        *args = QStringList{split.program} + split.arguments;
        return true;
    }
    if (::access(name.constData(), X_OK) != 0) {
        if (error) *error = QStringLiteral("%1: %2").arg(split.program, SystemError(errno));
        return false;
    }
    *program = split.program;
    *args = split.arguments;
    return true;
}

bool ProgramOnPath(const QString& commandLine) {
    auto onPath = [](const QString& candidate, QString* resolved) {
        if (candidate.contains(u'/')) return false;
        *resolved = QStandardPaths::findExecutable(candidate);
        return !resolved->isEmpty();
    };
    return !PathRules::SplitCommandLine(commandLine, onPath).program.isEmpty();
}

// Starts the program in a process group of its own (a Ctrl+C or hang-up of
// the terminal Quenlark was started from does not reach it), reading nothing
// (stdin is /dev/null), with default signal handling; exec failures come back
// at once. posix_spawn does not copy the address space and closes nothing by
// hand, so a start costs well under a millisecond. (A session of its own
// would cost a few milliseconds more: the kernel gives each new session its
// own scheduling group.)
int SpawnInOwnGroup(const ExecArgs& exec, const posix_spawn_file_actions_t* actions, pid_t* pid) {
    posix_spawnattr_t attr;
    RunLink::OwnGroupAttributes(&attr);
    // The environment Quenlark was started with, not the one it made up for
    // itself.
    const int rc = posix_spawn(pid, exec.argv[0], actions, &attr, exec.argv.data(), StartEnvironment());
    posix_spawnattr_destroy(&attr);
    return rc;
}

bool SpawnDetached(const QString& program, const QStringList& args, qint64* pidOut, QString* error,
                   int* errorOutput) {
    const ExecArgs exec(program, args);
    int pipeFds[2] = {-1, -1};
    if (errorOutput && ::pipe2(pipeFds, O_CLOEXEC) != 0) {
        if (error) *error = SystemError(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (errorOutput) posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    // Nothing of Quenlark's but the standard descriptors, even one it was
    // given without close-on-exec.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    pid_t pid = 0;
    const int rc = SpawnInOwnGroup(exec, &actions, &pid);
    posix_spawn_file_actions_destroy(&actions);
    if (errorOutput) {
        ::close(pipeFds[1]);
        if (rc == 0) {
            ::fcntl(pipeFds[0], F_SETFL, ::fcntl(pipeFds[0], F_GETFL) | O_NONBLOCK);
            *errorOutput = pipeFds[0];
        } else {
            ::close(pipeFds[0]);
        }
    }
    if (rc != 0) {
        if (error) *error = QStringLiteral("%1: %2").arg(program, SystemError(rc));
        return false;
    }
    *pidOut = pid;
    return true;
}

namespace {

// SIGCHLD only wakes the event loop (a byte down a pipe); the reaping is
// done there, never inside the handler.
int g_childPipe[2] = {-1, -1};
struct sigaction g_previousChild {};

void OnChild(int sig, siginfo_t* info, void* context) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(g_childPipe[1], &byte, 1);
    // A handler that was there before (Qt's own, on old kernels) still runs.
    if (g_previousChild.sa_flags & SA_SIGINFO) {
        if (g_previousChild.sa_sigaction) g_previousChild.sa_sigaction(sig, info, context);
    } else if (g_previousChild.sa_handler != SIG_DFL && g_previousChild.sa_handler != SIG_IGN) {
        g_previousChild.sa_handler(sig);
    }
    errno = saved;
}

struct Watch {
    QPointer<QObject> context;
    std::function<void(int)> ended;
};

QHash<qint64, Watch>& Watched() {
    static QHash<qint64, Watch> watched;
    return watched;
}

void ReapAll() {
    int status = 0;
    pid_t pid = 0;
    while ((pid = ::waitpid(-1, &status, WNOHANG)) > 0) {
        const auto it = Watched().constFind(pid);
        if (it == Watched().constEnd()) continue;  // an orphan: only reaped
        const Watch watch = it.value();
        Watched().erase(it);
        if (watch.context) watch.ended(status);
    }
}

void EnsureReaper() {
    if (g_childPipe[0] >= 0 || !WakeOnPipe(g_childPipe, ReapAll)) return;
    struct sigaction sa {};
    sa.sa_sigaction = OnChild;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_SIGINFO | SA_RESTART | SA_NOCLDSTOP;
    ::sigaction(SIGCHLD, &sa, &g_previousChild);
    // Children that ended before the handler was there, on the event loop.
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(g_childPipe[1], &byte, 1);
}

}  // namespace

void WhenEnded(qint64 pid, QObject* context, std::function<void(int status)> ended) {
    Watched().insert(pid, Watch{context, std::move(ended)});
    EnsureReaper();
}

void AdoptOrphans() {
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    EnsureReaper();
}

bool WakeOnPipe(int pipe[2], std::function<void()> woken) {
    if (::pipe2(pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        pipe[0] = pipe[1] = -1;
        return false;
    }
    const int readEnd = pipe[0];
    auto* notifier = new QSocketNotifier(readEnd, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [readEnd, woken = std::move(woken)] {
        char buffer[64];
        while (::read(readEnd, buffer, sizeof buffer) > 0) {
        }
        woken();
    });
    return true;
}

void StopWatching(QSocketNotifier* notifier, int* fd) {
    if (notifier) {
        notifier->setEnabled(false);
        notifier->deleteLater();
    }
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
}

int UnixSocket(const QString& path, bool listening) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (size_t(name.size()) >= sizeof address.sun_path) return -1;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    auto* a = reinterpret_cast<sockaddr*>(&address);
    if (fd >= 0 && (listening ? ::bind(fd, a, sizeof address) == 0 && ::listen(fd, 8) == 0
                              : ::connect(fd, a, sizeof address) == 0))
        return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

bool HasEnded(qint64 pid) {
    siginfo_t info{};
    if (::waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) return errno == ECHILD;
    return info.si_pid == pid_t(pid);
}

}  // namespace ProcessRules
