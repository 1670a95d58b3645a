// The compile client's steps (see CompilerClient.h and quenlark-javac.cpp).
#include "CompilerClient.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace CompilerClient {

namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool PrivateToUser(const struct stat& st) { return st.st_uid == ::getuid() && (st.st_mode & 077) == 0; }

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

bool SendAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

// Waits up to `ms` for `fd` to be readable; false on timeout or error.
bool WaitReadable(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    for (;;) {
        const int n = ::poll(&p, 1, ms);
        if (n < 0 && errno == EINTR) continue;
        return n > 0;
    }
}

void PutNumber(std::string* out, int32_t value) {
    const uint32_t v = uint32_t(value);
    for (int shift = 24; shift >= 0; shift -= 8) out->push_back(char((v >> shift) & 0xff));
}

int32_t GetNumber(const std::string& in, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v = (v << 8) | uint8_t(in[at + i]);
    return int32_t(v);
}

void PutField(std::string* out, bool set, const std::string& value) {
    if (!set) return PutNumber(out, -1);
    PutNumber(out, int32_t(value.size()));
    out->append(value);
}

std::string Encode(const Request& r) {
    std::string m = std::string(CompileProtocol::kMagic) + CompileProtocol::kRequestCompile;
    PutField(&m, true, r.javac);
    PutField(&m, true, r.cwd);
    PutField(&m, true, r.localeName);
    PutField(&m, r.languageSet, r.language);
    PutField(&m, r.countrySet, r.country);
    PutField(&m, r.classPathSet, r.classPath);
    PutNumber(&m, int32_t(r.args.size()));
    for (const std::string& a : r.args) PutField(&m, true, a);
    return m;
}

// Connects to the server's socket when the folder, the socket and the
// process listening on it all belong to this user; -1 otherwise.
int Connect() {
    const std::string folder = SocketFolder();
    if (folder.empty()) return -1;
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0) return -1;
    struct stat st {};
    int fd = -1;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string path = folder + "/" + CompileProtocol::kSocketName;
    // A path too long for the address is reached through the open folder.
    if (path.size() >= sizeof address.sun_path)
        path = "/proc/self/fd/" + std::to_string(dir) + "/" + CompileProtocol::kSocketName;
    if (::fstat(dir, &st) == 0 && PrivateToUser(st) &&
        ::fstatat(dir, CompileProtocol::kSocketName, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISSOCK(st.st_mode) &&
        st.st_uid == ::getuid() && path.size() < sizeof address.sun_path) {
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    }
    if (fd >= 0) {
        // Never waits: a server whose queue is full is not taking requests.
        const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ucred peer{};
        socklen_t size = sizeof peer;
        if (!connected || ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 ||
            peer.uid != ::getuid() || ::fcntl(fd, F_SETFL, 0) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    ::close(dir);
    return fd;
}

// Leaves the mark by which Quenlark knows to replace the server.
void MarkStale() {
    const std::string folder = SocketFolder();
    const int fd = ::open((folder + "/" + CompileProtocol::kStaleName).c_str(),
                          O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) ::close(fd);
}

// javac again, after the server wrote `written[0]` bytes of standard output
// and `written[1]` of standard error: only what goes beyond them is written.
int Rerun(const std::string& javac, const std::vector<std::string>& args, const size_t written[2]) {
    int pipes[2][2];
    if (::pipe2(pipes[0], O_CLOEXEC) != 0 || ::pipe2(pipes[1], O_CLOEXEC) != 0) return 3;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipes[0][1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipes[1][1], 2);
    std::vector<char*> argv{const_cast<char*>("javac")};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, javac.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipes[0][1]);
    ::close(pipes[1][1]);
    if (rc != 0) {
        std::fprintf(stderr, "quenlark-javac: javac を実行できません: %s\n", std::strerror(rc));
        return 127;
    }
    size_t skip[2] = {written[0], written[1]};
    pollfd p[2] = {{pipes[0][0], POLLIN, 0}, {pipes[1][0], POLLIN, 0}};
    int open = 2;
    char buffer[65536];
    while (open > 0) {
        if (::poll(p, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int s = 0; s < 2; ++s) {
            if (p[s].fd < 0 || !p[s].revents) continue;
            const ssize_t n = ::read(p[s].fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                ::close(p[s].fd);
                p[s].fd = -1;
                --open;
                continue;
            }
            const size_t dropped = std::min(skip[s], size_t(n));
            skip[s] -= dropped;
            WriteAll(s + 1, buffer + dropped, size_t(n) - dropped);
        }
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

bool Prepare(const std::vector<std::string>& args, bool utf8Locale, Request* r) {
    bool fileUtf8 = false, stdoutUtf8 = false, stderrUtf8 = false;
    for (const std::string& a : args) {
        if (StartsWith(a, "-J")) {
            const std::string option = a.substr(2);
            if (option == "-Dfile.encoding=UTF-8")
                fileUtf8 = true;
            else if (option == "-Dstdout.encoding=UTF-8")
                stdoutUtf8 = true;
            else if (option == "-Dstderr.encoding=UTF-8")
                stderrUtf8 = true;
            else if (StartsWith(option, "-Duser.language=")) {
                r->languageSet = true;
                r->language = option.substr(16);
            } else if (StartsWith(option, "-Duser.country=")) {
                r->countrySet = true;
                r->country = option.substr(15);
            } else {
                // The launcher's JVM would differ from the server's (a heap
                // size, which the server's own does not follow, included).
                return false;
            }
            continue;
        }
        // A file of arguments could name anything, paths the server cannot
        // resolve as javac does included.
        if (StartsWith(a, "@")) return false;
        // Output to a file named relative to the JVM's own working folder.
        if (StartsWith(a, "-Xstdout")) return false;
        r->args.push_back(a);
    }
    // Options the launcher takes from the environment and reports.
    for (const char* name : {"JDK_JAVAC_OPTIONS", "JAVA_TOOL_OPTIONS", "_JAVA_OPTIONS"})
        if (std::getenv(name)) return false;
    if (const char* cp = std::getenv("CLASSPATH")) {
        r->classPathSet = true;
        r->classPath = cp;
        // The launcher expands "dir/*" itself.
        if (r->classPath.find('*') != std::string::npos) return false;
    }
    char cwd[PATH_MAX];
    if (!::getcwd(cwd, sizeof cwd)) return false;
    r->cwd = cwd;
    if (utf8Locale) return true;
    // Under another encoding javac writes UTF-8 only when told to, and reads
    // names and arguments in that encoding: only plain ASCII ones are alike.
    if (!fileUtf8 || !stdoutUtf8 || !stderrUtf8) return false;
    auto ascii = [](const std::string& s) {
        for (unsigned char c : s)
            if (c >= 0x80) return false;
        return true;
    };
    for (const std::string& a : r->args)
        if (!ascii(a)) return false;
    return ascii(r->cwd) && ascii(r->classPath);
}

std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    const std::string list = path ? std::string(path) : std::string("/usr/local/bin:/usr/bin:/bin");
    size_t start = 0;
    for (;;) {
        const size_t end = list.find(':', start);
        const std::string part =
            list.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const std::string dir = part.empty() ? std::string(".") : part;  // an empty entry is "."
        const std::string candidate = dir + "/" + name;
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0) {
            char real[PATH_MAX];
            return ::realpath(candidate.c_str(), real) ? std::string(real) : candidate;
        }
        if (end == std::string::npos) return std::string();
        start = end + 1;
    }
}

std::string SocketFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st {};
    std::string base;
    if (runtime && *runtime && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode) && PrivateToUser(st)) {
        base = runtime;
    } else {
        const char* data = std::getenv("XDG_DATA_HOME");
        const char* home = std::getenv("HOME");
        if (data && *data == '/')
            base = data;
        else if (home && *home)
            base = std::string(home) + "/.local/share";
        else
            return std::string();
        base += "/Quenlark";
    }
    return base + "/" + CompileProtocol::kFolderName;
}

