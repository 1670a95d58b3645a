// Which editors need a terminal, and the terminal that runs them.
#include "TerminalEditor.h"

#include <QFileInfo>

namespace TerminalEditor {

namespace {

// Editors that only ever draw in a terminal. "editor" and
// "sensible-editor" are the system's choice of one.
const QStringView kTerminalEditors[] = {u"vi",  u"vim", u"nvim", u"nano",   u"micro",
                                        u"joe", u"jed", u"kak",  u"editor", u"sensible-editor"};

// Editors that draw in a terminal when told so by one of their options.
struct Optional {
    QStringView name;
    QStringView options[4];
};
const Optional kTerminalWhenAsked[] = {
    {u"emacs", {u"-nw", u"--no-window-system"}},
    {u"emacsclient", {u"-nw", u"-t", u"--tty"}},
};

// The terminals tried after x-terminal-emulator and $TERMINAL, in order,
// with the option after which each runs a program.
struct Terminal {
    QStringView name;
    QStringView option;
};
const Terminal kTerminals[] = {
    {u"gnome-terminal", u"--"},
    {u"konsole", u"-e"},
    {u"xfce4-terminal", u"-x"},
    {u"xterm", u"-e"},
};

// The editor's name and its stem: "/usr/bin/vim.basic" is vim too.
bool Named(const QString& program, QStringView name) {
    const QString file = QFileInfo(program).fileName();
    return file == name || file.section(u'.', 0, 0) == name;
}

}  // namespace

bool NeedsTerminal(const QString& program, const QStringList& args) {
    for (QStringView name : kTerminalEditors)
        if (Named(program, name)) return true;
    for (const Optional& editor : kTerminalWhenAsked) {
        if (!Named(program, editor.name)) continue;
        for (QStringView option : editor.options)
            if (!option.isEmpty() && args.contains(option)) return true;
    }
    return false;
}

Command InTerminal(const QString& program, const QStringList& args, const QString& terminalVariable,
                   const std::function<bool(const QString&)>& found) {
    auto command = [&](const QString& terminal, QStringView option) {
        return Command{terminal, QStringList{option.toString(), program} + args};
    };
    if (found(QStringLiteral("x-terminal-emulator")))
        return command(QStringLiteral("x-terminal-emulator"), u"-e");
    const QString variable = terminalVariable.trimmed();
    if (!variable.isEmpty() && found(variable)) return command(variable, u"-e");
    for (const Terminal& terminal : kTerminals)
        if (found(terminal.name.toString())) return command(terminal.name.toString(), terminal.option);
    return Command();
}

QString NoTerminalText() {
    return QStringLiteral(
        "端末で動くエディタを開くための端末が見つかりません。x-terminal-emulator (例: xterm) "
        "をインストールしてください。");
}

}  // namespace TerminalEditor
