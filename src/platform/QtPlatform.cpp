#include "QtPlatform.h"

#include "AtomicFile.h"
#include "HelpWindow.h"
#include "PathRules.h"
#include "ProgramCopy.h"
#include "RunProcess.h"
#include "SharedTexts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QScreen>
#include <QSocketNotifier>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QSysInfo>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <ctime>

extern char** environ;

namespace {

QString ensurePrivateDir(const QString& path) {
    if (!QDir().mkpath(path)) return QString();
    ::chmod(QFile::encodeName(path).constData(), S_IRWXU);
    return path;
}

QString systemError(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

}  // namespace

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

void KeepEnvironment() {
    KeptEnvironment& k = Kept();
    k.entries.clear();
    k.pointers.clear();
    for (char** e = environ; e && *e; ++e) {
        // The desktop's start-up notice belongs to Quenlark's own start; a
        // program started later must not answer it.
        if (std::strncmp(*e, "DESKTOP_STARTUP_ID=", 19) == 0) continue;
        k.entries << QByteArray(*e);
    }
    for (QByteArray& e : k.entries) k.pointers.push_back(e.data());
    k.pointers.push_back(nullptr);
    k.runtimeDir = qgetenv("XDG_RUNTIME_DIR");
    k.kept = true;
}
}  // namespace

void ensurePrivateRuntimeDir() {
    KeepEnvironment();
    if (UsableRuntimeDir(qgetenv("XDG_RUNTIME_DIR"))) return;
    QByteArray base = qgetenv("XDG_DATA_HOME");
    if (base.isEmpty() || base.front() != '/') base = qgetenv("HOME") + "/.local/share";
    const QString dir = ensurePrivateDir(QFile::decodeName(base) + QStringLiteral("/Quenlark/runtime"));
    if (!dir.isEmpty()) qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir));
}

char** startEnvironment() { return Kept().kept ? Kept().pointers.data() : environ; }

QString userRuntimeFolder() {
    const QByteArray runtime = Kept().kept ? Kept().runtimeDir : qgetenv("XDG_RUNTIME_DIR");
    return UsableRuntimeDir(runtime) ? QFile::decodeName(runtime) : QString();
}

QString privateRuntimeFolder(const QString& dataFolder) {
    const QString runtime = userRuntimeFolder();
    return runtime.isEmpty() ? dataFolder : runtime;
}

QtPlatform::QtPlatform() {
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    m_store = std::make_unique<IniStore>(config + QStringLiteral("/Quenlark/Quenlark.ini"));
}

QtPlatform::~QtPlatform() {
    if (m_help) delete m_help.data();
    if (!m_tempAliasRoot.isEmpty()) {
        // Only the links made here are in it; a link is removed, never followed.
        const QByteArray root = QFile::encodeName(m_tempAliasRoot);
        const QStringList links =
            QDir(m_tempAliasRoot)
                .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
        for (const QString& link : links) ::unlink((root + '/' + QFile::encodeName(link)).constData());
        ::rmdir(root.constData());
    }
}

QString QtPlatform::readSetting(const QString& section, const QString& key) {
    return m_store->read(section, key);
}

bool QtPlatform::writeSetting(const QString& section, const QString& key, const QString& value) {
    return m_store->write(section, key, value);
}

void QtPlatform::beginSettingsBatch() { m_store->beginBatch(); }
bool QtPlatform::endSettingsBatch() { return m_store->endBatch(); }

// Temporary files of ours older than this are left from a write that a
// crash cut short; a younger one may belong to a copy on another machine
// that shares this home.
static const qint64 kStaleTemporarySeconds = 10 * 60;

void QtPlatform::removeStaleTemporaryFiles() {
    AtomicFile::removeStale(QFileInfo(m_store->path()).absolutePath(), kStaleTemporarySeconds);
    AtomicFile::removeStale(windowsFolder(), kStaleTemporarySeconds);
}

