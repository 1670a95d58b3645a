// Loading the settings with their defaults, and saving what the settings
// dialog applies.
#include "Settings.h"

#include "Qlk.h"

namespace Qlk {

Settings LoadSettings(const QString& windowsFolder, bool* historySizeUnset) {
    Settings s;
    auto read = [](const QString& section, const QString& key, const QString& empty = QString()) {
        const QString value = ReadSetting(section, key);
        return value.isEmpty() ? empty : value;
    };
    const QString notepad = windowsFolder + QStringLiteral("notepad.exe");
    const QString home = P().files().homeFolder();
    for (int i = 0; i < kFolderCount; ++i)
        s.JavaFileFolder[i] = HomeExpanded(read(kSetting, Key::JavaFileFolder(i)), home);
    s.JavaEdit = read(kSetting, Key::JavaEdit, notepad);
    s.HtmlEdit = read(kSetting, Key::HtmlEdit, notepad);
    for (int j = 0; j < kBrowserCount; ++j) s.Browser[j] = read(kSetting, Key::Browser(j));
    for (int j = 0; j < kBrowserCount; ++j) s.BrowserName[j] = read(kSetting, Key::BrowserName(j));
    s.RecentNumber = read(kRecent, Key::RecentNumber);
    if (historySizeUnset) *historySizeUnset = s.RecentNumber.isEmpty();
    if (s.RecentNumber.isEmpty()) s.RecentNumber = QStringLiteral("10");
    s.HtmlExtension = read(kSetting, Key::Html, QStringLiteral(".html"));
    s.CompileServer = read(kSetting, Key::CompileServer) != QStringLiteral("False");
    return s;
}

QString HomeExpanded(const QString& folder, const QString& home) {
    if (folder == u"~") return home;
    if (!folder.startsWith(QStringLiteral("~/"))) return folder;
    // "~/" alone is the home folder itself, written as a folder.
    return (home.endsWith(u'/') ? home.chopped(1) : home) + folder.mid(1);
}

SettingsChange SaveSettings(const Settings& edited, bool extensionChosen) {
    const SettingsBatch batch;  // everything in one rewrite
    // Writes a value that differs from the shared one; true when it did.
    auto save = [](const QString& value, QString& shared, const QString& section, const QString& key) {
        if (value == shared) return false;
        shared = value;
        WriteSetting(section, key, value);
        return true;
    };
    SettingsChange change;
    for (int i = 0; i < kFolderCount; ++i)
        change.folder[i] =
            save(edited.JavaFileFolder[i], S.JavaFileFolder[i], kSetting, Key::JavaFileFolder(i));
    save(edited.JavaEdit, S.JavaEdit, kSetting, Key::JavaEdit);
    save(edited.HtmlEdit, S.HtmlEdit, kSetting, Key::HtmlEdit);
    for (int j = 0; j < kBrowserCount; ++j) save(edited.Browser[j], S.Browser[j], kSetting, Key::Browser(j));
    for (int j = 0; j < kBrowserCount; ++j)
        save(edited.BrowserName[j], S.BrowserName[j], kSetting, Key::BrowserName(j));
    change.recentNumber = save(edited.RecentNumber, S.RecentNumber, kRecent, Key::RecentNumber);
    // The extension, on every apply once the user chose the other one.
    if (extensionChosen) {
        S.HtmlExtension = edited.HtmlExtension;
        WriteSetting(kSetting, Key::Html, S.HtmlExtension);
    }
    emit Changes()->applied(change);
    return change;
}

SettingsSignals* Changes() {
    static SettingsSignals hub;
    return &hub;
}

}  // namespace Qlk
