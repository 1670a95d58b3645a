// The two browser buttons: open the class's page in a configured browser.
#pragma once

#include "settings/CommandContext.h"

namespace Run {

void Browser(int index, const CommandContext& context);

}  // namespace Run
