// The run on real processes: the pipe to standard input, the process group
// that a stop takes whole, the kill after the grace, writing to a program
// that has ended, the descriptors a child sees, the file-size limit, the
// descendants the run holds on to, and the transcript's append.
#include "OnExit.h"
#include "TestFiles.h"
#include "platform/QtPlatform.h"
#include "platform/RunProcess.h"
#include "run/RunConsole.h"
#include "settings/Qlk.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/ProcessRules.h"
#include "platform/RunLink.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool Alive(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return false;
    const QByteArray text = stat.readAll();
    const char state = text.at(text.lastIndexOf(')') + 2);
    return state != 'Z' && state != 'X';
}

}  // namespace

class TestRunProcess : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void pipeRoundTrip();
    void childSeesOnlyStandardDescriptors();
    void stopTakesTheWholeGroup_data();
    void stopTakesTheWholeGroup();
    void writingToAnEndedProgram_data();
    void writingToAnEndedProgram();
    void newStartKillsTheOldGroupAtOnce();
    void exitStatus_data();
    void exitStatus();
    void fileSizeLimit_data();
    void fileSizeLimit();
    void fileSizeLimitOfARun();
    void descendantsBelongToTheRun_data();
    void descendantsBelongToTheRun();
    void runDiesWithItsLink();
    void runOutlivesNoSupervisor_data();
    void runOutlivesNoSupervisor();
    void activityTellsAReadOfTheInput_data();
    void activityTellsAReadOfTheInput();
    void appendNeverBlocksNorFollowsALink();
    void scriptsReplaceALinkedResult_data();
    void scriptsReplaceALinkedResult();
    void errorOutputIsKept_data();
    void errorOutputIsKept();

private:
    QTemporaryDir m_dir;
};

void TestRunProcess::initTestCase() {
    QVERIFY(m_dir.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path() + QStringLiteral("/config")));
}

void TestRunProcess::pipeRoundTrip() {
    RunProcess run;
    const QString out = m_dir.path() + QStringLiteral("/round");
    QVERIFY(run.start(QStringLiteral("/bin/sh"),
                      {QStringLiteral("-c"), QStringLiteral("read x; echo \"got:$x\" >'%1'").arg(out)},
                      nullptr));
    QVERIFY(run.info().live());
    QVERIFY(run.write(QStringLiteral("日本語 21\n").toUtf8()));
    QTRY_VERIFY(!run.info().live());
    QCOMPARE(run.info().phase, RunInfo::Exited);
    QCOMPARE(run.info().exitCode, 0);
    QCOMPARE(TestFiles::ReadFile(out), QStringLiteral("got:日本語 21\n").toUtf8());
    QVERIFY(!run.info().inputOpen);

    // Closing the input is an end of file for the program.
    const QString eof = m_dir.path() + QStringLiteral("/eof");
    QVERIFY(run.start(QStringLiteral("/bin/sh"),
                      {QStringLiteral("-c"), QStringLiteral("cat >'%1'; echo done >>'%1'").arg(eof)},
                      nullptr));
    QVERIFY(run.write("a\nb"));
    run.closeInput();
    QTRY_COMPARE(run.info().phase, RunInfo::Exited);
    QCOMPARE(TestFiles::ReadFile(eof), QByteArray("a\nbdone\n"));
}

void TestRunProcess::childSeesOnlyStandardDescriptors() {
    // A descriptor of ours without close-on-exec must not reach the child.
    const int leaky = ::open("/dev/null", O_RDONLY);
    QVERIFY(leaky >= 3);
    RunProcess run;
    const QString out = m_dir.path() + QStringLiteral("/fds");
    QVERIFY(run.start(QStringLiteral("/bin/sh"),
                      {QStringLiteral("-c"), QStringLiteral("exec >'%1'; ls /proc/$$/fd").arg(out)},
                      nullptr));
    QTRY_COMPARE(run.info().phase, RunInfo::Exited);
    ::close(leaky);
    QCOMPARE(TestFiles::ReadFile(out), QByteArray("0\n1\n2\n"));
}

