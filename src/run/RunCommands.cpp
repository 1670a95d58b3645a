// The run buttons: each checks that the file its kind needs is in the
// selected source folder, starts its script beside the program with the
// folder and the name, and returns at once.
#include "RunCommands.h"

#include "RunConsole.h"
#include "platform/PathRules.h"
#include "settings/Qlk.h"

#include <optional>

using namespace Qlk;

namespace Run {

namespace {

const QString kLf = QStringLiteral("\n");

// Starts the command line in the kind's slot; a start that fails is told to
// the user, naming the command line and the system's reason, and false is
// returned.
bool Start(const CommandContext& context, const QString& commandLine, const Kind& row, Console& console) {
    QString reason;
    if (row.slot == Slot::Run ? console.Start(commandLine, &reason, context.folder(), row.kind)
                              : P().applet().start(commandLine, &reason))
        return true;
    P().desktop().beep();
    P().desktop().messageBox(
        context.window,
        QStringLiteral("次のコマンドを起動できませんでした。") + kLf + kLf + commandLine + kLf + kLf +
            QStringLiteral("理由: ") + reason + kLf + kLf +
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

// The name as typed when `folder/name + extension` passes the file test,
// else its package path's form when that passes (`asClass`: with points, as
// java takes a class; else as a path); nothing when the file is missing.
std::optional<QString> FoundName(const QString& folder, const QString& name, const QString& extension,
                                 bool asClass) {
    if (P().files().fileExists(folder + u'/' + name + extension)) return name;
    const QString path = PackagePath(name);
    if (path.isEmpty() || !P().files().fileExists(folder + u'/' + path + extension)) return std::nullopt;
    return asClass ? QString(path).replace(u'/', u'.') : path;
}

// What the kind's script gets after the folder F for the name N, or nothing
// when the file the kind tests is missing.
std::optional<QString> ScriptArgument(const Kind& row, const QString& F, const QString& N) {
    switch (row.name) {
        case NameForm::SourceFile:
            if (const auto source = FoundName(F, N, row.tested, false)) return *source + row.tested;
            return std::nullopt;
        case NameForm::Page:
            if (!P().files().fileExists(F + u'/' + N + row.tested)) return std::nullopt;
            return N + S.HtmlExtension;
        case NameForm::ClassName:
            return FoundName(F, N, row.tested, true);
    }
    return std::nullopt;
}

}  // namespace

void Execute(RunKind kind, const CommandContext& context, Console& console) {
    const Kind& row = KindOf(kind);
    // Folder of the first selected folder button, then its space-free form;
    // the folder as stored is not used again.
    const QString F = P().files().shortPath(context.folder());  // F: the folder, space-free
    const QString program = P().files().programFolder();
    const QString N = context.name;  // N: the class name as typed

    const std::optional<QString> argument = ScriptArgument(row, F, N);
    if (!argument) {
        P().desktop().beep();
        P().desktop().messageBox(context.window, row.missingText(N), row.missingTitle, MsgIcon::Exclamation,
                                 MsgButtons::Ok);
        return;
    }
    const QString line = program + u'/' + row.script + u' ' + F + u' ' + *argument;
    // A server that ended, went silent or belongs to another JDK than the
    // javac on PATH is replaced now, for the compiles after this one (this
    // one runs javac meanwhile).
    if (row.holdsCompileServer && S.CompileServer) P().compileServer().start();
    if (!Start(context, line, row, console)) return;
    if (row.showsResult && context.showResult) context.showResult();
    if (context.addRecent) context.addRecent();
}

}  // namespace Run
