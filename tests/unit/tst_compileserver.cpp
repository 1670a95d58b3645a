// The warm compile server and its client against javac itself: the same
// output, exit status and class files for the same sources and arguments;
// javac's result when the server is missing, silent, dies mid-compile, is
// not the user's, runs out of memory or meets paths and limits it cannot
// serve as javac would; a server that no longer serves, or that another
// JDK's javac on PATH has made useless, is replaced; foreign code in a
// compile leaves nothing to a later one; the server is ended without a wait.
#include "CompileProtocol.h"
#include "TestFiles.h"
#include "platform/CompileServer.h"
#include "platform/ProcessRules.h"

#include <QDirIterator>
#include <QEventLoop>
#include <QProcess>
#include <QScopeGuard>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <QtTest>

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

using TestFiles::WriteFile;

namespace {

const QString kClient = QStringLiteral(QLK_BIN_DIR "/quenlark-javac");
// What compile.bat passes besides the encoding and the file.
const QStringList kScriptFlags = {QStringLiteral("-J-Dfile.encoding=UTF-8"),
                                  QStringLiteral("-J-Dstdout.encoding=UTF-8"),
                                  QStringLiteral("-J-Dstderr.encoding=UTF-8")};
const QByteArray kHello =
    "public class Hello {\n    public static void main(String[] args) {\n"
    "        System.out.println(\"\xe3\x81\x93\xe3\x82\x93\xe3\x81\xab\xe3\x81\xa1\xe3\x81\xaf\");\n    "
    "}\n}\n";
const QByteArray kOneError = "public class Hello {\n    int x = \"\xe6\x96\x87\xe5\xad\x97\";\n}\n";
const QByteArray kWarnings =
    "import java.util.*;\npublic class Hello {\n    List l = new ArrayList();\n"
    "    @Deprecated void f() {}\n    void g() { l.add(1); new Date(0).getYear(); }\n}\n";

using Files = QList<QPair<QString, QByteArray>>;

struct Outcome {
    QByteArray output;  // standard output and error as one file gets them
    int status = -1;
    QMap<QString, QByteArray> classes;  // by path in the folder
};

// Runs a program in `dir` (or in its sub-folder `workIn`) with the
// environment changed as `env` says ("NAME=value" sets, "NAME" removes),
// the event loop turning meanwhile. Under a file-size limit of `limitBlocks`
// (ulimit -f) its output goes to a file beside `dir`, as compile.bat sends it
// to result.txt. The class files are those anywhere in `dir`.
Outcome RunIn(const QString& program, const QStringList& args, const QString& dir, const QStringList& env,
              const QString& workIn = QString(), int limitBlocks = 0) {
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const QString& change : env) {
        const qsizetype eq = change.indexOf(u'=');
        if (eq < 0)
            e.remove(change);
        else
            e.insert(change.left(eq), change.mid(eq + 1));
    }
    const QString output = dir + QStringLiteral(".out");
    e.insert(QStringLiteral("QLK_OUTPUT"), output);
    p.setProcessEnvironment(e);
    p.setWorkingDirectory(workIn.isEmpty() ? dir : dir + u'/' + workIn);
    p.setProcessChannelMode(QProcess::MergedChannels);
    QEventLoop loop;
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(180000, &loop, &QEventLoop::quit);
    if (limitBlocks > 0)
        p.start(
            QStringLiteral("/bin/sh"),
            QStringList{QStringLiteral("-c"),
                        QStringLiteral("ulimit -f %1 || exit 99; exec \"$0\" \"$@\" >\"$QLK_OUTPUT\" 2>&1")
                            .arg(limitBlocks),
                        program} +
                args);
    else
        p.start(program, args);
    loop.exec();
    Outcome o;
    o.output = p.readAll();
    if (limitBlocks > 0) {
        QFile f(output);
        if (f.open(QIODevice::ReadOnly)) o.output = f.readAll();
    }
    o.status =
        p.state() == QProcess::NotRunning && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    QDirIterator it(dir, {QStringLiteral("*.class")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (f.open(QIODevice::ReadOnly)) o.classes[path.mid(dir.size())] = f.readAll();
    }
    return o;
}

// A Unix socket at `path`: listening, or connected; -1 on failure.
QString MakeFolder(const QString& dir, const Files& files) {
    for (const auto& [name, bytes] : files) WriteFile(dir + u'/' + name, bytes);
    return dir;
}

// The bin folder of the JDK whose javac is on PATH, links resolved.
QString JdkBin() {
    return QFileInfo(QFileInfo(QStandardPaths::findExecutable(QStringLiteral("javac"))).canonicalFilePath())
        .absolutePath();
}

// The value of `name` in the environment the process was started with.
QByteArray StartVariable(qint64 pid, const QByteArray& name) {
    QFile f(QStringLiteral("/proc/%1/environ").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    for (const QByteArray& entry : f.readAll().split('\0'))
        if (entry.startsWith(name + '=')) return entry.mid(name.size() + 1);
    return QByteArray();
}

// True while the process runs `program` (its executable, links resolved).
bool Runs(qint64 pid, const char* program) {
    return QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).canonicalFilePath() ==
           QFileInfo(QLatin1String(program)).canonicalFilePath();
}

// Points the link at `target` (made under another name, then renamed over).
void PointLink(const QString& link, const QString& target) {
    QFile::remove(link + QStringLiteral(".new"));
    QVERIFY(QFile::link(target, link + QStringLiteral(".new")));
    QVERIFY(::rename(QFile::encodeName(link + QStringLiteral(".new")).constData(),
                     QFile::encodeName(link).constData()) == 0);
}

// The process's state letter in /proc/PID/stat ('T' stopped, 'Z' ended but
// not collected); 0 when there is no such process.
char State(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QByteArray rest = f.readAll().split(')').value(1).trimmed();
    return rest.isEmpty() ? '?' : rest.at(0);
}

bool Stopped(qint64 pid) { return State(pid) == 'T'; }

// What the process's descriptors lead to.
QStringList Descriptors(qint64 pid) {
    QStringList targets;
    const QString dir = QStringLiteral("/proc/%1/fd").arg(pid);
    for (const QString& fd : QDir(dir).entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        targets << QFileInfo(dir + u'/' + fd).symLinkTarget();
    return targets;
}

// An annotation processor that meddles with the JVM it runs in, as its
// option "act" says: "home" clears the property javac finds the JDK by,
// "thread" leaves a thread that writes fake errors to the standard error of
// whatever compile runs, "flood" writes 8 MB to the process's own error.
const QByteArray kMeddler =
    "import java.util.Set;\n"
    "import javax.annotation.processing.*;\n"
    "import javax.lang.model.element.TypeElement;\n"
    "@SupportedAnnotationTypes(\"*\") @SupportedOptions(\"act\")\n"
    "public class Meddler extends AbstractProcessor {\n"
    "  public javax.lang.model.SourceVersion getSupportedSourceVersion() {\n"
    "    return javax.lang.model.SourceVersion.latestSupported(); }\n"
    "  public boolean process(Set<? extends TypeElement> types, RoundEnvironment round) {\n"
    "    if (!round.processingOver()) return false;\n"
    "    String act = processingEnv.getOptions().get(\"act\");\n"
    "    if (act.equals(\"home\")) System.clearProperty(\"application.home\");\n"
    "    if (act.equals(\"thread\")) { Thread t = new Thread(() -> { for (int i = 0; i < 1200; ++i) {\n"
    "      System.err.println(\"Injected.java:1: error: injected\");\n"
    "      try { Thread.sleep(25); } catch (InterruptedException e) { return; } } });\n"
    "      t.setDaemon(true); t.start(); }\n"
    "    if (act.equals(\"flood\")) try (java.io.FileOutputStream err =\n"
    "        new java.io.FileOutputStream(java.io.FileDescriptor.err)) {\n"
    "      byte[] line = new byte[1024]; java.util.Arrays.fill(line, (byte) 'x');\n"
    "      for (int i = 0; i < 8192; ++i) err.write(line);\n"
    "    } catch (java.io.IOException e) {}\n"
    "    return false; } }\n";

}  // namespace

class TestCompileServer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void sameAsJavac_data();
    void sameAsJavac();
    void givenToJavac_data();
    void givenToJavac();
    void fallsBackToJavac_data();
    void fallsBackToJavac();
    void replacesServerThatNoLongerServes();
    void abandonedCompileEndsTheServer();
    void replacedWhenJavacChanges();
    void servesAnotherJdk();
    void unfinishedCompileGoesToJavac();
    void foreignCodeLeavesNothingBehind_data();
    void foreignCodeLeavesNothingBehind();
    void outOfMemoryGoesToJavac();
    void bindsASocketPathOverTheLimit();
    void startedWithOnlyStandardDescriptors_data();
    void startedWithOnlyStandardDescriptors();
    void endsAStoppedServerWithoutWaiting();
    void cleanupTestCase() { m_server.reset(); }

private:
    QString folder() const { return m_runtime.path() + QStringLiteral("/quenlark-compiler"); }
    int served();
    void compareWithJavac(const Files& files, const QStringList& args, QStringList env, int byServer,
                          const QString& workIn = QString(), int limitBlocks = 0, int lines = -1);
    bool serverUp();

