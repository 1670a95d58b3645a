// Benchmarks of the run buttons and the result window, each against a
// baseline measured in the same run. Run under a display, e.g.
//   tests/e2e/run-in-xvfb.sh build/bench/run_bench [latency|flood|start|big|compiler|digits|all]
// Uses the real platform with private temporary XDG folders.
#include "BenchFiles.h"
#include "Median.h"
#include "platform/QtPlatform.h"
#include "result/Result.h"
#include "result/ResultMarks.h"
#include "result/frmResultText.h"
#include "run/RunCommands.h"
#include "run/RunConsole.h"
#include "settings/History.h"
#include "settings/Qlk.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileSystemWatcher>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include <malloc.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace Qlk;

namespace {

// A figure of /proc/self/status ("VmHWM", "VmRSS") in MiB.
double StatusMiB(const QByteArray& field) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ')[0].toDouble() / 1024;
    return 0;
}

// The peak of the resident memory since the last ResetPeak(): each pass
// measures its own, not the peak of a pass before it in the same process.
double PeakRssMiB() { return StatusMiB("VmHWM"); }

// Starts a pass's peak from the memory resident now (freed heap handed back
// first), and returns that.
double ResetPeak() {
    malloc_trim(0);
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly)) f.write("5");
    return StatusMiB("VmRSS");
}

// Runs the event loop until `done`; returns the elapsed ms. When the timeout
// passes first, the benchmark ends unmeasured: it was waiting for `what`.
template <typename Pred>
double Until(Pred done, const char* what, int timeoutMs = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() >= timeoutMs)
            NotMeasured(
                QStringLiteral("%1 did not happen within %2 ms").arg(QString::fromUtf8(what)).arg(timeoutMs));
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return t.nsecsElapsed() / 1e6;
}

void Pause(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

frmResultText* OpenResult() {
    Result::Show();
    return static_cast<frmResultText*>(Result::Current());
}

// Rewrite of result.txt until the new text is in the window, at a random
// moment of the 1 s timer's cycle; the baseline is the timer alone.
void Latency(const QString& file) {
    frmResultText* w = OpenResult();
    qint64 changedAt = 0;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(w->Text1->document(), &QTextDocument::contentsChanged, w,
                     [&] { changedAt = clock.nsecsElapsed(); });
    auto run = [&](bool watcher) {
        w->watcher()->blockSignals(!watcher);
        QList<double> ms;
        for (int i = 0; i < 20; ++i) {
            Pause(50 + QRandomGenerator::global()->bounded(950));
            const QString marker = QStringLiteral("round %1 %2").arg(i).arg(watcher);
            changedAt = 0;
            const qint64 start = clock.nsecsElapsed();
            WriteWhole(file, marker.toUtf8() + "\n");
            Until([&] { return changedAt && w->Text1->toPlainText().contains(marker); }, "the rewrite shown",
                  3000);
            QCoreApplication::processEvents();  // and painted
            ms << (changedAt - start) / 1e6;
        }
        return Median(ms);
    };
    const double withWatcher = run(true);
    const double pollOnly = run(false);
    std::printf(
        "rewrite until shown: median %.1f ms (watcher + timer), %.1f ms (1 s poll alone), ratio %.3f\n",
        withWatcher, pollOnly, withWatcher / pollOnly);
    Result::Discard();
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs the writer with the event loop blocked in its wait, as the program's
// own loop is; gives the processor time this process used as a share of one
// core while the writer ran.
double WriterCpu(const QString& self, const QStringList& arguments) {
    QProcess writer;
    QEventLoop loop;
    QObject::connect(&writer, &QProcess::finished, &loop, &QEventLoop::quit);
    writer.start(self, arguments);
    writer.waitForStarted();
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = CpuSeconds();
    if (writer.state() != QProcess::NotRunning) loop.exec();
    return (CpuSeconds() - cpu0) / (wall.nsecsElapsed() / 1e9);
}

// Longest gap between ticks of a 1 ms UI-thread timer.
struct StallMeter {
    QTimer timer;
    QElapsedTimer clock;
    qint64 last = 0;
    double worstMs = 0;
    StallMeter() {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(1);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const qint64 now = clock.nsecsElapsed();
            worstMs = std::max(worstMs, (now - last) / 1e6 - 1);
            last = now;
        });
        clock.start();
        timer.start();
    }
};

