#include "IniStore.h"

#include "AtomicFile.h"
#include "FileRules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace {

// The stamp of the file a path names now (following a link); empty when
// there is none.
FileStamp StampNow(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return FileStamp();
    return FileRules::StampOf(st);
}

}  // namespace

IniStore::IniStore(QString path) : m_path(std::move(path)) { load(); }

QString IniStore::read(const QString& section, const QString& key) const {
    auto s = m_sections.constFind(section);
    if (s == m_sections.constEnd()) return QString();
    return s->value(key);
}

bool IniStore::write(const QString& section, const QString& key, const QString& value) {
    m_sections[section][key] = value;
    bool queued = false;
    for (Pending& p : m_pending) {
        if (p.section == section && p.key == key) {
            p.value = value;
            queued = true;
        }
    }
    if (!queued) m_pending.append({section, key, value});
    return m_depth > 0 ? true : flush();
}

void IniStore::beginBatch() { ++m_depth; }

bool IniStore::endBatch() {
    if (m_depth > 0 && --m_depth > 0) return true;
    return flush();
}

// Reads the file and its stamp as one; values written but not yet on disk
// stay on top of what was read. A missing file reads as empty; one that
// exists but cannot be read is never written over.
bool IniStore::load() {
    m_loaded = false;
    // Only a file that is not there reads as empty: one in a folder that
    // cannot be searched, or a link that leads nowhere readable, is no
    // missing file.
    const int fd =
        ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            m_error = FileRules::SystemError(errno);
            return false;
        }
        m_text.clear();
        m_stamp = FileStamp();
    } else {
        QFile f;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            m_error = QStringLiteral("通常のファイルではありません");
            return false;
        }
        m_stamp = FileRules::StampOf(st);
        f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
        m_text = f.readAll();
        if (f.error() != QFileDevice::NoError) {
            m_error = f.errorString();
            return false;
        }
    }
    m_sections = parse(m_text);
    for (const Pending& p : m_pending) m_sections[p.section][p.key] = p.value;
    m_loaded = true;
    return true;
}

QString UnreadableStore(const IniStore& store, const QString& dataFolder) {
    QStringList problems;
    if (!store.loadError().isEmpty())
        problems << store.path() + QStringLiteral("\n理由: ") + store.loadError();
    QString folder = dataFolder;
    while (folder.size() > 1 && folder.endsWith(u'/')) folder.chop(1);
    const QString why = FileRules::UnusableFolder(folder);
    if (!why.isEmpty()) problems << folder + QStringLiteral("\n理由: ") + why;
    return problems.join(QStringLiteral("\n\n"));
}

bool IniStore::flush() {
    if (m_pending.isEmpty()) return true;
    // Someone changed the file since it was last read: their lines count.
    if (!m_loaded || StampNow(m_path) != m_stamp) {
        if (!load()) return false;
    }
    const QString dir = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(dir)) {
        m_error = QStringLiteral("フォルダを作成できません: ") + dir;
        return false;
    }
    QByteArray text = m_text;
    for (const Pending& p : m_pending) text = update(text, p.section, p.key, p.value);
    ++m_rewrites;
    FileStamp written;
    if (!AtomicFile::writeWhole(m_path, text, AtomicFile::Mode::Private, &m_error, &written)) return false;
    m_text = text;
    m_stamp = written;
    m_pending.clear();
    m_error.clear();
    return true;
}

// Values that would not survive a plain "key=value" line (surrounding spaces,
// quotes, backslashes, control characters, a leading comment mark) are written
// in double quotes with backslash escapes; everything else is written as is.
QString IniStore::encodeValue(const QString& value) {
    // A value ending in "]" is quoted too, so that a hand-written key starting
    // with "[" never turns the line into a section header.
    bool quote = value.isEmpty() ? false
                                 : (value.front().isSpace() || value.back().isSpace() ||
                                    value.front() == u';' || value.front() == u'#' || value.back() == u']');
    for (QChar c : value) {
        if (c == u'"' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7f) quote = true;
    }
    if (!quote) return value;
    QString out = QStringLiteral("\"");
    for (QChar c : value) {
        switch (c.unicode()) {
            case '"':
                out += QStringLiteral("\\\"");
                break;
            case '\\':
                out += QStringLiteral("\\\\");
                break;
            case '\n':
                out += QStringLiteral("\\n");
                break;
            case '\r':
                out += QStringLiteral("\\r");
                break;
            case '\t':
                out += QStringLiteral("\\t");
                break;
            default:
                if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                    out += QStringLiteral("\\x%1").arg(uint(c.unicode()), 2, 16, QChar(u'0'));
                else
                    out += c;
        }
    }
    out += u'"';
    return out;
}

