// The programs the user works in, named by the settings: editors and
// browsers, started on one file.
#pragma once

#include "platform/Platform.h"

#include <QString>

class QWidget;

namespace Qlk {

// True when an editor or browser setting names a program that would start:
// a file as the setting gives it, or a bare name that the start finds on PATH.
bool ProgramFound(const QString& setting);

// Starts the setting's command line with `path` after it as one argument,
// whatever it holds. A program that fails soon after its start (a typo, no
// desktop application for the file) is reported once, in a critical box.
// False with the reason when nothing could be started.
bool StartOnFile(const QString& setting, const QString& path, QWidget* window, QString* reason);
// The same with several arguments after the command line, each one whole.
bool StartWith(const QString& setting, const QStringList& arguments, QWidget* window, QString* reason);

// The text of that report: the status, the command line, then the last
// lines the program wrote to its standard error.
QString EarlyFailureText(const QString& commandLine, ExitStatus status);

}  // namespace Qlk