    QTemporaryDir m_runtime, m_work;
    std::unique_ptr<CompileServer> m_server;
    int m_rows = 0;
};

void TestCompileServer::initTestCase() {
    QVERIFY(QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    m_server = std::make_unique<CompileServer>(m_runtime.path(), QStringLiteral(QLK_BIN_DIR));
    QString error;
    QVERIFY2(m_server->ensureRunning(&error), qPrintable(error));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(folder() + QStringLiteral("/socket")), 120000);
}

// A server that serves, started afresh when needed, its socket in place.
bool TestCompileServer::serverUp() {
    if (!m_server->ensureRunning(nullptr)) return false;
    return QTest::qWaitFor([&] { return served() >= 0; }, 120000);
}

// How many compiles the server has run, from its own state request.
int TestCompileServer::served() {
    const int fd = ProcessRules::UnixSocket(folder() + QStringLiteral("/socket"), false);
    if (fd < 0 || ::write(fd, "QLK1S", 5) != 5) return -1;
    QByteArray text;
    char buffer[256];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    ::close(fd);
    const qsizetype at = text.indexOf("compiles=");
    return at < 0 ? -1 : text.mid(at + 9).trimmed().toInt();
}

void TestCompileServer::sameAsJavac_data() {
    QTest::addColumn<Files>("files");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("env");
    QTest::addColumn<int>("byServer");  // by the server (1), or by javac the client ran (0)
    const QStringList utf8 = kScriptFlags + QStringList{QStringLiteral("-encoding"), QStringLiteral("UTF-8")};
    const QStringList cUtf8{QStringLiteral("LC_ALL=C.UTF-8")};
    QTest::newRow("clean") << Files{{"Hello.java", kHello}} << utf8 + QStringList{"Hello.java"} << cUtf8 << 1;
    QTest::newRow("one error") << Files{{"Hello.java", kOneError}} << utf8 + QStringList{"Hello.java"}
                               << cUtf8 << 1;
    QTest::newRow("errors and warnings")
        << Files{{"Hello.java", kWarnings + "class Bad { void f() { int y = \"s\"; undefined(); } }\n"}}
        << utf8 + QStringList{"-Xlint:all", "Hello.java"} << cUtf8 << 1;
    // "日本語" and "ｴﾗｰ" in Shift_JIS, messages in Japanese.
    QTest::newRow("Shift_JIS source, Japanese")
        << Files{{"Sjis.java",
                  "public class Sjis {\n    String s = \"\x93\xfa\x96\x7b\x8c\xea\";\n"
                  "    int x = \"\xb4\xd7\xb0\";\n}\n"}}
        << kScriptFlags + QStringList{"-J-Duser.language=ja", "-J-Duser.country=JP", "-encoding",
                                      "windows-31j", "Sjis.java"}
        << cUtf8 << 1;
    QTest::newRow("LANG=ja_JP.UTF-8") << Files{{"Hello.java", kOneError}} << utf8 + QStringList{"Hello.java"}
                                      << QStringList{"LC_ALL", "LC_MESSAGES", "LANG=ja_JP.UTF-8"} << 1;
    QTest::newRow("LANG=C") << Files{{"Hello.java", kOneError}} << utf8 + QStringList{"Hello.java"}
                            << QStringList{"LC_ALL", "LC_MESSAGES", "LANG=C"} << 1;
    QTest::newRow("class in a package, relative output")
        << Files{{"jp/example/Q.java",
                  "package jp.example;\npublic class Q { public static int v() { return 1; } }\n"},
                 {"Main.java", "public class Main { int v = jp.example.Q.v(); }\n"}}
        << utf8 + QStringList{"-d", "out", "Main.java"} << cUtf8 << 1;
    QTest::newRow("two classes that need each other")
        << Files{{"A.java", "public class A { B b; }\n"},
                 {"B.java", "public class B { A a; int x = \"\"; }\n"}}
        << utf8 + QStringList{"A.java"} << cUtf8 << 1;
    QTest::newRow("class path from the environment")
        << Files{{"lib/L.java", "public class L {}\n"}, {"Hello.java", "public class Hello { L l; }\n"}}
        << utf8 + QStringList{"Hello.java"} << QStringList{"LC_ALL=C.UTF-8", "CLASSPATH=lib"} << 1;
    QTest::newRow("no arguments: usage") << Files{} << QStringList{} << cUtf8 << 1;
    // What compile.bat adds for a JDK without the Applet API goes through as
    // it is, and only once: given twice, javac fails.
    const QStringList patched{"--patch-module", "java.desktop=api", "--add-exports",
                              "java.desktop/java.applet=ALL-UNNAMED"};
    const Files applet{
        {"api/java/applet/Note.java",
         "package java.applet;\npublic class Note { public static String t() { return \"n\"; } }\n"},
        {"Ap.java",
         "import java.applet.*;\npublic class Ap extends Applet {\n"
         "    public void init() { showStatus(Note.t()); }\n}\n"}};
    QTest::newRow("a patched java.desktop")
        << applet << utf8 + patched + QStringList{"-Xlint:all", "Ap.java"} << cUtf8 << 1;
    QTest::newRow("the patch options twice")
        << applet << utf8 + patched + patched + QStringList{"Ap.java"} << cUtf8 << 1;
    // What only the launcher's JVM would do the same way: javac runs.
    QTest::newRow("launcher option -J-Xss")
        << Files{{"Hello.java", kHello}} << utf8 + QStringList{"-J-Xss4m", "Hello.java"} << cUtf8 << 0;
    QTest::newRow("JAVA_TOOL_OPTIONS, which the launcher reports")
        << Files{{"Hello.java", kOneError}} << utf8 + QStringList{"Hello.java"}
        << QStringList{"LC_ALL=C.UTF-8", "JAVA_TOOL_OPTIONS=-Dquenlark.test=1"} << 0;
    QTest::newRow("LANG=C without the UTF-8 options")
        << Files{{"Hello.java", kOneError}} << QStringList{"-encoding", "UTF-8", "Hello.java"}
        << QStringList{"LC_ALL", "LC_MESSAGES", "LANG=C"} << 0;
}