QString QtPlatform::settingsPath() const { return m_store->path(); }
QString QtPlatform::lastSettingsError() const { return m_store->lastError(); }

QString QtPlatform::windowsFolder() {
    if (m_dataFolder.isEmpty()) {
        QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        QString dir = base + QStringLiteral("/Quenlark");
        ensurePrivateDir(dir);
        m_dataFolder = dir + u'/';
    }
    return m_dataFolder;
}

// The folder of the executable, or for a system install the per-user copy of
// its files in the data folder, brought up to date on first use (at start-up).
QString QtPlatform::programFolder() {
    if (!m_programFolder.isEmpty()) return m_programFolder;
    const QString installed = QCoreApplication::applicationDirPath();
    m_programFolder = installed;
    if (!ProgramCopy::IsSystemInstall(installed)) return m_programFolder;
    const QString copy = windowsFolder() + QStringLiteral("program");
    const ProgramCopy::Outcome outcome =
        ProgramCopy::Sync(installed, copy, QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    if (outcome.usable) m_programFolder = copy;
    if (!outcome.failures.isEmpty())
        messageBox(nullptr,
                   QStringLiteral("プログラムのファイルを個人用フォルダにコピーできませんでした。\n\n") +
                       outcome.failures.join(u'\n'),
                   kErrorTitle, MsgIcon::Exclamation, MsgButtons::Ok);
    return m_programFolder;
}

bool QtPlatform::fileExists(const QString& path) { return fileTest(path); }

bool QtPlatform::fileTest(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString dir =
        slash < 0 ? QStringLiteral(".") : (slash == 0 ? QStringLiteral("/") : path.left(slash));
    const QString name = path.mid(slash + 1);
    if (name.isEmpty()) return false;
    if (!PathRules::hasWildcard(name)) {
        if (name.startsWith(u'.')) return false;
        return QFileInfo(path).isFile();
    }
    QDir d(dir);
    if (!d.exists()) return false;
    const QStringList entries = d.entryList(QDir::Files | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (!entry.startsWith(u'.') && PathRules::wildcardMatch(name, entry)) return true;
    }
    return false;
}

bool QtPlatform::copyFile(const QString& from, const QString& to, QString* error, const CopyRules& rules) {
    return copyReplacing(from, to, error, rules);
}

// Copies through a temporary file beside the target that is renamed over it
// once every byte is written and synced, so an existing target is replaced
// whole or not at all.
bool QtPlatform::copyReplacing(const QString& from, const QString& to, QString* error,
                               const CopyRules& rules) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error) *error = in.errorString();
        return false;
    }
    struct stat st {};
    if (::fstat(in.handle(), &st) != 0) {
        if (error) *error = systemError(errno);
        return false;
    }
    if (rules.onlyWhenMissing && QFileInfo::exists(to)) {
        // A file is there already; anything else in its place is an error.
        if (QFileInfo(to).isFile()) return true;
        if (error) *error = systemError(QFileInfo(to).isDir() ? EISDIR : EEXIST);
        return false;
    }
    AtomicFile out(to, AtomicFile::Mode::KeepExisting, st.st_mode & 0777,
                   rules.onlyWhenMissing ? AtomicFile::Target::OnlyWhenMissing : AtomicFile::Target::Replace);
    if (!out.open()) {
        if (error) *error = out.error();
        return false;
    }
    const QByteArray placeholder = rules.placeholder.toUtf8();
    if (!placeholder.isEmpty()) {
        QByteArray text = in.readAll();
        if (in.error() != QFileDevice::NoError) {
            if (error) *error = in.errorString();
            return false;
        }
        out.write(text.replace(placeholder, rules.replacement.toUtf8()));
    } else {
        char buffer[65536];
        for (;;) {
            const qint64 n = in.read(buffer, sizeof buffer);
            if (n < 0) {
                if (error) *error = in.errorString();
                return false;
            }
            if (n == 0 || !out.write(buffer, n)) break;
        }
    }
    if (!out.commit()) {
        if (error) *error = out.error();
        return false;
    }
    return true;
}