// A program printing 10 MB/s into result.txt for `seconds` seconds, as a
// separate process; the baseline is the same window with no writer.
void Flood(const QString& file, const QString& self, int seconds, bool newlines) {
    frmResultText* w = OpenResult();
    {
        const double from = ResetPeak();
        StallMeter idle;
        Pause(3000);
        std::printf("idle window: longest UI stall %.1f ms, peak RSS %.1f MiB (from %.1f)\n", idle.worstMs,
                    PeakRssMiB(), from);
    }
    QProcess writer;
    writer.start(self, {QStringLiteral("--writer"), file, QString::number(seconds),
                        newlines ? QStringLiteral("lines") : QStringLiteral("endless")});
    const double from = ResetPeak();
    writer.waitForStarted();
    StallMeter busy;
    int longest = 0;
    while (writer.state() != QProcess::NotRunning) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        longest = std::max(longest, w->Text1->document()->characterCount());
    }
    const qint64 size = QFileInfo(file).size();
    // The last line reaches the screen.
    const double tail = Until([&] { return w->reader().offset() == size; }, "the end of the flood shown");
    std::printf(
        "flood %d s (%s), %.0f MB written: longest UI stall %.1f ms, peak RSS %.1f MiB (from %.1f), "
        "shown text at most %d chars, end shown %.0f ms after the writer stopped\n",
        seconds, newlines ? "100-byte lines" : "one endless line", size / 1e6, busy.worstMs, PeakRssMiB(),
        from, longest, tail);
    std::fflush(stdout);
    Result::Discard();
    Pause(300);
    // The window's own processor time, without the stall meter's ticks.
    w = OpenResult();
    Pause(300);
    const double cpu = WriterCpu(self, {QStringLiteral("--writer"), file, QString::number(seconds),
                                        newlines ? QStringLiteral("lines") : QStringLiteral("endless")});
    std::printf("flood %d s (%s): CPU %.1f %% of one core while the writer ran\n", seconds,
                newlines ? "100-byte lines" : "one endless line", cpu * 100);
    Result::Discard();
}

// Output that a compiler or a program might print: "compiler" is 10 MB at
// 10 MB/s with one diagnostic (and its source line and caret) every 20
// lines; "digits" is one digit per line (and empty lines) as fast as the
// writer can. Measured with marking on and off; the window's own CPU share
// too.
void Problems(const QString& file, const QString& self, const QByteArray& kind, int seconds) {
    for (const bool marking : {false, true}) {
        frmResultText* w = OpenResult();
        w->SetMarking(marking);
        Pause(500);
        const double from = ResetPeak();
        QProcess writer;
        writer.start(self,
                     {QStringLiteral("--writer"), file, QString::number(seconds), QString::fromLatin1(kind)});
        writer.waitForStarted();
        StallMeter busy;
        while (writer.state() != QProcess::NotRunning)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const qint64 size = QFileInfo(file).size();
        Until([&] { return w->reader().offset() == size; }, "the end of the output shown");
        Pause(200);
        // Every diagnostic of the shown tail is marked.
        int diagnostics = 0, marked = 0;
        for (QTextBlock b = w->Text1->document()->begin(); b.isValid(); b = b.next()) {
            if (!b.text().contains(QStringLiteral(": error: "))) continue;
            ++diagnostics;
            if (b.begin() != b.end() &&
                b.begin().fragment().charFormat().foreground() == w->marks().errorFormat().foreground())
                ++marked;
        }
        std::printf(
            "%s %s: %.1f MB, longest UI stall %.1f ms, peak RSS %.1f MiB (from %.1f), diagnostics shown %d, "
            "marked %d\n",
            kind.constData(), marking ? "marked" : "unmarked", size / 1e6, busy.worstMs, PeakRssMiB(), from,
            diagnostics, marked);
        std::fflush(stdout);
        Result::Discard();
        Pause(300);
        // The window's own processor time, without the stall meter's ticks.
        w = OpenResult();
        w->SetMarking(marking);
        Pause(300);
        const double cpu = WriterCpu(
            self, {QStringLiteral("--writer"), file, QString::number(seconds), QString::fromLatin1(kind)});
        std::printf("%s %s: CPU %.1f %% of one core while the writer ran\n", kind.constData(),
                    marking ? "marked" : "unmarked", cpu * 100);
        std::fflush(stdout);
        Result::Discard();
        Pause(300);
    }
}

