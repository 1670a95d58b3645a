#include "RunProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QSocketNotifier>
#include <QTimer>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "FileRules.h"
#include "ProcessRules.h"
#include "RunErrors.h"
#include "RunLink.h"

using FileRules::SystemError;

namespace {

// What a user may type ahead of a program that does not read; beyond it the
// typing is refused rather than kept without bound.
constexpr qsizetype kMaxPending = kRunInputBacklog;

// Writing to a program that has ended must never end Quenlark.
void IgnoreBrokenPipe() {
    struct sigaction sa {};
    sa.sa_handler = SIG_IGN;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGPIPE, &sa, nullptr);
}

// The fields of /proc/PID/stat the run needs. "pid (comm) state ppid ...":
// comm may hold spaces and parentheses, so the fields are read after its
// last ")".
struct ProcStat {
    char state = 0;
    qint64 parent = 0;
    qint64 startTicks = -1;  // since boot: with the pid, names one process for good
    qint64 cpuTicks = 0;     // user and system, its own and its waited-for children's
};

bool ReadProcStat(qint64 pid, ProcStat* out) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%lld/stat", static_cast<long long>(pid));
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char text[1024];
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0) return false;
    text[n] = '\0';
    const char* close = std::strrchr(text, ')');
    if (!close || close[1] != ' ') return false;
    // Fields from the state on: 0 state, 1 ppid, 11-14 times, 19 start time.
    const char* field = close + 2;
    out->state = *field;
    out->cpuTicks = 0;
    for (int index = 0; field && *field; ++index) {
        if (index == 1) out->parent = std::strtoll(field, nullptr, 10);
        if (index >= 11 && index <= 14) out->cpuTicks += std::strtoll(field, nullptr, 10);
        if (index == 19) {
            out->startTicks = std::strtoll(field, nullptr, 10);
            return true;
        }
        field = std::strchr(field, ' ');
        if (field) ++field;
    }
    return false;
}

// The children of `pid` from the kernel's per-thread lists, or, on a kernel
// that keeps none, from the parent ids of the whole process table.
void AddChildren(qint64 pid, std::vector<int>* out) {
    static const bool kListed = ::access("/proc/thread-self/children", F_OK) == 0;
    char path[96];
    if (!kListed) {
        DIR* proc = ::opendir("/proc");
        if (!proc) return;
        while (dirent* entry = ::readdir(proc)) {
            char* end = nullptr;
            const long long other = std::strtoll(entry->d_name, &end, 10);
            ProcStat st;
            if (other > 0 && *end == '\0' && ReadProcStat(other, &st) && st.parent == pid)
                out->push_back(int(other));
        }
        ::closedir(proc);
        return;
    }
    std::snprintf(path, sizeof path, "/proc/%lld/task", static_cast<long long>(pid));
    DIR* tasks = ::opendir(path);
    if (!tasks) return;
    while (dirent* task = ::readdir(tasks)) {
        if (task->d_name[0] == '.') continue;
        std::snprintf(path, sizeof path, "/proc/%lld/task/%.20s/children", static_cast<long long>(pid),
                      task->d_name);
        FILE* f = std::fopen(path, "re");
        if (!f) continue;
        int child = 0;
        while (std::fscanf(f, "%d", &child) == 1) out->push_back(child);
        std::fclose(f);
    }
    ::closedir(tasks);
}

// `roots` and every process below them, at most `cap` of them.
std::vector<int> Subtree(std::vector<int> found, size_t cap = 100000) {
    for (size_t i = 0; i < found.size() && found.size() < cap; ++i) AddChildren(found[i], &found);
    if (found.size() > cap) found.resize(cap);
    return found;
}

