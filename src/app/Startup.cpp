// The steps of start-up outside the main window.
#include "Startup.h"

#include "settings/Qlk.h"
#include "sources/ShippedEditor.h"

using namespace Qlk;

namespace Startup {

bool StoreReadable() {
    const QString problems = P().store().unreadableStore();
    if (problems.isEmpty()) return true;
    P().desktop().messageBox(
        nullptr,
        QStringLiteral("設定を読めないため、Quenlark を終了します。何も書き換えていません。\n\n") + problems +
            QStringLiteral("\n\nファイルとフォルダの持ち主と権限を確かめてください "
                           "(管理者として起動したあとなど)。"),
        kErrorTitle, MsgIcon::Critical, MsgButtons::Ok);
    return false;
}

bool ClaimSingleInstance() {
    if (P().desktop().claimSingleInstance()) return true;
    P().desktop().beep();
    P().desktop().messageBox(nullptr, QStringLiteral("「Quenlark」 はすでに起動しています。"),
                             QStringLiteral("おしらせ"), MsgIcon::Information, MsgButtons::Ok);
    return false;
}

void PrepareProgramFolder() {
    // Only as the one running copy may leftovers of its own cut-short
    // writes be cleaned up.
    P().store().removeStaleTemporaryFiles();
    P().files().syncProgramFolder();
}

QString HelpFilePath(const QString& programFolder) {
    QString help = programFolder;
    if (!help.endsWith(u'/')) help += u'/';
    help += QStringLiteral("Quenlark.hlp");
    return P().files().fileExists(help) ? help : QStringLiteral("Quenlark.hlp");
}

bool SeedResultFile(const QString& programFolder, const QString& windowsFolder) {
    const QString resultFile = windowsFolder + QStringLiteral("result.txt");
    if (P().files().fileExists(resultFile)) return true;
    const QString seed = programFolder + QStringLiteral("/result.txt");
    if (!P().files().fileExists(seed)) {
        P().desktop().messageBox(nullptr,
                                 QStringLiteral("Windwosﾌｫﾙﾀﾞに 「result.txt」 を作ってください。\n\n"
                                                "このﾌｧｲﾙは結果を表示するときに使います。"),
                                 kErrorTitle, MsgIcon::Information, MsgButtons::Ok);
        return false;
    }
    // Never over a result file that turned up meanwhile.
    Files::CopyRules onlyWhenMissing;
    onlyWhenMissing.onlyWhenMissing = true;
    QString reason;
    if (P().files().copyFile(seed, resultFile, &reason, onlyWhenMissing)) return true;
    P().desktop().messageBox(nullptr,
                             QStringLiteral("「result.txt」 をコピーできませんでした。\n\nコピー元: ") +
                                 seed + QStringLiteral("\nコピー先: ") + resultFile +
                                 QStringLiteral("\n理由: ") + reason,
                             kErrorTitle, MsgIcon::Critical, MsgButtons::Ok);
    return false;
}

void SeedDefaultEditor(const QString& programFolder, const QString& windowsFolder) {
    const QString notepad = windowsFolder + QStringLiteral("notepad.exe");
    const QString notepadSeed = programFolder + QStringLiteral("/notepad.exe");
    if (!P().files().fileExists(notepadSeed)) return;
    const FileStamp copy = P().files().fileStamp(notepad);
    const bool emptied = copy.exists && copy.size == 0 && P().files().fileStamp(notepadSeed).size > 0;
    QByteArray old;
    const bool outdated = copy.exists && copy.size > 0 && copy.size < 64 * 1024 &&
                          P().files().readFile(notepad, 0, -1, &old, nullptr) &&
                          ShippedEditor::IsEarlierShippedCopy(old);
    QString reason;
    if ((!P().files().fileExists(notepad) || emptied || outdated) &&
        !P().files().copyFile(notepadSeed, notepad, &reason))
        P().desktop().messageBox(nullptr,
                                 QStringLiteral("「notepad.exe」 をコピーできませんでした。\n\nコピー元: ") +
                                     notepadSeed + QStringLiteral("\nコピー先: ") + notepad +
                                     QStringLiteral("\n理由: ") + reason,
                                 kErrorTitle, MsgIcon::Critical, MsgButtons::Ok);
}

}  // namespace Startup