void TestCompileServer::sameAsJavac() {
    QFETCH(Files, files);
    QFETCH(QStringList, args);
    QFETCH(QStringList, env);
    QFETCH(int, byServer);
    compareWithJavac(files, args, env, byServer);
}

// The client in one copy of the files, javac in another: the same output,
// status and class files (of the output its first `lines` lines, -1 all);
// the server ran the compile `byServer` times.
void TestCompileServer::compareWithJavac(const Files& files, const QStringList& args, QStringList env,
                                         int byServer, const QString& workIn, int limitBlocks, int lines) {
    const QString base = m_work.path() + QStringLiteral("/row%1").arg(++m_rows);
    const QString a = MakeFolder(base + QStringLiteral("/server"), files);
    const QString b = MakeFolder(base + QStringLiteral("/javac"), files);
    QDir().mkpath(a + u'/' + workIn);
    QDir().mkpath(b + u'/' + workIn);
    env << QStringLiteral("XDG_RUNTIME_DIR=") + m_runtime.path();
    const int before = served();
    QVERIFY(before >= 0);
    const Outcome viaServer = RunIn(kClient, args, a, env, workIn, limitBlocks);
    QCOMPARE(served(), before + byServer);
    const Outcome viaJavac = RunIn(QStringLiteral("javac"), args, b, env, workIn, limitBlocks);
    QCOMPARE(viaServer.output.split('\n').mid(0, lines), viaJavac.output.split('\n').mid(0, lines));
    QCOMPARE(viaServer.status, viaJavac.status);
    QCOMPARE(viaServer.classes, viaJavac.classes);
}

