// Placeholder until the run and browser commands land.
#include "RunCommands.h"

namespace Run {
void Execution(int, const CommandContext&) {}
void Browser(int, const CommandContext&) {}
}  // namespace Run
