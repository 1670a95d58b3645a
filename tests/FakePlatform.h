// A platform for tests, one fake per role: the store and folders live in a
// temporary folder, message boxes are answered as the test says, and every
// call that reaches the user or starts a program is recorded in the one
// FakePlatform that owns the roles.
#pragma once

#include "platform/FileRules.h"
#include "platform/IniStore.h"
#include "platform/Platform.h"
#include "run/RunConsole.h"
#include "settings/Qlk.h"

#include <QList>
#include <QQueue>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

class FakePlatform;

class FakeStore : public SettingsStore {
public:
    explicit FakeStore(FakePlatform& fake) : f(fake) {}
    QString readSetting(const QString& section, const QString& key) override;
    bool writeSetting(const QString& section, const QString& key, const QString& value) override;
    void beginSettingsBatch() override;
    bool endSettingsBatch() override;
    void removeStaleTemporaryFiles() override;
    QString unreadableStore() override;
    QString settingsPath() const override;
    QString lastSettingsError() const override;

private:
    FakePlatform& f;
};

class FakeFiles : public Files {
public:
    explicit FakeFiles(FakePlatform& fake) : f(fake) {}
    QString windowsFolder() override;
    QString programFolder() override;
    bool fileExists(const QString& path) override;
    QStringList fileNames(const QString& folder) override { return FileRules::FileNames(folder); }
    bool isProgramFile(const QString& path) override;
    using Files::copyFile;
    bool copyFile(const QString& from, const QString& to, QString* error, const CopyRules& rules) override;
    FileStamp fileStamp(const QString& path) override;
    bool readFile(const QString& path, qint64 offset, qint64 maxBytes, QByteArray* data,
                  QString* error) override;
    QString shortPath(const QString& folder) override;
    bool folderExists(const QString& path) override { return FileRules::FolderExists(path); }
    bool makeFolder(const QString& path, QString* error) override;  // only inside root()
    QString homeFolder() override;
    bool appendToFile(const QString& path, const QByteArray& data, QString* error) override;
    QStringList volumes() override;

protected:
    FakePlatform& f;
};

class FakeDesktop : public Desktop {
public:
    explicit FakeDesktop(FakePlatform& fake) : f(fake) {}
    void beep() override;
    MsgResult messageBox(QWidget* parent, const QString& text, const QString& title, MsgIcon icon,
                         MsgButtons buttons) override;
    void setTopmost(QWidget* window, bool on) override;
    void showHelp(QWidget* parent, const QString& helpFile, int context) override;
    bool claimSingleInstance() override;
    ScreenMetrics screen() override;
    QString openFileDialog(QWidget* parent, const QString& title) override;

private:
    FakePlatform& f;
};

class FakePrograms : public Programs {
public:
    explicit FakePrograms(FakePlatform& fake) : f(fake) {}
    bool startWithArguments(const QString& commandLine, const QStringList& extraArgs, QString* error,
                            std::function<void(ExitStatus)> onEarlyFailure) override;
    bool foundOnPath(const QString& commandLine) override;
    qint64 monotonicMs() override;

private:
    FakePlatform& f;
};

// The run, simulated. A start while a run is live sends it SIGKILL first;
// SIGTERM ends it with 143 (as java does) unless `ignoresTerm`; SIGKILL
// ends it by the signal. The test ends it with endRun/killRun.
class FakeRun : public RunSlot {
public:
    explicit FakeRun(FakePlatform& fake);
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

private:
    FakePlatform& f;
    QTimer m_grace;
};

// The applet viewer's slot: its starts are recorded among the started
// programs, its stops counted.
class FakeApplet : public RunSlot {
public:
    explicit FakeApplet(FakePlatform& fake) : f(fake) {}
    bool start(const QString& commandLine, QString* error) override;
    RunInfo info() override { return RunInfo(); }
    qint64 readFileLimit() override { return -1; }
    RunInput inputRoom(qint64) override { return RunInput::Closed; }
    bool write(const QByteArray&) override { return false; }
    void closeInput() override {}
    void signal(int) override {}
    void stop(int graceMs) override;
    bool alive() override { return false; }
    RunActivity activity() override { return RunActivity(); }

private:
    FakePlatform& f;
};

class FakeCompileServer : public CompileServerKeeper {
public:
    explicit FakeCompileServer(FakePlatform& fake) : f(fake) {}
    void start() override;
    void stop() override;
    void hold(bool hold) override;

private:
    FakePlatform& f;
};

class FakePlatform : public Platform {
public:
    struct Box {
        QString text, title;
        MsgIcon icon;
        MsgButtons buttons;
        MsgResult defaultButton;  // what Enter would answer
    };
    struct Started {
        // Which role started it: a program the user works in, the run, or
        // the applet viewer.
        enum Via { Program, Run, Applet };
        QString commandLine;  // with the extra arguments joined on, as the user would read it
        Via via;
        QStringList extraArgs = QStringList();                     // each one argument of its own
        std::function<void(ExitStatus)> onEarlyFailure = nullptr;  // set when an early failure is watched for
    };
    struct Write {
        QString section, key, value;
    };

    // The store lives in the fake's temporary folder unless a path is given.
    explicit FakePlatform(const QString& storePath = QString());
    ~FakePlatform() override;

    SettingsStore& store() override { return m_storeRole; }
    Files& files() override { return m_files; }
    Desktop& desktop() override { return m_desktop; }
    Programs& programs() override { return m_programs; }
    RunSlot& run() override { return m_run; }
    RunSlot& applet() override { return m_applet; }
    CompileServerKeeper& compileServer() override { return m_compileServer; }

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

    // Records a start by the run, the applet slot or a program start
    // without its extra arguments; fails as `startSucceeds` says.
    virtual bool recordStart(const QString& commandLine, Started::Via via, QString* error);

    // The run's state and controls.
    void endRun(int exitCode);
    void killRun(int signal);
    RunInfo runState;                     // what the run slot reports
    qint64 inputRoom = kRunInputBacklog;  // what the run's input takes now
    RunActivity activity;                 // what the test says the live run does now
    bool ignoresTerm = false;
    bool groupLingers = false;  // something of the group outlives its script
    qint64 clockMs = 100000;
    QList<int> runSignals;
    QByteArray runInput;
    int appletStops = 0;
    int compileServerStarts = 0;
    int compileServerStops = 0;
    bool compileServerHeld = false;

    QStringList dialogTitles;
    QStringList volumeList{QStringLiteral("/")};

private:
    friend class FakeStore;
    QTemporaryDir m_dir;
    std::unique_ptr<IniStore> m_store;
    bool m_batchFailed = false;  // a write in the open batch met an unwritable store
    QList<Write> m_unsaved;      // written while the store was unwritable, in order
    FakeStore m_storeRole{*this};
    FakeFiles m_files{*this};
    FakeDesktop m_desktop{*this};
    FakePrograms m_programs{*this};
    FakeRun m_run{*this};
    FakeApplet m_applet{*this};
    FakeCompileServer m_compileServer{*this};
};

// Installs a fresh fake as the program's platform, with a console of its
// own, and resets the shared settings; removes it again when it goes out
// of scope.
class FakeScope {
public:
    FakeScope();
    ~FakeScope();
    FakePlatform* operator->() { return fake.get(); }
    FakePlatform& operator*() { return *fake; }
    std::unique_ptr<FakePlatform> fake;

private:
    Qlk::PlatformScope m_installed;

public:
    Run::Console console;  // ends first, while the fake is installed
};
