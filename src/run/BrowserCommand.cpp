// Placeholder until the browser command lands.
#include "RunCommands.h"

namespace Run {
void Browser(int, const CommandContext&) {}
}  // namespace Run
