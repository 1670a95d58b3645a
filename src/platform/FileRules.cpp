#include "FileRules.h"

#include "AtomicFile.h"
#include "PathRules.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace FileRules {

QString SystemError(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

QString UnusableFolder(const QString& dir) {
    const QByteArray name = QFile::encodeName(dir);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? QString() : SystemError(errno);
    if (!S_ISDIR(st.st_mode)) return QString();
    return ::access(name.constData(), R_OK | W_OK | X_OK) == 0 ? QString() : SystemError(errno);
}

QString NotRegularText() { return QStringLiteral("通常のファイルではないため書き込みません"); }

int WriteAll(int fd, const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return ENOSPC;
        data += n;
        size -= n;
    }
    return 0;
}

QString MakePrivateDir(const QString& path) {
    if (!QDir().mkpath(path)) return QString();
    ::chmod(QFile::encodeName(path).constData(), S_IRWXU);
    return path;
}

bool FolderExists(const QString& path) {
    struct stat st {};
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeFolder(const QString& path, QString* error) {
    const QByteArray name = QFile::encodeName(QDir::cleanPath(path));
    // Each folder on the way, from the top down; one that is there is fine.
    for (qsizetype end = 1; end <= name.size(); ++end) {
        if (end < name.size() && name[end] != '/') continue;
        if (::mkdir(name.left(end).constData(), 0777) == 0 || errno == EEXIST) continue;
        if (error) *error = SystemError(errno);
        return false;
    }
    if (FolderExists(path)) return true;
    if (error) *error = SystemError(ENOTDIR);  // a file of that name is in the way
    return false;
}

bool IsProgramFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    return ::access(name.constData(), path.endsWith(QStringLiteral(".bat")) ? R_OK : X_OK) == 0;
}

bool Exists(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString dir =
        slash < 0 ? QStringLiteral(".") : (slash == 0 ? QStringLiteral("/") : path.left(slash));
    const QString name = path.mid(slash + 1);
    if (name.isEmpty()) return false;
    if (!PathRules::HasWildcard(name)) {
        if (name.startsWith(u'.')) return false;
        return QFileInfo(path).isFile();
    }
    QDir d(dir);
    if (!d.exists()) return false;
    const QStringList entries = d.entryList(QDir::Files | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (!entry.startsWith(u'.') && PathRules::WildcardMatch(name, entry)) return true;
    }
    return false;
}

QStringList FileNames(const QString& folder) {
    if (folder.isEmpty()) return {};
    return QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot);
}

// Copies through a temporary file beside the target that is renamed over it
// once every byte is written and synced, so an existing target is replaced
// whole or not at all.
bool CopyReplacing(const QString& from, const QString& to, QString* error, const Files::CopyRules& rules) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error) *error = in.errorString();
        return false;
    }
    struct stat st {};
    if (::fstat(in.handle(), &st) != 0) {
        if (error) *error = SystemError(errno);
        return false;
    }
    if (rules.onlyWhenMissing && QFileInfo::exists(to)) {
        // A file is there already; anything else in its place is an error.
        if (QFileInfo(to).isFile()) return true;
        if (error) *error = SystemError(QFileInfo(to).isDir() ? EISDIR : EEXIST);
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

FileStamp StampOf(const struct stat& st) {
    FileStamp s;
    s.exists = true;
    s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.size = st.st_size;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    return s;
}

FileStamp Stamp(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode)) return FileStamp();
    return StampOf(st);
}

// The file is opened without waiting (a FIFO or a device put in its place
// would block the open for good) and read only when the opened file is an
// ordinary file.
bool ReadRange(const QString& path, qint64 offset, qint64 maxBytes, QByteArray* data, QString* error) {
    data->clear();
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (error) *error = SystemError(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        if (error) *error = QStringLiteral("%1: %2").arg(path, SystemError(err));
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

// A stable alias: the same folder always gets the same link name, so a
// script that remembers the path it was given keeps working.
QString AliasFor(const QString& folder, const QString& root) {
    if (root.isEmpty() || root.contains(u' ') || MakePrivateDir(root).isEmpty()) return folder;
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

}  // namespace FileRules
