// A platform for tests: the store and folders live in a temporary folder,
// message boxes are answered as the test says, and every call that reaches
// the user or starts a program is recorded.
#pragma once

#include "platform/FileRules.h"
#include "platform/IniStore.h"
#include "platform/Platform.h"
#include "run/RunConsole.h"
#include "settings/Qlk.h"

#include <QList>
#include <QQueue>
#include <QTemporaryDir>
#include <memory>

class FakePlatform : public Platform {
public:
    struct Box {
        QString text, title;
        MsgIcon icon;
        MsgButtons buttons;
        MsgResult defaultButton;  // what Enter would answer
    };
    struct Started {
        QString commandLine;  // with the extra arguments joined on, as the user would read it
        WindowStyle style;
        QStringList extraArgs = QStringList();                     // each one argument of its own
        std::function<void(ExitStatus)> onEarlyFailure = nullptr;  // set when an early failure is watched for
    };
    struct Write {
        QString section, key, value;
    };

    // The store lives in the fake's temporary folder unless a path is given.
    explicit FakePlatform(const QString& storePath = QString());
    ~FakePlatform() override;

    // Test controls.
    QString root() const { return m_dir.path(); }
    QString dataFolder;  // returned by windowsFolder(), ending in "/"
    QString programDir;  // returned by programFolder()
    QString home;        // returned by homeFolder(): "home" in the temporary folder
    ScreenMetrics metrics{15 * 1280, 15 * 1024, 15, 15};
    bool otherCopyRunning = false;
    bool storeWritable = true;
    bool startSucceeds = true;
    QStringList unreadable;                 // files whose read fails as if locked
    QQueue<MsgResult> answers;              // answers for the next boxes; Ok/Yes/first button otherwise
    QQueue<QString> chosenFiles;            // answers for the open-file dialog; "" cancels
    std::function<void(const Box&)> onBox;  // runs when a box is shown

    // What happened.
    int beeps = 0;
    QList<Box> boxes;
    QList<Started> started;
    QList<Write> writes;
    QList<bool> topmostCalls;
    QList<int> helpCalls;
    QStringList events;  // "beep", "box:<title>", "start:<line>", "write:<key>", "cleanup", in order
    int batchDepth = 0;  // open settings batches
    // How many times the store file was rewritten (or tried to be).
    int storeRewrites() const { return m_store->rewrites(); }

    // Lets started program `index` fail early, as the real platform reports
    // it: the watcher runs when there is one. False when none was set.
    bool endEarly(int index, ExitStatus status);

    // The store file, read afresh (what a restart would see).
    QString storedValue(const QString& section, const QString& key) const;
    void presetSetting(const QString& section, const QString& key, const QString& value);
    // Seeds the program folder with the shipped files from data/.
    void installProgramFiles();
    // As after a first configuration: a result file beside the program and
    // the first folder set, so start-up asks nothing.
    void seedConfigured();