int Writer(const QString& file, int seconds, const QByteArray& kind) {
    if (kind == "compiler" || kind == "digits") {
        FILE* out = std::fopen(QFile::encodeName(file).constData(), "w");
        if (!out) return 1;
        QElapsedTimer t;
        t.start();
        qint64 written = 0, n = 0;
        const bool digits = kind == "digits";
        while (t.elapsed() < seconds * 1000 && (digits || written < 10000000)) {
            while ((digits || written < t.elapsed() * 10000) && t.elapsed() < seconds * 1000) {
                QByteArray line;
                if (digits)
                    line = n % 3 == 2 ? QByteArray("\n") : QByteArray::number(n % 10) + '\n';
                else if (n % 20 == 0)
                    line = "src/Bad" + QByteArray::number(n % 7) +
                           ".java:" + QByteArray::number(n % 900 + 1) + ": error: cannot find symbol\n";
                else
                    line = "        int value" + QByteArray::number(n) + " = compute(" + QByteArray(40, 'a') +
                           ");\n";
                ++n;
                std::fwrite(line.constData(), 1, line.size(), out);
                written += line.size();
                if (digits && n % 4096 == 0) break;
            }
            std::fflush(out);
            if (!digits) QThread::usleep(500);
        }
        std::fclose(out);
        return 0;
    }
    const bool newlines = kind == "lines";
    FILE* out = std::fopen(QFile::encodeName(file).constData(), "w");
    if (!out) return 1;
    const QByteArray filler(100, 'x');
    QElapsedTimer t;
    t.start();
    qint64 written = 0, n = 0;
    while (t.elapsed() < seconds * 1000) {
        // 10 MB per second, one line at a time, flushed like a console.
        while (written < t.elapsed() * 10000 && t.elapsed() < seconds * 1000) {
            // Lines of 100 bytes, or one endless line when asked.
            QByteArray line = "line " + QByteArray::number(n++) + ' ';
            line += filler.left(99 - line.size());
            line += newlines ? '\n' : ' ';
            std::fwrite(line.constData(), 1, line.size(), out);
            std::fflush(out);
            written += line.size();
        }
        QThread::usleep(500);
    }
    std::fclose(out);
    return 0;
}

