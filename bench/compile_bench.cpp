// Benchmark of ｺﾝﾊﾟｲﾙ実行 with the warm compile server against plain javac in
// the same run: the click until the result window shows the compile finished,
// for a five-line Hello and a 500-line source; the first compile right after
// the server starts; the server's resident memory after 100 compiles and its
// processor time while idle. Figures are printed only when the warm compiles
// were served by one live server throughout. Run under a display:
//   tests/e2e/run-in-xvfb.sh build/bench/compile_bench [rounds]
#include "BenchFiles.h"
#include "Median.h"
#include "platform/CompileServer.h"
#include "platform/QtPlatform.h"
#include "result/Result.h"
#include "result/frmResultText.h"
#include "run/RunCommands.h"
#include "run/RunConsole.h"
#include "settings/Qlk.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include <signal.h>
#include <unistd.h>

using namespace Qlk;

namespace {

// Runs the event loop until `done` or the timeout. It sleeps between events
// as the program does: a loop that polled would take one of the machine's
// two cores from the compile it measures.
template <typename Pred>
double Until(Pred done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    QTimer wake;  // checks the condition at least every 10 ms
    wake.start(10);
    while (!done() && t.elapsed() < timeoutMs) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return t.nsecsElapsed() / 1e6;
}

// A class of about 500 lines: fields, loops, strings, a nested class.
QByteArray LongSource(const QByteArray& name) {
    QByteArray s = "import java.util.*;\n\npublic class " + name + " {\n";
    for (int i = 0; i < 48; ++i) {
        const QByteArray n = QByteArray::number(i);
        s += "    static int total" + n + "(List<Integer> xs) {\n        int sum = 0;\n";
        s += "        for (int x : xs) {\n            if (x % " + QByteArray::number(i + 2) +
             " == 0) sum += x;\n            else sum -= x / 2;\n        }\n";
        s += "        String t = \"値 \" + sum + \" / " + n +
             "\";\n        return t.length() + sum;\n    }\n\n";
    }
    s += "    public static void main(String[] args) {\n        List<Integer> xs = new ArrayList<>();\n";
    s += "        for (int i = 0; i < 100; i++) xs.add(i);\n        System.out.println(total0(xs));\n    "
         "}\n}\n";
    return s;
}

// The real platform with the program folder and the compile server this
// benchmark chose.
struct Bench : QtPlatform {
    struct Folders : QtFiles {
        using QtFiles::QtFiles;
        QString programs;
        QString programFolder() override { return programs; }
    } folders{*this};
    struct Keeper : CompileServerKeeper {
        CompileServer* server = nullptr;
        void start() override {
            if (server) server->ensureRunning(nullptr);
        }
        void stop() override {}
        void hold(bool hold) override {
            if (server) server->hold(hold);
        }
    } keeper;
    Files& files() override { return folders; }
    CompileServerKeeper& compileServer() override { return keeper; }
};

qint64 StatusField(qint64 pid, const char* field) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    OpenOrExit(f, QIODevice::ReadOnly);
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

double CpuMs(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    OpenOrExit(f, QIODevice::ReadOnly);
    const QList<QByteArray> fields = f.readAll().split(')').value(1).split(' ');
    return (fields.value(12).toLongLong() + fields.value(13).toLongLong()) * 1000.0 / sysconf(_SC_CLK_TCK);
}

}  // namespace

