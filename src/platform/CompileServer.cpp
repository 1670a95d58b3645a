// The warm compile server's process (see CompileServer.h).
#include "CompileServer.h"

#include "FileRules.h"
#include "ProcessRules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace {
// The niceness the server runs at: it warms up beside the user's work.
constexpr int kNiceness = 10;
// The longest a warm-up may take, on a busy machine, before the socket shows.
constexpr qint64 kWarmUpMs = 120000;

bool OwnPrivateFolder(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}
}  // namespace

CompileServer::CompileServer(const QString& runtimeFolder, const QString& programsFolder)
    : m_folder(runtimeFolder.isEmpty() ? QString()
                                       : QDir::cleanPath(runtimeFolder + u'/' + QLatin1String(kFolderName))),
      m_jar(programsFolder + QStringLiteral("/quenlark-compiler.jar")) {}

CompileServer::~CompileServer() { stop(); }

QString CompileServer::JavaBesideJavac() {
    const QString javac = QStandardPaths::findExecutable(QStringLiteral("javac"));
    if (javac.isEmpty()) return QString();
    const QString java =
        QFileInfo(QFileInfo(javac).canonicalFilePath()).absolutePath() + QStringLiteral("/java");
    return QFileInfo(java).isExecutable() ? java : QString();
}

QStringList CompileServer::Arguments(const QString& folder, const QString& jar) {
    return {// Small and quiet: one compile at a time of a learner's sources, no
            // shared statistics file, nothing that wakes up while idle.
            QStringLiteral("-XX:+UseSerialGC"), QStringLiteral("-Xms16m"), QStringLiteral("-Xmx512m"),
            QStringLiteral("-XX:MinHeapFreeRatio=10"), QStringLiteral("-XX:MaxHeapFreeRatio=30"),
            QStringLiteral("-XX:ReservedCodeCacheSize=64m"), QStringLiteral("-XX:-UsePerfData"),
            QStringLiteral("-Xshare:auto"),
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
    if (!m_process || m_process->state() == QProcess::NotRunning) return false;
    const QByteArray folder = QFile::encodeName(m_folder);
    struct stat st {};
    // A client that met a silent server leaves this mark.
    if (::lstat((folder + "/stale").constData(), &st) == 0) return false;
    // No socket: fine while it warms up, lost after that.
    if (::lstat((folder + "/socket").constData(), &st) != 0)
        return errno == ENOENT && m_started.elapsed() < kWarmUpMs;
    return S_ISSOCK(st.st_mode) && st.st_uid == ::getuid();
}

bool CompileServer::ensureRunning(QString* error) {
    if (serving()) return true;
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
    ::unlink((folder + "/stale").constData());
    const QString java = JavaBesideJavac();
    const QString& jar = m_jar;
    if (java.isEmpty() || !QFileInfo(jar).isFile()) {
        if (error)
            *error = java.isEmpty() ? QStringLiteral("javac not found") : jar + QStringLiteral(": missing");
        return false;
    }
    auto process = std::make_unique<QProcess>();
    process->setProgram(java);
    process->setArguments(Arguments(m_folder, jar));
    process->setWorkingDirectory(m_folder);
    // The environment Quenlark was started with, less what would change the
    // JVM or the compiler for every client, with file names in UTF-8.
    QProcessEnvironment env;
    for (char** e = StartEnvironment(); e && *e; ++e) {
        const QString entry = QFile::decodeName(*e);
        const qsizetype eq = entry.indexOf(u'=');
        if (eq > 0) env.insert(entry.left(eq), entry.mid(eq + 1));
    }
    for (const char* name : {"JDK_JAVAC_OPTIONS", "JAVA_TOOL_OPTIONS", "_JAVA_OPTIONS", "JDK_JAVA_OPTIONS",
                             "CLASSPATH", "LANGUAGE", "LC_MESSAGES", "LC_CTYPE", "LANG"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    process->setProcessEnvironment(env);
    process->setStandardOutputFile(m_folder + QStringLiteral("/log"));
    process->setStandardErrorFile(m_folder + QStringLiteral("/log"), QIODevice::Append);
    // Its standard input stays a pipe that only Quenlark holds: its end,
    // however Quenlark ends, ends the server.
    process->setChildProcessModifier([] {
        ::setpgid(0, 0);
        ::setpriority(PRIO_PROCESS, 0, kNiceness);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    process->start(QIODevice::WriteOnly);
    if (!process->waitForStarted(5000)) {
        if (error) *error = process->errorString();
        return false;
    }
    m_process = std::move(process);
    m_started.start();
    return true;
}

void CompileServer::stop() {
    if (!m_process) return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->closeWriteChannel();
        m_process->terminate();
        if (!m_process->waitForFinished(1000)) {
            m_process->kill();
            m_process->waitForFinished(1000);
        }
    }
    m_process.reset();
}

qint64 CompileServer::pid() const {
    return m_process && m_process->state() != QProcess::NotRunning ? m_process->processId() : 0;
}