// What the server cannot do as javac would goes to javac: the client's
// result is javac's, and the server, still there, ran no compile for it.
void TestCompileServer::givenToJavac_data() {
    QTest::addColumn<Files>("files");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("workIn");   // the sub-folder the compile runs in
    QTest::addColumn<int>("limitBlocks");  // ulimit -f, 0 for none
    QTest::addColumn<int>("byServer");
    const QStringList utf8 = kScriptFlags + QStringList{QStringLiteral("-encoding"), QStringLiteral("UTF-8")};
    const Files besideLib{{"lib/L.java", "public class L {}\n"},
                          {"src/Hello.java", "public class Hello { L l; }\n"}};
    QTest::newRow("an output folder above the source folder")
        << Files{{"src/Hello.java", kHello}} << utf8 + QStringList{"-d", "../out", "Hello.java"} << "src" << 0
        << 0;
    QTest::newRow("a class path above the source folder")
        << besideLib << utf8 + QStringList{"-cp", "../lib", "Hello.java"} << "src" << 0 << 0;
    QTest::newRow("an argument file") << Files{{"src/Hello.java", kHello}, {"src/args", "-d ../out\n"}}
                                      << utf8 + QStringList{"@args", "Hello.java"} << "src" << 0 << 0;
    QTest::newRow("a heap size for javac's JVM")
        << Files{{"Hello.java", kHello}} << utf8 + QStringList{"-J-Xmx3g", "Hello.java"} << "" << 0 << 0;
    // Output beyond a file-size limit: javac's JVM ignores the signal and
    // loses what goes beyond; compile.bat's own limit is served.
    QByteArray errors = "public class Many {\n";
    for (int i = 0; i < 40; ++i)
        errors += "    int f" + QByteArray::number(i) + " = \"" + QByteArray::number(i) + "\";\n";
    QTest::newRow("output beyond ulimit -f")
        << Files{{"Many.java", errors + "}\n"}} << utf8 + QStringList{"Many.java"} << "" << 2 << 0;
    QTest::newRow("compile.bat's ulimit -f")
        << Files{{"Many.java", errors + "}\n"}} << utf8 + QStringList{"Many.java"} << "" << 204800 << 1;
}

void TestCompileServer::givenToJavac() {
    QFETCH(Files, files);
    QFETCH(QStringList, args);
    QFETCH(QString, workIn);
    QFETCH(int, limitBlocks);
    QFETCH(int, byServer);
    QVERIFY(serverUp());
    compareWithJavac(files, args, {QStringLiteral("LC_ALL=C.UTF-8")}, byServer, workIn, limitBlocks);
}

void TestCompileServer::fallsBackToJavac_data() {
    QTest::addColumn<QString>("server");
    QTest::newRow("no server") << "none";
    QTest::newRow("a server that never answers") << "silent";
    QTest::newRow("a server that dies mid-compile") << "dies";
    QTest::newRow("a socket of another user") << "other user";
}

