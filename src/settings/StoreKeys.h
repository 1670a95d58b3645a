// Every key the program keeps in its store, each with its section, and the
// counts of the numbered ones. The reader and the writer of a key both use
// the name given here.
#pragma once

#include <QList>
#include <QString>

namespace Qlk {

// The sections of the store.
inline const QString kSetting = QStringLiteral("setting");
inline const QString kRecent = QStringLiteral("recent");

// Numbered settings: the folder buttons, the browser buttons, and the most
// history slots the size setting allows.
inline constexpr int kFolderCount = 3;
inline constexpr int kBrowserCount = 2;
inline constexpr int kMaxRecentCount = 99;

namespace Key {

// In section "setting": the settings dialog's values.
inline QString JavaFileFolder(int index) { return QStringLiteral("JavaFileFolder%1").arg(index); }
inline const QString JavaEdit = QStringLiteral("JavaEdit");
inline const QString HtmlEdit = QStringLiteral("HtmlEdit");
inline QString Browser(int index) { return QStringLiteral("Browser%1").arg(index); }
inline QString BrowserName(int index) { return QStringLiteral("BrowserName%1").arg(index); }
inline const QString Html = QStringLiteral("Html");

// In section "setting", set by hand only (not in the settings dialog):
// "False" keeps the warm compile server off, so compile.bat runs javac.
inline const QString CompileServer = QStringLiteral("CompileServer");

// In section "setting": the main window's state.
inline const QString FormBefore = QStringLiteral("FormBefore");
inline const QString SelectedFolder = QStringLiteral("SelectedFolder");
inline const QString ShowBrowser = QStringLiteral("ShowBrowser");
inline const QString ShowPath = QStringLiteral("ShowPath");
inline const QString MainLeft = QStringLiteral("frmExectionLeft");
inline const QString MainTop = QStringLiteral("frmExectionTop");

// In section "setting": the result window's state.
inline const QString ResultTop = QStringLiteral("ResultTop");
inline const QString ResultLeft = QStringLiteral("ResultLeft");
inline const QString ResultHeight = QStringLiteral("ResultHeight");
inline const QString ResultWidth = QStringLiteral("ResultWidth");
inline const QString ResultFormBefore = QStringLiteral("ResultFormBefore");

// In section "recent": the history size and its slots, slot 0 newest.
inline const QString RecentNumber = QStringLiteral("Number");
inline QString RecentSlot(int index) { return QString::number(index); }

}  // namespace Key

struct StoreKey {
    QString section, key;
    bool operator==(const StoreKey&) const = default;
};

// The whole table: every key above in its section, numbered keys spelled
// out for each number.
inline QList<StoreKey> AllStoreKeys() {
    QList<StoreKey> keys;
    for (int i = 0; i < kFolderCount; ++i) keys << StoreKey{kSetting, Key::JavaFileFolder(i)};
    keys << StoreKey{kSetting, Key::JavaEdit} << StoreKey{kSetting, Key::HtmlEdit};
    for (int j = 0; j < kBrowserCount; ++j)
        keys << StoreKey{kSetting, Key::Browser(j)} << StoreKey{kSetting, Key::BrowserName(j)};
    for (const QString& key : {Key::Html, Key::CompileServer, Key::FormBefore, Key::SelectedFolder,
                               Key::ShowBrowser, Key::ShowPath, Key::MainLeft, Key::MainTop, Key::ResultTop,
                               Key::ResultLeft, Key::ResultHeight, Key::ResultWidth, Key::ResultFormBefore})
        keys << StoreKey{kSetting, key};
    keys << StoreKey{kRecent, Key::RecentNumber};
    for (int i = 0; i < kMaxRecentCount; ++i) keys << StoreKey{kRecent, Key::RecentSlot(i)};
    return keys;
}

}  // namespace Qlk
