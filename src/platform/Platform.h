// The seam between Quenlark and the operating system, one narrow interface
// per role, and the Platform that owns one of each. The program uses
// QtPlatform's roles; tests use fakes that record every call.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>

class QWidget;

enum class MsgIcon { Information, Exclamation, Critical };
enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgResult { Ok, Cancel, Yes, No };

// The button that Enter presses in a box: a question is never answered "yes"
// by a stray Enter, so a Yes/No box defaults to No; the others to OK.
constexpr MsgResult DefaultButton(MsgButtons buttons) {
    return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Ok;
}

// Identity and state of a file at one moment: full-precision modification
// time, size, device and inode. Two stamps are equal when nothing about the
// file can have changed between them; a missing file has an empty stamp.
struct FileStamp {
    bool exists = false;
    qint64 mtimeNs = 0;
    qint64 size = 0;
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FileStamp&) const = default;
};

// How a started program ended: its exit code, or the signal that ended it
// (then `code` is 0), and the last lines of its standard error output.
struct ExitStatus {
    int code = 0;
    int signal = 0;
    QString errorOutput;
    bool operator==(const ExitStatus&) const = default;
};

// A started program that fails within this time of its start (it ended with
// a non-zero code or by a signal) is reported back to whoever started it.
inline constexpr int kEarlyExitMs = 5000;

// Twips per inch, and per pixel at the density the windows were designed for.
inline constexpr double kTwipsPerInch = 1440;
inline constexpr double kDesignTwipsPerPixel = 15;

// The primary screen, in twips, with its twips per pixel across and down.
struct ScreenMetrics {
    double width = 0;
    double height = 0;
    double twipsPerPixelX = kDesignTwipsPerPixel;
    double twipsPerPixelY = kDesignTwipsPerPixel;
};

// What is known of the run: the one compile or application script the result
// window talks to. Times are milliseconds of a monotonic clock.
// What a run's standard input can take now.
enum class RunInput {
    Takes,   // the line fits
    Closed,  // no run, its input was ended, or its program closed it
    Full,    // the backlog the program has not read would grow past kRunInputBacklog
};
// Bytes typed to a run that it has not read yet, at most.
inline constexpr qint64 kRunInputBacklog = 4 * 1024 * 1024;

struct RunInfo {
    enum Phase { None, Running, Exited, Signalled };
    Phase phase = None;
    quint64 serial = 0;      // grows with every start
    qint64 pid = 0;          // the run's supervisor, leader of its process group
    int exitCode = 0;        // when Exited
    int signal = 0;          // when Signalled
    bool stopSent = false;   // Quenlark sent it a stop signal
    bool inputOpen = false;  // its standard input can still be written
    qint64 startedMs = 0;
    qint64 endedMs = 0;
    qint64 fileLimit = -1;  // its file-size limit in bytes, -1 when none
    QString errorOutput;    // once ended: the last lines the run wrote to its own error output
    bool live() const { return phase == Running; }
};

// What the run's processes do at one moment, as the system tells it.
struct RunActivity {
    bool readingInput = false;  // one of them waits in a read of the run's standard input
    qint64 cpuMs = -1;          // processor time the run has used so far; -1 when unknown
    bool operator==(const RunActivity&) const = default;
};

// The per-user settings store. An absent key reads as "". A write reaches
// the disk before it returns; false when it could not be written.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual QString readSetting(const QString& section, const QString& key) = 0;
    virtual bool writeSetting(const QString& section, const QString& key, const QString& value) = 0;
    // Writes between beginSettingsBatch() and the matching endSettingsBatch()
    // reach the disk in one rewrite when the outermost batch ends
    // (writeSetting returns true meanwhile); endSettingsBatch() returns false
    // when that rewrite failed.
    virtual void beginSettingsBatch() = 0;
    virtual bool endSettingsBatch() = 0;
    // Removes what writes cut short by a crash left behind: only the
    // program's own temporary files, only old ones. Called once this copy
    // knows it is the only one running.
    virtual void removeStaleTemporaryFiles() = 0;
    // The store file and the data folder, each when it exists but cannot be
    // read: its path, then a line "理由: " and why; "" when both can be read
    // or are yet to be made. Asks nothing of the disk but to look.
    virtual QString unreadableStore() = 0;
    // Where the store lives and why the last write failed, for messages.
    virtual QString settingsPath() const = 0;
    virtual QString lastSettingsError() const = 0;
};

