#include "AtomicFile.h"

#include "FileRules.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

const QByteArray kMarker = QByteArrayLiteral(".~quenlark-partial-");
const int kRandomChars = 8;

using FileRules::StampOf;
using FileRules::SystemError;

// A target that is a symbolic link is written through (see Target).
QByteArray ResolvedTarget(const QString& target) {
    QByteArray name = QFile::encodeName(target);
    struct stat st {};
    if (::lstat(name.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(name.constData(), resolved)) return QByteArray(resolved);
    }
    return name;
}

void SyncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.isEmpty() ? "." : folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // best effort: the file itself is already safe on disk
    ::close(fd);
}

}  // namespace

AtomicFile::AtomicFile(QString target, Mode mode, mode_t newMode, Target how)
    : m_target(std::move(target)), m_mode(mode), m_newMode(newMode & 0777), m_how(how) {}

AtomicFile::~AtomicFile() { cancel(); }

bool AtomicFile::fail(int err) {
    if (!m_failed) m_error = SystemError(err);
    m_failed = true;
    return false;
}

bool AtomicFile::open() {
    const QByteArray target =
        m_how == Target::ReplaceLink ? QFile::encodeName(m_target) : ResolvedTarget(m_target);
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray() : target.left(slash + 1);
    // Long names are cut so the marker always fits in a file name.
    const QByteArray base = target.mid(slash + 1).left(NAME_MAX - 1 - kMarker.size() - kRandomChars);

    mode_t createMode = m_newMode;
    bool exactMode = false;
    if (m_mode == Mode::Private) {
        createMode = S_IRUSR | S_IWUSR;
        exactMode = true;
    } else {
        struct stat st {};
        if (::lstat(target.constData(), &st) == 0 && S_ISREG(st.st_mode)) {
            createMode = st.st_mode & 07777;
            exactMode = true;
        }
    }

    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray name = folder + '.' + base + kMarker;
        for (int i = 0; i < kRandomChars; ++i)
            name += kChars[QRandomGenerator::system()->bounded(int(sizeof kChars - 1))];
        // A new file gets its bits less the umask from the kernel.
        m_fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK,
                      exactMode ? S_IRUSR | S_IWUSR : createMode);
        if (m_fd >= 0) {
            m_temp = QFile::decodeName(name);
            break;
        }
        if (errno != EEXIST) return fail(errno);
    }
    if (m_fd < 0) return fail(EEXIST);
    if (exactMode && ::fchmod(m_fd, createMode) != 0) return fail(errno);
    m_target = QFile::decodeName(target);
    return true;
}

bool AtomicFile::write(const char* data, qint64 size) {
    if (m_failed || m_fd < 0) return fail(EBADF);
    if (const int err = FileRules::WriteAll(m_fd, data, size)) return fail(err);
    return true;
}

bool AtomicFile::commit() {
    if (m_failed || m_fd < 0) {
        cancel();
        return false;
    }
    struct stat st {};
    if (::fsync(m_fd) != 0 || ::fstat(m_fd, &st) != 0) {
        fail(errno);
        cancel();
        return false;
    }
    m_stamp = StampOf(st);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        fail(errno);
        cancel();
        return false;
    }
    const QByteArray temp = QFile::encodeName(m_temp);
    const QByteArray target = QFile::encodeName(m_target);
    int rc = 0;
    if (m_how != Target::OnlyWhenMissing) {
        rc = ::rename(temp.constData(), target.constData());
    } else {
        rc = ::renameat2(AT_FDCWD, temp.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE);
        if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system without the no-replace rename: a hard link
            // never replaces either.
            rc = ::link(temp.constData(), target.constData());
            if (rc == 0) ::unlink(temp.constData());
        }
        if (rc != 0 && errno == EEXIST) {
            struct stat there {};
            if (::stat(target.constData(), &there) != 0 || !S_ISREG(there.st_mode)) {
                fail(S_ISDIR(there.st_mode) ? EISDIR : EEXIST);
                cancel();
                return false;
            }
            m_existed = true;
            cancel();
            return true;
        }
    }
    if (rc != 0) {
        fail(errno);
        cancel();
        return false;
    }
    m_temp.clear();
    const qsizetype slash = target.lastIndexOf('/');
    SyncFolder(slash <= 0 ? QByteArray(slash == 0 ? "/" : "") : target.left(slash));
    return true;
}

void AtomicFile::cancel() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temp.isEmpty()) {
        ::unlink(QFile::encodeName(m_temp).constData());
        m_temp.clear();
    }
}

bool AtomicFile::writeWhole(const QString& target, const QByteArray& data, Mode mode, QString* error,
                            FileStamp* stamp, Target how) {
    AtomicFile file(target, mode, 0644, how);
    const bool ok = file.open() && file.write(data) && file.commit();
    if (!ok && error) *error = file.error();
    if (ok && stamp) *stamp = file.stamp();
    return ok;
}

bool AtomicFile::isTemporaryName(const QString& fileName) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\..+\\.~quenlark-partial-[A-Za-z0-9]{%1}$").arg(kRandomChars));
    return pattern.match(fileName).hasMatch();
}

int AtomicFile::removeStale(const QString& folder, qint64 minAgeSeconds) {
    const QByteArray dirName = QFile::encodeName(folder);
    DIR* dir = ::opendir(dirName.constData());
    if (!dir) return 0;
    const qint64 now = std::time(nullptr);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!name.contains(kMarker) || !isTemporaryName(QFile::decodeName(name))) continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(st.st_mode) || st.st_uid != ::getuid()) continue;
        if (now - qint64(st.st_mtim.tv_sec) < minAgeSeconds) continue;
        if (::unlinkat(::dirfd(dir), name.constData(), 0) == 0) ++removed;
    }
    ::closedir(dir);
    return removed;
}
