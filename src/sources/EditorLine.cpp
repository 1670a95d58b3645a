#include "EditorLine.h"

#include <QFileInfo>

namespace EditorLine {

namespace {

struct Row {
    QStringView name;
    Syntax syntax;
};

// What each editor takes, as the versions this desktop ships document it.
const Row kEditors[] = {
    {u"vi", Syntax::PlusLine},
    {u"vim", Syntax::PlusLine},
    {u"nvim", Syntax::PlusLine},
    {u"gvim", Syntax::PlusLine},
    {u"nano", Syntax::PlusLine},
    {u"emacs", Syntax::PlusLine},
    {u"emacsclient", Syntax::PlusLine},
    {u"gedit", Syntax::PlusLine},
    {u"pluma", Syntax::PlusLine},
    {u"xed", Syntax::PlusLine},
    {u"micro", Syntax::PlusLine},
    {u"joe", Syntax::PlusLine},
    {u"jed", Syntax::PlusLine},
    {u"kak", Syntax::PlusLine},
    {u"notepad.exe", Syntax::PlusLine},  // the default editor beside the program
    {u"mousepad", Syntax::LineOption},   // takes "+3" as a file name
    {u"kate", Syntax::LineOption},
    {u"kwrite", Syntax::LineOption},
    {u"code", Syntax::GotoOption},
    {u"codium", Syntax::GotoOption},
    {u"subl", Syntax::ColonLine},
    {u"geany", Syntax::ColonLine},
    {u"gnome-text-editor", Syntax::FileOnly},  // the version shipped here takes no line
};

// Terminals whose "-e" (or "-x", "--") starts the program after it.
bool IsTerminal(const QString& name) {
    static const QStringView kNames[] = {u"x-terminal-emulator",
                                         u"konsole",
                                         u"terminator",
                                         u"tilix",
                                         u"alacritty",
                                         u"urxvt",
                                         u"rxvt",
                                         u"rxvt-unicode",
                                         u"st",
                                         u"sakura",
                                         u"terminology",
                                         u"qterminal",
                                         u"lxterminal"};
    for (QStringView n : kNames)
        if (name == n) return true;
    return name.endsWith(u"term") || name.endsWith(u"terminal");
}

// The position of the wrapped program in a terminal's arguments; -1 when
// there is none.
qsizetype WrappedProgram(const QString& program, const QStringList& args) {
    if (!IsTerminal(QFileInfo(program).fileName())) return -1;
    for (qsizetype i = 0; i + 1 < args.size(); ++i)
        if (args[i] == u"-e" || args[i] == u"-x" || args[i] == u"--") return i + 1;
    return -1;
}

QStringList Apply(Syntax syntax, QStringList args, const QString& file, int line) {
    if (line <= 0) syntax = Syntax::FileOnly;
    const QString n = QString::number(line);
    switch (syntax) {
        case Syntax::PlusLine:
            return args << u'+' + n << file;
        case Syntax::LineOption:
            return args << QStringLiteral("--line") << n << file;
        case Syntax::GotoOption:
            return args << QStringLiteral("-g") << file + u':' + n;
        case Syntax::ColonLine:
            return args << file + u':' + n;
        case Syntax::FileOnly:
            break;
    }
    return args << file;
}

}  // namespace

Syntax SyntaxOf(const QString& program) {
    const QString name = QFileInfo(program).fileName();
    // "vim.basic", "vim.gtk3", "emacsclient.emacs": the alternatives' real names.
    const QString stem = name.section(u'.', 0, 0);
    for (const Row& row : kEditors)
        if (name == row.name) return row.syntax;
    for (const Row& row : kEditors)
        if (stem == row.name) return row.syntax;
    return Syntax::FileOnly;
}

Syntax SyntaxFor(const QString& program, const QStringList& args) {
    const qsizetype wrapped = WrappedProgram(program, args);
    return wrapped < 0 ? SyntaxOf(program) : SyntaxOf(args[wrapped]);
}

QStringList Arguments(const QString& program, const QStringList& args, const QString& file, int line) {
    // The wrapped editor's own arguments come before the line, as they
    // would before the file.
    return Apply(SyntaxFor(program, args), args, file, line);
}

}  // namespace EditorLine
