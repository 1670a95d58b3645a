// The compile, applet and application buttons: each checks that the file its
// step needs is in the selected source folder, starts its script beside the
// program with the folder and the name, and returns at once.
#include "RunCommands.h"

#include "RunConsole.h"
#include "settings/Qlk.h"

using namespace Qlk;

namespace Run {

namespace {

const QString kLf = QStringLiteral("\n");

void FileMissing(const CommandContext& context, const QString& text, const QString& title) {
    P().beep();
    P().messageBox(context.window, text, title, MsgIcon::Exclamation, MsgButtons::Ok);
}

// Starts the command line, as the run (the one the result window talks to)
// or on its own; a start that fails is told to the user, naming the command
// line and the system's reason, and false is returned.
bool Start(const CommandContext& context, const QString& commandLine, WindowStyle style, bool asRun,
           bool compile = false) {
    QString reason;
    if (asRun ? Console::instance()->Start(commandLine, &reason, context.folder(), compile)
              : P().startProcess(commandLine, style, &reason))
        return true;
    P().beep();
    P().messageBox(context.window,
                   QStringLiteral("次のコマンドを起動できませんでした。") + kLf + kLf + commandLine + kLf +
                       kLf + QStringLiteral("理由: ") + reason + kLf + kLf +
                       QStringLiteral("ﾌﾟﾛｸﾞﾗﾑのﾌｫﾙﾀﾞにﾊﾞｯﾁﾌｧｲﾙがあり、読めるかどうか確かめてください。"),
                   kErrorTitle, MsgIcon::Critical, MsgButtons::Ok);
    return false;
}

}  // namespace

QString HtmlMissingText(const QString& name) {
    return name + QStringLiteral(".html が見つかりません。") + kLf + kLf +
           QStringLiteral("移動または削除、もしくはJavaﾌｧｲﾙがあるﾌｫﾙﾀﾞの設定が") + kLf +
           QStringLiteral("間違っている可能性があります。") + kLf + kLf +
           QStringLiteral("もう一度確かめてみてください。");
}

void Execution(int Index, const CommandContext& context) {
    // Folder of the first selected folder button, then its space-free form;
    // the folder as stored is not used again.
    const QString folder = context.folder();
    const QString F = P().shortPath(folder);  // F: the folder, space-free
    const QString program = P().programFolder();

    switch (Index) {
        case 0: {                            // compile
            const QString N = context.name;  // N: the class name as typed
            if (!P().fileExists(F + u'/' + N + QStringLiteral(".java"))) {
                FileMissing(context,
                            N + QStringLiteral(".java が見つかりません。") + kLf + kLf +
                                QStringLiteral("移動または削除、もしくはパスの選択が") + kLf +
                                QStringLiteral("間違っている可能性があります。") + kLf + kLf +
                                QStringLiteral("もう一度確かめてみてください。"),
                            QStringLiteral("javaﾌｧｲﾙが見つかりません"));
                return;
            }
            const QString line =
                program + QStringLiteral("/compile.bat") + u' ' + F + u' ' + N + QStringLiteral(".java");
            // A server that ended or went silent is replaced now, for the
            // compiles after this one (this one runs javac meanwhile).
            if (S.CompileServer) P().startCompileServer();
            if (!Start(context, line, WindowStyle::MinimizedNoFocus, true, true)) return;
            if (context.showResult) context.showResult();
            if (context.addRecent) context.addRecent();
            return;
        }
        case 1: {  // applet: the page must be ".html", the script gets the configured extension
            const QString N = context.name;  // N: the class name as typed
            if (!P().fileExists(F + u'/' + N + QStringLiteral(".html"))) {
                FileMissing(context, HtmlMissingText(N), QStringLiteral("htmlﾌｧｲﾙが見つかりません"));
                return;
            }
            const QString line =
                program + QStringLiteral("/applet.bat") + u' ' + F + u' ' + N + S.HtmlExtension;
            if (!Start(context, line, WindowStyle::Hidden, false)) return;
            if (context.addRecent) context.addRecent();
            return;
        }
        case 2: {                            // application
            const QString N = context.name;  // N: the class name as typed
            if (!P().fileExists(F + u'/' + N + QStringLiteral(".class"))) {
                FileMissing(context,
                            N + QStringLiteral(".class をまだ作成していません。") + kLf +
                                QStringLiteral("まず、コンパイルして作成してください。"),
                            QStringLiteral("classﾌｧｲﾙが見つかりません"));
                return;
            }
            const QString line = program + QStringLiteral("/apli.bat") + u' ' + F + u' ' + N;
            if (!Start(context, line, WindowStyle::MinimizedNoFocus, true)) return;
            if (context.showResult) context.showResult();
            if (context.addRecent) context.addRecent();
            return;
        }
        default:
            return;
    }
}

}  // namespace Run
