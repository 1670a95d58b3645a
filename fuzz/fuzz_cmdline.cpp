// Command-line splitting: the program is always a prefix of the line that the
// checker accepted, and the arguments are the rest split at spaces.
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
    if (!trimmed.startsWith(split.program) || split.program.size() % 3 != 0) std::abort();
    const QString rest = trimmed.mid(split.program.size());
    if (!rest.isEmpty() && rest.front() != u' ') std::abort();
    if (split.arguments != rest.split(u' ', Qt::SkipEmptyParts)) std::abort();
    for (const QString& a : split.arguments)
        if (a.isEmpty() || a.contains(u' ')) std::abort();
    return 0;
}
