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

SplitCommand SplitCommandLine(const QString& line,
                              const std::function<bool(const QString&, QString*)>& isProgram) {
    SplitCommand out;
    const QString text = line.trimmed();
    qsizetype end = 0;
    while (end <= text.size()) {
        end = text.indexOf(u' ', end);
        if (end < 0) end = text.size();
        const QString prefix = text.left(end);
        QString resolved;
        if (!prefix.trimmed().isEmpty() && isProgram(prefix, &resolved)) {
            out.program = resolved.isEmpty() ? prefix : resolved;
            out.arguments = text.mid(end).split(u' ', Qt::SkipEmptyParts);
            return out;
        }
        ++end;
    }
    return out;
}

}  // namespace PathRules
