// The real platform: Qt and POSIX on a Linux desktop.
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

class QtPlatform : public Platform {
public:
    QtPlatform();
    ~QtPlatform() override;

    QString readSetting(const QString& section, const QString& key) override;
    bool writeSetting(const QString& section, const QString& key, const QString& value) override;
    void beginSettingsBatch() override;
    bool endSettingsBatch() override;
    void removeStaleTemporaryFiles() override;
    QString unreadableStore() override;
    QString settingsPath() const override;
    // Rewrites of the store file so far (for the store benchmark).
    int settingsRewrites() const { return m_store->rewrites(); }
    QString lastSettingsError() const override;

    QString windowsFolder() override;
    QString programFolder() override;
    void syncProgramFolder() override;

    bool fileExists(const QString& path) override;
    QStringList fileNames(const QString& folder) override;
    bool isProgramFile(const QString& path) override;
    using Platform::copyFile;
    bool copyFile(const QString& from, const QString& to, QString* error, const CopyRules& rules) override;
    FileStamp fileStamp(const QString& path) override;
    bool readFile(const QString& path, qint64 offset, qint64 maxBytes, QByteArray* data,
                  QString* error) override;
    QString shortPath(const QString& folder) override;
    bool folderExists(const QString& path) override;
    bool makeFolder(const QString& path, QString* error) override;
    QString homeFolder() override;

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
    qint64 readRunFileLimit() override;
    RunInput runInputRoom(qint64 bytes) override;
    bool writeRunInput(const QByteArray& data) override;
    void closeRunInput() override;
    void signalRun(int signal) override;
    bool runGroupAlive() override;
    RunActivity runActivity() override;
    void setRunListener(std::function<void()> changed) override;
    bool appendToFile(const QString& path, const QByteArray& data, QString* error) override;
    qint64 monotonicMs() override;
    bool startApplet(const QString& commandLine, QString* error) override;
    void stopApplet() override;
    void startCompileServer() override;
    void stopCompileServer() override;
    void holdCompileServer(bool hold) override;

private:
    QString aliasRoot();
    void ended(int waitStatus, qint64 startedAtMs, const QString& errorOutput,
               const std::function<void(ExitStatus)>& onEarlyFailure);

    std::unique_ptr<IniStore> m_store;
    std::unique_ptr<QLockFile> m_lock;
    QPointer<HelpWindow> m_help;
    QString m_dataFolder;
    QString m_programFolder;
    std::unique_ptr<QObject> m_children;  // owns what waits for started programs
    QString m_tempAliasRoot;              // made with an unpredictable name, removed at exit
    std::unique_ptr<RunProcess> m_run;
    std::unique_ptr<RunProcess> m_applet;      // the applet viewer, ended with Quenlark
    std::unique_ptr<BrowseRequests> m_browse;  // the pages the viewer asks to show
    std::function<void()> m_runListener;
    std::unique_ptr<CompileServer> m_compileServer;
};
