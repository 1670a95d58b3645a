// How to tell an editor which line of a file to open: one table, chosen by the
// base name of the editor's program. A terminal that wraps an editor
// ("x-terminal-emulator -e vim") is looked through to the editor inside it.
#pragma once

#include <QString>
#include <QStringList>

namespace EditorLine {

enum class Syntax {
    PlusLine,    // +LINE FILE
    LineOption,  // --line LINE FILE
    GotoOption,  // -g FILE:LINE
    ColonLine,   // FILE:LINE
    FileOnly,    // FILE (the editor takes no line)
};

// The syntax of one program, by its base name ("/usr/bin/vim" -> PlusLine).
Syntax SyntaxOf(const QString& program);

// The syntax used for `program` started with `args`: a terminal's is the
// one of the program after its "-e", "-x" or "--".
Syntax SyntaxFor(const QString& program, const QStringList& args);

// The arguments that open `file` at `line` (1 = the first; 0 or less: no
// line) in `program`, after the `args` its command line already has. The
// file is always one argument.
QStringList Arguments(const QString& program, const QStringList& args, const QString& file, int line);

}  // namespace EditorLine
