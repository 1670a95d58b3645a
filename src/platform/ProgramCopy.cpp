#include "ProgramCopy.h"

#include "AtomicFile.h"
#include "FileRules.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <sys/stat.h>
#include <unistd.h>

namespace ProgramCopy {

namespace {

// Checksum of a file's bytes, in lower-case hex; empty when unreadable.
QString Checksum(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QString();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file)) return QString();
    return QString::fromLatin1(hash.result().toHex());
}

// Far more than the manifest of every file ever shipped takes.
constexpr qint64 kMaxManifestBytes = 1024 * 1024;

// Name -> checksum as recorded by the last copy. Lines that do not read as
// "checksum  name" are ignored, and so is a manifest that is no ordinary file
// (a FIFO, a device) or too large for one: garbage.
QHash<QString, QString> ReadManifest(const QString& path) {
    QHash<QString, QString> recorded;
    QByteArray text;
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_size > kMaxManifestBytes)
        return recorded;
    if (!FileRules::ReadRange(path, 0, kMaxManifestBytes, &text, nullptr)) return recorded;
    for (const QByteArray& raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw);
        const qsizetype gap = line.indexOf(QStringLiteral("  "));
        if (gap <= 0) continue;
        recorded.insert(line.mid(gap + 2), line.left(gap));
    }
    return recorded;
}

}  // namespace

bool IsSystemInstall(const QString& folder, unsigned ownerUid, unsigned userUid) {
    const QString clean = QDir::cleanPath(folder);
    if (clean == QStringLiteral("/usr") || clean.startsWith(QStringLiteral("/usr/"))) return true;
    return ownerUid != userUid;
}

bool IsSystemInstall(const QString& folder) {
    QString real = QFileInfo(folder).canonicalFilePath();
    if (real.isEmpty()) real = folder;
    struct stat st {};
    if (::stat(QFile::encodeName(real).constData(), &st) != 0) return false;
    return IsSystemInstall(real, st.st_uid, ::getuid());
}

Outcome Sync(const QString& installedFolder, const QString& copyFolder, const QString& programName) {
    Outcome outcome;
    if (!QDir().mkpath(copyFolder) || !QFileInfo(copyFolder).isDir()) {
        outcome.failures << copyFolder + QStringLiteral(": フォルダを作れません");
        return outcome;
    }
    outcome.usable = true;

    const QString manifestPath = copyFolder + u'/' + QLatin1String(kManifest);
    const QHash<QString, QString> recorded = ReadManifest(manifestPath);
    QHash<QString, QString> now;

    const QDir installed(installedFolder);
    const QStringList names = installed.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        if (name == programName || kShippedPrograms.contains(name) || name.startsWith(u'.')) continue;
        const QString source = installed.filePath(name);
        const QString target = copyFolder + u'/' + name;
        const QString shipped = Checksum(source);
        if (shipped.isEmpty()) {
            outcome.failures << source + QStringLiteral(": 読めません");
            continue;
        }
        const QString previous = recorded.value(name);
        const bool present = QFileInfo::exists(target);
        const QString current = present ? Checksum(target) : QString();
        if (present && current == shipped) {
            now.insert(name, shipped);
            continue;
        }
        if (present && current != previous) {
            // Edited by the user: theirs. The manifest keeps the checksum
            // of what was copied, so the file stays theirs next time.
            outcome.kept << name;
            if (!previous.isEmpty()) now.insert(name, previous);
            continue;
        }
        QString reason;
        if (FileRules::CopyReplacing(source, target, &reason)) {
            outcome.copied << name;
            now.insert(name, shipped);
        } else {
            outcome.failures << target + QStringLiteral(": ") + reason;
            if (!previous.isEmpty() && present) now.insert(name, previous);
        }
    }

    // Entries of files the installed folder no longer holds are dropped; the
    // files themselves stay. The manifest is rewritten only when it changed.
    if (now != recorded) {
        QStringList sorted = now.keys();
        sorted.sort();
        QByteArray text;
        for (const QString& name : sorted)
            text += (now.value(name) + QStringLiteral("  ") + name).toUtf8() + '\n';
        QString reason;
        // The manifest itself is replaced, never a file a link points to.
        if (!AtomicFile::writeWhole(manifestPath, text, AtomicFile::Mode::KeepExisting, &reason, nullptr,
                                    AtomicFile::Target::ReplaceLink))
            outcome.failures << manifestPath + QStringLiteral(": ") + reason;
    }
    return outcome;
}

}  // namespace ProgramCopy
