// The POSIX process rules both the real platform and the tests' fake follow:
// how a command line names its program, starting a program detached, and the
// environment every started program gets.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include <spawn.h>

class QObject;

class QSocketNotifier;

namespace ProcessRules {

// A program and its arguments as the null-ended array exec takes; the words
// hold the bytes the pointers point into.
struct ExecArgs {
    ExecArgs(const QString& program, const QStringList& args);
    ExecArgs(const ExecArgs&) = delete;
    ExecArgs& operator=(const ExecArgs&) = delete;
    QList<QByteArray> words;
    std::vector<char*> argv;
};

// Program and arguments of an unquoted command line, as it would start.
bool ResolveCommand(const QString& commandLine, QString* program, QStringList* args, QString* error);
// True when the shortest prefix of the command line that names a program is
// a bare name found on PATH.
bool ProgramOnPath(const QString& commandLine);
// Starts the program in a process group of its own, with no signal blocked
// and every signal handled as by default, in the environment the program was
// started with; `actions` set up its descriptors. 0, or the error number.
int SpawnInOwnGroup(const ExecArgs& exec, const posix_spawn_file_actions_t* actions, pid_t* pid);
// Starts a program detached from the terminal and the program's own process
// group; the caller has it reaped (WhenEnded). With `errorOutput`, its
// standard error goes to a pipe whose reading end that names.
bool SpawnDetached(const QString& program, const QStringList& args, qint64* pid, QString* error,
                   int* errorOutput = nullptr);

// The one reaper of Quenlark's children. `ended` runs on the event loop with
// the wait status once the child `pid` has ended, unless `context` is gone by
// then. Any other child that ends (an orphan handed to Quenlark as the
// subreaper of what it starts) is reaped and forgotten. Quenlark starts no
// child but through these rules.
void WhenEnded(qint64 pid, QObject* context, std::function<void(int status)> ended);
// Makes Quenlark the subreaper of what it starts, so that orphans of its
// programs come back to it and are reaped. Call once at start-up.
void AdoptOrphans();
// True once the child `pid` has ended, reaped or not; never blocks.
bool HasEnded(qint64 pid);

// A self-pipe that brings signals to the event loop: a signal handler writes
// a byte to `pipe[1]`; `woken` runs on the loop once the bytes are drained.
// False when the pipe cannot be made (then `pipe` stays {-1, -1}).
bool WakeOnPipe(int pipe[2], std::function<void()> woken);

// Stops watching a descriptor and closes it (then `*fd` is -1): the notifier,
// which may be the one whose signal runs now, is disabled and deleted later.
void StopWatching(QSocketNotifier* notifier, int* fd);

// A Unix stream socket at `path`, close-on-exec: listening there (bound, with
// a few clients let wait), or connected to it; -1 when that fails.
int UnixSocket(const QString& path, bool listening);

}  // namespace ProcessRules

// Without a usable $XDG_RUNTIME_DIR, Qt would make one under a predictable
// name in the shared /tmp; this points it at a private folder inside the
// user's data folder instead. It first keeps the environment as the program
// received it (see StartEnvironment). Call before the application object
// exists.
void EnsurePrivateRuntimeDir();

// The environment the program was started with, for the programs it starts:
// the one kept by EnsurePrivateRuntimeDir, else the current one. The kept one
// also names the folder of the running executable as $QUENLARK_PROGRAMS.
char** StartEnvironment();
// Names `value` as the variable `name` to every program started from now on.
void SetStartVariable(const QByteArray& name, const QByteArray& value);

// The folder that holds the running executable and the programs shipped with
// it, links resolved; "" when it cannot be read.
QString ProgramsFolder();

// The user's runtime folder as the program received it: $XDG_RUNTIME_DIR when
// it was set and usable, else "". A folder made up at start-up is not one.
QString UserRuntimeFolder();

// The folder for private run-time files: the user's runtime folder, else the
// data folder. Never a shared temporary folder.
QString PrivateRuntimeFolder(const QString& dataFolder);