void TestRunProcess::stopTakesTheWholeGroup_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("killed");
    // The script waits on a grandchild, which gets the signal too.
    QTest::newRow("sh with a sleeping grandchild")
        << QStringLiteral("sleep 30 & echo $! >\"$1\"; wait") << false;
    // Nothing of the group minds SIGTERM: the kill after the grace ends it.
    QTest::newRow("SIGTERM ignored") << QStringLiteral("trap '' TERM; sleep 30 & echo $! >\"$1\"; wait; wait")
                                     << true;
}

void TestRunProcess::stopTakesTheWholeGroup() {
    QFETCH(QString, script);
    QFETCH(bool, killed);
    QtPlatform platform;
    const Qlk::PlatformScope installed(platform);
    Run::Console served;
    Run::Console* console = &served;
    console->setStopGraceMs(400);
    const OnExit graceBack([console] { console->setStopGraceMs(Run::Console::kStopGraceMs); });
    const QString pidFile = m_dir.path() + QStringLiteral("/grandchild");
    QFile::remove(pidFile);
    QVERIFY(platform.run().start(QString(), nullptr) == false);  // nothing to start
    QString error;
    // The command line splits at spaces, so the script comes from a file.
    const QString scriptFile = m_dir.path() + QStringLiteral("/script.bat");
    TestFiles::WriteFile(scriptFile, QStringLiteral("set -- %1\n%2\n").arg(pidFile, script).toUtf8());
    QVERIFY2(console->Start(scriptFile, &error), qPrintable(error));
    QTRY_VERIFY(!TestFiles::ReadFile(pidFile).trimmed().isEmpty());
    const qint64 grandchild = TestFiles::ReadFile(pidFile).trimmed().toLongLong();
    QVERIFY(Alive(grandchild));
    QElapsedTimer t;
    t.start();
    console->Stop();
    QTRY_VERIFY_WITH_TIMEOUT(!platform.run().alive(), 3000);
    const qint64 took = t.elapsed();
    QVERIFY(!Alive(grandchild));
    if (killed)
        QVERIFY2(took >= 350, qPrintable(QString::number(took)));
    else
        QVERIFY2(took < 350, qPrintable(QString::number(took)));
    QTRY_VERIFY(!platform.run().info().live());
    QVERIFY(platform.run().info().stopSent);
    QVERIFY(console->StateText().startsWith(QStringLiteral("停止しました")));
}

void TestRunProcess::writingToAnEndedProgram_data() {
    QTest::addColumn<QString>("script");
    QTest::newRow("ended") << QStringLiteral("exit 3");
    QTest::newRow("alive, standard input closed") << QStringLiteral("exec 0<&-; sleep 1");
}

void TestRunProcess::writingToAnEndedProgram() {
    QFETCH(QString, script);
    RunProcess run;
    QVERIFY(run.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script}, nullptr));
    QTest::qWait(300);
    // A line the program can no longer read is refused, not taken as sent.
    QCOMPARE(run.inputRoom(6), RunInput::Closed);
    QVERIFY(!run.write("first\n"));
    // Neither a write nor a flood of them harms us (no SIGPIPE, no block).
    const QByteArray chunk(100000, 'x');
    for (int i = 0; i < 5; ++i) run.write(chunk);
    QTRY_VERIFY(!run.info().inputOpen);
    QVERIFY(!run.write("more\n"));
    QTRY_VERIFY_WITH_TIMEOUT(!run.info().live(), 3000);
}

void TestRunProcess::newStartKillsTheOldGroupAtOnce() {
    RunProcess run;
    QVERIFY(run.start(QStringLiteral("/bin/sh"),
                      {QStringLiteral("-c"), QStringLiteral("trap '' TERM; sleep 30 & wait")}, nullptr));
    const qint64 old = run.info().pid;
    QTest::qWait(100);
    QVERIFY(RunProcess::groupHasLiveMember(old));
    QElapsedTimer t;
    t.start();
    QVERIFY(
        run.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("sleep 30")}, nullptr));
    QVERIFY2(t.elapsed() < 50, "the start waited for the old run");
    QTRY_VERIFY_WITH_TIMEOUT(!RunProcess::groupHasLiveMember(old), 500);
    // The new run's state is its own, untouched by the old one's end.
    QTest::qWait(100);
    QVERIFY(run.info().live());
    QCOMPARE(run.info().serial, quint64(2));
    QVERIFY(!run.info().stopSent);
}

