// quenlark-javac: takes javac's arguments and has the warm compile server run
// the compile, writing its output as it arrives; runs the real javac instead
// whenever the server cannot give javac's own result.
//
// No Qt and no JVM here: it must start in a few milliseconds.
//
// When the server is gone, does not answer at once, is busy with a compile
// someone abandoned, runs another JDK than the javac on PATH, refuses the
// request, or anything else fails before the compile started, and under a
// small file-size limit, this program becomes javac (exec) with the same
// arguments. When the server could not finish the compile, dies or goes
// silent during it, the output written so far stays; javac runs again and
// only what goes beyond that output is written, so the output is still whole
// and right (javac writes the same bytes as the server), and its exit status
// is ours.
#include "CompilerClient.h"

#include <langinfo.h>
#include <sys/resource.h>
#include <clocale>
#include <csignal>

int main(int argc, char** argv) {
    // As the JVM does: a write beyond a file-size limit fails instead of
    // ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    std::setlocale(LC_ALL, "");
    CompilerClient::Request request;
    const char* messages = std::setlocale(LC_MESSAGES, nullptr);
    request.localeName = messages ? messages : "C";
    const char* codeset = nl_langinfo(CODESET);
    const bool utf8 = codeset && std::string(codeset) == "UTF-8";
    std::vector<std::string> args(argv + 1, argv + argc);
    const std::string javac = CompilerClient::FindOnPath("javac");
    rlimit fileSize{};
    const bool limited = ::getrlimit(RLIMIT_FSIZE, &fileSize) == 0 && fileSize.rlim_cur != RLIM_INFINITY &&
                         fileSize.rlim_cur < rlim_t(CompilerClient::kServedFileLimit);
    if (javac.empty() || limited || !CompilerClient::Prepare(args, utf8, &request))
        CompilerClient::ExecJavac(javac, args);
    request.javac = javac;
    return CompilerClient::Run(request, args);
}
