// The warm compile server and its client against javac itself: the same
// output, exit status and class files for the same sources and arguments;
// javac's result when the server is missing, silent, dies mid-compile or is
// not the user's; a server that no longer serves, or that another JDK's
// javac on PATH has made useless, is replaced.
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

// Runs a program in `dir` with the environment changed as `env` says
// ("NAME=value" sets, "NAME" removes), the event loop turning meanwhile.
Outcome RunIn(const QString& program, const QStringList& args, const QString& dir, const QStringList& env) {
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const QString& change : env) {
        const qsizetype eq = change.indexOf(u'=');
        if (eq < 0)
            e.remove(change);
        else
            e.insert(change.left(eq), change.mid(eq + 1));
    }
    p.setProcessEnvironment(e);
    p.setWorkingDirectory(dir);
    p.setProcessChannelMode(QProcess::MergedChannels);
    QEventLoop loop;
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(180000, &loop, &QEventLoop::quit);
    p.start(program, args);
    loop.exec();
    Outcome o;
    o.output = p.readAll();
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

// True while the process is stopped (its state in /proc/PID/stat).
bool Stopped(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    return f.open(QIODevice::ReadOnly) && f.readAll().split(')').value(1).trimmed().startsWith('T');
}

}  // namespace

class TestCompileServer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void sameAsJavac_data();
    void sameAsJavac();
    void fallsBackToJavac_data();
    void fallsBackToJavac();
    void replacesServerThatNoLongerServes();
    void abandonedCompileEndsTheServer();
    void replacedWhenJavacChanges();
    void servesAnotherJdk();
    void cleanupTestCase() { m_server.reset(); }

private:
    QString folder() const { return m_runtime.path() + QStringLiteral("/quenlark-compiler"); }
    int served();

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
    const QString base = m_work.path() + QStringLiteral("/row%1").arg(++m_rows);
    const QString a = MakeFolder(base + QStringLiteral("/server"), files);
    const QString b = MakeFolder(base + QStringLiteral("/javac"), files);
    QDir().mkpath(a);
    QDir().mkpath(b);
    env << QStringLiteral("XDG_RUNTIME_DIR=") + m_runtime.path();
    const int before = served();
    const Outcome viaServer = RunIn(kClient, args, a, env);
    QCOMPARE(served(), before + byServer);
    const Outcome viaJavac = RunIn(QStringLiteral("javac"), args, b, env);
    QCOMPARE(viaServer.output, viaJavac.output);
    QCOMPARE(viaServer.status, viaJavac.status);
    QCOMPARE(viaServer.classes, viaJavac.classes);
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

QTEST_GUILESS_MAIN(TestCompileServer)
#include "tst_compileserver.moc"
