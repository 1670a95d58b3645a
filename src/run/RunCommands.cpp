// The run buttons: each checks that the file its kind needs is in the
// selected source folder, starts its script beside the program with the
// folder and the name, and returns at once.
#include "RunCommands.h"

#include "RunConsole.h"
#include "StaleClass.h"
#include "platform/PathRules.h"
#include "settings/Qlk.h"

#include <QTimer>
#include <optional>

using namespace Qlk;

namespace Run {

namespace {

const QString kLf = QStringLiteral("\n");

// Starts the command line in the kind's slot; a start that fails is told to
// the user, naming the command line and the system's reason, and false is
// returned. The console gets the notices of what was started.
bool Start(const CommandContext& context, const QString& commandLine, const Kind& row, Console& console,
           const QStringList& notices) {
    QString reason;
    if (row.slot == Slot::Run ? console.Start(commandLine, &reason, context.folder(), row.kind)
                              : P().applet().start(commandLine, &reason)) {
        if (row.slot == Slot::Run)
            console.AddNotices(notices);
        else
            console.AppletStarted(context.folder(), notices);
        return true;
    }
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

// The classes the kind runs, as paths in the folder F without extension,
// for the script's argument: the class itself, or those the page names.
QStringList ClassesRun(const Kind& row, const QString& F, const QString& argument) {
    switch (row.name) {
        case NameForm::ClassName:
            if (PathRules::HasWildcard(argument)) return {};
            return {QString(argument).replace(u'.', u'/')};
        case NameForm::Page: {
            QByteArray page;
            if (!P().files().readFile(F + u'/' + argument, 0, 1024 * 1024, &page, nullptr)) return {};
            return Stale::AppletClasses(QString::fromLatin1(page));
        }
        case NameForm::SourceFile:
            break;
    }
    return {};
}

}  // namespace

bool Execute(RunKind kind, const CommandContext& context, Console& console) {
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
        return false;
    }
    const QString line = program + u'/' + row.script + u' ' + F + u' ' + *argument;
    // A server that ended, went silent or belongs to another JDK than the
    // javac on PATH is replaced now, for the compiles after this one (this
    // one runs javac meanwhile).
    if (row.holdsCompileServer && S.CompileServer) P().compileServer().start();
    // An old class runs as the button's rules say, with a notice above its output.
    Stale::Compiles& compiles = console.Compiles();
    compiles.settle(P().run().info(), row.slot == Slot::Run);
    const QStringList notices = Stale::Notices(F, ClassesRun(row, F, *argument), compiles);
    if (!Start(context, line, row, console, notices)) return false;
    if (row.name == NameForm::SourceFile) compiles.started(F + u'/' + *argument, P().run().info().serial);
    if (row.showsResult && context.showResult) context.showResult();
    if (context.addRecent) context.addRecent();
    return true;
}

SequenceRun::SequenceRun(Console* console, QObject* parent) : QObject(parent), m_console(console) {
    connect(console, &Console::stateChanged, this, &SequenceRun::RunChanged);
}

void SequenceRun::Start(const Sequence& sequence, const CommandContext& context) {
    Drop();
    ++m_generation;
    m_rest = sequence.steps;
    m_context = context;
    Next();
}

void SequenceRun::Drop() {
    m_rest.clear();
    m_waitFor = 0;
}

void SequenceRun::Next() {
    if (m_rest.isEmpty()) return;
    const RunKind kind = m_rest.takeFirst();
    // Only a step that runs as the run can be waited for.
    if (!Execute(kind, m_context, *m_console) || KindOf(kind).slot != Slot::Run) return Drop();
    // The name went into the history with the first step.
    m_context.addRecent = nullptr;
    if (!m_rest.isEmpty()) m_waitFor = m_console->Info().serial;
}

void SequenceRun::RunChanged() {
    if (!m_waitFor) return;
    const RunInfo info = m_console->Info();
    if (info.serial != m_waitFor) return Drop();  // another run took its place
    if (info.live()) return;
    m_waitFor = 0;
    if (info.phase != RunInfo::Exited || info.exitCode != 0 || info.stopSent) return Drop();
    // The next step starts once everyone has been told that this run ended,
    // unless the run was started again or another sequence began meanwhile.
    const quint64 generation = m_generation;
    QTimer::singleShot(0, this, [this, generation, serial = info.serial] {
        const RunInfo now = m_console->Info();
        if (generation == m_generation && now.serial == serial && !now.live()) Next();
    });
}

}  // namespace Run
