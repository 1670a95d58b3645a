// The compile, applet and application buttons.
#pragma once

#include "settings/CommandContext.h"

namespace Run {

void Execution(int index, const CommandContext& context);
// The text of the missing-page message, shared by the applet and browser
// buttons: it always names ".html".
QString HtmlMissingText(const QString& name);

}  // namespace Run