// A stand-in server in a folder of its own answers as the row says; the
// client's result must be javac's all the same.
void TestCompileServer::fallsBackToJavac() {
    QFETCH(QString, server);
    if (server == QStringLiteral("other user") && ::getuid() != 0) QSKIP("needs root to give a socket away");
    QTemporaryDir runtime;
    QVERIFY(QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString dir = runtime.path() + QStringLiteral("/quenlark-compiler");
    QVERIFY(QDir().mkdir(dir));
    QVERIFY(QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QStringList env{QStringLiteral("LC_ALL=C.UTF-8"),
                          QStringLiteral("XDG_RUNTIME_DIR=") + runtime.path()};
    const QStringList args = kScriptFlags + QStringList{"-Xlint:all", "-encoding", "UTF-8", "Hello.java"};
    const QString base = m_work.path() + u'/' + server;
    const Outcome expected =
        RunIn(QStringLiteral("javac"), args, MakeFolder(base + "/javac", {{"Hello.java", kWarnings}}), env);
    QVERIFY(!expected.output.isEmpty() && !expected.classes.isEmpty());

    QList<int> connections;
    std::unique_ptr<QSocketNotifier> fake;
    if (server != QStringLiteral("none")) {
        const int listener = ProcessRules::UnixSocket(dir + QStringLiteral("/socket"), true);
        QVERIFY(listener >= 0);
        fake = std::make_unique<QSocketNotifier>(listener, QSocketNotifier::Read);
        QObject::connect(fake.get(), &QSocketNotifier::activated, [&, listener] {
            const int c = ::accept(listener, nullptr, nullptr);
            connections << c;
            if (server != QStringLiteral("dies")) return;
            // The request read, half the output, then the end of the connection.
            char request[65536];
            QVERIFY(::read(c, request, sizeof request) > 0);
            const QByteArray half = expected.output.left(expected.output.size() / 2);
            QByteArray frame = "AE" + QByteArray(4, '\0') + half;
            qToBigEndian<qint32>(qint32(half.size()), frame.data() + 2);
            QCOMPARE(::write(c, frame.constData(), size_t(frame.size())), ssize_t(frame.size()));
            ::close(c);
        });
        if (server == QStringLiteral("other user"))
            QVERIFY(::chown(QFile::encodeName(dir + QStringLiteral("/socket")).constData(), 65534, 65534) ==
                    0);
    }
    const Outcome got = RunIn(kClient, args, MakeFolder(base + "/client", {{"Hello.java", kWarnings}}), env);
    QCOMPARE(got.output, expected.output);
    QCOMPARE(got.status, expected.status);
    QCOMPARE(got.classes, expected.classes);
    for (int c : connections) ::close(c);
    if (fake) ::close(int(fake->socket()));
    QCOMPARE(connections.size(),
             server == QStringLiteral("none") || server == QStringLiteral("other user") ? 0 : 1);
    // A silent server is marked for Quenlark to replace.
    QCOMPARE(QFileInfo::exists(dir + QStringLiteral("/stale")),
             server != QStringLiteral("none") && server != QStringLiteral("other user"));
}

void TestCompileServer::replacesServerThatNoLongerServes() {
    const qint64 first = m_server->pid();
    QVERIFY(first > 0);
    QVERIFY(m_server->ensureRunning(nullptr));
    QCOMPARE(m_server->pid(), first);  // one that serves is kept
    m_server->hold(true);              // and never held
    QVERIFY(!Stopped(first));
    m_server->hold(false);
    WriteFile(folder() + QStringLiteral("/stale"));
    QVERIFY(m_server->ensureRunning(nullptr));
    const qint64 second = m_server->pid();
    QVERIFY(second > 0 && second != first);
    QVERIFY(!QFileInfo::exists(folder() + QStringLiteral("/stale")));
    // One still warming up waits while a compile runs, then goes on.
    m_server->hold(true);
    QTRY_VERIFY(Stopped(second));
    m_server->hold(false);
    QTRY_VERIFY(!Stopped(second));
    ::kill(pid_t(second), SIGKILL);
    // The program's one reaper collects every child, this one too.
    ::waitpid(pid_t(second), nullptr, 0);
    QTRY_VERIFY(m_server->pid() != second);
    QVERIFY(m_server->ensureRunning(nullptr));
    QVERIFY(m_server->pid() > 0 && m_server->pid() != second);
    m_server->stop();
    QCOMPARE(m_server->pid(), 0);
}

// 停止 ends the client during a compile the server cannot cut short: the
// server ends itself, and a fresh one takes its place at the next compile.
void TestCompileServer::abandonedCompileEndsTheServer() {
    QVERIFY(m_server->ensureRunning(nullptr));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(folder() + QStringLiteral("/socket")), 120000);
    const qint64 pid = m_server->pid();
    QByteArray huge = "public class Huge {\n";
    for (int i = 0; i < 6000; ++i)
        huge += "    static int f" + QByteArray::number(i) +
                "(int x) { int y = x * 3; for (int k = 0; k < y; k++) y += k % 7; return y; }\n";
    const QString dir =
        MakeFolder(m_work.path() + QStringLiteral("/abandoned"), {{"Huge.java", huge + "}\n"}});
    QProcess client;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    client.setProcessEnvironment(env);
    client.setWorkingDirectory(dir);
    client.start(kClient, {QStringLiteral("Huge.java")});
    // The compile has begun once the server points its folder link here.
    QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(folder() + QStringLiteral("/cwd")).symLinkTarget(),
                              QFileInfo(dir).canonicalFilePath(), 60000);
    client.kill();
    QTRY_VERIFY_WITH_TIMEOUT(m_server->pid() != pid, 60000);
    QVERIFY(m_server->ensureRunning(nullptr));
    QVERIFY(m_server->pid() > 0 && m_server->pid() != pid);
}