// True when a thread of `pid` waits in a read of the pipe `inode`.
bool ReadsPipe(qint64 pid, quint64 inode) {
    char path[96];
    std::snprintf(path, sizeof path, "/proc/%lld/task", static_cast<long long>(pid));
    DIR* tasks = ::opendir(path);
    if (!tasks) return false;
    bool reading = false;
    while (!reading) {
        const dirent* task = ::readdir(tasks);
        if (!task) break;
        if (task->d_name[0] == '.') continue;
        // Only a sleeping thread can wait in a read; the system call of one
        // that runs is not looked at, as the system would wait for it to
        // stop running first.
        std::snprintf(path, sizeof path, "/proc/%lld/task/%.20s/stat", static_cast<long long>(pid),
                      task->d_name);
        char stat[512];
        const int statFd = ::open(path, O_RDONLY | O_CLOEXEC);
        if (statFd < 0) continue;
        const ssize_t statLength = ::read(statFd, stat, sizeof stat - 1);
        ::close(statFd);
        if (statLength <= 0) continue;
        stat[statLength] = '\0';
        const char* close = std::strrchr(stat, ')');
        if (!close || close[1] != ' ' || close[2] != 'S') continue;
        // "number arg0 arg1 ..." while in a system call; "running" or "-1 ..." else.
        std::snprintf(path, sizeof path, "/proc/%lld/task/%.20s/syscall", static_cast<long long>(pid),
                      task->d_name);
        const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        char text[256];
        const ssize_t n = ::read(fd, text, sizeof text - 1);
        ::close(fd);
        if (n <= 0) continue;
        text[n] = '\0';
        char* end = nullptr;
        const long number = std::strtol(text, &end, 10);
        if (end == text || (number != SYS_read && number != SYS_readv)) continue;
        const unsigned long long descriptor = std::strtoull(end, nullptr, 16);
        if (descriptor > 65535) continue;
        std::snprintf(path, sizeof path, "/proc/%lld/fd/%llu", static_cast<long long>(pid), descriptor);
        char target[64];
        const ssize_t length = ::readlink(path, target, sizeof target - 1);
        if (length <= 0) continue;
        target[length] = '\0';
        char expected[64];
        std::snprintf(expected, sizeof expected, "pipe:[%llu]", static_cast<unsigned long long>(inode));
        reading = std::strcmp(target, expected) == 0;
    }
    ::closedir(tasks);
    return reading;
}

// True when the environment `pid` was started with holds `mark` as an entry.
bool CarriesMark(qint64 pid, const QByteArray& mark) {
    QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
    if (!environ.open(QIODevice::ReadOnly)) return false;
    const QByteArray entries = '\0' + environ.read(1 << 20);
    return entries.contains('\0' + mark + '\0') || entries.endsWith('\0' + mark);
}

// How many processes of a run are looked at for its activity.
constexpr size_t kMaxWatched = 512;

}  // namespace

RunProcess::RunProcess() : m_grace(new QTimer(this)), m_errors(new RunErrors(this)) {
    IgnoreBrokenPipe();
    m_grace->setSingleShot(true);
    connect(m_grace, &QTimer::timeout, this, [this] { signal(SIGKILL); });
}

RunProcess::~RunProcess() {
    const qint64 pid = m_info.live() ? m_info.pid : 0;
    endRun();
    dropInput();
    // The supervisor ends once the run is killed; wait briefly for it, so
    // nothing of the run outlives this object. The reaper collects it.
    for (int waited = 0; pid > 0 && waited < 1000 && !ProcessRules::HasEnded(pid); waited += 5)
        ::usleep(5000);
}

qint64 RunProcess::nowMs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Kills what is left of the current run, without waiting: the supervisor
// ends every process of it and then itself.
void RunProcess::endRun() {
    m_grace->stop();
    if (m_link < 0) return;
    if (groupAlive()) {
        const char kill = char(SIGKILL);
        [[maybe_unused]] ssize_t n = ::write(m_link, &kill, 1);
        m_info.stopSent = true;
        // A stopped supervisor would not act on it.
        killLeftovers();
    }
    ::close(m_link);
    m_link = -1;
}