void TestRunProcess::exitStatus_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("phase");
    QTest::addColumn<int>("value");
    QTest::newRow("zero") << QStringLiteral("exit 0") << int(RunInfo::Exited) << 0;
    QTest::newRow("failure") << QStringLiteral("exit 1") << int(RunInfo::Exited) << 1;
    QTest::newRow("by a signal") << QStringLiteral("kill -SEGV $$") << int(RunInfo::Signalled)
                                 << int(SIGSEGV);
}

void TestRunProcess::exitStatus() {
    QFETCH(QString, script);
    QFETCH(int, phase);
    QFETCH(int, value);
    RunProcess run;
    int changes = 0;
    run.setListener([&] { ++changes; });
    QVERIFY(run.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script}, nullptr));
    QTRY_VERIFY(!run.info().live());
    QCOMPARE(int(run.info().phase), phase);
    QCOMPARE(phase == RunInfo::Exited ? run.info().exitCode : run.info().signal, value);
    QVERIFY(run.info().endedMs >= run.info().startedMs);
    QCOMPARE(changes, 2);  // started, ended
}

void TestRunProcess::fileSizeLimit_data() {
    QTest::addColumn<QByteArray>("limits");
    QTest::addColumn<qint64>("bytes");
    const QByteArray head =
        "Limit                     Soft Limit           Hard Limit           Units     \n"
        "Max cpu time              unlimited            unlimited            seconds   \n";
    QTest::newRow("unlimited")
        << head + "Max file size             unlimited            unlimited            bytes     \n"
        << qint64(-1);
    QTest::newRow("100 MB soft")
        << head + "Max file size             104857600            unlimited            bytes     \n"
        << qint64(104857600);
    QTest::newRow("missing line") << head << qint64(-1);
    QTest::newRow("garbage") << QByteArray("Max file size  lots") << qint64(-1);
}

void TestRunProcess::fileSizeLimit() {
    QFETCH(QByteArray, limits);
    QFETCH(qint64, bytes);
    QCOMPARE(RunProcess::parseFileSizeLimit(limits), bytes);
}

// The limit the script sets for itself is the one reported, and it holds
// the file there.
void TestRunProcess::fileSizeLimitOfARun() {
    RunProcess run;
    const QString out = m_dir.path() + QStringLiteral("/big");
    QVERIFY(
        run.start(QStringLiteral("/bin/sh"),
                  {QStringLiteral("-c"),
                   QStringLiteral("ulimit -f 8; trap '' XFSZ; exec >'%1'; head -c 100000 /dev/zero; sleep 30")
                       .arg(out)},
                  nullptr));
    QTRY_COMPARE(run.readFileLimit(), qint64(8 * 512));
    QTRY_COMPARE(QFileInfo(out).size(), qint64(8 * 512));
    run.signal(SIGKILL);
    QTRY_VERIFY(!run.info().live());
    QCOMPARE(run.info().fileLimit, qint64(8 * 512));
}

// Whatever a descendant does to leave the script (a session of its own, a
// double fork), it keeps the run live, a stop ends it, and once all of the
// run has ended a signal changes nothing and the exit code stays.
void TestRunProcess::descendantsBelongToTheRun_data() {
    QTest::addColumn<QString>("script");  // writes the descendant's pid to $1
    QTest::addColumn<bool>("stop");
    QTest::newRow("setsid, stopped")
        << QStringLiteral("setsid sh -c 'echo $$ >\"$1\"; exec sleep 3001' \"$0\" \"$1\" & wait") << true;
    QTest::newRow("double fork, script gone, stopped")
        << QStringLiteral("(sh -c 'echo $$ >\"$1\"; exec sleep 3002' \"$0\" \"$1\" &); exit 5") << true;
    QTest::newRow("child outlives the script")
        << QStringLiteral("(setsid sh -c 'echo $$ >\"$1\"; exec sleep 2' \"$0\" \"$1\" &); exit 5") << false;
}