FileStamp QtPlatform::fileStamp(const QString& path) { return stampOf(path); }

FileStamp QtPlatform::stampOf(const QString& path) {
    FileStamp s;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode)) return s;
    s.exists = true;
    s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.size = st.st_size;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    return s;
}

bool QtPlatform::readFile(const QString& path, qint64 offset, qint64 maxBytes, QByteArray* data,
                          QString* error) {
    return readRange(path, offset, maxBytes, data, error);
}

// The file is opened without waiting (a FIFO or a device put in its place
// would block the open for good) and read only when the opened file is an
// ordinary file.
bool QtPlatform::readRange(const QString& path, qint64 offset, qint64 maxBytes, QByteArray* data,
                           QString* error) {
    data->clear();
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (error) *error = systemError(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        if (error) *error = QStringLiteral("%1: %2").arg(path, systemError(err));
        return false;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        if (error) *error = file.errorString();
        return false;
    }
    if (offset > 0 && !file.seek(offset)) {
        if (error) *error = file.errorString();
        return false;
    }
    *data = maxBytes < 0 ? file.readAll() : file.read(maxBytes);
    if (file.error() != QFileDevice::NoError) {
        if (error) *error = file.errorString();
        data->clear();
        return false;
    }
    return true;
}

// The alias folder's own path must be space-free: under the user's runtime
// folder, else under the data folder, else a private folder made with an
// unpredictable name in the temporary folder (removed at exit).
QString QtPlatform::aliasRoot() {
    for (QString base : {userRuntimeFolder(), windowsFolder()}) {
        if (base.isEmpty() || base.contains(u' ')) continue;
        if (!base.endsWith(u'/')) base += u'/';
        return base + QStringLiteral("quenlark-aliases");
    }
    if (m_tempAliasRoot.isEmpty()) {
        QByteArray temp = QFile::encodeName(QDir::tempPath());
        if (temp.contains(' ') || !temp.startsWith('/')) temp = "/tmp";
        QByteArray name = temp + "/quenlark-XXXXXX";
        if (::mkdtemp(name.data())) m_tempAliasRoot = QFile::decodeName(name);
    }
    return m_tempAliasRoot;
}

QString QtPlatform::shortPath(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return QString();
    if (!folder.contains(u' ')) return folder;
    return aliasFor(folder, aliasRoot());
}

