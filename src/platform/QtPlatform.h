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
    QString settingsPath() const override;
    QString lastSettingsError() const override;

    QString windowsFolder() override;
    QString programFolder() override;

    bool fileExists(const QString& path) override;
    bool copyFile(const QString& from, const QString& to, QString* error) override;
    FileStamp fileStamp(const QString& path) override;
    bool readFile(const QString& path, qint64 offset, qint64 maxBytes, QByteArray* data,
                  QString* error) override;
    QString shortPath(const QString& folder) override;

    bool startProcess(const QString& commandLine, WindowStyle style, QString* error) override;

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
    static bool copyReplacing(const QString& from, const QString& to, QString* error);
    // Space-free alias of `folder` inside `aliasRoot` (created 0700).
    static QString aliasFor(const QString& folder, const QString& aliasRoot);
    // Program and arguments of an unquoted command line, as it would start.
    static bool resolveCommand(const QString& commandLine, QString* program, QStringList* args,
                               QString* error);

    // Starts a program detached from the terminal and the program's own
    // process group; the caller reaps it.
    static bool spawnDetached(const QString& program, const QStringList& args, qint64* pid, QString* error);

private:
    QString aliasRoot();
    void reapWhenDone(qint64 pid);

    std::unique_ptr<IniStore> m_store;
    std::unique_ptr<QLockFile> m_lock;
    QPointer<HelpWindow> m_help;
    QString m_dataFolder;
    std::unique_ptr<QObject> m_children;  // owns what waits for started programs
    QList<qint64> m_running;
    QTimer* m_reaper = nullptr;
    std::unique_ptr<RunProcess> m_run;
    std::function<void()> m_runListener;
};

// Without a usable $XDG_RUNTIME_DIR, Qt would make one under a predictable
// name in the shared /tmp; this points it at a private folder inside the
// user's data folder instead. Call before the application object exists.
void ensurePrivateRuntimeDir();

// The folder for private run-time files: $XDG_RUNTIME_DIR when it is set and
// usable, else the data folder. Never a shared temporary folder.
QString privateRuntimeFolder(const QString& dataFolder);
