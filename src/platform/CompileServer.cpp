// The warm compile server's process (see CompileServer.h).
#include "CompileServer.h"

#include "CompileProtocol.h"
#include "FileRules.h"
#include "ProcessRules.h"
#include "RunLink.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>

namespace {
// The niceness the server runs at: it warms up beside the user's work.
constexpr int kNiceness = 10;
// The longest a warm-up may take, on a busy machine, before the socket shows.
constexpr qint64 kWarmUpMs = 120000;
// How long a server asked to end may take before it is made to.
constexpr int kGraceMs = 1000;
// What would change the JVM or the compiler for every client.
const QList<QByteArray> kDroppedVariables = {"JDK_JAVAC_OPTIONS",
                                             "JAVA_TOOL_OPTIONS",
                                             "_JAVA_OPTIONS",
                                             "JDK_JAVA_OPTIONS",
                                             "CLASSPATH",
                                             "LANGUAGE",
                                             "LC_MESSAGES",
                                             "LC_CTYPE",
                                             "LANG",
                                             "LC_ALL"};

bool OwnPrivateFolder(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}
}  // namespace

CompileServer::CompileServer(const QString& runtimeFolder, const QString& programsFolder,
                             const QString& maxHeap)
    : m_folder(runtimeFolder.isEmpty()
                   ? QString()
                   : QDir::cleanPath(runtimeFolder + u'/' + QLatin1String(CompileProtocol::kFolderName))),
      m_jar(programsFolder + QStringLiteral("/quenlark-compiler.jar")),
      m_maxHeap(maxHeap) {}

CompileServer::~CompileServer() { stop(); }

CompileServer::Javac CompileServer::JavacOnPath() {
    Javac javac;
    const QString found = QStandardPaths::findExecutable(QStringLiteral("javac"));
    if (found.isEmpty()) return javac;
    javac.path = QFileInfo(found).canonicalFilePath();
    struct stat st {};
    if (javac.path.isEmpty() || ::stat(QFile::encodeName(javac.path).constData(), &st) != 0) return Javac();
    javac.device = st.st_dev;
    javac.inode = st.st_ino;
    javac.changedNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return javac;
}

QString CompileServer::JavaBeside(const Javac& javac) {
    if (javac.path.isEmpty()) return QString();
    const QString java = QFileInfo(javac.path).absolutePath() + QStringLiteral("/java");
    return QFileInfo(java).isExecutable() ? java : QString();
}

QStringList CompileServer::Arguments(const QString& folder, const QString& jar, const QString& maxHeap) {
    return {// Small and quiet: one compile at a time of a learner's sources, no
            // shared statistics file, nothing that wakes up while idle.
            QStringLiteral("-XX:+UseSerialGC"), QStringLiteral("-Xms16m"), QStringLiteral("-Xmx") + maxHeap,
            // A compile that runs out of memory ends the server: the client
            // then has javac, with its own heap, do the compile.
            QStringLiteral("-XX:+ExitOnOutOfMemoryError"), QStringLiteral("-XX:MinHeapFreeRatio=10"),
            QStringLiteral("-XX:MaxHeapFreeRatio=30"), QStringLiteral("-XX:ReservedCodeCacheSize=64m"),
            QStringLiteral("-XX:-UsePerfData"), QStringLiteral("-Xshare:auto"),
            // Output and file names in UTF-8, as the client asks javac for.
            QStringLiteral("-Dfile.encoding=UTF-8"), QStringLiteral("-Dsun.stdout.encoding=UTF-8"),
            QStringLiteral("-Dsun.stderr.encoding=UTF-8"),
            // Relative paths resolve through the link the server points at
            // each client's working folder.
            QStringLiteral("-Dsun.nio.fs.chdirAllowed=true"),
            QStringLiteral("-Duser.dir=") + folder + QStringLiteral("/cwd"), QStringLiteral("-jar"), jar,
            folder};
}

bool CompileServer::serving() const {
    if (pid() == 0) return false;
    const QByteArray folder = QFile::encodeName(m_folder);
    struct stat st {};
    // A client that met a silent server leaves this mark.
    if (::lstat((folder + '/' + CompileProtocol::kStaleName).constData(), &st) == 0) return false;
    // No socket: fine while it warms up, lost after that.
    if (::lstat((folder + '/' + CompileProtocol::kSocketName).constData(), &st) != 0)
        return errno == ENOENT && m_started.elapsed() < kWarmUpMs;
    return S_ISSOCK(st.st_mode) && st.st_uid == ::getuid();
}