// The program's folders and the files Quenlark looks at, copies and reads.
class Files {
public:
    virtual ~Files() = default;
    // The per-user data folder (holds result.txt), always ending in "/".
    virtual QString windowsFolder() = 0;
    // The folder of the running executable, without a trailing "/" (except "/"),
    // or its per-user copy once syncProgramFolder() made one.
    virtual QString programFolder() = 0;
    // Brings the per-user copy of a system install's files up to date, once,
    // at start-up after the single-instance check; a failure is reported in
    // a box. Nothing to do where the user owns the program's folder.
    virtual void syncProgramFolder() {}

    // File test by directory search: ordinary files only, hidden files and
    // directories absent, "*" and "?" are wildcards in the last component.
    virtual bool fileExists(const QString& path) = 0;
    // True when the path names a folder.
    virtual bool folderExists(const QString& path) = 0;
    // Makes the folder with the folders above it; false with the reason.
    virtual bool makeFolder(const QString& path, QString* error) = 0;
    // The user's home folder.
    virtual QString homeFolder() = 0;
    // The names of the ordinary, visible files in a folder.
    virtual QStringList fileNames(const QString& folder) = 0;
    // True when a start would run the file itself (taken literally): an
    // executable ordinary file, or a readable ".bat" script.
    virtual bool isProgramFile(const QString& path) = 0;
    // Copies a file to its target, every byte checked and synced before the
    // copy takes the target's place, so a failed copy leaves the target as it
    // was. An existing target keeps its mode; a new one gets the source's
    // permission bits less the umask. On failure returns false with the reason.
    struct CopyRules {
        bool onlyWhenMissing = false;  // an existing target is left alone (the copy counts as done)
        QString placeholder;           // when set, replaced by `replacement` wherever it occurs
        QString replacement;
    };
    virtual bool copyFile(const QString& from, const QString& to, QString* error, const CopyRules& rules) = 0;
    bool copyFile(const QString& from, const QString& to, QString* error) {
        return copyFile(from, to, error, CopyRules());
    }
    virtual FileStamp fileStamp(const QString& path) = 0;
    // Reads at most `maxBytes` bytes (all when negative) from byte `offset` of
    // a file into `data`. On failure returns false with the reason.
    virtual bool readFile(const QString& path, qint64 offset, qint64 maxBytes, QByteArray* data,
                          QString* error) = 0;
    // Space-free form of a folder; empty when the folder does not exist.
    virtual QString shortPath(const QString& folder) = 0;
    // Appends bytes to an ordinary file, never through a link and never
    // blocking, opened with O_APPEND (the transcript of what was typed lands
    // in order with a program's output).
    virtual bool appendToFile(const QString& path, const QByteArray& data, QString* error) = 0;
    // Mounted volumes, root first.
    virtual QStringList volumes() = 0;
};

// What the user sees and hears outside Quenlark's own windows' contents.
class Desktop {
public:
    virtual ~Desktop() = default;
    virtual void beep() = 0;
    virtual MsgResult messageBox(QWidget* parent, const QString& text, const QString& title, MsgIcon icon,
                                 MsgButtons buttons) = 0;
    // Keeps a window above all others, or releases it, without moving it.
    virtual void setTopmost(QWidget* window, bool on) = 0;
    // Opens the help file at its contents (context 0) or at topic 1 to 4.
    virtual void showHelp(QWidget* parent, const QString& helpFile, int context) = 0;
    // True when this is the only running copy; holds the claim until exit.
    virtual bool claimSingleInstance() = 0;
    virtual ScreenMetrics screen() = 0;
    // Open-file dialog; returns the chosen path, or an empty string when the
    // user cancelled.
    virtual QString openFileDialog(QWidget* parent, const QString& title) = 0;
};