// ｺﾝﾊﾟｲﾙ実行 checks the javac on PATH: a PATH whose javac link is switched
// between two JDK folders replaces the server, started with the java beside
// the new javac; an unchanged javac keeps it. The second folder is a stand-in
// whose programs run the real JDK's, marking the process they become.
void TestCompileServer::replacedWhenJavacChanges() {
    const QString real = JdkBin();
    QVERIFY(!real.isEmpty());
    QTemporaryDir dir;
    const QString standIn = dir.path() + QStringLiteral("/jdk/bin");
    auto writeStandIn = [&](const QByteArray& mark) {
        for (const char* program : {"java", "javac"})
            WriteFile(standIn + u'/' + QLatin1String(program),
                      "#!/bin/sh\nQLK_STAND_IN=" + mark + " exec '" + QFile::encodeName(real) + '/' +
                          program + "' \"$@\"\n",
                      true);
    };
    writeStandIn("1");
    const QString link = dir.path() + QStringLiteral("/bin/javac");
    QVERIFY(QDir().mkpath(dir.path() + QStringLiteral("/bin")));
    const QByteArray oldPath = qgetenv("PATH");
    const auto restore = qScopeGuard([&] { qputenv("PATH", oldPath); });
    qputenv("PATH", QFile::encodeName(dir.path() + QStringLiteral("/bin")));

    struct Step {
        const char* what;
        QString javac;      // the link's target, "" for no javac on PATH
        QByteArray update;  // the stand-in's programs rewritten with this mark first
        bool replaced;
        QByteArray mark;  // what the new server's process is marked with
    };
    const QList<Step> steps = {
        {"the same javac, through a link", real + QStringLiteral("/javac"), {}, false, {}},
        {"another JDK chosen", standIn + QStringLiteral("/javac"), {}, true, "1"},
        {"that JDK updated in place", standIn + QStringLiteral("/javac"), "2", true, "2"},
        {"the first one again", real + QStringLiteral("/javac"), {}, true, {}},
        {"no javac", QString(), {}, true, {}},
    };
    qint64 before = m_server->pid();
    for (const Step& step : steps) {
        if (!step.update.isEmpty()) writeStandIn(step.update);
        if (step.javac.isEmpty())
            QVERIFY(QFile::remove(link));
        else
            PointLink(link, step.javac);
        const bool started = m_server->ensureRunning(nullptr);
        const qint64 now = m_server->pid();
        QVERIFY2(started == !step.javac.isEmpty(), step.what);
        QVERIFY2((now != before) == step.replaced, step.what);
        // The stand-in's programs mark the process once they have run.
        if (now > 0)
            QTRY_VERIFY2_WITH_TIMEOUT(
                StartVariable(now, "QLK_STAND_IN") == step.mark && !Runs(now, "/bin/sh"), step.what, 10000);
        before = now;
    }
}

// A server replaced for another JDK serves that JDK's compiles with that
// javac's result (the server runs on every JDK from 17 up). Needs a second
// JDK on the machine.
void TestCompileServer::servesAnotherJdk() {
    const QString current = JdkBin();
    QString other;
    for (const QFileInfo& jdk :
         QDir(QStringLiteral("/usr/lib/jvm")).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString bin = QFileInfo(jdk.filePath() + QStringLiteral("/bin/javac")).canonicalPath();
        if (!bin.isEmpty() && bin != current && QFileInfo(bin + QStringLiteral("/java")).isExecutable())
            other = bin;
    }
    if (other.isEmpty()) QSKIP("needs a second JDK in /usr/lib/jvm");
    const QByteArray oldPath = qgetenv("PATH");
    const auto restore = qScopeGuard([&] { qputenv("PATH", oldPath); });
    const QByteArray path = QFile::encodeName(other) + ':' + oldPath;
    qputenv("PATH", path);
    QVERIFY(m_server->ensureRunning(nullptr));
    QVERIFY(Runs(m_server->pid(), qPrintable(other + QStringLiteral("/java"))));
    QTRY_VERIFY_WITH_TIMEOUT(served() >= 0, 120000);
    const int before = served();
    const QStringList args = kScriptFlags + QStringList{"-Xlint:all", "-encoding", "UTF-8", "Hello.java"};
    const QStringList env{QStringLiteral("LC_ALL=C.UTF-8"),
                          QStringLiteral("XDG_RUNTIME_DIR=") + m_runtime.path(),
                          QStringLiteral("PATH=") + QFile::decodeName(path)};
    const QString base = m_work.path() + QStringLiteral("/other");
    const Outcome viaServer =
        RunIn(kClient, args, MakeFolder(base + "/server", {{"Hello.java", kWarnings}}), env);
    QCOMPARE(served(), before + 1);
    const Outcome viaJavac = RunIn(other + QStringLiteral("/javac"), args,
                                   MakeFolder(base + "/javac", {{"Hello.java", kWarnings}}), env);
    QCOMPARE(viaServer.output, viaJavac.output);
    QCOMPARE(viaServer.status, viaJavac.status);
    QCOMPARE(viaServer.classes, viaJavac.classes);
}

