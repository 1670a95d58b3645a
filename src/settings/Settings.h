// The program's settings as one plain value: read from the store with every
// default in one place, and written back in one place by the settings
// dialog's apply.
#pragma once

#include "StoreKeys.h"

#include <QObject>
#include <QString>

namespace Qlk {

struct Settings {
    QString JavaFileFolder[kFolderCount];
    QString JavaEdit;
    QString HtmlEdit;
    QString Browser[kBrowserCount];
    QString BrowserName[kBrowserCount];
    QString HtmlExtension;
    QString RecentNumber;       // history size as count text, as stored
    bool CompileServer = true;  // the warm compile server runs behind compile.bat
};

// Reads every setting from the store; an empty one takes its default: both
// editors the "notepad.exe" in `windowsFolder`, the extension ".html", the
// history size "10", the compile server on unless it reads "False". A
// folder stored from the home folder ("~/java") is read as the path.
// `historySizeUnset` tells whether the history size was empty.
Settings LoadSettings(const QString& windowsFolder, bool* historySizeUnset = nullptr);

// A folder written from the home folder ("~" or "~/java") as the path it
// stands for; any other folder as it is ("~bob" names no folder of ours).
QString HomeExpanded(const QString& folder, const QString& home);

// What one apply changed, for those who show a setting.
struct SettingsChange {
    bool folder[kFolderCount] = {};
    bool recentNumber = false;
};

// The settings dialog's apply: writes each of its values in `edited` that
// differs from the shared settings, and the extension whenever
// `extensionChosen`, in one rewrite; the shared settings take them. Every
// apply is told through Changes(), before the rewrite.
SettingsChange SaveSettings(const Settings& edited, bool extensionChosen);

class SettingsSignals : public QObject {
    Q_OBJECT
signals:
    // After every apply, also one that changed nothing.
    void applied(const Qlk::SettingsChange& change);
};
SettingsSignals* Changes();

}  // namespace Qlk
