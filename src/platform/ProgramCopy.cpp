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

// What the manifest holds of one file: the checksum as last copied (empty
// when none was), and the stamp and checksum of the installed file and of
// the copy when last seen.
struct Entry {
    QString copied;
    FileStamp source;
    QString sourceSum;
    FileStamp copy;
    QString copySum;
    bool operator==(const Entry&) const = default;
};

QString StampText(const FileStamp& stamp, const QString& sum) {
    if (!stamp.exists || sum.isEmpty()) return QStringLiteral("-");
    return QStringLiteral("%1.%2.%3.%4.%5")
        .arg(stamp.size)
        .arg(stamp.mtimeNs)
        .arg(stamp.device)
        .arg(stamp.inode)
        .arg(sum);
}

void ReadStamp(const QString& text, FileStamp* stamp, QString* sum) {
    const QStringList parts = text.split(u'.');
    if (parts.size() != 5) return;
    bool ok[4] = {};
    FileStamp s;
    s.exists = true;
    s.size = parts[0].toLongLong(&ok[0]);
    s.mtimeNs = parts[1].toLongLong(&ok[1]);
    s.device = parts[2].toULongLong(&ok[2]);
    s.inode = parts[3].toULongLong(&ok[3]);
    if (!ok[0] || !ok[1] || !ok[2] || !ok[3]) return;
    *stamp = s;
    *sum = parts[4];
}

// Name -> entry as recorded by the last copy. A line reads
// "checksum  @stamps  name" (or "checksum  name", as a portable install and
// earlier copies write it); lines that read as neither are ignored, and so
// is a manifest that is no ordinary file (a FIFO, a device) or too large for
// one: garbage.
QHash<QString, Entry> ReadManifest(const QString& path) {
    QHash<QString, Entry> recorded;
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
        Entry entry;
        entry.copied = line.left(gap);
        if (entry.copied == QStringLiteral("-")) entry.copied.clear();
        QString rest = line.mid(gap + 2);
        if (rest.startsWith(u'@')) {
            const qsizetype end = rest.indexOf(QStringLiteral("  "));
            if (end < 0) continue;
            const QStringList stamps = rest.mid(1, end - 1).split(u':');
            if (stamps.size() == 2) {
                ReadStamp(stamps[0], &entry.source, &entry.sourceSum);
                ReadStamp(stamps[1], &entry.copy, &entry.copySum);
            }
            rest = rest.mid(end + 2);
        }
        recorded.insert(UnescapeName(rest), entry);
    }
    return recorded;
}

QByteArray ManifestText(const QHash<QString, Entry>& entries) {
    QStringList sorted = entries.keys();
    sorted.sort();
    QByteArray text;
    for (const QString& name : sorted) {
        const Entry& e = entries[name];
        text += ((e.copied.isEmpty() ? QStringLiteral("-") : e.copied) + QStringLiteral("  @") +
                 StampText(e.source, e.sourceSum) + u':' + StampText(e.copy, e.copySum) +
                 QStringLiteral("  ") + EscapeName(name))
                    .toUtf8() +
                '\n';
    }
    return text;
}

// The names the build lists as shipped: plain file names only, never the
// program or the shipped programs, each once.
bool ShippedNames(const QString& installedFolder, const QString& programName, QStringList* names,
                  QString* error) {
    QByteArray text;
    const QString list = installedFolder + u'/' + QLatin1String(kShippedList);
    if (!FileRules::ReadRange(list, 0, kMaxManifestBytes, &text, error)) return false;
    for (const QByteArray& raw : text.split('\n')) {
        const QString name = QString::fromUtf8(raw).trimmed();
        if (name.isEmpty() || name.startsWith(u'.') || name.contains(u'/') || name == programName ||
            kShippedPrograms.contains(name) || names->contains(name))
            continue;
        *names << name;
    }
    return true;
}

