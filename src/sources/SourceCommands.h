// New source files from the templates, and opening sources in the editors.
#pragma once

#include "settings/CommandContext.h"

namespace Sources {

// Written in a template where the class name goes; a new file gets the name
// typed in the name box there. A template without it is copied as it is.
inline const QString kClassNamePlaceholder = QStringLiteral("%CLASSNAME%");

// Creates folder/name + extension from the template beside the program and
// opens it in the editor for its kind.
void MakeNew(const QString& extension, const CommandContext& context);
void OpenJava(const CommandContext& context);
void OpenHtml(const CommandContext& context);
// Opens `file` at `line` (1 = the first) in the Java editor of the settings,
// telling the editor the line in the way its program takes one; a file that
// is not there gets the message of a missing source.
void OpenJavaAtLine(const QString& file, int line, QWidget* window);

}  // namespace Sources
