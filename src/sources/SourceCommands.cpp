// New source files copied from the templates beside the program, and sources
// opened in the editor configured for their kind.
#include "SourceCommands.h"

#include "EditorLine.h"
#include "TerminalEditor.h"
#include "platform/PathRules.h"
#include "settings/Qlk.h"
#include "settings/UserPrograms.h"

#include <QDir>
#include <QWidget>

namespace Sources {

using namespace Qlk;

namespace {

const QString kJava = QStringLiteral(".java");

// The program and arguments the editor's command line starts, split as
// every start splits it; false when no prefix names a program.
bool SplitEditor(const QString& setting, QString* program, QStringList* args) {
    const PathRules::SplitCommand split =
        PathRules::SplitCommandLine(setting, [](const QString& candidate, QString* resolved) {
            if (candidate.contains(u'/')) return P().files().isProgramFile(candidate);
            if (!P().programs().foundOnPath(candidate)) return false;
            *resolved = candidate;
            return true;
        });
    if (split.program.isEmpty()) return false;
    *program = split.program;
    *args = split.arguments;
    return true;
}

// A terminal's name or path that a start would find.
bool TerminalFound(const QString& terminal) {
    return terminal.contains(u'/') ? P().files().isProgramFile(terminal)
                                   : P().programs().foundOnPath(terminal);
}

// Starts the editor's command line on the source, in a normal, focused
// window; the source's path (and a line, for some editors) follow as whole
// arguments, whatever its folder holds. An editor that draws in a terminal
// is started inside one. A start that fails is told to the user with the
// command line and the system's reason.
void StartEditor(const QString& editor, const QStringList& arguments, const CommandContext& context) {
    const QString shown = editor + u' ' + arguments.join(u' ');
    auto failed = [&](const QString& reason, const QString& advice) {
        P().desktop().messageBox(context.window,
                                 QStringLiteral("エディタを起動できませんでした。\n\n") + shown +
                                     QStringLiteral("\n\n理由: ") + reason + advice,
                                 kErrorTitle, MsgIcon::Critical, MsgButtons::Ok);
    };
    QString reason;
    QString program;
    QStringList args;
    if (SplitEditor(editor, &program, &args) && TerminalEditor::NeedsTerminal(program, args)) {
        const TerminalEditor::Command terminal = TerminalEditor::InTerminal(
            program, args + arguments, qEnvironmentVariable("TERMINAL"), TerminalFound);
        if (terminal.program.isEmpty()) return failed(TerminalEditor::NoTerminalText(), QString());
        if (StartWith(terminal.program, terminal.arguments, context.window, &reason)) return;
        return failed(reason, QString());
    }
    if (StartWith(editor, arguments, context.window, &reason)) return;
    failed(reason, QStringLiteral("\n\n設定のエディタのパスを確かめてください。"));
}

// The file-not-found message of the open commands; the two differ only in
// their last line.
void FileNotFound(const QString& path, const QString& lastLine, const CommandContext& context) {
    P().desktop().beep();
    P().desktop().messageBox(
        context.window,
        path +
            QStringLiteral("\n\nが見つかりません。\n\n移動または削除、もしくはパスの選択が\n"
                           "間違っている可能性があります。\n\n") +
            lastLine,
        QStringLiteral("ﾌｧｲﾙが見つかりません"), MsgIcon::Exclamation, MsgButtons::Ok);
}

}  // namespace

void MakeNew(const QString& extension, const CommandContext& context) {
    const QString& E = extension;  // E: the new file's extension
    // The folder of the first selected folder button.
    const QString F = context.folder();  // F: the selected folder
    if (F.isEmpty()) {
        P().desktop().messageBox(
            context.window,
            QStringLiteral("パスの設定がありません。\n設定した後、もう一度実行してください。"),
            QStringLiteral("設定がありません"), MsgIcon::Exclamation, MsgButtons::Ok);
        return;
    }

    const QString N = context.name;      // N: the class name as typed
    const QString T = F + u'/' + N + E;  // T: the file itself

    // An existing file is replaced only when the user says so. A name that
    // starts with a point is hidden from the file test, but the file is the
    // user's all the same and is not replaced unasked.
    if (P().files().fileExists(T) || P().files().fileStamp(T).exists) {
        const MsgResult answer = P().desktop().messageBox(
            context.window,
            T + QStringLiteral("\n\n はすでに存在しています。\n\n上書きしてもよろしいですか？"),
            QStringLiteral("ﾌｧｲﾙが存在しています"), MsgIcon::Exclamation, MsgButtons::YesNo);
        if (answer == MsgResult::No) return;
    }

    // The copy replaces the target whole or not at all, keeping the mode of
    // a file it replaces; when it fails the user learns why and no editor is
    // started. The template's class-name placeholder becomes the typed name.
    const QString templateFile = P().files().programFolder() + u'/' + QStringLiteral("temp") + E;
    Files::CopyRules rules;
    rules.placeholder = kClassNamePlaceholder;
    rules.replacement = N;
    QString reason;
    if (!P().files().copyFile(templateFile, T, &reason, rules)) {
        // The reason belongs to the template when it is not there, else to
        // the new file's place.
        const QString failed = P().files().fileExists(templateFile) ? T : templateFile;
        P().desktop().messageBox(context.window,
                                 QStringLiteral("ﾌｧｲﾙを作成できませんでした。\n\n作成するﾌｧｲﾙ: ") + T +
                                     QStringLiteral("\nひな形: ") + templateFile +
                                     QStringLiteral("\n\n理由: ") + failed + QStringLiteral(": ") + reason,
                                 kErrorTitle, MsgIcon::Critical, MsgButtons::Ok);
        return;
    }

    const QString editor = E == kJava ? S.JavaEdit : S.HtmlEdit;
    StartEditor(editor, {F + u'/' + N + E}, context);
}

void OpenJava(const CommandContext& context) {
    const QString F = context.folder();      // F: the selected folder
    const QString N = context.name;          // N: the class name as typed
    const QString T = F + u'/' + N + kJava;  // T: the file itself
    // No folder counts as a missing file.
    if (F.isEmpty() || !P().files().fileExists(T)) {
        FileNotFound(T, QStringLiteral("もう一度確かめて見た後、実行してください。"), context);
        return;
    }
    StartEditor(S.JavaEdit, {F + u'/' + N + kJava}, context);
}

void OpenHtml(const CommandContext& context) {
    const QString F = context.folder();  // F: the selected folder
    const QString N = context.name;      // N: the class name as typed
    const QString E = S.HtmlExtension;   // E: the page extension
    // With no folder the page is looked for from the root.
    const QString T = F + u'/' + N + E;  // T: the file itself
    if (!P().files().fileExists(T)) {
        FileNotFound(T, QStringLiteral("もう一度確かめた後、実行してください。"), context);
        return;
    }
    StartEditor(S.HtmlEdit, {F + u'/' + N + E}, context);
}

void OpenJavaAtLine(const QString& source, int line, QWidget* window) {
    CommandContext context;
    context.window = window;
    // The file is looked up as named ("*" and "?" are characters here) and
    // reaches the editor as an absolute path, never as an option
    // ("-e.java"). A relative path has no folder to start from (Quenlark's
    // own working folder is none of the user's): it counts as missing.
    const QString file = source.isEmpty() ? source : QDir::cleanPath(source);
    if (!QDir::isAbsolutePath(file) || !P().files().fileStamp(file).exists) {
        FileNotFound(file, QStringLiteral("もう一度確かめて見た後、実行してください。"), context);
        return;
    }
    QString program;
    QStringList args;
    // An editor that takes no line gets the file alone; a command line that
    // names no program (the start reports it) too.
    const QStringList arguments = SplitEditor(S.JavaEdit, &program, &args)
                                      ? EditorLine::Arguments(program, args, file, line).mid(args.size())
                                      : QStringList{file};
    StartEditor(S.JavaEdit, arguments, context);
}

}  // namespace Sources