// A nesting too deep for the server's stack (and javac's): the compile
// goes to javac, whose report of it is its own (where the stack ran out
// varies from run to run, so only its first lines are compared).
void TestCompileServer::unfinishedCompileGoesToJavac() {
    QVERIFY(serverUp());
    const QByteArray deep = "public class Deep {\n    int x = " + QByteArray(20000, '(') + '1' +
                            QByteArray(20000, ')') + ";\n}\n";
    compareWithJavac({{"Deep.java", deep}}, kScriptFlags + QStringList{"-encoding", "UTF-8", "Deep.java"},
                     {QStringLiteral("LC_ALL=C.UTF-8")}, 0, QString(), 0, 5);
}

void TestCompileServer::foreignCodeLeavesNothingBehind_data() {
    QTest::addColumn<QString>("act");
    QTest::newRow("a processor that clears the JDK's home") << "home";
    QTest::newRow("a processor that leaves a thread writing") << "thread";
    QTest::newRow("a processor that floods the server's log") << "flood";
}

// A compile that loads an annotation processor is the server's last: a
// later, honest compile (two classes found through the class path ".")
// gives javac's result, and the log stays within its bound.
void TestCompileServer::foreignCodeLeavesNothingBehind() {
    QFETCH(QString, act);
    const QString processor = m_work.path() + QStringLiteral("/meddler");
    if (!QFileInfo::exists(processor + QStringLiteral("/Meddler.class"))) {
        MakeFolder(processor, {{"Meddler.java", kMeddler},
                               {"META-INF/services/javax.annotation.processing.Processor", "Meddler\n"}});
        QCOMPARE(RunIn(QStringLiteral("javac"),
                       {QStringLiteral("-proc:none"), QStringLiteral("Meddler.java")}, processor, {})
                     .status,
                 0);
    }
    QVERIFY(serverUp());
    const qint64 pid = m_server->pid();
    const QStringList env{QStringLiteral("LC_ALL=C.UTF-8"),
                          QStringLiteral("XDG_RUNTIME_DIR=") + m_runtime.path()};
    const QString meddled = MakeFolder(m_work.path() + QStringLiteral("/meddled-") + act,
                                       {{"Plain.java", "public class Plain {}\n"}});
    RunIn(kClient, {"-processorpath", processor, "-Aact=" + act, "Plain.java"}, meddled, env);
    QVERIFY(QFileInfo(folder() + u'/' + QLatin1String(CompileProtocol::kLogName)).size() <= 4 << 20);
    const Files later{{"A.java", "public class A { B b = new B(); }\n"},
                      {"B.java", "public class B { int x = \"s\"; }\n"}};
    const QStringList args = kScriptFlags + QStringList{"-encoding", "UTF-8", "A.java"};
    const QString base = m_work.path() + QStringLiteral("/later-") + act;
    const Outcome viaClient = RunIn(kClient, args, MakeFolder(base + "/client", later), env);
    const Outcome viaJavac = RunIn(QStringLiteral("javac"), args, MakeFolder(base + "/javac", later), env);
    QCOMPARE(viaClient.output, viaJavac.output);
    QCOMPARE(viaClient.status, viaJavac.status);
    QTRY_VERIFY_WITH_TIMEOUT(ProcessRules::HasEnded(pid), 20000);
    // The fresh server that replaces it serves again.
    QVERIFY(serverUp());
    QVERIFY(m_server->pid() != pid);
}

// A compile the server's heap is too small for: javac, with its own heap,
// gives its result (here "code too large"), and the server is replaced.
void TestCompileServer::outOfMemoryGoesToJavac() {
    QTemporaryDir runtime;
    QVERIFY(QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    CompileServer small(runtime.path(), QStringLiteral(QLK_BIN_DIR), QStringLiteral("48m"));
    QVERIFY(small.ensureRunning(nullptr));
    const QString socket = runtime.path() + QStringLiteral("/quenlark-compiler/socket");
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 120000);
    const qint64 pid = small.pid();
    QByteArray big = "public class Arr {\n    static int[] a = {\n";
    for (int i = 0; i < 30000; ++i) big += "        7, 7, 7, 7, 7, 7, 7, 7, 7, 7,\n";
    const Files files{{"Arr.java", big + "    };\n}\n"}};
    const QStringList args = kScriptFlags + QStringList{"-encoding", "UTF-8", "Arr.java"};
    const QStringList env{QStringLiteral("LC_ALL=C.UTF-8"),
                          QStringLiteral("XDG_RUNTIME_DIR=") + runtime.path()};
    const QString base = m_work.path() + QStringLiteral("/memory");
    const Outcome viaClient = RunIn(kClient, args, MakeFolder(base + "/client", files), env);
    const Outcome viaJavac = RunIn(QStringLiteral("javac"), args, MakeFolder(base + "/javac", files), env);
    QCOMPARE(viaClient.output, viaJavac.output);
    QCOMPARE(viaClient.status, viaJavac.status);
    QVERIFY(ProcessRules::HasEnded(pid));
}