// A stable alias: the same folder always gets the same link name, so a
// script that remembers the path it was given keeps working.
QString QtPlatform::aliasFor(const QString& folder, const QString& root) {
    if (root.isEmpty() || root.contains(u' ') || ensurePrivateDir(root).isEmpty()) return folder;
    // The link must name the folder from anywhere, so its target is absolute.
    QString target = QFileInfo(folder).absoluteFilePath();
    while (target.size() > 1 && target.endsWith(u'/')) target.chop(1);
    const QByteArray hash =
        QCryptographicHash::hash(target.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    const QString link = root + u'/' + QString::fromLatin1(hash);
    const QByteArray linkName = QFile::encodeName(link);
    const QByteArray targetName = QFile::encodeName(target);
    char current[4096];
    const ssize_t n = ::readlink(linkName.constData(), current, sizeof current);
    if (n >= 0 && QByteArray(current, int(n)) == targetName) return link;
    // Make the new link under a temporary name and rename it into place.
    const QByteArray temp = linkName + ".new" + QByteArray::number(::getpid());
    ::unlink(temp.constData());
    if (::symlink(targetName.constData(), temp.constData()) != 0 ||
        ::rename(temp.constData(), linkName.constData()) != 0) {
        ::unlink(temp.constData());
        return folder;
    }
    return link;
}

bool QtPlatform::resolveCommand(const QString& commandLine, QString* program, QStringList* args,
                                QString* error) {
    auto isProgram = [](const QString& candidate, QString* resolved) {
        if (candidate.contains(u'/')) return QFileInfo(candidate).isFile();
        const QString found = QStandardPaths::findExecutable(candidate);
        if (found.isEmpty()) return false;
        *resolved = found;
        return true;
    };
    const PathRules::SplitCommand split = PathRules::splitCommandLine(commandLine, isProgram);
    if (split.program.isEmpty()) {
        // No prefix names a program; the caller shows the whole command line.
        if (error) *error = systemError(ENOENT);
        return false;
    }
    const QByteArray name = QFile::encodeName(split.program);
    if (split.program.endsWith(QStringLiteral(".bat"))) {
        if (::access(name.constData(), R_OK) != 0) {
            if (error) *error = QStringLiteral("%1: %2").arg(split.program, systemError(errno));
            return false;
        }
        *program = QStringLiteral("/bin/sh");
        *args = QStringList{split.program} + split.arguments;
        return true;
    }
    if (::access(name.constData(), X_OK) != 0) {
        if (error) *error = QStringLiteral("%1: %2").arg(split.program, systemError(errno));
        return false;
    }
    *program = split.program;
    *args = split.arguments;
    return true;
}

bool QtPlatform::programOnPath(const QString& commandLine) {
    auto onPath = [](const QString& candidate, QString* resolved) {
        if (candidate.contains(u'/')) return false;
        *resolved = QStandardPaths::findExecutable(candidate);
        return !resolved->isEmpty();
    };
    return !PathRules::splitCommandLine(commandLine, onPath).program.isEmpty();
}

bool QtPlatform::foundOnPath(const QString& commandLine) { return programOnPath(commandLine); }

bool QtPlatform::startProcess(const QString& commandLine, WindowStyle style, QString* error) {
    return startWithArguments(commandLine, {}, style, error, {});
}

bool QtPlatform::startWithArguments(const QString& commandLine, const QStringList& extraArgs, WindowStyle,
                                    QString* error, std::function<void(ExitStatus)> onEarlyFailure) {
    QString program;
    QStringList args;
    if (!resolveCommand(commandLine, &program, &args, error)) return false;
    qint64 pid = 0;
    if (!spawnDetached(program, args + extraArgs, &pid, error)) return false;
    reapWhenDone(pid, std::move(onEarlyFailure));
    return true;
}

// Starts the program in a process group of its own (a Ctrl+C or hang-up of
// the terminal Quenlark was started from does not reach it), reading nothing
// (stdin is /dev/null), with default signal handling; exec failures come back
// at once. posix_spawn does not copy the address space and closes nothing by
// hand, so a start costs well under a millisecond. (A session of its own
// would cost a few milliseconds more: the kernel gives each new session its
// own scheduling group.)
bool QtPlatform::spawnDetached(const QString& program, const QStringList& args, qint64* pidOut,
                               QString* error) {
    QList<QByteArray> words;
    words << QFile::encodeName(program);
    for (const QString& a : args) words << QFile::encodeName(a);
    std::vector<char*> argv;
    for (QByteArray& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    // The environment Quenlark was started with, not the one it made up for
    // itself.
    const int rc = posix_spawn(&pid, argv[0], &actions, &attr, argv.data(), startEnvironment());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        if (error) *error = QStringLiteral("%1: %2").arg(program, systemError(rc));
        return false;
    }
    *pidOut = pid;
    return true;
}

namespace {
qint64 MonotonicMs() {
    struct timespec ts {};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}
}  // namespace

// Collects a started program's exit status as soon as it ends, so it never
// lingers as a zombie: through a pidfd where the kernel has them, else by
// looking once a second.
void QtPlatform::reapWhenDone(qint64 pid, std::function<void(ExitStatus)> onEarlyFailure) {
    if (!m_children) m_children = std::make_unique<QObject>();
    const qint64 startedAt = MonotonicMs();
#ifdef SYS_pidfd_open
    const int fd = int(::syscall(SYS_pidfd_open, pid_t(pid), 0));
    if (fd >= 0) {
        auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, m_children.get());
        QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                         [this, notifier, fd, pid, startedAt, onEarlyFailure] {
                             int status = 0;
                             const pid_t done = ::waitpid(pid_t(pid), &status, WNOHANG);
                             notifier->setEnabled(false);
                             ::close(fd);
                             notifier->deleteLater();
                             if (done == pid_t(pid)) ended(status, startedAt, onEarlyFailure);
                         });
        return;
    }