void TestRunProcess::descendantsBelongToTheRun() {
    QFETCH(QString, script);
    QFETCH(bool, stop);
    const QString pidFile = m_dir.path() + QStringLiteral("/descendant");
    QFile::remove(pidFile);
    RunProcess run;
    QVERIFY(run.start(QStringLiteral("/bin/sh"),
                      {QStringLiteral("-c"), script, QStringLiteral("sh"), pidFile}, nullptr));
    QTRY_VERIFY(!TestFiles::ReadFile(pidFile).trimmed().isEmpty());
    const qint64 descendant = TestFiles::ReadFile(pidFile).trimmed().toLongLong();
    QTest::qWait(300);
    QVERIFY(Alive(descendant));
    QVERIFY(run.info().live() && run.groupAlive());
    if (stop) run.stop(400);
    QTRY_VERIFY_WITH_TIMEOUT(!run.info().live(), 5000);
    QVERIFY(!Alive(descendant));
    QCOMPARE(run.info().stopSent, stop);
    if (stop) return;
    QCOMPARE(run.info().phase, RunInfo::Exited);
    QCOMPARE(run.info().exitCode, 5);
    run.signal(SIGTERM);
    QVERIFY(!run.info().stopSent);
}

// When Quenlark dies its end of the link closes: the supervisor kills the
// whole run, a descendant in a session of its own too, and ends.
void TestRunProcess::runDiesWithItsLink() {
    const QString pidFile = m_dir.path() + QStringLiteral("/orphaned");
    QFile::remove(pidFile);
    int link[2];
    QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, link), 0);
    const ProcessRules::ExecArgs exec(
        QCoreApplication::applicationDirPath() + u'/' + QLatin1String(RunLink::kSupervisorName),
        {QStringLiteral("/bin/sh"), QStringLiteral("-c"),
         QStringLiteral("setsid sh -c 'echo $$ >\"$1\"; exec sleep 3003' \"$0\" \"$1\" & wait"),
         QStringLiteral("sh"), pidFile});
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, link[1], RunLink::kLinkFd);
    pid_t supervisor = 0;
    QCOMPARE(posix_spawn(&supervisor, exec.argv[0], &actions, nullptr, exec.argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(link[1]);
    QTRY_VERIFY(!TestFiles::ReadFile(pidFile).trimmed().isEmpty());
    const qint64 descendant = TestFiles::ReadFile(pidFile).trimmed().toLongLong();
    QVERIFY(Alive(descendant));
    ::close(link[0]);
    QTRY_VERIFY_WITH_TIMEOUT(!Alive(descendant), 3000);
    QTRY_VERIFY(!Alive(supervisor));
}

// A program that kills or stops its supervisor is still ended: at once when
// the supervisor is gone (what it had is handed to us as the subreaper), by
// the kill after a stop's grace when it is stopped. The orphan of an editor,
// handed to us as well, is left alone.
void TestRunProcess::runOutlivesNoSupervisor_data() {
    QTest::addColumn<QString>("script");  // writes the descendant's pid to $1, waits for $1.go
    QTest::addColumn<bool>("stop");
    QTest::newRow("supervisor killed")
        << QStringLiteral(
               "sleep 3011 & echo $! >\"$1\"; "
               "while [ ! -e \"$1.go\" ]; do sleep 0.02; done; kill -9 $PPID; wait")
        << false;
    // The descendant, dropped by the script to the supervisor, no longer
    // carries the run's mark; the run's reading saw it before the kill.
    QTest::newRow("supervisor killed, descendant without the mark")
        << QStringLiteral(
               "(env -u QUENLARK_RUN sleep 3012 & echo $! >\"$1\"); "
               "while [ ! -e \"$1.go\" ]; do sleep 0.02; done; kill -9 $PPID; wait")
        << false;
    QTest::newRow("supervisor stopped again and again, stopped")
        << QStringLiteral(
               "trap '' TERM; sleep 3013 & echo $! >\"$1\"; "
               "while :; do kill -STOP $PPID; sleep 0.02; done")
        << true;
}

void TestRunProcess::runOutlivesNoSupervisor() {
    QFETCH(QString, script);
    QFETCH(bool, stop);
    ProcessRules::AdoptOrphans();
    const QString editorFile = m_dir.path() + QStringLiteral("/editor-orphan");
    const QString pidFile = m_dir.path() + QStringLiteral("/descendant");
    for (const QString& f : {editorFile, pidFile, pidFile + QStringLiteral(".go")}) QFile::remove(f);
    qint64 editor = 0;
    QVERIFY(ProcessRules::SpawnDetached(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"), QStringLiteral("sleep 3010 & echo $! >'%1'").arg(editorFile)}, &editor,
        nullptr));
    ProcessRules::WhenEnded(editor, this, [](int) {});
    QTRY_VERIFY(!TestFiles::ReadFile(editorFile).trimmed().isEmpty());
    const qint64 orphan = TestFiles::ReadFile(editorFile).trimmed().toLongLong();
    const OnExit orphanEnds([orphan] { ::kill(pid_t(orphan), SIGKILL); });
    QTRY_VERIFY(!Alive(editor));

    RunProcess run;
    QVERIFY(run.start(QStringLiteral("/bin/sh"),
                      {QStringLiteral("-c"), script, QStringLiteral("sh"), pidFile}, nullptr));
    QTRY_VERIFY(!TestFiles::ReadFile(pidFile).trimmed().isEmpty());
    const qint64 descendant = TestFiles::ReadFile(pidFile).trimmed().toLongLong();
    const OnExit descendantEnds([descendant] { ::kill(pid_t(descendant), SIGKILL); });
    QVERIFY(Alive(descendant));
    run.activity();
    TestFiles::WriteFile(pidFile + QStringLiteral(".go"), "");
    if (stop) {
        QTest::qWait(200);
        QVERIFY(run.info().live());
        run.stop(300);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!run.info().live(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!Alive(descendant), 2000);
    QCOMPARE(run.info().stopSent, stop);
    QVERIFY(Alive(orphan));
}

// A program blocked reading its standard input is told from one that
// sleeps, and from one that has read its line.
void TestRunProcess::activityTellsAReadOfTheInput_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<bool>("reading");
    QTest::newRow("read") << QStringLiteral("read x; sleep 30") << QByteArray() << true;
    QTest::newRow("a child reads") << QStringLiteral("head -n 1; sleep 30") << QByteArray() << true;
    QTest::newRow("has read its line")
        << QStringLiteral("read x; sleep 30") << QByteArray("Hanako\n") << false;
    QTest::newRow("reads another file")
        << QStringLiteral("exec 0</dev/null; sleep 30") << QByteArray() << false;
}

void TestRunProcess::activityTellsAReadOfTheInput() {
    QFETCH(QString, script);
    QFETCH(QByteArray, typed);
    QFETCH(bool, reading);
    RunProcess run;
    QVERIFY(run.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script}, nullptr));
    if (!typed.isEmpty()) QVERIFY(run.write(typed));
    if (reading) {
        QTRY_VERIFY(run.activity().readingInput);
    } else {
        // Until the script sleeps: no process of it is in a read then.
        QTest::qWait(300);
        QVERIFY(!run.activity().readingInput);
    }
    QVERIFY(run.activity().cpuMs >= 0);
    run.signal(SIGKILL);
    QTRY_VERIFY(!run.info().live());
    QCOMPARE(run.activity(), RunActivity());
}

