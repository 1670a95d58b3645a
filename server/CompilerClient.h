// The compile client's steps: which requests the server may take, finding and
// checking its socket, the exchange, and the fall-backs to the real javac.
#pragma once

#include "CompileProtocol.h"

#include <string>
#include <vector>

namespace CompilerClient {

// How long the server may take to take a request, and how long it may stay
// silent during a compile (it sends a beat every second).
inline constexpr int kAnswerMs = 500;
inline constexpr int kSilenceMs = 10000;

// A file-size limit below this sends the compile to javac: the server, which
// writes the class files, has no such limit. Above it (compile.bat sets
// 100 MB for result.txt) no class file of a compile comes near it.
inline constexpr long long kServedFileLimit = 16LL << 20;

struct Request {
    std::string javac;       // the real path of the javac on PATH
    std::string cwd;         // the working folder
    std::string localeName;  // the C library's message locale
    bool languageSet = false, countrySet = false, classPathSet = false;
    std::string language, country, classPath;
    std::vector<std::string> args;  // javac's arguments less the launcher's -J ones
};

// Fills the request from javac's arguments and the environment; false when
// the server could not give javac's result for them (launcher options it
// does not share, a heap size, argument files, options from the environment,
// an output encoding other than UTF-8): javac runs instead.
bool Prepare(const std::vector<std::string>& args, bool utf8Locale, Request* request);

// The first executable `name` on PATH, links resolved; "" when none.
std::string FindOnPath(const std::string& name);

// The private folder the server's socket lies in.
std::string SocketFolder();

// Becomes javac with the arguments; never returns.
[[noreturn]] void ExecJavac(const std::string& javac, const std::vector<std::string>& args);

// Asks the server to compile and writes what it answers; falls back to
// javac as described above. Returns the exit status.
int Run(const Request& request, const std::vector<std::string>& args);

}  // namespace CompilerClient
