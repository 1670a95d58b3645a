#include "QtPlatform.h"

#include "HelpWindow.h"
#include "PathRules.h"
#include "RunProcess.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QSaveFile>
#include <QScreen>
#include <QSocketNotifier>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QStorageInfo>
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
}  // namespace

void ensurePrivateRuntimeDir() {
    if (UsableRuntimeDir(qgetenv("XDG_RUNTIME_DIR"))) return;
    QByteArray base = qgetenv("XDG_DATA_HOME");
    if (base.isEmpty() || base.front() != '/') base = qgetenv("HOME") + "/.local/share";
    const QString dir = ensurePrivateDir(QFile::decodeName(base) + QStringLiteral("/Quenlark/runtime"));
    if (!dir.isEmpty()) qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir));
}

QString privateRuntimeFolder(const QString& dataFolder) {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (UsableRuntimeDir(runtime)) return QFile::decodeName(runtime);
    return dataFolder;
}

QtPlatform::QtPlatform() {
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    m_store = std::make_unique<IniStore>(config + QStringLiteral("/Quenlark/Quenlark.ini"));
}

QtPlatform::~QtPlatform() {
    if (m_help) delete m_help.data();
}

QString QtPlatform::readSetting(const QString& section, const QString& key) {
    return m_store->read(section, key);
}

bool QtPlatform::writeSetting(const QString& section, const QString& key, const QString& value) {
    return m_store->write(section, key, value);
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

QString QtPlatform::programFolder() { return QCoreApplication::applicationDirPath(); }

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

bool QtPlatform::copyFile(const QString& from, const QString& to, QString* error) {
    return copyReplacing(from, to, error);
}

// Copies through a temporary file beside the target that is renamed over it,
// so an existing target is replaced whole or not at all. The copy keeps the
// source's permission bits (a script stays executable).
bool QtPlatform::copyReplacing(const QString& from, const QString& to, QString* error) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error) *error = in.errorString();
        return false;
    }
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly)) {
        if (error) *error = out.errorString();
        return false;
    }
    struct stat st {};
    if (::fstat(in.handle(), &st) == 0) ::fchmod(out.handle(), st.st_mode & 07777);
    char buffer[65536];
    for (;;) {
        const qint64 n = in.read(buffer, sizeof buffer);
        if (n < 0) {
            if (error) *error = in.errorString();
            out.cancelWriting();
            out.commit();
            return false;
        }
        if (n == 0) break;
        if (out.write(buffer, n) != n) break;
    }
    if (!out.commit()) {
        if (error) *error = out.errorString();
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

bool QtPlatform::readRange(const QString& path, qint64 offset, qint64 maxBytes, QByteArray* data,
                           QString* error) {
    data->clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
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

QString QtPlatform::aliasRoot() {
    QString base = privateRuntimeFolder(windowsFolder());
    if (!base.endsWith(u'/')) base += u'/';
    return base + QStringLiteral("quenlark-aliases");
}

QString QtPlatform::shortPath(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return QString();
    if (!folder.contains(u' ')) return folder;
    return aliasFor(folder, aliasRoot());
}

// A stable alias: the same folder always gets the same link name, so a
// script that remembers the path it was given keeps working.
QString QtPlatform::aliasFor(const QString& folder, const QString& root) {
    if (root.contains(u' ') || ensurePrivateDir(root).isEmpty()) return folder;
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

bool QtPlatform::startProcess(const QString& commandLine, WindowStyle, QString* error) {
    QString program;
    QStringList args;
    if (!resolveCommand(commandLine, &program, &args, error)) return false;
    qint64 pid = 0;
    if (!spawnDetached(program, args, &pid, error)) return false;
    reapWhenDone(pid);
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
    const int rc = posix_spawn(&pid, argv[0], &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        if (error) *error = QStringLiteral("%1: %2").arg(program, systemError(rc));
        return false;
    }
    *pidOut = pid;
    return true;
}

// Collects a started program's exit status as soon as it ends, so it never
// lingers as a zombie: through a pidfd where the kernel has them, else by
// looking once a second.
void QtPlatform::reapWhenDone(qint64 pid) {
    if (!m_children) m_children = std::make_unique<QObject>();
#ifdef SYS_pidfd_open
    const int fd = int(::syscall(SYS_pidfd_open, pid_t(pid), 0));
    if (fd >= 0) {
        auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, m_children.get());
        QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier, fd, pid] {
            ::waitpid(pid_t(pid), nullptr, WNOHANG);
            notifier->setEnabled(false);
            ::close(fd);
            notifier->deleteLater();
        });
        return;
    }
#endif
    m_running << pid;
    if (!m_reaper) {
        m_reaper = new QTimer(m_children.get());
        m_reaper->setInterval(1000);
        QObject::connect(m_reaper, &QTimer::timeout, m_reaper, [this] {
            m_running.removeIf([](qint64 p) { return ::waitpid(pid_t(p), nullptr, WNOHANG) != 0; });
            if (m_running.isEmpty()) m_reaper->stop();
        });
    }
    m_reaper->start();
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

bool QtPlatform::claimSingleInstance() {
    QString dir = privateRuntimeFolder(windowsFolder());
    if (!dir.endsWith(u'/')) dir += u'/';
    m_lock = std::make_unique<QLockFile>(dir + QStringLiteral("quenlark.lock"));
    m_lock->setStaleLockTime(0);
    return m_lock->tryLock(0);
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
