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

// Splits a command line the way a classic desktop does: a program path in
// double quotes is taken whole; otherwise the program is the shortest
// space-separated prefix that names an existing program (`isProgram` decides,
// and may resolve a bare name on PATH by returning the full path in
// `resolved`). The rest is split by SplitArguments.
SplitCommand SplitCommandLine(const QString& line,
                              const std::function<bool(const QString&, QString* resolved)>& isProgram);

// Splits at runs of spaces. A double quote that opens a word groups up to the
// next double quote that ends one (followed by a space or the end), and both
// quotes go; any other double quote is an ordinary character, so a folder
// named `my"java` stays one word.
QStringList SplitArguments(QStringView text);

}  // namespace PathRules