int main(int argc, char* argv[]) {
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 11;
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + QStringLiteral("/data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/config")));
    const QString runtime = home.path() + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    QApplication app(argc, argv);
    const QString bin = QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin"));
    CompileServer server(runtime, bin);
    Bench platform;
    platform.folders.programs = bin;
    platform.keeper.server = &server;
    SetPlatform(&platform);
    S.WindowsFolder = platform.files().windowsFolder();
    WriteWhole(S.WindowsFolder + QStringLiteral("result.txt"), "start\n");
    const QString folder = home.path() + QStringLiteral("/java");
    QDir().mkpath(folder);
    S.JavaFileFolder[0] = folder;
    const QByteArray hello =
        "public class %1 {\n    public static void main(String[] a) {\n        "
        "System.out.println(\"やあ\");\n"
        "    }\n}\n";
    for (const char* n : {"Hello", "Hallo"})
        WriteWhole(folder + "/" + n + ".java", QByteArray(hello).replace("%1", n));
    for (const char* n : {"Long", "Lang"}) WriteWhole(folder + "/" + n + ".java", LongSource(n));

    // The run's end reaches the result window as in the program.
    Run::Console console;
    Run::ServeResultWindows(console);
    Result::Show();
    auto* w = static_cast<frmResultText*>(Result::Current());
    // One click of ｺﾝﾊﾟｲﾙ実行 until the window shows the compile finished;
    // with the server, or with javac alone (the script then finds no client).
    auto click = [&](const QString& name, bool warm) {
        S.CompileServer = warm;
        qputenv("QUENLARK_PROGRAMS", warm ? QFile::encodeName(bin) : QByteArray("/nonexistent"));
        CommandContext context;
        context.selectedFolder = 0;
        context.name = name;
        context.showResult = [] { Result::Show(); };
        const QString done = QStringLiteral("コンパイルが終わりました: ") + name + QStringLiteral(".java");
        // The window first shows something else, so the finish is this run's.
        WriteWhole(S.WindowsFolder + QStringLiteral("result.txt"), "waiting\n");
        Until([&] { return w->Text1->toPlainText() == QStringLiteral("waiting\n"); }, 10000);
        if (w->Text1->toPlainText() != QStringLiteral("waiting\n"))
            NotMeasured(QStringLiteral("the result window did not follow result.txt"));
        QElapsedTimer t;
        t.start();
        Run::Execute(RunKind::Compile, context, console);
        Until([&] { return w->Text1->toPlainText().contains(done); }, 60000);
        const double ms = t.nsecsElapsed() / 1e6;
        if (!w->Text1->toPlainText().contains(done))
            NotMeasured(QStringLiteral("the compile of %1.java did not finish within 60 s").arg(name));
        return ms;
    };

    // The first compile right after the server starts, against javac's with
    // no server at all: ｺﾝﾊﾟｲﾙ実行 is pressed half a second after a server
    // started, while it warms up.
    QList<double> firsts, alone;
    for (int i = 0; i < std::max(3, rounds / 2); ++i) {
        server.stop();
        if (i % 2) alone << click(QStringLiteral("Hallo"), false);
        server.ensureRunning(nullptr);
        Until([] { return false; }, 500);
        firsts << click(QStringLiteral("Hello"), true);
        if (i % 2 == 0) {
            server.stop();
            alone << click(QStringLiteral("Hallo"), false);
        }
    }
    const double first = Median(firsts), firstJavac = Median(alone);
    // Whichever way the loop ended, the warm rounds get a server of their own,
    // and are measured only while that one server answers.
    QString error;
    if (!server.ensureRunning(&error))
        NotMeasured(QStringLiteral("the compile server did not start: ") + error);
    const QString socket = runtime + QStringLiteral("/quenlark-compiler/socket");
    Until([&] { return QFile::exists(socket); }, 120000);
    if (!QFile::exists(socket))
        NotMeasured(QStringLiteral("the compile server opened no socket in 120 s: ") + socket);
    const qint64 warmPid = server.pid();
    auto serving = [&] {
        if (server.pid() != warmPid || warmPid <= 0 || ::kill(pid_t(warmPid), 0) != 0 ||
            !QFile::exists(socket))
            NotMeasured(QStringLiteral("the compile server ended or was replaced during the warm compiles"));
    };
    for (int i = 0; i < 3; ++i) click(QString::fromLatin1(i % 2 ? "Hello" : "Hallo"), true);
    serving();

    int served = 3;  // compiles the server ran
    for (const auto& [a, b, what] :
         {std::tuple{"Hello", "Hallo", "Hello (5 lines)"}, std::tuple{"Long", "Lang", "500-line source"}}) {
        QList<double> warm, cold;
        for (int i = 0; i < rounds; ++i) {
            // Alternating the order, and the name so that each shows anew.
            const QString n = QString::fromLatin1(i % 2 ? a : b);
            if (i % 2) {
                warm << click(n, true);
                serving();
                cold << click(n, false);
            } else {
                cold << click(n, false);
                warm << click(n, true);
                serving();
            }
            ++served;
        }
        std::printf(
            "%s: click until shown compiled: server median %.0f ms, javac %.0f ms, ratio %.2f (%d rounds)\n",
            what, Median(warm), Median(cold), Median(warm) / Median(cold), rounds);
    }
    std::printf(
        "first compile right after the server started: median %.0f ms, javac with no server %.0f ms, ratio "
        "%.2f (%lld rounds)\n",
        first, firstJavac, first / firstJavac, firsts.size());

    // Up to 100 compiles in the server, then its memory and idle processor time.
    const qint64 pid = warmPid;
    QProcess client;
    client.setWorkingDirectory(folder);
    for (int i = served; i < 100; ++i) {
        client.start(bin + QStringLiteral("/quenlark-javac"),
                     {QStringLiteral("-encoding"), QStringLiteral("UTF-8"),
                      QString::fromLatin1(i % 2 ? "Long.java" : "Hello.java")});
        if (!client.waitForFinished(60000) || client.exitStatus() != QProcess::NormalExit ||
            client.exitCode() != 0)
            NotMeasured(QStringLiteral("quenlark-javac failed: ") + client.errorString());
    }
    serving();
    QThread::sleep(10);  // the compiler threads finish what they queued
    const double before = CpuMs(pid);
    QThread::sleep(10);
    std::printf(
        "server after 100 compiles: resident %lld MiB (peak %lld MiB); processor while idle 10 s: %.0f ms\n",
        StatusField(pid, "VmRSS:") / 1024, StatusField(pid, "VmHWM:") / 1024, CpuMs(pid) - before);
    server.stop();
    Result::Discard();
    SetPlatform(nullptr);
    return 0;
}