bool RunProcess::start(const QString& program, const QStringList& args, QString* error) {
    // The old run goes first, at once: two writers garble one result file.
    endRun();
    dropInput();

    const QString supervisor = ProgramsFolder() + u'/' + QLatin1String(RunLink::kSupervisorName);
    const ProcessRules::ExecArgs exec(supervisor, QStringList{program} + args);
    int fds[2];
    int link[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        if (error) *error = SystemError(errno);
        return false;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, link) != 0) {
        if (error) *error = SystemError(errno);
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
    posix_spawn_file_actions_adddup2(&actions, link[1], RunLink::kLinkFd);
    if (const int errors = m_errors->open(); errors >= 0)
        posix_spawn_file_actions_adddup2(&actions, errors, 2);
    // Nothing else of Quenlark's reaches the run.
    posix_spawn_file_actions_addclosefrom_np(&actions, RunLink::kLinkFd + 1);
    pid_t pid = 0;
    const int rc = ProcessRules::SpawnInOwnGroup(exec, &actions, &pid);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[0]);
    ::close(link[1]);
    m_errors->started();
    if (rc != 0) {
        ::close(fds[1]);
        ::close(link[0]);
        if (error) *error = QStringLiteral("%1: %2").arg(supervisor, SystemError(rc));
        return false;
    }
    ::fcntl(fds[1], F_SETFL, ::fcntl(fds[1], F_GETFL) | O_NONBLOCK);
    struct stat pipeStat {};
    m_inputPipe = ::fstat(fds[1], &pipeStat) == 0 ? quint64(pipeStat.st_ino) : 0;
    m_members.clear();
    ::fcntl(link[0], F_SETFL, ::fcntl(link[0], F_GETFL) | O_NONBLOCK);

    const quint64 serial = m_info.serial + 1;
    m_info = RunInfo();
    m_info.serial = serial;
    m_info.phase = RunInfo::Running;
    m_info.pid = pid;
    m_info.inputOpen = true;
    m_info.startedMs = nowMs();
    m_scriptPid = 0;
    m_linkWord.clear();
    m_link = link[0];
    m_input = fds[1];
    ProcessRules::WhenEnded(pid, this, [this, serial](int status) { ended(serial, status); });
    notify();
    return true;
}

void RunProcess::ended(quint64 serial, int status) {
    if (serial != m_info.serial || !m_info.live()) return;
    m_info.endedMs = nowMs();
    if (WIFSIGNALED(status)) {
        m_info.phase = RunInfo::Signalled;
        m_info.signal = WTERMSIG(status);
    } else {
        m_info.phase = RunInfo::Exited;
        m_info.exitCode = WEXITSTATUS(status);
    }
    m_grace->stop();
    readLink();
    m_info.errorOutput = m_errors->take();
    if (m_link >= 0) ::close(m_link);
    m_link = -1;
    dropInput();
    // A supervisor that ends has waited for every process of the run; one
    // that was killed handed them to Quenlark, and they end now.
    killLeftovers();
    m_members.clear();
    notify();
}

bool RunProcess::isMember(qint64 pid) const {
    ProcStat st;
    if (!ReadProcStat(pid, &st)) return false;
    const auto seen = m_members.constFind(pid);
    if (seen != m_members.constEnd() && seen.value() == st.startTicks) return true;
    return CarriesMark(pid, QByteArray(RunLink::kRunMark) + '=' + QByteArray::number(m_info.pid));
}

// Every process of the run is stopped first, so that none forks while they
// are found, then all are killed together. While the supervisor lives they
// are below it; once it is gone, those it had are Quenlark's children, told
// from the orphans of editors and browsers by having been seen in the run or
// by the run's mark in their environment, which the supervisor gives the
// script.
void RunProcess::killLeftovers() {
    const qint64 supervisor = m_info.pid;
    if (supervisor <= 0) return;
    const bool supervisorAlive = !ProcessRules::HasEnded(supervisor);
    QSet<int> frozen;
    std::vector<int> order;
    for (int round = 0; round < 100; ++round) {
        std::vector<int> roots;
        if (supervisorAlive) AddChildren(supervisor, &roots);
        std::vector<int> mine;
        AddChildren(::getpid(), &mine);
        for (int child : mine)
            if (child != supervisor && !frozen.contains(child) && isMember(child)) roots.push_back(child);
        for (int child : mine)
            if (frozen.contains(child)) roots.push_back(child);
        bool more = false;
        for (int pid : Subtree(roots)) {
            if (frozen.contains(pid)) continue;
            ::kill(pid_t(pid), SIGSTOP);
            frozen.insert(pid);
            order.push_back(pid);
            more = true;
        }
        if (!more) break;
    }
    for (int pid : order) ::kill(pid_t(pid), SIGKILL);
    ProcStat st;
    if (supervisorAlive && ReadProcStat(supervisor, &st) && (st.state == 'T' || st.state == 't'))
        ::kill(pid_t(supervisor), SIGKILL);
}

