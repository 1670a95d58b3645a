// The two browser buttons: open the class's page in a configured browser.
#include "BrowserCommand.h"

#include "RunCommands.h"

#include "settings/Qlk.h"
#include "settings/UserPrograms.h"

using namespace Qlk;

namespace Run {

namespace {
const int kBrowserPage = 2;
}

void Browser(int index, const CommandContext& context) {
    const QString F = context.folder();  // F: the selected folder
    const QString B = index >= 0 && index < kBrowserCount ? S.Browser[index] : QString();  // B: the browser

    if (B.isEmpty()) {
        P().desktop().beep();
        P().desktop().messageBox(
            context.window,
            QStringLiteral("ブラウザが設定されていません。\n\n設定してからもう一度実行してください。"),
            QStringLiteral("ﾌﾞﾗｳｻﾞの設定"), MsgIcon::Exclamation, MsgButtons::Ok);
        if (context.openOptions) context.openOptions(kBrowserPage);
        return;
    }

    // A bare command name counts when the start would find it on PATH.
    if (!ProgramFound(B)) {
        const MsgResult answer = P().desktop().messageBox(
            context.window, B + QStringLiteral(" が見つかりません。\n\nもう一度設定し直してください。"),
            QStringLiteral("ﾌﾞﾗｳｻﾞが見つかりません"), MsgIcon::Exclamation, MsgButtons::OkCancel);
        if (answer == MsgResult::Ok && context.openOptions) context.openOptions(kBrowserPage);
        return;
    }

    const QString N = context.name;  // N: the class name as typed
    const QString page = F + u'/' + N + QStringLiteral(".html");
    if (!P().files().fileExists(page)) {
        P().desktop().messageBox(context.window, HtmlMissingText(N),
                                 QStringLiteral("htmlﾌｧｲﾙが見つかりません"), MsgIcon::Exclamation,
                                 MsgButtons::Ok);
        return;
    }

    // The setting is an unquoted command line (its program is found by the
    // shortest prefix that names one); the page follows as one argument,
    // whatever its folder holds.
    QString error;
    if (!StartOnFile(B, page, context.window, &error)) {
        P().desktop().messageBox(context.window, B + QStringLiteral(" を起動できませんでした。\n\n") + error,
                                 QStringLiteral("ﾌﾞﾗｳｻﾞを起動できません"), MsgIcon::Exclamation,
                                 MsgButtons::Ok);
        return;
    }
    if (context.addRecent) context.addRecent();
}

}  // namespace Run
