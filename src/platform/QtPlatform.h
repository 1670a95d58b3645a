// The real platform: Qt and POSIX on a Linux desktop, one object per role,
// each reaching the others through the owner it was made by.
#pragma once

#include "IniStore.h"
#include "Platform.h"

#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <memory>

class BrowseRequests;
class CompileServer;
class HelpWindow;
class RunProcess;

class QtStore : public SettingsStore {
public:
    explicit QtStore(Platform& owner);
    QString readSetting(const QString& section, const QString& key) override;
    bool writeSetting(const QString& section, const QString& key, const QString& value) override;
    void beginSettingsBatch() override;
    bool endSettingsBatch() override;
    void removeStaleTemporaryFiles() override;
    QString unreadableStore() override;
    QString settingsPath() const override;
    QString lastSettingsError() const override;
    // Rewrites of the store file so far (for the store benchmark).
    int rewrites() const { return m_store->rewrites(); }

private:
    Platform& m_owner;
    std::unique_ptr<IniStore> m_store;
};

class QtFiles : public Files {
public:
    explicit QtFiles(Platform& owner);
    ~QtFiles() override;
    QString windowsFolder() override;
    QString programFolder() override;
    void syncProgramFolder() override;
    bool fileExists(const QString& path) override;
    QStringList fileNames(const QString& folder) override;
    bool isProgramFile(const QString& path) override;
    using Files::copyFile;
    bool copyFile(const QString& from, const QString& to, QString* error, const CopyRules& rules) override;
    FileStamp fileStamp(const QString& path) override;
    bool readFile(const QString& path, qint64 offset, qint64 maxBytes, QByteArray* data,
                  QString* error) override;
    QString shortPath(const QString& folder) override;
    bool folderExists(const QString& path) override;
    bool makeFolder(const QString& path, QString* error) override;
    QString homeFolder() override;
    bool appendToFile(const QString& path, const QByteArray& data, QString* error) override;
    QStringList volumes() override;

private:
    QString aliasRoot();

    Platform& m_owner;
    QString m_dataFolder;
    QString m_programFolder;
    QString m_tempAliasRoot;  // made with an unpredictable name, removed at exit
};

class QtDesktop : public Desktop {
public:
    explicit QtDesktop(Platform& owner);
    ~QtDesktop() override;
    void beep() override;
    MsgResult messageBox(QWidget* parent, const QString& text, const QString& title, MsgIcon icon,
                         MsgButtons buttons) override;
    void setTopmost(QWidget* window, bool on) override;
    void showHelp(QWidget* parent, const QString& helpFile, int context) override;
    bool claimSingleInstance() override;
    ScreenMetrics screen() override;
    QString openFileDialog(QWidget* parent, const QString& title) override;

private:
    Platform& m_owner;
    std::unique_ptr<QLockFile> m_lock;
    QPointer<HelpWindow> m_help;
};

class QtPrograms : public Programs {
public:
    QtPrograms();
    ~QtPrograms() override;
    bool startWithArguments(const QString& commandLine, const QStringList& extraArgs, QString* error,
                            std::function<void(ExitStatus)> onEarlyFailure) override;
    bool foundOnPath(const QString& commandLine) override;
    qint64 monotonicMs() override;

private:
    void ended(int waitStatus, qint64 startedAtMs, const QString& errorOutput,
               const std::function<void(ExitStatus)>& onEarlyFailure);

    std::unique_ptr<QObject> m_children;  // owns what waits for started programs
};

// A contained slot over a RunProcess, made on its first start
// (QtPlatformRun.cpp).
class QtRunSlot : public RunSlot {
public:
    QtRunSlot();
    ~QtRunSlot() override;
    bool start(const QString& commandLine, QString* error) override;
    RunInfo info() override;
    qint64 readFileLimit() override;
    RunInput inputRoom(qint64 bytes) override;
    bool write(const QByteArray& data) override;
    void closeInput() override;
    void signal(int signal) override;
    void stop(int graceMs) override;
    bool alive() override;
    RunActivity activity() override;

protected:
    std::unique_ptr<RunProcess> m_run;
};

// The applet viewer's slot: its input ends at once, and the pages the viewer
// asks to show are opened by Quenlark in the desktop's browser.
class QtAppletSlot : public QtRunSlot {
public:
    explicit QtAppletSlot(Platform& owner);
    ~QtAppletSlot() override;
    bool start(const QString& commandLine, QString* error) override;

private:
    Platform& m_owner;
    std::unique_ptr<BrowseRequests> m_browse;
};

class QtCompileServerKeeper : public CompileServerKeeper {
public:
    explicit QtCompileServerKeeper(Platform& owner);
    ~QtCompileServerKeeper() override;
    void start() override;
    void stop() override;
    void hold(bool hold) override;

private:
    Platform& m_owner;
    std::unique_ptr<CompileServer> m_server;
};

class QtPlatform : public Platform {
public:
    QtPlatform();
    ~QtPlatform() override;
    SettingsStore& store() override { return m_store; }
    Files& files() override { return m_files; }
    Desktop& desktop() override { return m_desktop; }
    Programs& programs() override { return m_programs; }
    RunSlot& run() override { return m_run; }
    RunSlot& applet() override { return m_applet; }
    CompileServerKeeper& compileServer() override { return m_compileServer; }
    // Rewrites of the store file so far (for the store benchmark).
    int settingsRewrites() const { return m_store.rewrites(); }

private:
    // Ended in the reverse order: the compile server first, the store last.
    QtStore m_store{*this};
    QtFiles m_files{*this};
    QtDesktop m_desktop{*this};
    QtPrograms m_programs;
    QtRunSlot m_run;
    QtAppletSlot m_applet{*this};  // the applet viewer, ended with Quenlark
    QtCompileServerKeeper m_compileServer{*this};
};