// The transcript of typed lines goes only into an ordinary file: a FIFO put
// in result.txt's place never blocks the window, a link is never followed.
void TestRunProcess::appendNeverBlocksNorFollowsALink() {
    const QString fifo = m_dir.path() + QStringLiteral("/fifo"),
                  link = m_dir.path() + QStringLiteral("/link");
    const QString other = m_dir.path() + QStringLiteral("/other.txt");
    TestFiles::WriteFile(other, "mine\n");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(QFile::link(other, link));
    QString error;
    QVERIFY(!RunProcess::appendTo(fifo, "typed\n", &error) && !error.isEmpty());
    QVERIFY(!RunProcess::appendTo(link, "typed\n", &error));
    QCOMPARE(TestFiles::ReadFile(other), QByteArray("mine\n"));
}

// The shipped scripts put a new result.txt in place of a link instead of
// emptying the file it names.
void TestRunProcess::scriptsReplaceALinkedResult_data() {
    QTest::addColumn<QString>("script");
    for (const char* name : {"compile.bat", "apli.bat", "applet.bat"}) QTest::newRow(name) << name;
}

void TestRunProcess::scriptsReplaceALinkedResult() {
    QFETCH(QString, script);
    const QString data = m_dir.path() + QStringLiteral("/xdg-data");
    const QString result = data + QStringLiteral("/Quenlark/result.txt");
    const QString notes = m_dir.path() + QStringLiteral("/notes.txt");
    QVERIFY(QDir().mkpath(data + QStringLiteral("/Quenlark")));
    QFile::remove(result);
    TestFiles::WriteFile(notes, "my notes\n");
    QVERIFY(QFile::link(notes, result));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    RunProcess run;
    QVERIFY(run.start(QStringLiteral("/bin/sh"),
                      {QStringLiteral(QLK_TEST_DATA "/../../data/") + script, m_dir.path() + "/none", "X"},
                      nullptr));
    QTRY_VERIFY_WITH_TIMEOUT(!run.info().live(), 10000);
    QCOMPARE(TestFiles::ReadFile(notes), QByteArray("my notes\n"));
    QVERIFY(QFileInfo(result).isFile() && !QFileInfo(result).isSymLink());
}

