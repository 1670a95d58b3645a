#include "PathRules.h"

namespace PathRules {

bool WildcardMatch(QStringView pattern, QStringView name) {
    // Iterative match with one backtrack point for the last "*": linear in
    // practice and never recursive, whatever the pattern.
    qsizetype p = 0, n = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        // A "*" in the pattern is always a wildcard, even facing a "*" in the name.
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

bool HasWildcard(QStringView text) { return text.contains(u'*') || text.contains(u'?'); }

// The position of the double quote that closes a group opened at `open`:
// one followed by a space or the end; -1 when there is none.
static qsizetype ClosingQuote(QStringView text, qsizetype open) {
    for (qsizetype q = text.indexOf(u'"', open + 1); q >= 0; q = text.indexOf(u'"', q + 1))
        if (q + 1 == text.size() || text[q + 1] == u' ') return q;
    return -1;
}

QStringList SplitArguments(QStringView text) {
    QStringList out;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        if (text[i] == u' ') {
            ++i;
            continue;
        }
        if (text[i] == u'"') {
            const qsizetype close = ClosingQuote(text, i);
            if (close > i) {
                out << text.sliced(i + 1, close - i - 1).toString();
                i = close + 1;
                continue;
            }
        }
        qsizetype end = text.indexOf(u' ', i);
        if (end < 0) end = n;
        out << text.sliced(i, end - i).toString();
        i = end;
    }
    return out;
}

SplitCommand SplitCommandLine(const QString& line,
                              const std::function<bool(const QString&, QString*)>& isProgram) {
    SplitCommand out;
    const QString text = line.trimmed();
    if (text.startsWith(u'"')) {
        const qsizetype close = ClosingQuote(text, 0);
        if (close > 1) {
            const QString program = text.sliced(1, close - 1);
            QString resolved;
            if (isProgram(program, &resolved)) {
                out.program = resolved.isEmpty() ? program : resolved;
                out.arguments = SplitArguments(QStringView(text).sliced(close + 1));
            }
            return out;
        }
    }
    qsizetype end = 0;
    while (end <= text.size()) {
        end = text.indexOf(u' ', end);
        if (end < 0) end = text.size();
        const QString prefix = text.left(end);
        QString resolved;
        if (!prefix.trimmed().isEmpty() && isProgram(prefix, &resolved)) {
            out.program = resolved.isEmpty() ? prefix : resolved;
            out.arguments = SplitArguments(QStringView(text).sliced(end));
            return out;
        }
        ++end;
    }
    return out;
}

}  // namespace PathRules
