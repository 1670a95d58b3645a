#include "UserPrograms.h"

#include "Qlk.h"

#include <QPointer>
#include <QWidget>

namespace Qlk {

bool ProgramFound(const QString& setting) {
    return P().files().fileExists(setting) || P().programs().foundOnPath(setting);
}

QString EarlyFailureText(const QString& commandLine, ExitStatus status) {
    const QString how = status.signal != 0 ? QStringLiteral("シグナル %1").arg(status.signal)
                                           : QStringLiteral("終了コード %1").arg(status.code);
    QString text =
        QStringLiteral("次のコマンドが") + how + QStringLiteral(" で終了しました。\n") + commandLine;
    // What the program said about it, when it said anything.
    if (!status.errorOutput.isEmpty()) text += QStringLiteral("\n\n") + status.errorOutput;
    return text;
}

bool StartOnFile(const QString& setting, const QString& path, QWidget* window, QString* reason) {
    return StartWith(setting, {path}, window, reason);
}

bool StartWith(const QString& setting, const QStringList& arguments, QWidget* window, QString* reason) {
    const QString shown = setting + u' ' + arguments.join(u' ');
    QPointer<QWidget> parent(window);
    return P().programs().startWithArguments(setting, arguments, reason, [parent, shown](ExitStatus s) {
        P().desktop().messageBox(parent.data(), EarlyFailureText(shown, s), kErrorTitle, MsgIcon::Critical,
                                 MsgButtons::Ok);
    });
}

}  // namespace Qlk