// What the run wrote to its own error output before it ended is kept for
// the user (its last lines): a script's words, and why a script could not
// write result.txt when a folder took its place.
void TestRunProcess::errorOutputIsKept_data() {
    QTest::addColumn<QString>("script");  // a file of data/, or a shell command
    QTest::addColumn<QString>("kept");    // in the kept lines
    QTest::newRow("the script's own words, only the last lines")
        << QStringLiteral(
               "i=0; while [ $i -lt 50 ]; do echo line$i >&2; i=$((i+1)); done; echo 日本語 >&2; exit 1")
        << QStringLiteral("line43\nline44\nline45\nline46\nline47\nline48\nline49\n日本語");
    QTest::newRow("compile.bat, result.txt a folder")
        << QStringLiteral("compile.bat") << QStringLiteral("result.txt");
    QTest::newRow("apli.bat, result.txt a folder")
        << QStringLiteral("apli.bat") << QStringLiteral("result.txt");
}

void TestRunProcess::errorOutputIsKept() {
    QFETCH(QString, script);
    QFETCH(QString, kept);
    const QString data = m_dir.path() + QStringLiteral("/xdg-folder");
    const QString result = data + QStringLiteral("/Quenlark/result.txt");
    QVERIFY(QDir().mkpath(result));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    RunProcess run;
    const QStringList args = script.endsWith(QStringLiteral(".bat"))
                                 ? QStringList{QStringLiteral(QLK_TEST_DATA "/../../data/") + script,
                                               m_dir.path(), QStringLiteral("X.java")}
                                 : QStringList{QStringLiteral("-c"), script};
    QVERIFY(run.start(QStringLiteral("/bin/sh"), args, nullptr));
    QTRY_VERIFY_WITH_TIMEOUT(!run.info().live(), 10000);
    QVERIFY(run.info().exitCode != 0);
    if (script.endsWith(QStringLiteral(".bat")))
        QVERIFY2(run.info().errorOutput.contains(kept), qPrintable(run.info().errorOutput));
    else
        QCOMPARE(run.info().errorOutput, kept);
    QVERIFY(QFileInfo(result).isDir());
}

QTEST_MAIN(TestRunProcess)
#include "tst_runprocess.moc"