RunActivity RunProcess::activity() {
    RunActivity now;
    if (!groupAlive()) return now;
    const std::vector<int> processes = Subtree({int(m_info.pid)}, kMaxWatched);
    m_members.clear();
    qint64 ticks = 0;
    for (int pid : processes) {
        ProcStat st;
        if (!ReadProcStat(pid, &st)) continue;
        ticks += st.cpuTicks;
        if (pid == m_info.pid || st.state == 'Z' || st.state == 'X') continue;
        m_members.insert(pid, st.startTicks);
        if (!now.readingInput && m_input >= 0 && m_inputPipe != 0)
            now.readingInput = ReadsPipe(pid, m_inputPipe);
    }
    static const long kTicksPerSecond = ::sysconf(_SC_CLK_TCK);
    now.cpuMs = kTicksPerSecond > 0 ? ticks * 1000 / kTicksPerSecond : -1;
    return now;
}

// The supervisor's first word, read without waiting: the script's pid, or
// the error number of a start that failed (the run then ends with 127).
void RunProcess::readLink() {
    while (m_link >= 0 && m_scriptPid == 0 && !m_linkWord.endsWith('\n')) {
        char c = 0;
        if (::read(m_link, &c, 1) != 1) return;
        m_linkWord += c;
    }
    if (m_scriptPid != 0 || !m_linkWord.endsWith('\n')) return;
    if (m_linkWord.startsWith('P')) {
        m_scriptPid = m_linkWord.mid(1).trimmed().toLongLong();
    } else {
        m_scriptPid = -1;
        const QByteArray why = QFile::encodeName(SystemError(m_linkWord.mid(1).trimmed().toInt())) + '\n';
        [[maybe_unused]] ssize_t n = ::write(2, why.constData(), size_t(why.size()));
    }
}

qint64 RunProcess::readFileLimit() {
    // The script sets its limit after it starts; while it runs, the limit it
    // has now is the one that counts.
    if (m_info.live()) readLink();
    if (m_info.live() && m_scriptPid > 0) {
        const qint64 limit = fileSizeLimit(m_scriptPid);
        if (limit != -2) m_info.fileLimit = limit;
    }
    return m_info.fileLimit;
}

// A program that closed its standard input is seen at once: the pipe's
// write end reports an error when no reader is left.
RunInput RunProcess::inputRoom(qint64 bytes) {
    if (m_input < 0 || !m_info.inputOpen) return RunInput::Closed;
    pollfd p{m_input, 0, 0};
    if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLERR | POLLHUP))) {
        dropInput();
        notify();
        return RunInput::Closed;
    }
    return m_pending.size() + bytes > kMaxPending ? RunInput::Full : RunInput::Takes;
}

bool RunProcess::write(const QByteArray& data) {
    if (m_input < 0 || !m_info.inputOpen) return false;
    if (m_pending.size() + data.size() > kMaxPending) return false;
    m_pending += data;
    flush();
    return m_input >= 0;  // not when the program had closed its input
}

void RunProcess::flush() {
    while (m_input >= 0 && !m_pending.isEmpty()) {
        const ssize_t n = ::write(m_input, m_pending.constData(), size_t(m_pending.size()));
        if (n > 0) {
            m_pending.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            // The program does not read now; go on when it does.
            if (!m_writable) {
                m_writable = new QSocketNotifier(m_input, QSocketNotifier::Write, this);
                connect(m_writable, &QSocketNotifier::activated, this, [this] { flush(); });
            }
            m_writable->setEnabled(true);
            return;
        }
        // EPIPE: nobody reads any more.
        dropInput();
        notify();
        return;
    }
    if (m_writable) m_writable->setEnabled(false);
    if (m_input >= 0 && !m_info.inputOpen) dropInput();
}

