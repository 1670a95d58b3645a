// The real platform: Qt and POSIX on a Linux desktop.
#pragma once

#include "IniStore.h"
#include "Platform.h"

#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <memory>

class HelpWindow;
class RunProcess;
class QTimer;

class QtPlatform : public Platform {
public:
    QtPlatform();
    ~QtPlatform() override;

    QString readSetting(const QString& section, const QString& key) override;
    bool writeSetting(const QString& section, const QString& key, const QString& value) override;
    void beginSettingsBatch() override;
    bool endSettingsBatch() override;
    void removeStaleTemporaryFiles() override;
    QString settingsPath() const override;
    QString lastSettingsError() const override;

    QString windowsFolder() override;
    QString programFolder() override;

    bool fileExists(const QString& path) override;
    using Platform::copyFile;
    bool copyFile(const QString& from, const QString& to, QString* error, const CopyRules& rules) override;
    FileStamp fileStamp(const QString& path) override;
    bool readFile(const QString& path, qint64 offset, qint64 maxBytes, QByteArray* data,
                  QString* error) override;
    QString shortPath(const QString& folder) override;

    bool startProcess(const QString& commandLine, WindowStyle style, QString* error) override;
    bool startWithArguments(const QString& commandLine, const QStringList& extraArgs, WindowStyle style,
                            QString* error, std::function<void(ExitStatus)> onEarlyFailure) override;
    bool foundOnPath(const QString& commandLine) override;

    void beep() override;
    MsgResult messageBox(QWidget* parent, const QString& text, const QString& title, MsgIcon icon,
                         MsgButtons buttons) override;
    void setTopmost(QWidget* window, bool on) override;
    void showHelp(QWidget* parent, const QString& helpFile, int context) override;
    bool claimSingleInstance() override;
    ScreenMetrics screen() override;
    QString openFileDialog(QWidget* parent, const QString& title) override;
    QStringList volumes() override;

    // The run (QtPlatformRun.cpp).
    bool startRun(const QString& commandLine, QString* error) override;
    RunInfo runInfo() override;
    bool writeRunInput(const QByteArray& data) override;
    void closeRunInput() override;
    void signalRun(int signal) override;
    bool runGroupAlive() override;
    void setRunListener(std::function<void()> changed) override;
    bool appendToFile(const QString& path, const QByteArray& data, QString* error) override;
    qint64 monotonicMs() override;

    // The file rules on their own, shared with tests that run on real files.
    static bool fileTest(const QString& path);
    static FileStamp stampOf(const QString& path);
    static bool readRange(const QString& path, qint64 offset, qint64 maxBytes, QByteArray* data,
                          QString* error);
    static bool copyReplacing(const QString& from, const QString& to, QString* error,
                              const CopyRules& rules = CopyRules());
    // Space-free alias of `folder` inside `aliasRoot` (created 0700).
    static QString aliasFor(const QString& folder, const QString& aliasRoot);
    // Program and arguments of an unquoted command line, as it would start.
    static bool resolveCommand(const QString& commandLine, QString* program, QStringList* args,
                               QString* error);
    // True when the shortest prefix of the command line that names a program
    // is a bare name found on PATH.
    static bool programOnPath(const QString& commandLine);

    // Starts a program detached from the terminal and the program's own
    // process group; the caller reaps it.
    static bool spawnDetached(const QString& program, const QStringList& args, qint64* pid, QString* error);

private:
    QString aliasRoot();
    void reapWhenDone(qint64 pid, std::function<void(ExitStatus)> onEarlyFailure = {});
    void ended(int waitStatus, qint64 startedAtMs, const std::function<void(ExitStatus)>& onEarlyFailure);

    std::unique_ptr<IniStore> m_store;
    std::unique_ptr<QLockFile> m_lock;
    QPointer<HelpWindow> m_help;
    QString m_dataFolder;
    QString m_programFolder;
    std::unique_ptr<QObject> m_children;  // owns what waits for started programs
    struct Running {
        qint64 pid;
        qint64 startedAtMs;
        std::function<void(ExitStatus)> onEarlyFailure;
    };
    QList<Running> m_running;
    QTimer* m_reaper = nullptr;
    QString m_tempAliasRoot;  // made with an unpredictable name, removed at exit
    std::unique_ptr<RunProcess> m_run;
    std::function<void()> m_runListener;
};

// Without a usable $XDG_RUNTIME_DIR, Qt would make one under a predictable
// name in the shared /tmp; this points it at a private folder inside the
// user's data folder instead. It first keeps the environment as the program
// received it (see startEnvironment). Call before the application object
// exists.
void ensurePrivateRuntimeDir();

// The environment the program was started with, for the programs it starts:
// the one kept by ensurePrivateRuntimeDir, else the current one.
char** startEnvironment();

// The user's runtime folder as the program received it: $XDG_RUNTIME_DIR when
// it was set and usable, else "". A folder made up at start-up is not one.
QString userRuntimeFolder();

// The folder for private run-time files: the user's runtime folder, else the
// data folder. Never a shared temporary folder.
QString privateRuntimeFolder(const QString& dataFolder);
