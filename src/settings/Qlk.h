// Shared procedures and the shared in-memory settings of Quenlark.
#pragma once

#include "Settings.h"
#include "StoreKeys.h"
#include "platform/Platform.h"
#include "widgets/SharedTexts.h"

#include <QString>
#include <QStringList>
#include <functional>

class QAction;
class QObject;
class QWidget;

namespace Qlk {

// What the program finds or keeps while it runs, besides its settings: set
// by start-up (the stamp also by the result window) and kept for the whole
// run, across result windows and settings dialogs.
struct RunTimeValues {
    QString WindowsFolder;     // the data folder, always ending in "/"
    FileStamp ResultFileTime;  // result.txt as last shown
    QString HelpFilePath;
};

// The settings every command reads while the program runs, with the history
// slots and the run-time values beside them. One instance, filled at
// start-up and changed by the settings dialog's apply.
struct SharedSettings : Settings, RunTimeValues {
    QStringList Recent;  // history slots, slot 0 newest
};

extern SharedSettings S;

// The platform in use; the program installs the real one, tests a fake.
Platform& P();
void SetPlatform(Platform* platform);

// Installs a platform for as long as it lives and puts back the one before
// on every way out, so that nothing is left pointing at a platform that is
// gone: main and every test install theirs through one.
class PlatformScope {
public:
    explicit PlatformScope(Platform& platform);
    ~PlatformScope();
    PlatformScope(const PlatformScope&) = delete;
    PlatformScope& operator=(const PlatformScope&) = delete;

private:
    Platform* m_previous;
};

inline const QString kNotSet = QStringLiteral("設定ナシ");

// Store access, always for the application "Quenlark". A write that cannot
// reach the disk is reported to the user once per run; the program goes on
// with the value in memory.
QString ReadSetting(const QString& section, const QString& key);
void WriteSetting(const QString& section, const QString& key, const QString& value);
void ResetWriteFailureNotice();

// Writes made while a batch lives wait in memory and reach the disk in one
// atomic rewrite when the outermost batch ends, so a handler that writes
// several keys costs one rewrite, still before it returns. A failed rewrite
// is reported like a failed write.
class SettingsBatch {
public:
    SettingsBatch();
    ~SettingsBatch();
    SettingsBatch(const SettingsBatch&) = delete;
    SettingsBatch& operator=(const SettingsBatch&) = delete;
};

// Value forms of the store.
double Val(QStringView text);            // leading number: "12abc" 12, " 3.5" 3.5, "abc" 0
QString NumberText(double value);        // general number format of a single: 1440, 1718.4
QString IndexText(int index);            // " 0", " 1"; "-1" for negatives
QString FlagText(bool on);               // "True" / "False"
int CountValue(QStringView text);        // number text rounded (ties to even) into 16 bits
int ClampRecentCount(QStringView text);  // the history size, 0 to 99

// Menu items whose check mark is the state itself: `handler` runs when the
// item is chosen and reads the mark as it stood before the click.
void ConnectCheckMark(QAction* item, QObject* receiver, std::function<void()> handler);
// The always-on-top toggle of a window whose state is the mark of `mnuBefore`:
// releases a window kept above and clears the mark, or the reverse.
void ToggleTopmost(QWidget* window, QAction* mnuBefore);

// The tooltip of a browser button: its name, else its path, else "設定ナシ".
QString BrowserTooltip(int index);

}  // namespace Qlk
