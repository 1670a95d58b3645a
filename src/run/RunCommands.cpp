// Placeholder until the run commands land.
#include "RunCommands.h"

namespace Run {
void Execution(int, const CommandContext&) {}
}  // namespace Run
