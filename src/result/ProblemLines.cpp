// Reads compiler messages and stack traces line by line.
#include "ProblemLines.h"

#include <QDir>
#include <algorithm>

namespace ProblemLines {

namespace {

bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// A line number: 1 to 9 digits, nothing else.
int Number(QStringView digits) {
    if (digits.isEmpty() || digits.size() > 9) return 0;
    int n = 0;
    for (QChar c : digits) {
        if (!IsDigit(c)) return 0;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n;
}

QStringView TrimmedLeft(QStringView s) {
    qsizetype i = 0;
    while (i < s.size() && (s[i] == u' ' || s[i] == u'\t')) ++i;
    return s.sliced(i);
}

// "PATH.java:LINE: error: ..." and its kin. The path may hold spaces and
// colons, so every ".java:" is tried in turn.
bool ReadMessage(QStringView line, LineInfo& info) {
    static constexpr QStringView kExt = u".java:";
    struct Word {
        QStringView text;
        LineInfo::Type type;
    };
    static constexpr Word kWords[] = {{u"error", LineInfo::Error},
                                      {u"warning", LineInfo::Warning},
                                      {u"エラー", LineInfo::Error},
                                      {u"警告", LineInfo::Warning}};
    qsizetype from = 0;
    for (;;) {
        const qsizetype p = line.indexOf(kExt, from);
        if (p < 0) return false;
        from = p + 1;
        if (p == 0) continue;
        qsizetype i = p + kExt.size();
        const qsizetype digits = i;
        while (i < line.size() && IsDigit(line[i])) ++i;
        const int number = Number(line.sliced(digits, i - digits));
        if (number <= 0 || !line.sliced(i).startsWith(u": ")) continue;
        const QStringView rest = line.sliced(i + 2);
        for (const Word& word : kWords) {
            if (rest.size() <= word.text.size() || !rest.startsWith(word.text) ||
                rest[word.text.size()] != u':')
                continue;
            QStringView text = rest.sliced(word.text.size() + 1);
            if (text.startsWith(u' ')) text = text.sliced(1);
            info.type = word.type;
            info.path = line.left(p + kExt.size() - 1).toString();
            info.line = number;
            info.text = text.toString();
            return true;
        }
    }
}

bool IsNameChars(QStringView s) {
    for (QChar c : s)
        if (!(c.isLetterOrNumber() || c == u'_' || c == u'$' || c == u'.')) return false;
    return true;
}

bool IsTypeName(QStringView s) { return !s.isEmpty() && s[0].isLetter() && IsNameChars(s); }

// "java.lang.NullPointerException: message" after the head of a trace.
bool ReadThrowable(QStringView rest, LineInfo& info) {
    const qsizetype colon = rest.indexOf(u": ");
    const QStringView type = colon < 0 ? rest : rest.left(colon);
    if (!IsTypeName(type)) return false;
    info.type = LineInfo::Exception;
    info.name = type.toString();
    info.text = colon < 0 ? QString() : rest.sliced(colon + 2).toString();
    return true;
}

// The head of a trace may follow a prompt printed without a line break
// ("整数を入力: Exception in thread ...").
constexpr QStringView kThread = u"Exception in thread \"";

bool ReadException(QStringView line, LineInfo& info) {
    const qsizetype head = line.indexOf(kThread);
    if (head >= 0) {
        const qsizetype close = line.indexOf(u"\" ", head + kThread.size());
        return close >= 0 && ReadThrowable(line.sliced(close + 2), info);
    }
    const QStringView t = TrimmedLeft(line);
    static constexpr QStringView kCause = u"Caused by: ";
    return t.startsWith(kCause) && ReadThrowable(t.sliced(kCause.size()), info);
}

// "\tat [loader/][module[@version]/]pkg.Cls.method(File.java:LINE)"
bool ReadFrame(QStringView line, LineInfo& info) {
    QStringView t = TrimmedLeft(line);
    if (!t.startsWith(u"at ") || !t.endsWith(u')')) return false;
    t = t.sliced(3);
    const qsizetype open = t.lastIndexOf(u'(');
    if (open <= 0) return false;
    const QStringView qualified = t.left(open);
    if (qualified.contains(u' ')) return false;
    const qsizetype slash = qualified.lastIndexOf(u'/');
    const QStringView name = qualified.sliced(slash + 1);
    // (After a hidden class's "/" the name starts with its address.) A
    // constructor's frame names the method "<init>".
    QStringView plain = name;
    for (QStringView special : {u".<init>", u".<clinit>"})
        if (plain.endsWith(special)) plain.chop(special.size());
    if (!plain.contains(u'.') || plain.startsWith(u'.') || !IsNameChars(plain)) return false;
    info.type = LineInfo::Frame;
    info.name = name.toString();
    if (slash >= 0) {
        QStringView module = qualified.left(slash);
        module = module.sliced(module.lastIndexOf(u'/') + 1);
        const qsizetype at = module.indexOf(u'@');
        if (at >= 0) module = module.left(at);
        info.jdk = module.startsWith(u"java.") || module.startsWith(u"jdk.");
    }
    for (QStringView jdk : {u"java.", u"javax.", u"jdk.", u"sun.", u"com.sun."})
        if (name.startsWith(jdk)) info.jdk = true;
    const QStringView place = t.sliced(open + 1, t.size() - open - 2);
    const qsizetype colon = place.lastIndexOf(u':');
    if (colon > 0) {
        info.path = place.left(colon).toString();
        info.line = Number(place.sliced(colon + 1));
    } else {
        info.path = place.toString();  // "Unknown Source", "Native Method"
    }
    return true;
}

// "2 errors", "1 warning", "エラー2個", "警告1個".
bool ReadSummary(QStringView line, LineInfo& info) {
    for (QStringView word : {u"エラー", u"警告"}) {
        if (line.startsWith(word) && line.endsWith(u'個')) {
            const int n = Number(line.sliced(word.size(), line.size() - word.size() - 1));
            if (n <= 0) return false;
            info.type = LineInfo::Summary;
            info.line = n;
            info.name = word == u"警告" ? QStringLiteral("warning") : QStringLiteral("error");
            return true;
        }
    }
    const qsizetype space = line.indexOf(u' ');
    if (space <= 0) return false;
    const int n = Number(line.left(space));
    const QStringView word = line.sliced(space + 1);
    if (n <= 0) return false;
    if (word == u"error" || word == u"errors") {
        info.name = QStringLiteral("error");
    } else if (word == u"warning" || word == u"warnings") {
        info.name = QStringLiteral("warning");
    } else {
        return false;
    }
    info.type = LineInfo::Summary;
    info.line = n;
    return true;
}

// A caret line: blanks and one "^".
qsizetype CaretColumn(QStringView line) {
    const QStringView t = TrimmedLeft(line);
    if (t.isEmpty() || t[0] != u'^') return -1;
    for (QChar c : t.sliced(1))
        if (c != u' ' && c != u'\t') return -1;
    return line.size() - t.size();
}

}  // namespace

QString CountsText(const Counts& counts) {
    QStringList parts;
    if (counts.errors > 0) parts << QStringLiteral("エラー %1").arg(counts.errors);
    if (counts.warnings > 0) parts << QStringLiteral("警告 %1").arg(counts.warnings);
    return parts.join(QStringLiteral("、"));
}

LineInfo ReadLine(QStringView line) {
    LineInfo info;
    while (line.endsWith(u'\r') || line.endsWith(u'\n')) line.chop(1);
    // The shortest line that says anything is "警告1個"; most output is
    // told apart by its first characters before any search.
    if (line.size() < 4) return info;
    if (line.contains(u".java:") && ReadMessage(line, info)) return info;
    const QStringView t = TrimmedLeft(line);
    if (t.isEmpty()) return {};
    const QChar first = t[0];
    if (first == u'E' || first == u'C') {
        info = {};
        if (ReadException(line, info)) return info;
    } else if (first == u'a') {
        info = {};
        if (ReadFrame(line, info)) return info;
    } else if (t.size() == line.size() && (IsDigit(first) || first == u'エ' || first == u'警')) {
        info = {};
        if (ReadSummary(line, info)) return info;
    }
    if (first != u'E' && line.contains(kThread)) {
        info = {};
        if (ReadException(line, info)) return info;
    }
    return {};
}

ProblemScanner::ProblemScanner(Folder folder) : m_folder(std::move(folder)) {}

void ProblemScanner::setFolder(Folder folder) {
    m_folder = std::move(folder);
    m_exists.clear();
    m_files.clear();
    m_filesRead = false;
}

void ProblemScanner::reset() {
    m_exists.clear();
    m_files.clear();
    m_filesRead = false;
    m_lines = 0;
    m_problems.clear();
    m_taken = 0;
    m_hints.clear();
    m_hinted.clear();
    m_seen = m_summary = {};
    m_message = {};
    m_crash = {};
    m_lineHint = {};
}

void ProblemScanner::addLine(QStringView line, bool continued) {
    readOne(line, continued);
    if (m_lineHint.open && m_lines >= m_lineHint.until) {
        m_lineHint.open = false;
        addHint(m_lines, m_lineHint.text);
    }
    ++m_lines;
}

void ProblemScanner::finish() {
    closeMessage();
    m_crash.open = false;
    if (m_lineHint.open && m_lines > 0) addHint(m_lines - 1, m_lineHint.text);
    m_lineHint.open = false;
}

void ProblemScanner::readOne(QStringView line, bool continuation) {
    if (continuation) return;
    const LineInfo info = ReadLine(line);
    if (info.type == LineInfo::Plain || info.type == LineInfo::Exception) {
        const LearnerHints::LineHint hint = LearnerHints::ForLine(line, [this](const QString& file) {
            return m_folder.source ? m_folder.source(resolveMessage(file)) : QString();
        });
        if (!hint.text.isEmpty()) {
            if (m_lineHint.open) addHint(m_lines - 1, m_lineHint.text);
            m_lineHint = {true, m_lines + hint.linesUnder, hint.text};
        }
    }
    switch (info.type) {
        case LineInfo::Error:
        case LineInfo::Warning:
            closeMessage();
            m_crash.open = false;
            onMessage(info);
            break;
        case LineInfo::Exception:
            closeMessage();
            onException(info);
            break;
        case LineInfo::Frame:
            closeMessage();
            onFrame(info);
            break;
        case LineInfo::Summary:
            closeMessage();
            m_crash.open = false;
            if (info.name == u"error")
                m_summary.errors = std::max(m_summary.errors, info.line);
            else
                m_summary.warnings = std::max(m_summary.warnings, info.line);
            break;
        case LineInfo::Plain:
            if (m_message.open) followMessage(line);
            if (m_crash.open) {
                if (m_crash.framesStarted) {
                    // "\t... 3 more" closes a cause; anything else ends the trace.
                    const QStringView t = TrimmedLeft(line);
                    if (!(t.startsWith(u"... ") && t.endsWith(u" more"))) m_crash.open = false;
                } else if (++m_crash.linesBeforeFrames > 50) {
                    m_crash.open = false;  // a message of many lines, but no trace under it
                }
            }
            break;
    }
}

void ProblemScanner::onMessage(const LineInfo& info) {
    Problem p;
    p.line = m_lines;
    p.kind = info.type == LineInfo::Error ? Kind::Error : Kind::Warning;
    p.file = resolveMessage(info.path);
    p.fileLine = info.line;
    m_problems.push_back(p);
    if (p.kind == Kind::Error)
        ++m_seen.errors;
    else
        ++m_seen.warnings;
    m_message = {};
    m_message.open = true;
    m_message.lastLine = m_lines;
    m_message.text.file = info.path;
    m_message.text.message = info.text;
    m_message.text.line = info.line;
}

// The lines javac prints under a message: the source line, a caret under
// it, then indented details.
void ProblemScanner::followMessage(QStringView line) {
    Message& m = m_message;
    if (m.stage == 0) {
        m.text.sourceLine = line.toString();
        m.lastLine = m_lines;
        m.stage = 1;
        return;
    }
    if (m.stage == 1) {
        const qsizetype caret = CaretColumn(line);
        if (caret < 0) return closeMessage();
        m.text.caret = int(caret);
        m.lastLine = m_lines;
        m.stage = 2;
        return;
    }
    if (line.startsWith(u"  ") && !TrimmedLeft(line).isEmpty()) {
        m.text.details << line.toString();
        m.lastLine = m_lines;
        return;
    }
    closeMessage();
}

void ProblemScanner::closeMessage() {
    if (!m_message.open) return;
    m_message.open = false;
    const QString hint = LearnerHints::ForMessage(
        m_message.text, [this] { return folderFiles(); },
        [this](const QString& file) {
            return m_folder.source ? m_folder.source(resolveMessage(file)) : QString();
        });
    if (!hint.isEmpty()) addHint(m_message.lastLine, hint);
}

void ProblemScanner::onException(const LineInfo& info) {
    Problem p;
    p.line = m_lines;
    p.kind = Kind::Exception;
    m_problems.push_back(p);
    m_crash = {};
    m_crash.open = true;
    m_crash.line = m_lines;
    m_crash.text.type = info.name;
    m_crash.text.message = info.text;
}

void ProblemScanner::onFrame(const LineInfo& info) {
    const QString file = info.line > 0 && !info.jdk ? resolveFrame(info) : QString();
    if (!file.isEmpty()) {
        Problem p;
        p.line = m_lines;
        p.kind = Kind::Frame;
        p.file = file;
        p.fileLine = info.line;
        m_problems.push_back(p);
    }
    if (!m_crash.open) return;
    m_crash.framesStarted = true;
    if (file.isEmpty()) {
        m_crash.text.framesAbove << info.name;
        return;
    }
    // The exception line leads to the learner's first frame.
    auto head = std::lower_bound(m_problems.begin(), m_problems.end(), m_crash.line,
                                 [](const Problem& p, qint64 line) { return p.line < line; });
    if (head != m_problems.end() && head->line == m_crash.line && head->kind == Kind::Exception) {
        head->target = m_lines;
        head->file = file;
        head->fileLine = info.line;
    }
    m_crash.open = false;
    const QString hint = LearnerHints::ForCrash(m_crash.text, m_folder.path);
    if (!hint.isEmpty()) addHint(m_lines, hint);
}

QString ProblemScanner::resolveMessage(const QString& path) const {
    if (path.startsWith(u'/') || m_folder.path.isEmpty()) return QDir::cleanPath(path);
    return QDir::cleanPath(m_folder.path + u'/' + path);
}

// pkg/File.java for a frame of pkg.Cls, then File.java, in the run's
// folder; "" when neither is there.
QString ProblemScanner::resolveFrame(const LineInfo& info) {
    if (m_folder.path.isEmpty() || info.path.isEmpty() || info.path.contains(u'/') ||
        info.path.startsWith(u'.'))
        return {};
    const QString cls = info.name.left(info.name.lastIndexOf(u'.'));
    const qsizetype dot = cls.lastIndexOf(u'.');
    const QString base = QDir::cleanPath(m_folder.path) + u'/';
    if (dot > 0) {
        QString inPackage = base + cls.left(dot).replace(u'.', u'/') + u'/' + info.path;
        if (exists(inPackage)) return inPackage;
    }
    QString here = base + info.path;
    return exists(here) ? here : QString();
}

bool ProblemScanner::exists(const QString& path) {
    auto it = m_exists.constFind(path);
    if (it != m_exists.constEnd()) return *it;
    const bool found = m_folder.fileExists && m_folder.fileExists(path);
    m_exists.insert(path, found);
    return found;
}

QStringList ProblemScanner::folderFiles() {
    if (!m_filesRead) {
        m_filesRead = true;
        if (m_folder.files) m_files = m_folder.files();
    }
    return m_files;
}

void ProblemScanner::addHint(qint64 afterLine, const QString& text) {
    if (m_hinted.contains(text)) return;
    m_hinted.insert(text);
    m_hints.push_back({afterLine, text});
}

std::vector<Problem> ProblemScanner::takeNew() {
    std::vector<Problem> out(m_problems.begin() + m_taken, m_problems.end());
    m_taken = m_problems.size();
    return out;
}

std::vector<Hint> ProblemScanner::takeHints() {
    std::vector<Hint> out;
    out.swap(m_hints);
    return out;
}

const Problem* ProblemScanner::at(qint64 line) const {
    auto it = std::lower_bound(m_problems.begin(), m_problems.end(), line,
                               [](const Problem& p, qint64 l) { return p.line < l; });
    return it != m_problems.end() && it->line == line ? &*it : nullptr;
}

const Problem* ProblemScanner::nextStop(qint64 line, bool backwards) const {
    auto isStop = [](const Problem& p) { return p.kind != Kind::Exception && p.opens(); };
    auto byLine = [](const Problem& p, qint64 l) { return p.line < l; };
    if (!backwards) {
        auto from = std::lower_bound(m_problems.begin(), m_problems.end(), line + 1, byLine);
        for (auto it = from; it != m_problems.end(); ++it)
            if (isStop(*it)) return &*it;
        for (auto it = m_problems.begin(); it != from; ++it)
            if (isStop(*it)) return &*it;
        return nullptr;
    }
    auto to = std::lower_bound(m_problems.begin(), m_problems.end(), line, byLine);
    for (auto it = std::make_reverse_iterator(to); it != m_problems.rend(); ++it)
        if (isStop(*it)) return &*it;
    for (auto it = m_problems.rbegin(); it != std::make_reverse_iterator(to); ++it)
        if (isStop(*it)) return &*it;
    return nullptr;
}

Counts ProblemScanner::counts() const {
    Counts c = m_seen;
    if (c.errors + c.warnings > 0) {
        c.errors = std::max(c.errors, m_summary.errors);
        c.warnings = std::max(c.warnings, m_summary.warnings);
    }
    return c;
}

void ProblemScanner::forgetBefore(qint64 line) {
    while (!m_problems.empty() && m_problems.front().line < line) {
        m_problems.pop_front();
        if (m_taken > 0) --m_taken;
    }
    std::erase_if(m_hints, [line](const Hint& h) { return h.afterLine < line; });
}

}  // namespace ProblemLines