    QString readSetting(const QString& section, const QString& key) override;
    bool writeSetting(const QString& section, const QString& key, const QString& value) override;
    void beginSettingsBatch() override;
    bool endSettingsBatch() override;
    void removeStaleTemporaryFiles() override;
    QString unreadableStore() override { return UnreadableStore(*m_store, dataFolder); }
    QString settingsPath() const override;
    QString lastSettingsError() const override;
    QString windowsFolder() override { return dataFolder; }
    QString programFolder() override { return programDir; }
    bool fileExists(const QString& path) override;
    QStringList fileNames(const QString& folder) override { return FileRules::FileNames(folder); }
    bool isProgramFile(const QString& path) override;
    using Platform::copyFile;
    bool copyFile(const QString& from, const QString& to, QString* error, const CopyRules& rules) override;
    FileStamp fileStamp(const QString& path) override;
    bool readFile(const QString& path, qint64 offset, qint64 maxBytes, QByteArray* data,
                  QString* error) override;
    QString shortPath(const QString& folder) override;
    bool folderExists(const QString& path) override { return FileRules::FolderExists(path); }
    bool makeFolder(const QString& path, QString* error) override;  // only inside root()
    QString homeFolder() override { return home; }
    bool startProcess(const QString& commandLine, WindowStyle style, QString* error) override;
    bool startWithArguments(const QString& commandLine, const QStringList& extraArgs, WindowStyle style,
                            QString* error, std::function<void(ExitStatus)> onEarlyFailure) override;
    bool foundOnPath(const QString& commandLine) override;
    void beep() override;
    MsgResult messageBox(QWidget* parent, const QString& text, const QString& title, MsgIcon icon,
                         MsgButtons buttons) override;
    void setTopmost(QWidget* window, bool on) override;
    void showHelp(QWidget* parent, const QString& helpFile, int context) override;
    bool claimSingleInstance() override { return !otherCopyRunning; }
    ScreenMetrics screen() override { return metrics; }
    QString openFileDialog(QWidget* parent, const QString& title) override;
    QStringList volumes() override;

    // The run, simulated. A start while a run is live sends it SIGKILL first;
    // SIGTERM ends it with 143 (as java does) unless `ignoresTerm`; SIGKILL
    // ends it by the signal. The test ends it with endRun/killRun.
    bool startRun(const QString& commandLine, QString* error) override;
    RunInfo runInfo() override { return run; }
    qint64 readRunFileLimit() override { return run.fileLimit; }
    RunInput runInputRoom(qint64 bytes) override {
        return !run.inputOpen ? RunInput::Closed : bytes > inputRoom ? RunInput::Full : RunInput::Takes;
    }
    bool writeRunInput(const QByteArray& data) override;
    qint64 inputRoom = kRunInputBacklog;  // what the run's input takes now
    void closeRunInput() override;
    void signalRun(int signal) override;
    bool runGroupAlive() override { return run.live() || groupLingers; }
    // What the test says the run does now.
    RunActivity runActivity() override { return run.live() ? activity : RunActivity(); }
    RunActivity activity;
    void setRunListener(std::function<void()> changed) override { runListener = std::move(changed); }
    bool appendToFile(const QString& path, const QByteArray& data, QString* error) override;
    qint64 monotonicMs() override { return clockMs; }
    void startCompileServer() override { ++compileServerStarts; }
    void stopCompileServer() override { ++compileServerStops; }
    void holdCompileServer(bool hold) override { compileServerHeld = hold; }
    void endRun(int exitCode);
    void killRun(int signal);
    // The applet viewer's slot: recorded among the started programs (hidden).
    bool startApplet(const QString& commandLine, QString* error) override;
    void stopApplet() override;
    int appletStops = 0;

    RunInfo run;
    bool ignoresTerm = false;
    bool groupLingers = false;  // something of the group outlives its script
    qint64 clockMs = 100000;
    QList<int> runSignals;
    int compileServerStarts = 0;
    int compileServerStops = 0;
    bool compileServerHeld = false;
    QByteArray runInput;
    std::function<void()> runListener;

    QStringList dialogTitles;
    QStringList volumeList{QStringLiteral("/")};

private:
    QTemporaryDir m_dir;
    std::unique_ptr<IniStore> m_store;
    bool m_batchFailed = false;  // a write in the open batch met an unwritable store
    QList<Write> m_unsaved;      // written while the store was unwritable, in order
};

// Installs a fresh fake as the program's platform and resets the shared
// settings; removes it again when it goes out of scope.
class FakeScope {
public:
    FakeScope();
    ~FakeScope();
    FakePlatform* operator->() { return fake.get(); }
    FakePlatform& operator*() { return *fake; }
    std::unique_ptr<FakePlatform> fake;

private:
    Qlk::PlatformScope m_installed;
    Run::ConsoleScope m_console;  // ends first, while the fake is installed
};