#endif
    m_running << Running{pid, startedAt, std::move(onEarlyFailure)};
    if (!m_reaper) {
        m_reaper = new QTimer(m_children.get());
        m_reaper->setInterval(1000);
        QObject::connect(m_reaper, &QTimer::timeout, m_reaper, [this] {
            const QList<Running> running = m_running;
            m_running.clear();
            for (const Running& r : running) {
                int status = 0;
                const pid_t done = ::waitpid(pid_t(r.pid), &status, WNOHANG);
                if (done == 0)
                    m_running << r;
                else if (done == pid_t(r.pid))
                    ended(status, r.startedAtMs, r.onEarlyFailure);
            }
            if (m_running.isEmpty()) m_reaper->stop();
        });
    }
    m_reaper->start();
}

// A program watched for an early failure that failed soon after its start is
// reported once, from the event loop, so that a box it opens never runs
// inside the reaper.
void QtPlatform::ended(int waitStatus, qint64 startedAtMs,
                       const std::function<void(ExitStatus)>& onEarlyFailure) {
    if (!onEarlyFailure || MonotonicMs() - startedAtMs >= kEarlyExitMs) return;
    ExitStatus status;
    if (WIFEXITED(waitStatus))
        status.code = WEXITSTATUS(waitStatus);
    else if (WIFSIGNALED(waitStatus))
        status.signal = WTERMSIG(waitStatus);
    if (status.code == 0 && status.signal == 0) return;
    QTimer::singleShot(0, m_children.get(), [onEarlyFailure, status] { onEarlyFailure(status); });
}

void QtPlatform::beep() { QApplication::beep(); }

MsgResult QtPlatform::messageBox(QWidget* parent, const QString& text, const QString& title, MsgIcon icon,
                                 MsgButtons buttons) {
    QMessageBox box(parent);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setWindowTitle(title);
    box.setIcon(icon == MsgIcon::Information   ? QMessageBox::Information
                : icon == MsgIcon::Exclamation ? QMessageBox::Warning
                                               : QMessageBox::Critical);
    switch (buttons) {
        case MsgButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MsgButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MsgButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
    }
    switch (DefaultButton(buttons)) {
        case MsgResult::No:
            box.setDefaultButton(QMessageBox::No);
            break;
        default:
            box.setDefaultButton(QMessageBox::Ok);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Cancel:
            return MsgResult::Cancel;
        case QMessageBox::Yes:
            return MsgResult::Yes;
        case QMessageBox::No:
            return MsgResult::No;
        default:
            return MsgResult::Ok;
    }
}

void QtPlatform::setTopmost(QWidget* window, bool on) {
    // On a shown window the window manager's "above" state is changed in
    // place; QWidget::setWindowFlag would hide the window.
    if (window->isVisible() && window->windowHandle())
        window->windowHandle()->setFlag(Qt::WindowStaysOnTopHint, on);
    else
        window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
}

void QtPlatform::showHelp(QWidget*, const QString& helpFile, int context) {
    if (!m_help) m_help = new HelpWindow();
    m_help->showTopic(helpFile, context);
}

namespace {
// The command name of a running process, "" when it is gone or hidden.
QByteArray ProcessName(qint64 pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly)) return QByteArray();
    return comm.readAll().trimmed();
}