// Reads a value as written by encodeValue. A hand-edited value without
// quotes is taken as its trimmed text, backslashes and commas included.
QString IniStore::decodeValue(const QString& text) {
    const QString t = text.trimmed();
    if (t.size() < 2 || t.front() != u'"' || t.back() != u'"') return t;
    QString out;
    for (qsizetype i = 1; i < t.size() - 1; ++i) {
        QChar c = t[i];
        if (c != u'\\' || i + 1 >= t.size() - 1) {
            out += c;
            continue;
        }
        QChar e = t[++i];
        switch (e.unicode()) {
            case 'n':
                out += u'\n';
                break;
            case 'r':
                out += u'\r';
                break;
            case 't':
                out += u'\t';
                break;
            case 'x': {
                bool ok = false;
                const uint code = t.mid(i + 1, 2).toUInt(&ok, 16);
                if (ok && i + 2 < t.size() - 1) {
                    out += QChar(char16_t(code));
                    i += 2;
                } else {
                    out += e;
                }
                break;
            }
            default:
                out += e;
        }
    }
    return out;
}

IniStore::Sections IniStore::parse(const QByteArray& bytes) {
    Sections sections;
    QString current;
    const QString text = QString::fromUtf8(bytes);
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.front() == u';' || line.front() == u'#') continue;
        if (line.front() == u'[' && line.back() == u']') {
            current = line.mid(1, line.size() - 2).trimmed().toString();
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0) continue;
        const QString key = line.left(eq).trimmed().toString();
        sections[current][key] = decodeValue(line.mid(eq + 1).toString());
    }
    return sections;
}

QByteArray IniStore::serialize(const Sections& sections) {
    QString out;
    for (auto s = sections.cbegin(); s != sections.cend(); ++s) {
        if (!out.isEmpty()) out += u'\n';
        out += u'[' + s.key() + QStringLiteral("]\n");
        for (auto k = s->cbegin(); k != s->cend(); ++k)
            out += k.key() + u'=' + encodeValue(k.value()) + u'\n';
    }
    return out.toUtf8();
}

namespace {

// One line of the file as the reader sees it.
struct LineKind {
    enum { Other, Header, Key } kind = Other;
    QString name;  // the section of a header, the key of a key line
};

LineKind Classify(QByteArrayView raw) {
    LineKind k;
    const QString text = QString::fromUtf8(raw);
    const QStringView line = QStringView(text).trimmed();
    if (line.isEmpty() || line.front() == u';' || line.front() == u'#') return k;
    if (line.front() == u'[' && line.back() == u']') {
        k.kind = LineKind::Header;
        k.name = line.mid(1, line.size() - 2).trimmed().toString();
        return k;
    }
    const qsizetype eq = line.indexOf(u'=');
    if (eq <= 0) return k;
    k.kind = LineKind::Key;
    k.name = line.left(eq).trimmed().toString();
    return k;
}

}  // namespace

QByteArray IniStore::update(const QByteArray& file, const QString& section, const QString& key,
                            const QString& value) {
    const QByteArray entry = (key + u'=' + encodeValue(value)).toUtf8();
    // Line i spans [starts[i], ends[i]) without its "\n".
    QList<qsizetype> starts, ends;
    for (qsizetype pos = 0; pos <= file.size();) {
        const qsizetype nl = file.indexOf('\n', pos);
        starts << pos;
        ends << (nl < 0 ? file.size() : nl);
        if (nl < 0) break;
        pos = nl + 1;
    }
    // The last line naming the key in the section, and the last header or
    // key line of the section's last block (-1: the very start, for the
    // lines before any header).
    qsizetype lastKey = -2, insertAfter = -2;
    QString current;
    if (section.isEmpty()) insertAfter = -1;
    for (qsizetype i = 0; i < starts.size(); ++i) {
        const LineKind k = Classify(QByteArrayView(file).sliced(starts[i], ends[i] - starts[i]));
        if (k.kind == LineKind::Header) {
            current = k.name;
            if (current == section) insertAfter = i;
        } else if (k.kind == LineKind::Key && current == section) {
            insertAfter = i;
            if (k.name == key) lastKey = i;
        }
    }
    auto endsInCr = [&](qsizetype i) { return ends[i] > starts[i] && file[ends[i] - 1] == '\r'; };
    if (lastKey >= 0) {
        const qsizetype lineEnd = endsInCr(lastKey) ? ends[lastKey] - 1 : ends[lastKey];
        return file.left(starts[lastKey]) + entry + file.mid(lineEnd);
    }
    if (insertAfter == -1) return entry + '\n' + file;
    if (insertAfter >= 0) {
        const QByteArray eol = endsInCr(insertAfter) ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
        const qsizetype at = ends[insertAfter];
        if (at >= file.size()) return file + eol + entry + eol;  // the last line, unterminated
        return file.left(at + 1) + entry + eol + file.mid(at + 1);
    }
    QByteArray out = file;
    if (!out.isEmpty() && !out.endsWith('\n')) out += '\n';
    if (!out.isEmpty()) out += '\n';
    return out + '[' + section.toUtf8() + "]\n" + entry + '\n';
}
