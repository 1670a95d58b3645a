// Placeholder until the source commands land.
#include "SourceCommands.h"

namespace Sources {
void MakeNew(const QString&, const CommandContext&) {}
void OpenJava(const CommandContext&) {}
void OpenHtml(const CommandContext&) {}
}  // namespace Sources
