// Pure rules of the platform layer, kept free of I/O so they can be tested and
// fuzzed on their own.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace PathRules {

// "*" matches any run of characters, "?" exactly one; everything else matches
// itself, case-sensitively.
bool WildcardMatch(QStringView pattern, QStringView name);
bool HasWildcard(QStringView text);

struct SplitCommand {
    QString program;  // empty when no prefix names a program
    QStringList arguments;
};

// Splits an unquoted command line the way a classic desktop does: the program
// is the shortest space-separated prefix that names an existing program
// (`isProgram` decides, and may resolve a bare name on PATH by returning the
// full path in `resolved`); the rest splits at runs of spaces.
SplitCommand SplitCommandLine(const QString& line,
                              const std::function<bool(const QString&, QString* resolved)>& isProgram);

}  // namespace PathRules