// True when the lock file names a process of this machine that is running
// and is a copy of this program.
bool OwnerIsLiveCopy(const QLockFile& lock) {
    qint64 pid = 0;
    QString host, app;
    if (!lock.getLockInfo(&pid, &host, &app) || pid <= 0) return false;
    if (host != QSysInfo::machineHostName()) return false;
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM) return false;
    const QByteArray name = ProcessName(pid);
    return !name.isEmpty() && name == ProcessName(::getpid());
}

// A lock file just made by a copy that is starting is briefly empty; one that
// has looked unverifiable for this long is not being written.
constexpr qint64 kLockSettleMs = 1000;

qint64 AgeMs(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return kLockSettleMs;
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return (qint64(now.tv_sec) - st.st_mtim.tv_sec) * 1000 + (now.tv_nsec - st.st_mtim.tv_nsec) / 1000000;
}
}  // namespace

// The lock lives in the user's runtime folder, which is this machine's alone,
// else in the data folder. A lock there may be left by another machine that
// shares the home, by a host that was renamed, or be empty or unreadable:
// unless its owner is verified as a live copy here, it is taken over.
bool QtPlatform::claimSingleInstance() {
    const QString runtime = userRuntimeFolder();
    QString dir = runtime.isEmpty() ? windowsFolder() : runtime;
    if (!dir.endsWith(u'/')) dir += u'/';
    const QString path = dir + QStringLiteral("quenlark.lock");
    m_lock = std::make_unique<QLockFile>(path);
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) return true;
    if (!runtime.isEmpty() || m_lock->error() != QLockFile::LockFailedError) return false;
    for (int waited = 0; !OwnerIsLiveCopy(*m_lock); waited += 100) {
        if (waited < kLockSettleMs && AgeMs(path) < kLockSettleMs) {
            QThread::msleep(100);
            continue;
        }
        // Qt removes it only while no process holds it; a file the user
        // cannot open is removed by name.
        if (!m_lock->removeStaleLockFile()) {
            const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
            if (fd >= 0)
                ::close(fd);
            else if (errno == EACCES || errno == ELOOP)
                ::unlink(QFile::encodeName(path).constData());
        }
        return m_lock->tryLock(0);
    }
    return false;
}

ScreenMetrics QtPlatform::screen() {
    ScreenMetrics m;
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return m;
    m.twipsPerPixelX = 1440.0 / s->logicalDotsPerInchX();
    m.twipsPerPixelY = 1440.0 / s->logicalDotsPerInchY();
    m.width = s->geometry().width() * m.twipsPerPixelX;
    m.height = s->geometry().height() * m.twipsPerPixelY;
    return m;
}

namespace {
// Shows only executable files (and folders to walk through) while the first
// filter is chosen; all files under the second.
class ExecutableFilter : public QSortFilterProxyModel {
public:
    bool executablesOnly = true;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        if (!executablesOnly) return true;
        const QModelIndex index = sourceModel()->index(row, 0, parent);
        const QFileInfo info(index.data(QFileSystemModel::FilePathRole).toString());
        return info.isDir() || info.isExecutable();
    }
};
}  // namespace

QString QtPlatform::openFileDialog(QWidget* parent, const QString& title) {
    // The captions stay as the program names them; the pattern behind both is
    // "*", and the proxy below narrows the first to executable files.
    static const QString executablesCaption = QStringLiteral("実行ﾌｧｲﾙ(*.exe)");
    static const QString executables = executablesCaption + QStringLiteral(" (*)");
    static const QString all = QStringLiteral("すべてのﾌｧｲﾙ(*.*) (*)");
    QFileDialog dialog(parent, title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    auto* filter = new ExecutableFilter;
    dialog.setProxyModel(filter);
    dialog.setNameFilters({executables, all});
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& chosen) {
        // The dialog reports the caption as shown, without its pattern.
        filter->executablesOnly = chosen.startsWith(executablesCaption);
        filter->invalidate();
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst();
}

QStringList QtPlatform::volumes() {
    QStringList out{QStringLiteral("/")};
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        const QString root = v.rootPath();
        if (!out.contains(root) && v.isValid()) out << root;
    }
    return out;
}