// Programs the user works in (an editor, a browser), started apart from any
// run, and the clock runs are timed by.
class Programs {
public:
    virtual ~Programs() = default;
    // Starts a command line without waiting: it splits at spaces into the
    // program and its arguments, then each of `extraArgs` follows as one
    // argument, whatever it holds. On failure returns false with the reason;
    // nothing is started then. When the program fails within kEarlyExitMs of
    // its start, `onEarlyFailure` runs once, later, on the UI thread.
    virtual bool startWithArguments(const QString& commandLine, const QStringList& extraArgs, QString* error,
                                    std::function<void(ExitStatus)> onEarlyFailure) = 0;
    // True when the program of a command line is a bare name (no folder)
    // found on PATH, as the start finds it.
    virtual bool foundOnPath(const QString& commandLine) = 0;
    virtual qint64 monotonicMs() = 0;
};

// A contained slot for one script at a time: the script and every process
// it starts, even one that leaves its process group. Starting one while
// another is live kills all of the old one at once (SIGKILL) without
// waiting; its standard input is a pipe whose end only Quenlark holds.
// `changed` is emitted at every change of the slot's state (start, end).
class RunSlot : public QObject {
    Q_OBJECT
public:
    virtual bool start(const QString& commandLine, QString* error) = 0;
    virtual RunInfo info() = 0;
    // Reads the live script's file-size limit now (the script sets its own
    // after it starts); later info() calls report it. -1 when none.
    virtual qint64 readFileLimit() = 0;
    // Whether the standard input can take `bytes` more now.
    virtual RunInput inputRoom(qint64 bytes) = 0;
    // Queues bytes for the standard input; false when it is closed, its
    // program closed it, or its backlog is full.
    virtual bool write(const QByteArray& data) = 0;
    virtual void closeInput() = 0;
    // Sends a signal to every process of the slot; nothing once all have ended.
    virtual void signal(int signal) = 0;
    // SIGTERM to every process, and SIGKILL `graceMs` after the first call
    // if anything is left (later calls never put the kill off); with no
    // grace, SIGKILL at once.
    virtual void stop(int graceMs) = 0;
    void stop() { stop(0); }
    // True while any process of the slot is alive (not a zombie).
    virtual bool alive() = 0;
    // What the live script's processes do now; an empty reading without one.
    virtual RunActivity activity() = 0;

signals:
    void changed();
};

// The warm compile server behind compile.bat, no part of any run.
class CompileServerKeeper {
public:
    virtual ~CompileServerKeeper() = default;
    // Started without waiting (or replaced, when it no longer serves).
    virtual void start() = 0;
    virtual void stop() = 0;
    // True while a compile runs: a server still warming up then waits, so
    // that the javac serving this compile meanwhile is not slowed by it.
    virtual void hold(bool hold) = 0;
};

// The owner of one object per role, built by main (tests build a fake one)
// and reached through Qlk::P().
class Platform {
public:
    virtual ~Platform() = default;
    virtual SettingsStore& store() = 0;
    virtual Files& files() = 0;
    virtual Desktop& desktop() = 0;
    virtual Programs& programs() = 0;
    // The compile or application script the result window talks to.
    virtual RunSlot& run() = 0;
    // The applet viewer's slot, apart from the run: at most one applet
    // script at a time, in a process group of its own, reading nothing. A
    // compile or application run, and stopping the run, leave it alone.
    virtual RunSlot& applet() = 0;
    virtual CompileServerKeeper& compileServer() = 0;
};
