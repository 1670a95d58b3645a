// The compile, applet and application buttons and the two browser buttons.
#pragma once

#include "settings/CommandContext.h"

namespace Run {

void Execution(int index, const CommandContext& context);
void Browser(int index, const CommandContext& context);

}  // namespace Run
