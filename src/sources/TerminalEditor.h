// Editors that draw in a terminal (vim, nano, emacs -nw, ...) are started
// inside the desktop's terminal: which editors need one, and the terminal's
// command line that runs them.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace TerminalEditor {

// True when `program` (a name or a path), started with the setting's own
// `args`, is an editor that needs a terminal to show anything.
bool NeedsTerminal(const QString& program, const QStringList& args);

struct Command {
    QString program;  // the terminal; empty when none is found
    QStringList arguments;
};

// The command line that runs `program` with `args` in a terminal: the
// desktop's own (x-terminal-emulator), else the one $TERMINAL names
// (`terminalVariable`), else the first known terminal that is there.
// `found` tells whether a terminal's name (or path) names a program that
// would start.
Command InTerminal(const QString& program, const QStringList& args, const QString& terminalVariable,
                   const std::function<bool(const QString&)>& found);

// What the failed-start box says when no terminal is found.
QString NoTerminalText();

}  // namespace TerminalEditor