// True when `target` is the link that stands in for `source`.
bool StandsIn(const QString& target, const QString& source) {
    const QFileInfo info(target);
    return info.isSymLink() && info.symLinkTarget() == QFileInfo(source).absoluteFilePath();
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

QString EscapeName(const QString& name) {
    QString out;
    for (QChar c : name) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

QString UnescapeName(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const QChar next = text[++i];
        out += next == u'n' ? QChar(u'\n') : next == u'r' ? QChar(u'\r') : next;
    }
    return out;
}

Outcome Sync(const QString& installedFolder, const QString& copyFolder, const QString& programName) {
    Outcome outcome;
    QStringList names;
    QString why;
    if (!ShippedNames(installedFolder, programName, &names, &why)) {
        // Without the list nothing is known to be ours to copy: the program
        // works from its own folder.
        outcome.failures << installedFolder + u'/' + QLatin1String(kShippedList) + QStringLiteral(": ") + why;
        return outcome;
    }
    if (!QDir().mkpath(copyFolder) || !QFileInfo(copyFolder).isDir()) {
        outcome.failures << copyFolder + QStringLiteral(": フォルダを作れません");
        return outcome;
    }
    outcome.usable = true;

    const QString manifestPath = copyFolder + u'/' + QLatin1String(kManifest);
    const QHash<QString, Entry> recorded = ReadManifest(manifestPath);
    QHash<QString, Entry> now;
    // A file is read whole only when its stamp differs from the one seen last.
    auto sum = [&outcome](const QString& path, const FileStamp& stamp, const FileStamp& seen,
                          const QString& seenSum) {
        if (stamp == seen && !seenSum.isEmpty()) return seenSum;
        ++outcome.hashed;
        return Checksum(path);
    };

    for (const QString& name : names) {
        const QString source = installedFolder + u'/' + name;
        const QString target = copyFolder + u'/' + name;
        const FileStamp sourceStamp = FileRules::Stamp(source);
        const Entry previous = recorded.value(name);
        const QString shipped =
            sourceStamp.exists ? sum(source, sourceStamp, previous.source, previous.sourceSum) : QString();
        if (shipped.isEmpty()) {
            outcome.failures << source + QStringLiteral(": 読めません");
            continue;
        }
        Entry entry{previous.copied, sourceStamp, shipped, FileStamp(), QString()};
        const bool standIn = StandsIn(target, source);
        const FileStamp targetStamp = standIn ? FileStamp() : FileRules::Stamp(target);
        const bool present = targetStamp.exists;
        const QString current =
            present ? sum(target, targetStamp, previous.copy, previous.copySum) : QString();
        if (present && current == shipped) {
            entry.copied = shipped;
            entry.copy = targetStamp;
            entry.copySum = current;
            now.insert(name, entry);
            continue;
        }
        if (present && current != previous.copied) {
            // Edited by the user: theirs. The manifest keeps the checksum
            // of what was copied, so the file stays theirs next time.
            outcome.kept << name;
            entry.copy = targetStamp;
            entry.copySum = current;
            now.insert(name, entry);
            continue;
        }
        if (standIn) ::unlink(QFile::encodeName(target).constData());
        QString reason;
        if (FileRules::CopyReplacing(source, target, &reason)) {
            outcome.copied << name;
            entry.copied = shipped;
            entry.copy = FileRules::Stamp(target);
            entry.copySum = shipped;
            now.insert(name, entry);
            continue;
        }
        outcome.failures << target + QStringLiteral(": ") + reason;
        if (present) {
            now.insert(name, entry);
            continue;
        }
        // Missing from the copy: the installed file stands in for it, and
        // where not even a link can be made the program works from its own
        // folder.
        if (!QFile::link(source, target)) outcome.usable = false;
        if (!entry.copied.isEmpty()) now.insert(name, entry);
    }

    // Entries of files the installed folder no longer holds are dropped; the
    // files themselves stay. The manifest is rewritten only when it changed.
    if (now != recorded) {
        QString reason;
        // The manifest itself is replaced, never a file a link points to.
        if (!AtomicFile::writeWhole(manifestPath, ManifestText(now), AtomicFile::Mode::KeepExisting, &reason,
                                    nullptr, AtomicFile::Target::ReplaceLink))
            outcome.failures << manifestPath + QStringLiteral(": ") + reason;
    }
    return outcome;
}

}  // namespace ProgramCopy
