// The compile, applet and application buttons: each checks that the file its
// step needs is in the selected source folder, starts its script beside the
// program with the folder and the name, and returns at once.
#include "RunCommands.h"

#include "RunConsole.h"
#include "platform/PathRules.h"
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
// or in the applet viewer's slot; a start that fails is told to the user,
// naming the command line and the system's reason, and false is returned.
bool Start(const CommandContext& context, const QString& commandLine, bool asRun, bool compile = false) {
    QString reason;
    if (asRun ? Console::instance()->Start(commandLine, &reason, context.folder(), compile)
              : P().startApplet(commandLine, &reason))
        return true;
    P().beep();
    P().messageBox(context.window,
                   QStringLiteral("次のコマンドを起動できませんでした。") + kLf + kLf + commandLine + kLf +
                       kLf + QStringLiteral("理由: ") + reason + kLf + kLf +
                       QStringLiteral("ﾌﾟﾛｸﾞﾗﾑのﾌｫﾙﾀﾞにﾊﾞｯﾁﾌｧｲﾙがあり、読めるかどうか確かめてください。"),
                   kErrorTitle, MsgIcon::Critical, MsgButtons::Ok);
    return false;
}

// A class in a package typed as java takes it ("jp.example.Hello"): the
// same name with its points read as folder separators, or "" when the
// name has no point, an empty part or a wildcard (a pattern is used as typed).
QString PackagePath(const QString& name) {
    if (!name.contains(u'.') || PathRules::HasWildcard(name)) return {};
    const QStringList parts = name.split(u'.');
    for (const QString& part : parts)
        if (part.isEmpty()) return {};
    return parts.join(u'/');
}

// The name the step's script gets: the name as typed when `folder/name +
// extension` passes the file test, else its package path's form when that
// passes (`asClass`: with points, as java takes a class; else as a path),
// else "" (the file is missing).
QString FoundName(const QString& folder, const QString& name, const QString& extension, bool asClass) {
    if (P().fileExists(folder + u'/' + name + extension)) return name;
    const QString path = PackagePath(name);
    if (path.isEmpty() || !P().fileExists(folder + u'/' + path + extension)) return {};
    return asClass ? QString(path).replace(u'/', u'.') : path;
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
            const QString source = FoundName(F, N, QStringLiteral(".java"), false);
            if (source.isEmpty()) {
                FileMissing(context,
                            N + QStringLiteral(".java が見つかりません。") + kLf + kLf +
                                QStringLiteral("移動または削除、もしくはパスの選択が") + kLf +
                                QStringLiteral("間違っている可能性があります。") + kLf + kLf +
                                QStringLiteral("もう一度確かめてみてください。"),
                            QStringLiteral("javaﾌｧｲﾙが見つかりません"));
                return;
            }
            const QString line =
                program + QStringLiteral("/compile.bat") + u' ' + F + u' ' + source + QStringLiteral(".java");
            // A server that ended, went silent or belongs to another JDK than
            // the javac on PATH is replaced now, for the compiles after this
            // one (this one runs javac meanwhile).
            if (S.CompileServer) P().startCompileServer();
            if (!Start(context, line, true, true)) return;
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
            if (!Start(context, line, false)) return;
            if (context.addRecent) context.addRecent();
            return;
        }
        case 2: {                            // application
            const QString N = context.name;  // N: the class name as typed
            const QString className = FoundName(F, N, QStringLiteral(".class"), true);
            if (className.isEmpty()) {
                FileMissing(context,
                            N + QStringLiteral(".class をまだ作成していません。") + kLf +
                                QStringLiteral("まず、コンパイルして作成してください。"),
                            QStringLiteral("classﾌｧｲﾙが見つかりません"));
                return;
            }
            const QString line = program + QStringLiteral("/apli.bat") + u' ' + F + u' ' + className;
            if (!Start(context, line, true)) return;
            if (context.showResult) context.showResult();
            if (context.addRecent) context.addRecent();
            return;
        }
        default:
            return;
    }
}

}  // namespace Run
