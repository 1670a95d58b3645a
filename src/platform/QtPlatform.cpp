// The real platform's store, files, desktop and programs.
#include "QtPlatform.h"

#include "AtomicFile.h"
#include "BrowseRequests.h"
#include "CompileServer.h"
#include "FileRules.h"
#include "ProcessRules.h"
#include "ProgramCopy.h"
#include "RunProcess.h"
#include "widgets/HelpWindow.h"
#include "widgets/SharedTexts.h"

#include <QApplication>
#include <QCoreApplication>
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
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <ctime>

using FileRules::MakePrivateDir;

QtPlatform::QtPlatform() = default;

QtPlatform::~QtPlatform() { m_compileServer.stop(); }

QtStore::QtStore(Platform& owner) : m_owner(owner) {
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    m_store = std::make_unique<IniStore>(config + QStringLiteral("/Quenlark/Quenlark.ini"));
}

QtFiles::QtFiles(Platform& owner) : m_owner(owner) {}

QtFiles::~QtFiles() {
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

QtDesktop::QtDesktop(Platform& owner) : m_owner(owner) {}

QtDesktop::~QtDesktop() {
    if (m_help) delete m_help.data();
}

QtPrograms::QtPrograms() = default;
QtPrograms::~QtPrograms() = default;

QString QtStore::readSetting(const QString& section, const QString& key) {
    return m_store->read(section, key);
}

bool QtStore::writeSetting(const QString& section, const QString& key, const QString& value) {
    return m_store->write(section, key, value);
}

void QtStore::beginSettingsBatch() { m_store->beginBatch(); }
bool QtStore::endSettingsBatch() { return m_store->endBatch(); }

// Temporary files of ours older than this are left from a write that a
// crash cut short; a younger one may belong to a copy on another machine
// that shares this home.
static const qint64 kStaleTemporarySeconds = 10 * 60;

void QtStore::removeStaleTemporaryFiles() {
    AtomicFile::removeStale(QFileInfo(m_store->path()).absolutePath(), kStaleTemporarySeconds);
    AtomicFile::removeStale(m_owner.files().windowsFolder(), kStaleTemporarySeconds);
}

QString QtStore::unreadableStore() {
    const QString data =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Quenlark");
    return UnreadableStore(*m_store, data);
}

QString QtStore::settingsPath() const { return m_store->path(); }
QString QtStore::lastSettingsError() const { return m_store->lastError(); }

QString QtFiles::windowsFolder() {
    if (m_dataFolder.isEmpty()) {
        QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        QString dir = base + QStringLiteral("/Quenlark");
        MakePrivateDir(dir);
        m_dataFolder = dir + u'/';
    }
    return m_dataFolder;
}

// The folder of the executable, or for a system install the per-user copy of
// its files once start-up has synced it.
QString QtFiles::programFolder() {
    return m_programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : m_programFolder;
}

void QtFiles::syncProgramFolder() {
    const QString installed = QCoreApplication::applicationDirPath();
    m_programFolder = installed;
    if (!ProgramCopy::IsSystemInstall(installed)) return;
    const QString copy = windowsFolder() + QStringLiteral("program");
    const ProgramCopy::Outcome outcome =
        ProgramCopy::Sync(installed, copy, QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    if (outcome.usable) m_programFolder = copy;
    if (!outcome.failures.isEmpty())
        m_owner.desktop().messageBox(
            nullptr,
            QStringLiteral("プログラムのファイルを個人用フォルダにコピーできませんでした。\n\n") +
                outcome.failures.join(u'\n') +
                QStringLiteral("\n\nコピーできなかったファイルは、インストールされたものを使います。"),
            kErrorTitle, MsgIcon::Exclamation, MsgButtons::Ok);
}

bool QtFiles::fileExists(const QString& path) { return FileRules::Exists(path); }
bool QtFiles::isProgramFile(const QString& path) { return FileRules::IsProgramFile(path); }

QStringList QtFiles::fileNames(const QString& folder) { return FileRules::FileNames(folder); }

bool QtFiles::copyFile(const QString& from, const QString& to, QString* error, const CopyRules& rules) {
    return FileRules::CopyReplacing(from, to, error, rules);
}

FileStamp QtFiles::fileStamp(const QString& path) { return FileRules::Stamp(path); }

bool QtFiles::readFile(const QString& path, qint64 offset, qint64 maxBytes, QByteArray* data,
                       QString* error) {
    return FileRules::ReadRange(path, offset, maxBytes, data, error);
}

// The alias folder's own path must be space-free: under the user's runtime
// folder, else under the data folder, else a private folder made with an
// unpredictable name in the temporary folder (removed at exit).
QString QtFiles::aliasRoot() {
    for (QString base : {UserRuntimeFolder(), windowsFolder()}) {
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

QString QtFiles::shortPath(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return QString();
    if (!folder.contains(u' ')) return folder;
    return FileRules::AliasFor(folder, aliasRoot());
}

bool QtFiles::folderExists(const QString& path) { return FileRules::FolderExists(path); }
bool QtFiles::makeFolder(const QString& path, QString* error) { return FileRules::MakeFolder(path, error); }
QString QtFiles::homeFolder() { return QDir::homePath(); }

bool QtPrograms::foundOnPath(const QString& commandLine) { return ProcessRules::ProgramOnPath(commandLine); }

namespace {

// The last lines a started program wrote to its standard error, kept while
// the output goes on to Quenlark's own standard error as before.
struct ErrorTail {
    static constexpr qsizetype kKeptBytes = 4096;
    int fd = -1;
    QByteArray tail;
    QPointer<QSocketNotifier> notifier;  // gone with the platform, if not before

    ~ErrorTail() { finish(); }
    // Reads what is there now; at the end of the output stops watching.
    void drain() {
        char buffer[4096];
        for (;;) {
            if (fd < 0) return;
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno == EAGAIN) return;
            if (n <= 0) return finish();
            [[maybe_unused]] ssize_t passed = ::write(2, buffer, size_t(n));
            tail.append(buffer, n);
            if (tail.size() > kKeptBytes) tail.remove(0, tail.size() - kKeptBytes);
        }
    }
    void finish() {
        ProcessRules::StopWatching(notifier, &fd);
        notifier = nullptr;
    }
    // At most the last five lines, as text.
    QString lastLines() const {
        QStringList lines = QString::fromLocal8Bit(tail).split(u'\n');
        lines.removeIf([](const QString& line) { return line.trimmed().isEmpty(); });
        return lines.mid(qMax(0, int(lines.size()) - 5)).join(u'\n');
    }
};

}  // namespace

bool QtPrograms::startWithArguments(const QString& commandLine, const QStringList& extraArgs, QString* error,
                                    std::function<void(ExitStatus)> onEarlyFailure) {
    QString program;
    QStringList args;
    if (!ProcessRules::ResolveCommand(commandLine, &program, &args, error)) return false;
    if (!m_children) m_children = std::make_unique<QObject>();
    qint64 pid = 0;
    // What a watched program says on failing is kept for its report.
    auto errors = std::make_shared<ErrorTail>();
    if (!ProcessRules::SpawnDetached(program, args + extraArgs, &pid, error,
                                     onEarlyFailure ? &errors->fd : nullptr))
        return false;
    if (errors->fd >= 0) {
        errors->notifier = new QSocketNotifier(errors->fd, QSocketNotifier::Read, m_children.get());
        QObject::connect(errors->notifier, &QSocketNotifier::activated, errors->notifier,
                         [weak = std::weak_ptr<ErrorTail>(errors)] {
                             if (const auto tail = weak.lock()) tail->drain();
                         });
    }
    const qint64 startedAt = RunProcess::nowMs();
    ProcessRules::WhenEnded(pid, m_children.get(), [this, errors, startedAt, onEarlyFailure](int status) {
        errors->drain();
        ended(status, startedAt, errors->lastLines(), onEarlyFailure);
        // Output a program's own children go on writing is still passed on.
        if (errors->fd >= 0) {
            auto* keep = new std::shared_ptr<ErrorTail>(errors);
            QObject::connect(errors->notifier, &QObject::destroyed, [keep] {
                (*keep)->notifier = nullptr;
                delete keep;
            });
        }
    });
    return true;
}

// A program watched for an early failure that failed soon after its start is
// reported once, from the event loop, so that a box it opens never runs
// inside the reaper.
void QtPrograms::ended(int waitStatus, qint64 startedAtMs, const QString& errorOutput,
                       const std::function<void(ExitStatus)>& onEarlyFailure) {
    if (!onEarlyFailure || RunProcess::nowMs() - startedAtMs >= kEarlyExitMs) return;
    ExitStatus status;
    if (WIFEXITED(waitStatus))
        status.code = WEXITSTATUS(waitStatus);
    else if (WIFSIGNALED(waitStatus))
        status.signal = WTERMSIG(waitStatus);
    if (status.code == 0 && status.signal == 0) return;
    status.errorOutput = errorOutput;
    QTimer::singleShot(0, m_children.get(), [onEarlyFailure, status] { onEarlyFailure(status); });
}

void QtDesktop::beep() { QApplication::beep(); }

MsgResult QtDesktop::messageBox(QWidget* parent, const QString& text, const QString& title, MsgIcon icon,
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

void QtDesktop::setTopmost(QWidget* window, bool on) {
    // On a shown window the window manager's "above" state is changed in
    // place; QWidget::setWindowFlag would hide the window.
    if (window->isVisible() && window->windowHandle())
        window->windowHandle()->setFlag(Qt::WindowStaysOnTopHint, on);
    else
        window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
}

void QtDesktop::showHelp(QWidget*, const QString& helpFile, int context) {
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
bool QtDesktop::claimSingleInstance() {
    const QString runtime = UserRuntimeFolder();
    QString dir = runtime.isEmpty() ? m_owner.files().windowsFolder() : runtime;
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
            const int fd =
                ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
            else if (errno == EACCES || errno == ELOOP)
                ::unlink(QFile::encodeName(path).constData());
        }
        return m_lock->tryLock(0);
    }
    return false;
}

ScreenMetrics QtDesktop::screen() {
    ScreenMetrics m;
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return m;
    m.twipsPerPixelX = kTwipsPerInch / s->logicalDotsPerInchX();
    m.twipsPerPixelY = kTwipsPerInch / s->logicalDotsPerInchY();
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

QString QtDesktop::openFileDialog(QWidget* parent, const QString& title) {
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

QStringList QtFiles::volumes() {
    QStringList out{QStringLiteral("/")};
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        const QString root = v.rootPath();
        if (!out.contains(root) && v.isValid()) out << root;
    }
    return out;
}

bool QtFiles::appendToFile(const QString& path, const QByteArray& data, QString* error) {
    return RunProcess::appendTo(path, data, error);
}

qint64 QtPrograms::monotonicMs() { return RunProcess::nowMs(); }