void RunProcess::closeInput() {
    if (m_input < 0) return;
    m_info.inputOpen = false;
    // What was typed before the end of input still goes first.
    if (m_pending.isEmpty()) dropInput();
    notify();
}

void RunProcess::dropInput() {
    ProcessRules::StopWatching(m_writable, &m_input);
    m_writable = nullptr;
    m_pending.clear();
    m_info.inputOpen = false;
}

void RunProcess::signal(int sig) {
    // Once every process of the run has ended there is nothing to stop.
    if (!groupAlive() || sig <= 0 || sig > 255) return;
    m_info.stopSent = true;
    // A supervisor the run stopped acts again; one that stays stopped is
    // done without at the kill.
    ::kill(pid_t(m_info.pid), SIGCONT);
    const char request = char(sig);
    [[maybe_unused]] ssize_t n = ::write(m_link, &request, 1);
    if (sig == SIGKILL) killLeftovers();
}

void RunProcess::stop(int graceMs) {
    if (!groupAlive()) return;
    signal(SIGTERM);
    // The grace counts from the first request, whatever follows.
    if (!m_grace->isActive()) m_grace->start(graceMs);
}

bool RunProcess::groupAlive() const {
    return m_info.live() && m_link >= 0 && !ProcessRules::HasEnded(m_info.pid);
}

void RunProcess::notify() {
    if (m_listener) m_listener();
}

// /proc/PID/stat: "pid (comm) state ppid pgrp ..."; comm may hold spaces and
// parentheses, so the fields are read after its last ")".
bool RunProcess::groupHasLiveMember(qint64 pgid) {
    if (pgid <= 0) return false;
    // Nothing of the group exists at all: no need to look further.
    if (::kill(pid_t(-pgid), 0) != 0 && errno == ESRCH) return false;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool number = false;
        entry.toLongLong(&number);
        if (!number) continue;
        QFile stat(QStringLiteral("/proc/") + entry + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly)) continue;
        const QByteArray text = stat.read(1024);
        const qsizetype close = text.lastIndexOf(')');
        if (close < 0) continue;
        const QList<QByteArray> fields = text.mid(close + 2).split(' ');
        if (fields.size() < 3) continue;
        if (fields[0] == "Z" || fields[0] == "X") continue;
        if (fields[2].toLongLong() == pgid) return true;
    }
    return false;
}

qint64 RunProcess::fileSizeLimit(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/limits").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return -2;
    return parseFileSizeLimit(f.readAll());
}

qint64 RunProcess::parseFileSizeLimit(const QByteArray& limits) {
    for (const QByteArray& line : limits.split('\n')) {
        if (!line.startsWith("Max file size")) continue;
        const QList<QByteArray> words = line.mid(int(sizeof "Max file size") - 1).simplified().split(' ');
        if (words.isEmpty()) return -1;
        bool ok = false;
        const qint64 soft = words[0].toLongLong(&ok);
        return ok ? soft : -1;
    }
    return -1;
}

// Never through a link, never blocking on a FIFO or a device, and only into
// an ordinary file.
bool RunProcess::appendTo(const QString& path, const QByteArray& data, QString* error) {
    const int fd =
        ::open(QFile::encodeName(path).constData(),
               O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW, 0600);
    if (fd < 0) {
        if (error) *error = errno == ELOOP ? FileRules::NotRegularText() : SystemError(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (error) *error = FileRules::NotRegularText();
        ::close(fd);
        return false;
    }
    if (const int err = FileRules::WriteAll(fd, data.constData(), data.size())) {
        if (error) *error = SystemError(err);
        ::close(fd);
        return false;
    }
    ::close(fd);
    return true;
}

namespace {
int g_signalPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}
}  // namespace

void RunProcess::watchTerminationSignals(std::function<void()> handler) {
    if (g_signalPipe[0] >= 0 || !ProcessRules::WakeOnPipe(g_signalPipe, std::move(handler))) return;
    struct sigaction sa {};
    sa.sa_handler = OnTerminationSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(sig, &sa, nullptr);
}
