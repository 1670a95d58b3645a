// Command-line splitting: the program is a prefix of the line that the
// checker accepted (or the text of a leading double-quoted part), and the
// arguments are what the rest splits into.
#include "platform/PathRules.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString line = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    // Programs "exist" when their length is a multiple of three.
    auto isProgram = [](const QString& candidate, QString*) { return candidate.size() % 3 == 0; };
    const PathRules::SplitCommand split = PathRules::SplitCommandLine(line, isProgram);
    if (split.program.isEmpty()) return 0;
    const QString trimmed = line.trimmed();
    if (split.program.size() % 3 != 0) std::abort();
    qsizetype restFrom = split.program.size();
    if (trimmed.startsWith(u'"') && trimmed.mid(1).startsWith(split.program) &&
        trimmed.mid(1 + split.program.size()).startsWith(u'"'))
        restFrom += 2;
    else if (!trimmed.startsWith(split.program))
        std::abort();
    const QString rest = trimmed.mid(restFrom);
    if (!rest.isEmpty() && rest.front() != u' ') std::abort();
    if (split.arguments != PathRules::SplitArguments(rest)) std::abort();
    // Without a double quote, the rest splits at spaces alone.
    if (!rest.contains(u'"') && split.arguments != rest.split(u' ', Qt::SkipEmptyParts)) std::abort();
    qsizetype chars = 0;
    for (const QString& a : split.arguments) chars += a.size();
    if (chars > rest.size()) std::abort();
    return 0;
}