bool CompileServer::ensureRunning(QString* error) {
    // A server of another JDK than the one compile.bat finds would refuse
    // every compile: it is replaced like one that no longer serves.
    const Javac javac = JavacOnPath();
    if (serving() && javac == m_javac) return true;
    stop();
    if (m_folder.isEmpty()) {
        if (error) *error = QStringLiteral("no private run-time folder");
        return false;
    }
    const QByteArray folder = QFile::encodeName(m_folder);
    if (::mkdir(folder.constData(), S_IRWXU) != 0 && errno != EEXIST) {
        if (error) *error = FileRules::SystemError(errno);
        return false;
    }
    if (!OwnPrivateFolder(folder)) {
        if (error) *error = m_folder + QStringLiteral(": not a private folder of this user");
        return false;
    }
    ::unlink((folder + '/' + CompileProtocol::kStaleName).constData());
    const QString java = JavaBeside(javac);
    const QString& jar = m_jar;
    if (java.isEmpty() || !QFileInfo(jar).isFile()) {
        if (error)
            *error = java.isEmpty() ? QStringLiteral("javac not found") : jar + QStringLiteral(": missing");
        return false;
    }
    // The environment Quenlark was started with, less what would change the
    // JVM or the compiler for every client, with file names in UTF-8.
    QList<QByteArray> env;
    for (char** e = StartEnvironment(); e && *e; ++e) {
        const QByteArray entry(*e);
        const QByteArray name = entry.left(entry.indexOf('='));
        if (name.isEmpty() || kDroppedVariables.contains(name)) continue;
        env << entry;
    }
    env << QByteArrayLiteral("LC_ALL=C.UTF-8");
    std::vector<char*> envp;
    for (QByteArray& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);

    // Its standard input is a pipe that only Quenlark holds: its end, however
    // Quenlark ends, ends the server. Its output goes to the log, opened for
    // appending so that the server can empty it when it grows too big. It
    // gets no other descriptor of Quenlark's.
    int input[2];
    if (::pipe2(input, O_CLOEXEC) != 0) {
        if (error) *error = FileRules::SystemError(errno);
        return false;
    }
    const QByteArray log = folder + '/' + CompileProtocol::kLogName;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_NOFOLLOW, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawn_file_actions_addchdir_np(&actions, folder.constData());
    posix_spawnattr_t attr;
    RunLink::OwnGroupAttributes(&attr);
    ProcessRules::ExecArgs exec(java, Arguments(m_folder, jar, m_maxHeap));
    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, exec.argv[0], &actions, &attr, exec.argv.data(), envp.data());
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    if (rc != 0) {
        ::close(input[1]);
        if (error) *error = FileRules::SystemError(rc);
        return false;
    }
    ::setpriority(PRIO_PROCESS, id_t(pid), kNiceness);
    m_pid = pid;
    m_input = input[1];
    m_javac = javac;
    m_started.start();
    return true;
}

void CompileServer::hold(bool on) {
    if (on == m_held) return;
    const QByteArray socket = QFile::encodeName(m_folder) + '/' + CompileProtocol::kSocketName;
    struct stat st {};
    if (on) {
        if (pid() == 0 || ::lstat(socket.constData(), &st) == 0) return;
        ::kill(pid_t(m_pid), SIGSTOP);
        m_held = true;
        // A socket made just before the stop would meet a client that waits
        // for an answer: that server goes on at once.
        if (::lstat(socket.constData(), &st) == 0) hold(false);
        return;
    }
    m_held = false;
    if (pid() == 0) return;
    ::kill(pid_t(m_pid), SIGCONT);
    m_started.start();
}

void CompileServer::stop() {
    hold(false);
    if (m_input >= 0) ::close(m_input);
    m_input = -1;
    if (m_pid > 0 && !ProcessRules::HasEnded(m_pid)) {
        // The end of its input ends it; a server that does not is asked, and
        // resumed so that it can answer (one stopped by someone else would
        // not), then made to once the grace is over. Nothing here waits: the
        // program's reaper collects it whenever it ends.
        const pid_t pid = pid_t(m_pid);
        // No client finds it any more, and a fresh server binds its own.
        ::unlink((QFile::encodeName(m_folder) + '/' + CompileProtocol::kSocketName).constData());
        ::kill(pid, SIGTERM);
        ::kill(pid, SIGCONT);
        if (QCoreApplication::instance())
            QTimer::singleShot(kGraceMs, [pid] {
                if (!ProcessRules::HasEnded(pid)) ::kill(pid, SIGKILL);
            });
    }
    // Reaped here unless the program's reaper was first.
    if (m_pid > 0) ::waitpid(pid_t(m_pid), nullptr, WNOHANG);
    m_pid = 0;
}

qint64 CompileServer::pid() const { return m_pid > 0 && !ProcessRules::HasEnded(m_pid) ? m_pid : 0; }