// A run-time folder so deep that the socket's path is longer than a socket
// address takes: the server binds it all the same and serves.
void TestCompileServer::bindsASocketPathOverTheLimit() {
    const QString runtime = m_work.path() + u'/' + QString(110, u'r');
    QVERIFY(QDir().mkpath(runtime));
    QVERIFY(QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    CompileServer deep(runtime, QStringLiteral(QLK_BIN_DIR));
    QVERIFY(deep.ensureRunning(nullptr));
    const QString socket = runtime + QStringLiteral("/quenlark-compiler/socket");
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket) || !deep.pid(), 120000);
    QVERIFY(deep.pid() > 0);
    const QString dir = MakeFolder(m_work.path() + QStringLiteral("/deep"), {{"Hello.java", kHello}});
    const Outcome got =
        RunIn(kClient, kScriptFlags + QStringList{"-encoding", "UTF-8", "Hello.java"}, dir,
              {QStringLiteral("LC_ALL=C.UTF-8"), QStringLiteral("XDG_RUNTIME_DIR=") + runtime});
    QCOMPARE(got.status, 0);
    // The server points its link at each compile's folder.
    QCOMPARE(QFileInfo(runtime + QStringLiteral("/quenlark-compiler/cwd")).symLinkTarget(),
             QFileInfo(dir).canonicalFilePath());
}

void TestCompileServer::startedWithOnlyStandardDescriptors_data() {
    QTest::addColumn<bool>("server");
    QTest::newRow("the compile server") << true;
    QTest::newRow("a program Quenlark starts (a browser)") << false;
}

// A descriptor Quenlark was given without close-on-exec reaches neither the
// compile server nor the programs it starts.
void TestCompileServer::startedWithOnlyStandardDescriptors() {
    QFETCH(bool, server);
    const QString marker = m_work.path() + QStringLiteral("/inherited");
    WriteFile(marker);
    const int fd = ::open(QFile::encodeName(marker).constData(), O_RDONLY);
    QVERIFY(fd > 2);
    const auto closeIt = qScopeGuard([fd] { ::close(fd); });
    qint64 pid = 0;
    if (server) {
        m_server->stop();
        QVERIFY(m_server->ensureRunning(nullptr));
        pid = m_server->pid();
    } else {
        QString error;
        QVERIFY2(
            ProcessRules::SpawnDetached(QStringLiteral("/bin/sleep"), {QStringLiteral("30")}, &pid, &error),
            qPrintable(error));
    }
    const auto end = qScopeGuard([&] {
        if (!server) ::kill(pid_t(pid), SIGKILL);
    });
    QTRY_VERIFY(!Descriptors(pid).isEmpty() && (!server || Runs(pid, qPrintable(JdkBin() + "/java"))));
    QVERIFY2(!Descriptors(pid).contains(QFileInfo(marker).canonicalFilePath()),
             qPrintable(Descriptors(pid).join(u' ')));
}

// A server stopped by someone else and deaf to SIGTERM: stop() resumes it and
// returns at once, without waiting for it to end; it is made to end after
// the grace, and nothing else waits for that. The server is a stand-in that
// ignores SIGTERM.
void TestCompileServer::endsAStoppedServerWithoutWaiting() {
    QTemporaryDir dir;
    const QString bin = dir.path() + QStringLiteral("/bin");
    WriteFile(bin + QStringLiteral("/javac"), "#!/bin/sh\nexit 0\n", true);
    WriteFile(bin + QStringLiteral("/java"),
              "#!/bin/sh\ntrap '' TERM\n: >trapped\nwhile :; do sleep 1; done\n", true);
    const QByteArray oldPath = qgetenv("PATH");
    const auto restore = qScopeGuard([&] { qputenv("PATH", oldPath); });
    qputenv("PATH", QFile::encodeName(bin) + ":/usr/bin:/bin");
    QTemporaryDir runtime;
    QVERIFY(QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    CompileServer deaf(runtime.path(), QStringLiteral(QLK_BIN_DIR));
    QVERIFY(deaf.ensureRunning(nullptr));
    const qint64 pid = deaf.pid();
    // Its trap set (it runs in the server's folder), then stopped.
    QTRY_VERIFY(QFileInfo::exists(runtime.path() + QStringLiteral("/quenlark-compiler/trapped")));
    ::kill(pid_t(pid), SIGSTOP);
    QTRY_VERIFY(Stopped(pid));
    deaf.stop();
    QCOMPARE(deaf.pid(), 0);
    const char state = State(pid);
    QVERIFY2(state != 0 && state != 'Z' && state != 'T', &state);
    QTRY_VERIFY_WITH_TIMEOUT(ProcessRules::HasEnded(pid), 10000);
}

QTEST_GUILESS_MAIN(TestCompileServer)
#include "tst_compileserver.moc"
