// New source files from the templates, and opening sources in the editors.
#pragma once

#include "settings/CommandContext.h"

namespace Sources {

// Creates folder/name + extension from the template beside the program and
// opens it in the editor for its kind.
void MakeNew(const QString& extension, const CommandContext& context);
void OpenJava(const CommandContext& context);
void OpenHtml(const CommandContext& context);

}  // namespace Sources
