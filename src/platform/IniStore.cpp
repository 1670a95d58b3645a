#include "IniStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>

IniStore::IniStore(QString path) : m_path(std::move(path)) { load(); }

QString IniStore::read(const QString& section, const QString& key) const {
    auto s = m_sections.constFind(section);
    if (s == m_sections.constEnd()) return QString();
    return s->value(key);
}

bool IniStore::write(const QString& section, const QString& key, const QString& value) {
    m_sections[section][key] = value;
    return save();
}

void IniStore::load() {
    QFile f(m_path);
    if (f.open(QIODevice::ReadOnly)) m_sections = parse(f.readAll());
    // A write cut short by a crash leaves its temporary file ("name.XXXXXX")
    // beside the store; only one copy of the program runs, so none is in use.
    const QFileInfo info(m_path);
    const QStringList leftovers =
        QDir(info.absolutePath())
            .entryList({info.fileName() + QStringLiteral(".??????")}, QDir::Files | QDir::Hidden);
    for (const QString& name : leftovers) QFile::remove(info.absolutePath() + u'/' + name);
}

bool IniStore::save() {
    const QString dir = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(dir)) {
        m_error = QStringLiteral("フォルダを作成できません: ") + dir;
        return false;
    }
    QSaveFile f(m_path);
    if (!f.open(QIODevice::WriteOnly)) {
        m_error = f.errorString();
        return false;
    }
    ::fchmod(f.handle(), S_IRUSR | S_IWUSR);
    f.write(serialize(m_sections));
    if (!f.commit()) {
        m_error = f.errorString();
        return false;
    }
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
                    out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
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
