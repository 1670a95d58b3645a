// The run buttons: the compile, applet and application commands.
#pragma once

#include "RunKinds.h"
#include "settings/CommandContext.h"

namespace Run {

class Console;

// Tests the file the kind needs in the selected source folder, starts the
// kind's script beside the program with the folder and the name (a run
// through `console`), and returns at once.
void Execute(RunKind kind, const CommandContext& context, Console& console);

}  // namespace Run
