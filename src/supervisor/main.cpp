// quenlark-run: the supervisor of one run. Started by Quenlark with the link
// on descriptor 3 and the script's command line as its arguments (see
// platform/RunLink.h). It is the subreaper of everything the script starts, so
// descendants that leave the process group or double-fork still come back to
// it; it signals them all on request and kills them all when Quenlark's end
// of the link closes. It uses no Qt: it must start fast and stay small.
#include "platform/RunLink.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/signalfd.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <vector>

extern char** environ;

namespace {

// The children of `pid` as the kernel lists them per thread; false when
// this kernel keeps no such list.
bool ChildrenOf(pid_t pid, std::vector<pid_t>* out) {
    char path[320];
    std::snprintf(path, sizeof path, "/proc/%d/task", int(pid));
    DIR* tasks = ::opendir(path);
    if (!tasks) return ::access("/proc/self/task", F_OK) == 0;  // gone meanwhile
    bool listed = false;
    while (dirent* task = ::readdir(tasks)) {
        if (task->d_name[0] == '.') continue;
        std::snprintf(path, sizeof path, "/proc/%d/task/%s/children", int(pid), task->d_name);
        FILE* f = std::fopen(path, "re");
        if (!f) continue;
        listed = true;
        int child = 0;
        while (std::fscanf(f, "%d", &child) == 1) out->push_back(pid_t(child));
        std::fclose(f);
    }
    ::closedir(tasks);
    return listed;
}

// Every process below this one, found through the parent ids in /proc: the
// whole table read once, for kernels that keep no children lists.
std::vector<pid_t> DescendantsByScan() {
    std::unordered_multimap<pid_t, pid_t> children;
    if (DIR* proc = ::opendir("/proc")) {
        while (dirent* entry = ::readdir(proc)) {
            char* end = nullptr;
            const long pid = std::strtol(entry->d_name, &end, 10);
            if (pid <= 0 || *end != '\0') continue;
            char path[64];
            std::snprintf(path, sizeof path, "/proc/%ld/stat", pid);
            const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
            if (fd < 0) continue;
            char text[512];
            const ssize_t n = ::read(fd, text, sizeof text - 1);
            ::close(fd);
            if (n <= 0) continue;
            text[n] = '\0';
            // "pid (comm) state ppid ...": comm may hold anything, so the
            // fields are read after its last ')'.
            const char* close = std::strrchr(text, ')');
            if (!close || close[1] != ' ' || !close[2]) continue;
            children.emplace(pid_t(std::strtol(close + 4, nullptr, 10)), pid_t(pid));
        }
        ::closedir(proc);
    }
    std::vector<pid_t> found;
    std::vector<pid_t> todo{::getpid()};
    while (!todo.empty()) {
        const pid_t parent = todo.back();
        todo.pop_back();
        const auto range = children.equal_range(parent);
        for (auto it = range.first; it != range.second; ++it) {
            found.push_back(it->second);
            todo.push_back(it->second);
        }
    }
    return found;
}

// Every process below this one. An orphan of the run is reparented to this
// process, so nothing of the run is missed while this process lives.
std::vector<pid_t> Descendants() {
    std::vector<pid_t> found;
    if (!ChildrenOf(::getpid(), &found)) return DescendantsByScan();
    for (size_t i = 0; i < found.size(); ++i) ChildrenOf(found[i], &found);
    return found;
}

// Signals every descendant: the script's own process group at once while
// the script lives, then each process of the run, wherever it went.
void SignalAll(int sig, pid_t group) {
    if (group > 0) ::kill(-group, sig);
    // A member of that group has it already: a second SIGTERM would be
    // taken for an insistent one.
    for (pid_t pid : Descendants())
        if (group <= 0 || ::getpgid(pid) != group) ::kill(pid, sig);
}

void Say(const char* text) {
    const size_t length = std::strlen(text);
    [[maybe_unused]] ssize_t n = ::write(RunLink::kLinkFd, text, length);
}

// Ends as the script ended: with its exit code, or by its signal (without a
// core file: the script's own was written already).
[[noreturn]] void EndLike(int status) {
    if (WIFSIGNALED(status)) {
        const int sig = WTERMSIG(status);
        const rlimit none{0, 0};
        ::setrlimit(RLIMIT_CORE, &none);
        ::signal(sig, SIG_DFL);
        sigset_t only;
        sigemptyset(&only);
        sigaddset(&only, sig);
        ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
        ::raise(sig);
        std::_Exit(128 + sig);
    }
    std::_Exit(WIFEXITED(status) ? WEXITSTATUS(status) : 1);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2 || ::fcntl(RunLink::kLinkFd, F_SETFD, FD_CLOEXEC) != 0) {
        std::fprintf(stderr, "%s: to be started by Quenlark\n", RunLink::kSupervisorName);
        return 2;
    }
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);

    // Child ends and requests to stop arrive as events, never as handlers.
    sigset_t events;
    sigemptyset(&events);
    for (int sig : {SIGCHLD, SIGTERM, SIGINT, SIGHUP}) sigaddset(&events, sig);
    ::sigprocmask(SIG_BLOCK, &events, nullptr);
    const int signals = ::signalfd(-1, &events, SFD_CLOEXEC | SFD_NONBLOCK);
    ::signal(SIGPIPE, SIG_IGN);

    // The script gets the standard descriptors, a process group of its own
    // (signalled whole at once), no blocked signal and every signal handled
    // as by default.
    posix_spawnattr_t attr;
    RunLink::OwnGroupAttributes(&attr);
    // Every process of the run inherits its mark, by which Quenlark knows
    // the ones it adopts should this supervisor be killed.
    char mark[32];
    std::snprintf(mark, sizeof mark, "%d", int(::getpid()));
    ::setenv(RunLink::kRunMark, mark, 1);
    pid_t script = 0;
    const int rc = ::posix_spawn(&script, argv[1], nullptr, &attr, argv + 1, environ);
    posix_spawnattr_destroy(&attr);
    char line[32];
    if (rc != 0) {
        std::snprintf(line, sizeof line, "E%d\n", rc);
        Say(line);
        return 127;
    }
    std::snprintf(line, sizeof line, "P%d\n", int(script));
    Say(line);
    // The script's input is its own: once it closes it, a writer learns so.
    const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, 0);
        ::close(null);
    }

    bool linked = true;    // Quenlark's end of the link is open
    bool killing = false;  // every process of the run is to die
    bool scriptEnded = false;
    int scriptStatus = 0;
    for (;;) {
        // Reap whatever ended; no child left means nothing of the run is.
        for (;;) {
            int status = 0;
            const pid_t done = ::waitpid(-1, &status, WNOHANG);
            if (done == script) {
                scriptEnded = true;
                scriptStatus = status;
            }
            if (done > 0) continue;
            if (done < 0 && errno == ECHILD && scriptEnded) EndLike(scriptStatus);
            break;
        }
        // A process forked just before the kill comes back here as an
        // orphan: look again until none is left.
        if (killing) SignalAll(SIGKILL, scriptEnded ? 0 : script);

        pollfd fds[2] = {{signals, POLLIN, 0}, {linked ? RunLink::kLinkFd : -1, POLLIN, 0}};
        const int ready = ::poll(fds, 2, killing ? 20 : -1);
        if (ready < 0 && errno != EINTR) killing = true;
        if (ready <= 0) continue;
        if (fds[0].revents & POLLIN) {
            signalfd_siginfo info;
            while (::read(signals, &info, sizeof info) == ssize_t(sizeof info)) {
                // Asked to end from outside (logout, shutdown): stop the run.
                if (info.ssi_signo != SIGCHLD) SignalAll(SIGTERM, scriptEnded ? 0 : script);
            }
        }
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            unsigned char requests[64];
            const ssize_t n = ::read(RunLink::kLinkFd, requests, sizeof requests);
            if (n <= 0 && !(n < 0 && errno == EINTR)) {
                // Quenlark ended or died: so does the run.
                linked = false;
                killing = true;
                continue;
            }
            for (ssize_t i = 0; i < n; ++i) {
                const int sig = requests[i];
                if (sig <= 0 || sig >= NSIG) continue;
                if (sig == SIGKILL) killing = true;
                SignalAll(sig, scriptEnded ? 0 : script);
            }
        }
    }
}