void ExecJavac(const std::string& javac, const std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>("javac")};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    if (javac.empty())
        ::execvp("javac", argv.data());
    else
        ::execv(javac.c_str(), argv.data());
    std::fprintf(stderr, "quenlark-javac: javac を実行できません: %s\n", std::strerror(errno));
    std::exit(127);
}

int Run(const Request& request, const std::vector<std::string>& args) {
    const int fd = Connect();
    if (fd < 0) ExecJavac(request.javac, args);
    char reply = 0;
    if (!SendAll(fd, Encode(request)) || !WaitReadable(fd, kAnswerMs)) {
        // Connected but silent: Quenlark replaces it at the next compile.
        MarkStale();
        ::close(fd);
        ExecJavac(request.javac, args);
    }
    if (::read(fd, &reply, 1) != 1 || reply != CompileProtocol::kAccepted) {
        ::close(fd);
        ExecJavac(request.javac, args);
    }
    size_t written[2] = {0, 0};
    std::string pending;
    char buffer[65536];
    for (;;) {
        if (!WaitReadable(fd, kSilenceMs)) break;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        pending.append(buffer, size_t(n));
        size_t at = 0;
        bool broken = false;
        while (at < pending.size()) {
            const char kind = pending[at];
            if (kind == CompileProtocol::kFrameBeat) {
                ++at;
                continue;
            }
            if (kind == CompileProtocol::kFrameJavac) {
                // The server could not finish the compile: javac does it.
                ::close(fd);
                if (written[0] == 0 && written[1] == 0) ExecJavac(request.javac, args);
                return Rerun(request.javac, args, written);
            }
            if (kind != CompileProtocol::kFrameOut && kind != CompileProtocol::kFrameErr &&
                kind != CompileProtocol::kFrameExit) {
                broken = true;
                break;
            }
            if (pending.size() - at < 5) break;
            const int32_t value = GetNumber(pending, at + 1);
            if (kind == CompileProtocol::kFrameExit) {
                ::close(fd);
                return value;
            }
            if (value < 0) {
                broken = true;
                break;
            }
            if (pending.size() - at - 5 < size_t(value)) break;
            const int stream = kind == CompileProtocol::kFrameOut ? 0 : 1;
            WriteAll(stream + 1, pending.data() + at + 5, size_t(value));
            written[stream] += size_t(value);
            at += 5 + size_t(value);
        }
        if (broken) break;
        pending.erase(0, at);
    }
    // The server died or went silent during the compile: closing the
    // connection ends a server that still runs, then javac does the compile.
    MarkStale();
    ::close(fd);
    if (written[0] == 0 && written[1] == 0) ExecJavac(request.javac, args);
    return Rerun(request.javac, args, written);
}

}  // namespace CompilerClient