// Click of the compile button until its script runs: the script marks its
// start by creating a file. The baseline starts the same script with
// posix_spawn directly.
void Start(const QString& root, Run::Console& console) {
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/bench-program");
    QDir().mkpath(program);
    const QString mark = root + QStringLiteral("/started");
    WriteWhole(program + QStringLiteral("/compile.bat"), "#!/bin/sh\n: > \"$QLK_BENCH_MARK\"\n");
    qputenv("QLK_BENCH_MARK", QFile::encodeName(mark));
    const QString folder = root + QStringLiteral("/My Java");
    QDir().mkpath(folder);
    WriteWhole(folder + QStringLiteral("/Hello.java"), "class Hello {}\n");
    S.JavaFileFolder[0] = folder;

    struct BenchPlatform : QtPlatform {
        struct Folders : QtFiles {
            using QtFiles::QtFiles;
            QString dir;
            QString programFolder() override { return dir; }
        } folders{*this};
        Files& files() override { return folders; }
    };
    auto* platform = static_cast<QtPlatform*>(&P());
    BenchPlatform bench;
    bench.folders.dir = program;
    SetPlatform(&bench);
    QComboBox box;
    box.setEditable(true);
    CommandContext context;
    context.selectedFolder = 0;
    context.name = QStringLiteral("Hello");
    context.showResult = [] {
        if (!qEnvironmentVariableIsSet("QLK_BENCH_NO_SHOW")) Result::Show();
    };
    S.RecentNumber = QStringLiteral("10");
    LoadRecent(&box);
    box.setEditText(context.name);
    context.addRecent = [&] { AddRecent(&box); };

    auto waitMark = [&](QElapsedTimer& t) {
        struct stat st {};
        const QByteArray name = QFile::encodeName(mark);
        while (::stat(name.constData(), &st) != 0)
            if (t.elapsed() >= 5000) NotMeasured(QStringLiteral("the script did not run within 5 s"));
        return t.nsecsElapsed() / 1e6;
    };
    QList<double> click, clickReturn, spawn;
    auto clickOnce = [&](bool keep) {
        QFile::remove(mark);
        QElapsedTimer t;
        t.start();
        Run::Execute(RunKind::Compile, context, console);
        const double returned = t.nsecsElapsed() / 1e6;
        const double ran = waitMark(t);
        if (keep) {
            click << ran;
            clickReturn << returned;
        }
        Pause(50);
    };
    auto spawnOnce = [&](bool keep) {
        QFile::remove(mark);
        const QByteArray script = QFile::encodeName(program + QStringLiteral("/compile.bat"));
        char* argv[] = {const_cast<char*>("/bin/sh"), const_cast<char*>(script.constData()), nullptr};
        pid_t pid;
        QElapsedTimer s;
        s.start();
        if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv, environ) != 0)
            NotMeasured(QStringLiteral("/bin/sh could not be started"));
        const double spawned = waitMark(s);
        waitpid(pid, nullptr, 0);
        if (keep) spawn << spawned;
        Pause(50);
    };
    // Alternating which goes first, so neither profits from the other.
    for (int i = 0; i < 21; ++i) {
        if (i % 2) {
            clickOnce(i > 0);
            spawnOnce(i > 0);
        } else {
            spawnOnce(i > 0);
            clickOnce(i > 0);
        }
    }
    std::printf(
        "click until the script runs: median %.2f ms (handler returns after %.2f ms); "
        "posix_spawn of the same script %.2f ms; ratio %.2f\n",
        Median(click), Median(clickReturn), Median(spawn), Median(click) / Median(spawn));
    SetPlatform(platform);
    Result::Discard();
}

// A 10 MB result until it is shown; the baseline reads and shows the whole
// file in a text box of the same kind.
void Big(const QString& file) {
    QByteArray big;
    for (int i = 0; big.size() < 10 * 1000 * 1000; ++i)
        big += "出力の行 " + QByteArray::number(i) + " : the quick brown fox jumps over the lazy dog\n";
    frmResultText* w = OpenResult();
    QList<double> ours, whole;
    for (int i = 0; i < 5; ++i) {
        WriteWhole(file, "small\n");
        Until([&] { return w->Text1->toPlainText() == QStringLiteral("small\n"); }, "the small result shown");
        // Put in place whole, as a finished run leaves it.
        WriteWhole(file + QStringLiteral(".new"), big + QByteArray::number(i) + "\n");
        QElapsedTimer t;
        QFile::remove(file);
        QFile::rename(file + QStringLiteral(".new"), file);
        t.start();
        Until([&] { return w->Text1->document()->characterCount() > 1000; }, "the 10 MB result shown");
        QCoreApplication::processEvents();
        ours << t.nsecsElapsed() / 1e6;

        QPlainTextEdit plain;
        plain.setFont(w->Text1->font());
        plain.resize(w->Text1->size());
        plain.show();
        QCoreApplication::processEvents();
        QElapsedTimer b;
        b.start();
        QFile f(file);
        OpenOrExit(f, QIODevice::ReadOnly);
        plain.setPlainText(QStringDecoder(QStringDecoder::Utf8).decode(f.readAll()));
        QCoreApplication::processEvents();
        whole << b.nsecsElapsed() / 1e6;
    }
    std::printf(
        "10 MB result until shown: median %.0f ms (tail of it); whole file into a text box %.0f ms; "
        "ratio %.3f\n",
        Median(ours), Median(whole), Median(ours) / Median(whole));
    Result::Discard();
}

// The console of a run.
// Echo: Enter in the input box until the program's answer is in the window
// (a shell loop that echoes each line into result.txt); the baseline is the
// same line appended to result.txt by us, so only the window's reaction.
// Stop: 停止 until no process of the group is left, for a java busy loop
// (honours SIGTERM) and a shell that ignores it; the baseline is SIGKILL to
// every process of the run, the floor.
// Stall: a program printing 10 MB/s while the user types into the box.
void WriteScript(const QString& path, const QByteArray& body) {
    WriteWhole(path, "#!/bin/sh\nexec >>\"$QLK_RESULT\" 2>&1\n" + body + "\n");
}

void StartRun(Run::Console& console, const QString& script) {
    QString error;
    if (!console.Start(script, &error))
        NotMeasured(QStringLiteral("the run %1 did not start: %2").arg(script, error));
}

void WaitGone() {
    Until([] { return !P().run().alive(); }, "the end of every process of the run", 10000);
}

void ConsoleBench(Run::Console& console, const QString& root, const QString& file, const QString& self) {
    qputenv("QLK_RESULT", QFile::encodeName(file));
    frmResultText* w = OpenResult();
    const QString echo = root + QStringLiteral("/echo.bat");
    WriteScript(echo, "while IFS= read -r x; do echo \"echo:$x\"; done");
    QList<double> ours, base;
    WriteWhole(file, "");
    StartRun(console, echo);
    Pause(300);
    for (int i = 0; i < 20; ++i) {
        const QString line = QStringLiteral("line %1 入力").arg(i);
        w->txtInput->setText(line);
        ours << Until(
            [&] {
                if (!w->txtInput->text().isEmpty()) w->txtInput_Enter();
                return w->Text1->toPlainText().contains(QStringLiteral("echo:") + line);
            },
            "the echo shown");
        Pause(QRandomGenerator::global()->bounded(50, 150));
        const QByteArray mark = "mark:" + QByteArray::number(i) + '\n';
        QElapsedTimer t;
        t.start();
        P().files().appendToFile(file, mark, nullptr);
        Until([&] { return w->Text1->toPlainText().contains(QString::fromLatin1(mark.trimmed())); },
              "our own line shown");
        base << t.nsecsElapsed() / 1e6;
        Pause(QRandomGenerator::global()->bounded(50, 150));
    }
    std::printf(
        "Enter until echo shown: median %.1f ms (max %.1f); append by us until shown: median %.1f ms; "
        "ratio %.2f\n",
        Median(ours), *std::max_element(ours.begin(), ours.end()), Median(base), Median(ours) / Median(base));
    console.Stop();
    WaitGone();

    // Stop: java busy loop, shell ignoring SIGTERM, and the SIGKILL floor.
    const QString busyDir = root + QStringLiteral("/busy");
    QDir().mkpath(busyDir);
    WriteWhole(busyDir + QStringLiteral("/Busy.java"),
               "public class Busy { public static void main(String[] a) { long x = 0; "
               "System.out.println(\"busy\"); while (true) x++; } }\n");
    const bool haveJava =
        QProcess::execute(QStringLiteral("javac"), {busyDir + QStringLiteral("/Busy.java")}) == 0;
    auto stopTimes = [&](const QString& script, int rounds, bool kill) {
        QList<double> times;
        for (int i = 0; i < rounds; ++i) {
            WriteWhole(file, "");
            StartRun(console, script);
            Until([&] { return P().files().fileStamp(file).size > 0; }, "the run's first output", 10000);
            Pause(300);
            QElapsedTimer t;
            t.start();
            if (kill)
                P().run().signal(SIGKILL);
            else
                console.Stop();
            WaitGone();
            times << t.nsecsElapsed() / 1e6;
        }
        return times;
    };
    if (haveJava) {
        const QString busy = root + QStringLiteral("/busy.bat");
        WriteScript(busy, "exec java -cp '" + QFile::encodeName(busyDir) + "' Busy");
        const double stop = Median(stopTimes(busy, 7, false));
        const double floor = Median(stopTimes(busy, 7, true));
        std::printf(
            "停止 until the group is gone, java busy loop: median %.1f ms; SIGKILL floor %.1f ms; "
            "ratio %.2f\n",
            stop, floor, stop / floor);
    } else {
        NotMeasured(QStringLiteral("javac could not compile the busy loop (is a JDK installed?)"));
    }
    const QString stubborn = root + QStringLiteral("/stubborn.bat");
    WriteScript(stubborn, "trap '' TERM; echo stubborn; sleep 60 & wait; wait");
    const double stop = Median(stopTimes(stubborn, 3, false));
    const double floor = Median(stopTimes(stubborn, 3, true));
    std::printf(
        "停止 until the group is gone, SIGTERM ignored: median %.0f ms (grace %d ms); SIGKILL floor "
        "%.1f ms\n",
        stop, Run::Console::kStopGraceMs, floor);

    // Stall while a program floods result.txt and the user types.
    auto typing = [&](int ms) {
        StallMeter meter;
        QElapsedTimer t;
        t.start();
        int keys = 0;
        while (t.elapsed() < ms) {
            Pause(40);
            w->txtInput->insert(QStringLiteral("a"));
            if (++keys % 10 == 0) w->txtInput_Enter();
        }
        return meter.worstMs;
    };
    const QString cat = root + QStringLiteral("/cat.bat");
    WriteScript(cat, "cat");
    WriteWhole(file, "");
    StartRun(console, cat);
    const double idle = typing(3000);
    console.Stop();
    WaitGone();
    const QString flood = root + QStringLiteral("/flood.bat");
    WriteWhole(flood, "exec '" + QFile::encodeName(self) + "' --writer \"$QLK_RESULT\" 8 lines\n");
    StartRun(console, flood);
    const double busy = typing(7000);
    console.Stop();
    WaitGone();
    std::printf(
        "typing while the run prints 10 MB/s: longest UI stall %.1f ms; typing to a quiet run %.1f ms\n",
        busy, idle);
    Result::Discard();
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 5 && QByteArray(argv[1]) == "--writer")
        return Writer(QString::fromLocal8Bit(argv[2]), atoi(argv[3]), QByteArray(argv[4]));
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + QStringLiteral("/data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/config")));
    QApplication app(argc, argv);
    QtPlatform platform;
    SetPlatform(&platform);
    Run::Console console;
    Run::ServeResultWindows(console);
    S.WindowsFolder = platform.files().windowsFolder();
    S.HtmlExtension = QStringLiteral(".html");
    const QString file = S.WindowsFolder + QStringLiteral("result.txt");
    WriteWhole(file, "start\n");
    S.ResultFileTime = platform.files().fileStamp(file);

    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray("all");
    const int floodSeconds = argc > 2 ? atoi(argv[2]) : 30;
    if (mode == "latency" || mode == "all") Latency(file);
    if (mode == "start" || mode == "all") Start(home.path(), console);
    if (mode == "flood" || mode == "all")
        Flood(file, QCoreApplication::applicationFilePath(), floodSeconds, true);
    if (mode == "flood-endless") Flood(file, QCoreApplication::applicationFilePath(), floodSeconds, false);
    if (mode == "big" || mode == "all") Big(file);
    if (mode == "compiler" || mode == "all")
        Problems(file, QCoreApplication::applicationFilePath(), "compiler", 3);
    if (mode == "digits" || mode == "all")
        Problems(file, QCoreApplication::applicationFilePath(), "digits", std::min(floodSeconds, 10));
    if (mode == "console" || mode == "all")
        ConsoleBench(console, home.path(), file, QCoreApplication::applicationFilePath());
    SetPlatform(nullptr);
    return 0;
}
