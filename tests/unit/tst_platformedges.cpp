// The platform layer where the operating system decides: a FIFO in the result
// file's place, lock files left by others, a home folder with a space and no
// runtime folder, and the programs started for the user (their arguments,
// their environment, their early failures, bare names on PATH). Real files and
// real processes throughout.
#include "FakePlatform.h"
#include "TestFiles.h"
#include "platform/FileRules.h"
#include "platform/ProcessRules.h"
#include "platform/QtPlatform.h"
#include "result/ResultReader.h"
#include "settings/Qlk.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <future>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace TestFiles;

namespace {

mode_t ModeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Runs `work` on a thread of its own and waits at most `ms` for it. A call
// still blocked on a FIFO is then set free by `release` (which gives the FIFO
// a writer that goes away), so that a failing test ends instead of hanging.
template <typename Work, typename Release>
bool FinishesWithin(int ms, Work work, Release release) {
    auto done = std::async(std::launch::async, work);
    if (done.wait_for(std::chrono::milliseconds(ms)) == std::future_status::ready) return true;
    for (int i = 0; i < 50 && done.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready; ++i)
        release();
    return false;
}

// Opens and closes a writer on a FIFO, which ends a reader's wait.
void PassWriter(const QString& fifo) {
    const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
}

// A fake whose result file is swapped for a FIFO right after its stamp was
// taken: what happens when another program takes its place between the
// window's look and its open.
class SwappingFake : public FakePlatform {
public:
    QString swapIn;  // moved over the looked-at file after the stamp
    Files& files() override { return m_swapping; }

private:
    struct SwappingFiles : FakeFiles {
        using FakeFiles::FakeFiles;
        FileStamp fileStamp(const QString& path) override {
            const FileStamp s = FileRules::Stamp(path);
            const QString& swapIn = static_cast<SwappingFake&>(f).swapIn;
            if (!swapIn.isEmpty())
                ::rename(QFile::encodeName(swapIn).constData(), QFile::encodeName(path).constData());
            return s;
        }
    } m_swapping{*this};
};

// The environment of a test platform: data and config below `home`.
void UseHome(const QString& home, const QString& runtime) {
    qputenv("HOME", QFile::encodeName(home));
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_CONFIG_HOME");
    if (runtime.isEmpty())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
}

}  // namespace

// The slots run in this order; those from singleInstanceLock on keep the
// environment at start-up, as the program does, so later changes to it no
// longer reach started programs.
class TestPlatformEdges : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void resultFileNeverBlocks_data();
    void resultFileNeverBlocks();
    void resultWindowReadsASwappedInFifoAsUnreadable();
    void programOnPath_data();
    void programOnPath();
    void fileReachesTheProgramAsOneArgument_data();
    void fileReachesTheProgramAsOneArgument();
    void earlyFailuresAreReportedOnce();
    void singleInstanceLock_data();
    void singleInstanceLock();
    void aliasFolderIsSpaceFree_data();
    void aliasFolderIsSpaceFree();
    void childrenGetTheEnvironmentQuenlarkWasStartedWith();

private:
    QTemporaryDir m_dir;  // its path has no space
    QString m_bin;        // scripts, and the PATH folder of the tests
};

void TestPlatformEdges::initTestCase() {
    QVERIFY(m_dir.isValid());
    QVERIFY(!m_dir.path().contains(u' '));
    m_bin = m_dir.path() + QStringLiteral("/bin");
    // Prints each argument on a line of its own, between brackets.
    WriteFile(m_bin + QStringLiteral("/qlkargs"),
              "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > \"$QLK_ARGS_OUT.tmp\"\n"
              "mv \"$QLK_ARGS_OUT.tmp\" \"$QLK_ARGS_OUT\"\n",
              kExecutable);
    WriteFile(m_bin + QStringLiteral("/qlkfail"), "#!/bin/sh\nexit 3\n", kExecutable);
    WriteFile(m_bin + QStringLiteral("/qlkkilled"), "#!/bin/sh\nkill -TERM $$\n", kExecutable);
    WriteFile(m_bin + QStringLiteral("/qlkfine"), "#!/bin/sh\nexit 0\n", kExecutable);
    WriteFile(m_bin + QStringLiteral("/qlklate"), "#!/bin/sh\nsleep 6\nexit 1\n", kExecutable);
    WriteFile(m_bin + QStringLiteral("/qlkplain"), "#!/bin/sh\nexit 0\n",
              QFile::ReadOwner | QFile::WriteOwner);  // not executable
    qputenv("PATH", QFile::encodeName(m_bin) + ":/usr/bin:/bin");
    qputenv("QLK_ARGS_OUT", QFile::encodeName(m_dir.path() + QStringLiteral("/args.txt")));
}

// ---- The result file is read only when it is an ordinary file.

void TestPlatformEdges::resultFileNeverBlocks_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("expected");  // what a read gives; "!" when it must fail
    QTest::newRow("ordinary file") << "file" << QByteArray("result\n");
    QTest::newRow("link to an ordinary file") << "link" << QByteArray("result\n");
    QTest::newRow("fifo without a writer") << "fifo" << QByteArray("!");
    QTest::newRow("fifo held open by a writer") << "fifo+writer" << QByteArray("!");
    QTest::newRow("link to a fifo") << "fifo-link" << QByteArray("!");
    QTest::newRow("character device") << "device" << QByteArray("!");
    QTest::newRow("folder") << "folder" << QByteArray("!");
    QTest::newRow("missing") << "missing" << QByteArray("!");
}

void TestPlatformEdges::resultFileNeverBlocks() {
    QFETCH(QString, kind);
    QFETCH(QByteArray, expected);
    const QString dir = m_dir.path() + QStringLiteral("/result-") + kind;
    QVERIFY(QDir().mkpath(dir));
    const QString path = dir + QStringLiteral("/result.txt");
    const QString fifo = dir + QStringLiteral("/pipe");
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    WriteFile(dir + QStringLiteral("/plain"), "result\n");
    int writer = -1, reader = -1;
    if (kind == QStringLiteral("file")) WriteFile(path, "result\n");
    if (kind == QStringLiteral("link")) QVERIFY(QFile::link(dir + QStringLiteral("/plain"), path));
    if (kind.startsWith(QStringLiteral("fifo"))) QVERIFY(QFile::rename(fifo, path));
    if (kind == QStringLiteral("fifo-link")) {
        QVERIFY(QFile::rename(path, fifo));
        QVERIFY(QFile::link(fifo, path));
    }
    if (kind == QStringLiteral("fifo+writer")) {
        // A reader end first, so that the writer's open does not fail; both
        // stay open with data waiting.
        reader = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
        writer = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
        QVERIFY(reader >= 0 && writer >= 0);
        QCOMPARE(::write(writer, "fifo data\n", 10), ssize_t(10));
    }
    if (kind == QStringLiteral("device")) QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    if (kind == QStringLiteral("folder")) QVERIFY(QDir().mkpath(path));

    bool ok = false;
    QByteArray data;
    QString reason;
    const QString unblock = kind == QStringLiteral("fifo-link") ? fifo : path;
    auto release = [&] {
        if (writer >= 0) ::close(writer);
        writer = -1;
        PassWriter(unblock);
    };
    QVERIFY2(FinishesWithin(
                 2000, [&] { ok = FileRules::ReadRange(path, 0, 64, &data, &reason); }, release),
             "the read blocked");
    if (writer >= 0) ::close(writer);
    if (reader >= 0) ::close(reader);
    if (expected == "!") {
        QVERIFY2(!ok, data.constData());
        QVERIFY(data.isEmpty());
        QVERIFY(!reason.isEmpty());
    } else {
        QVERIFY2(ok, qPrintable(reason));
        QCOMPARE(data, expected);
    }
}

// The whole window path: the stamp looks at an ordinary file, then a FIFO
// takes its place before the open. The read ends at once, as unreadable.
void TestPlatformEdges::resultWindowReadsASwappedInFifoAsUnreadable() {
    auto fake = std::make_unique<SwappingFake>();
    const Qlk::PlatformScope installed(*fake);
    const QString path = fake->dataFolder + QStringLiteral("result.txt");
    const QString fifo = fake->dataFolder + QStringLiteral("fifo");
    WriteFile(path, "old output\n");
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    ResultReader reader(path);
    QCOMPARE(reader.read(fake->files().fileStamp(path)).text, QStringLiteral("old output\n"));

    WriteFile(path, "old output\nmore\n");
    fake->swapIn = fifo;
    ResultReader::Update update;
    QVERIFY2(
        FinishesWithin(
            2000, [&] { update = reader.read(fake->files().fileStamp(path)); }, [&] { PassWriter(path); }),
        "the window blocked on the FIFO");
    QVERIFY(update.readFailed);
    // Once an ordinary file is back, it is read again.
    fake->swapIn.clear();
    QFile::remove(path);
    WriteFile(path, "new output\n");
    QCOMPARE(reader.read(fake->files().fileStamp(path)).text, QStringLiteral("new output\n"));
}

// ---- Bare command names are looked for on PATH, as the start does.

void TestPlatformEdges::programOnPath_data() {
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<bool>("found");
    QTest::newRow("bare name on PATH") << "qlkargs" << true;
    QTest::newRow("bare name with arguments") << "qlkargs --new-window" << true;
    QTest::newRow("system program") << "sh" << true;
    QTest::newRow("not on PATH") << "qlk-no-such-program" << false;
    QTest::newRow("on PATH but not executable") << "qlkplain" << false;
    QTest::newRow("a folder is given: not a PATH matter") << "/usr/bin/sh" << false;
    QTest::newRow("relative folder") << "bin/qlkargs" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("spaces only") << "   " << false;
}

void TestPlatformEdges::programOnPath() {
    QFETCH(QString, commandLine);
    QFETCH(bool, found);
    QCOMPARE(ProcessRules::ProgramOnPath(commandLine), found);
    if (!found) return;
    // And what the check finds, the start starts.
    qputenv(
        "QLK_ARGS_OUT",
        QFile::encodeName(m_dir.path() +
                          QStringLiteral("/path-%1.txt").arg(QTest::currentDataTag()).replace(u' ', u'_')));
    QtPlatform platform;
    QString reason;
    QVERIFY2(platform.programs().startWithArguments(commandLine, {}, &reason, {}), qPrintable(reason));
}

// ---- The file reaches an editor or a browser as one argument.

void TestPlatformEdges::fileReachesTheProgramAsOneArgument_data() {
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("args");  // {F}: the file
    QTest::newRow("folder with a space") << "{B}/qlkargs"
                                         << "/home/u/My Java/Hello.java" << QStringList{"{F}"};
    QTest::newRow("runs of spaces kept") << "{B}/qlkargs"
                                         << "/x/a  b /c.html" << QStringList{"{F}"};
    QTest::newRow("setting's own arguments split, the file not")
        << "{B}/qlkargs -n  --tab"
        << "/My Java/Hello.html" << QStringList{"-n", "--tab", "{F}"};
    QTest::newRow("bare name on PATH") << "qlkargs"
                                       << "/My Java/Hello.java" << QStringList{"{F}"};
    QTest::newRow("shell characters stay as they are")
        << "{B}/qlkargs"
        << "/w/$HOME `x` \"q\" 'a';b*.java" << QStringList{"{F}"};
    QTest::newRow("Japanese folder") << "{B}/qlkargs"
                                     << "/ホーム/ジャバ の 練習/A.java" << QStringList{"{F}"};
}

void TestPlatformEdges::fileReachesTheProgramAsOneArgument() {
    QFETCH(QString, setting);
    QFETCH(QString, file);
    QFETCH(QStringList, args);
    const QString out =
        m_dir.path() + QStringLiteral("/args-%1.txt").arg(QTest::currentDataTag()).replace(u' ', u'_');
    qputenv("QLK_ARGS_OUT", QFile::encodeName(out));
    QtPlatform platform;
    QString reason;
    QVERIFY2(platform.programs().startWithArguments(setting.replace(QStringLiteral("{B}"), m_bin), {file},
                                                    &reason, {}),
             qPrintable(reason));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), 5000);
    QString expected;
    for (const QString& a : args)
        expected += u'[' + (a == QStringLiteral("{F}") ? file : a) + QStringLiteral("]\n");
    QCOMPARE(QString::fromUtf8(ReadFile(out)), expected);
}

// ---- An editor or browser that fails soon after its start is reported once.

void TestPlatformEdges::earlyFailuresAreReportedOnce() {
    struct Row {
        const char* tag;
        QString command;
        bool watched;
        QList<ExitStatus> expected;
    };
    const QList<Row> rows{
        {"exit code 3", QStringLiteral("qlkfail"), true, {ExitStatus{3, 0, {}}}},
        {"ended by a signal", QStringLiteral("qlkkilled"), true, {ExitStatus{0, SIGTERM, {}}}},
        {"success is not reported", QStringLiteral("qlkfine"), true, {}},
        {"a failure after the first seconds is not reported", QStringLiteral("qlklate"), true, {}},
        {"unwatched start is never reported", QStringLiteral("qlkfail"), false, {}},
    };
    QtPlatform platform;
    QList<QList<ExitStatus>> reports(rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        QString reason;
        std::function<void(ExitStatus)> watch;
        if (rows[i].watched) watch = [&reports, i](ExitStatus s) { reports[i] << s; };
        QVERIFY2(platform.programs().startWithArguments(rows[i].command, {QStringLiteral("/My Java/A.java")},
                                                        &reason, watch),
                 qPrintable(reason));
    }
    // The late one ends after about six seconds; wait for it, then a little.
    QTest::qWait(7000);
    for (int i = 0; i < rows.size(); ++i) QVERIFY2(reports[i] == rows[i].expected, rows[i].tag);
}

// ---- The single-instance lock.

void TestPlatformEdges::singleInstanceLock_data() {
    QTest::addColumn<QString>("runtime");  // "" unset, "made up" as start-up makes one, "user" a real one
    QTest::addColumn<QString>("planted");  // what lies in the lock's place before the start
    QTest::addColumn<bool>("claimed");
    QTest::newRow("no lock") << ""
                             << "" << true;
    QTest::newRow("empty lock file") << ""
                                     << "empty" << true;
    QTest::newRow("garbage") << ""
                             << "garbage" << true;
    QTest::newRow("unreadable") << ""
                                << "unreadable" << true;
    QTest::newRow("another machine's copy") << ""
                                            << "foreign" << true;
    QTest::newRow("a copy that ended") << ""
                                       << "dead" << true;
    QTest::newRow("pid now used by another program") << ""
                                                     << "other program" << true;
    QTest::newRow("live copy refuses") << ""
                                       << "live" << false;
    QTest::newRow("made-up runtime folder: garbage in the data folder") << "made up"
                                                                        << "garbage" << true;
    QTest::newRow("made-up runtime folder: live copy refuses") << "made up"
                                                               << "live" << false;
    QTest::newRow("user's runtime folder: live copy refuses") << "user"
                                                              << "live" << false;
    QTest::newRow("user's runtime folder: no lock") << "user"
                                                    << "" << true;
}

void TestPlatformEdges::singleInstanceLock() {
    QFETCH(QString, runtime);
    QFETCH(QString, planted);
    QFETCH(bool, claimed);
    QTemporaryDir home;
    const QString userRuntime = home.path() + QStringLiteral("/run");
    UseHome(home.path(), runtime == QStringLiteral("user") ? userRuntime : QString());
    QVERIFY(QDir().mkpath(userRuntime));
    QFile::setPermissions(userRuntime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!runtime.isEmpty()) EnsurePrivateRuntimeDir();  // as the program's start does

    // The lock lives in the user's runtime folder, else in the data folder
    // itself, never in a runtime folder made up at start-up.
    const QString dataFolder = home.path() + QStringLiteral("/.local/share/Quenlark/");
    const QString lockPath = (runtime == QStringLiteral("user") ? userRuntime + u'/' : dataFolder) +
                             QStringLiteral("quenlark.lock");
    QVERIFY(QDir().mkpath(dataFolder));
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    std::unique_ptr<QLockFile> holder;
    qint64 other = 0;
    if (planted == QStringLiteral("empty")) WriteFile(lockPath, "");
    if (planted == QStringLiteral("garbage")) WriteFile(lockPath, "\x01\x02 not a lock\n\xff");
    if (planted == QStringLiteral("unreadable"))
        WriteFile(lockPath, "12\nQuenlark\n" + host + "\n", QFile::WriteOwner);
    if (planted == QStringLiteral("foreign"))
        WriteFile(lockPath, QByteArray::number(::getpid()) + "\nQuenlark\nanother-machine.example\n");
    if (planted == QStringLiteral("dead") || planted == QStringLiteral("other program")) {
        const pid_t child = ::fork();
        if (child == 0) {
            if (planted == QStringLiteral("other program")) ::execl("/bin/sleep", "sleep", "30", nullptr);
            ::_exit(0);
        }
        other = child;
        if (planted == QStringLiteral("dead")) ::waitpid(child, nullptr, 0);
        QTest::qWait(100);  // the child is "sleep" by now
        WriteFile(lockPath, QByteArray::number(other) + "\nQuenlark\n" + host + "\n");
    }
    if (!planted.isEmpty() && planted != QStringLiteral("live")) {
        // Left over from long ago.
        MakeOld(lockPath);
    }
    if (planted == QStringLiteral("live")) {
        holder = std::make_unique<QLockFile>(lockPath);
        QVERIFY(holder->tryLock(0));
    }

    bool got = false;
    {
        QtPlatform platform;
        got = platform.desktop().claimSingleInstance();
        if (got) {
            // The lock is ours now: it names this process.
            QLockFile probe(lockPath);
            qint64 pid = 0;
            QString h, app;
            QVERIFY(probe.getLockInfo(&pid, &h, &app));
            QCOMPARE(pid, qint64(::getpid()));
        }
    }
    if (other > 0 && planted == QStringLiteral("other program")) {
        ::kill(pid_t(other), SIGKILL);
        ::waitpid(pid_t(other), nullptr, 0);
    }
    QCOMPARE(got, claimed);
    // Nothing in the made-up runtime folder.
    QVERIFY(!QFile::exists(dataFolder + QStringLiteral("runtime/quenlark.lock")));
}

// ---- The alias folder has no space, whatever the home folder holds.

void TestPlatformEdges::aliasFolderIsSpaceFree_data() {
    QTest::addColumn<QString>("homeName");  // below the test folder
    QTest::addColumn<QString>(
        "runtime");                      // "" unset, "user" a usable one, "spaced" a usable one with a space
    QTest::addColumn<bool>("startUp");   // start-up made up its own runtime folder first
    QTest::addColumn<QString>("where");  // "runtime", "data" or "temp"
    QTest::newRow("runtime folder") << "my home"
                                    << "user" << true << "runtime";
    QTest::newRow("no runtime folder, plain home") << "home"
                                                   << "" << true << "data";
    QTest::newRow("no runtime folder, home with a space") << "my home"
                                                          << "" << false << "temp";
    QTest::newRow("no runtime folder, home with a space, after start-up") << "my home"
                                                                          << "" << true << "temp";
    QTest::newRow("runtime folder with a space") << "my home"
                                                 << "spaced" << true << "temp";
}

void TestPlatformEdges::aliasFolderIsSpaceFree() {
    QFETCH(QString, homeName);
    QFETCH(QString, runtime);
    QFETCH(bool, startUp);
    QFETCH(QString, where);
    QTemporaryDir base;
    const QString home = base.path() + u'/' + homeName;
    const QString run = base.path() + (runtime == QStringLiteral("spaced") ? QStringLiteral("/run dir")
                                                                           : QStringLiteral("/run"));
    QVERIFY(QDir().mkpath(home));
    QVERIFY(QDir().mkpath(run));
    QFile::setPermissions(run, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    UseHome(home, runtime.isEmpty() ? QString() : run);
    if (startUp) EnsurePrivateRuntimeDir();
    const QString spaced = home + QStringLiteral("/My Java");
    QVERIFY(QDir().mkpath(spaced));
    WriteFile(spaced + QStringLiteral("/Hello.java"), "class Hello {}\n");

    QString alias, root;
    {
        QtPlatform platform;
        alias = platform.files().shortPath(spaced);
        QVERIFY2(!alias.contains(u' '), qPrintable(alias));
        QCOMPARE(QFileInfo(alias).canonicalFilePath(), QFileInfo(spaced).canonicalFilePath());
        QVERIFY(FileRules::Exists(alias + QStringLiteral("/Hello.java")));
        QCOMPARE(platform.files().shortPath(spaced), alias);  // stable while the program runs
        root = QFileInfo(alias).path();
        QCOMPARE(ModeOf(root), mode_t(0700));
        if (where == QStringLiteral("runtime")) QCOMPARE(root, run + QStringLiteral("/quenlark-aliases"));
        if (where == QStringLiteral("data"))
            QCOMPARE(root, home + QStringLiteral("/.local/share/Quenlark/quenlark-aliases"));
        if (where == QStringLiteral("temp")) {
            QVERIFY2(!root.startsWith(base.path()), qPrintable(root));
            // Not a name another user could guess and make first.
            QVERIFY2(QFileInfo(root).fileName().size() > QStringLiteral("quenlark-").size() + 5,
                     qPrintable(root));
            struct stat st {};
            QCOMPARE(::lstat(QFile::encodeName(root).constData(), &st), 0);
            QVERIFY(S_ISDIR(st.st_mode) && st.st_uid == ::getuid());
        }
    }
    // A folder made for this run alone goes with it; the user's folder stays.
    if (where == QStringLiteral("temp")) QVERIFY(!QFileInfo::exists(root));
    QCOMPARE(ReadFile(spaced + QStringLiteral("/Hello.java")), QByteArray("class Hello {}\n"));
}

// With a space in the home folder and no runtime folder, a script gets a
// space-free folder that it can enter, and sees the environment Quenlark was
// started with, not the runtime folder made up for Qt.
void TestPlatformEdges::childrenGetTheEnvironmentQuenlarkWasStartedWith() {
    QTemporaryDir base;
    const QString home = base.path() + QStringLiteral("/my home");
    const QString spaced = home + QStringLiteral("/My Java");
    QVERIFY(QDir().mkpath(spaced));
    UseHome(home, QString());
    qputenv("QLK_GIVEN", "given at start");
    EnsurePrivateRuntimeDir();
    QVERIFY(!qgetenv("XDG_RUNTIME_DIR").isEmpty());  // made up for Qt

    const QString out = m_dir.path() + QStringLiteral("/env.txt");
    WriteFile(m_bin + QStringLiteral("/env.bat"),
              "cd $1 || exit 1\n{ pwd -P; env; } > \"$2.tmp\"\nmv \"$2.tmp\" \"$2\"\n");
    QtPlatform platform;
    const QString folder = platform.files().shortPath(spaced);
    QString reason;
    QVERIFY2(platform.programs().startWithArguments(m_bin + QStringLiteral("/env.bat ") + folder + u' ' + out,
                                                    {}, &reason, {}),
             qPrintable(reason));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), 5000);
    const QStringList lines = QString::fromUtf8(ReadFile(out)).split(u'\n');
    QCOMPARE(lines.value(0), QFileInfo(spaced).canonicalFilePath());
    QVERIFY(lines.contains(QStringLiteral("QLK_GIVEN=given at start")));
    QVERIFY(lines.contains(QStringLiteral("HOME=") + home));
    for (const QString& line : lines)
        QVERIFY2(!line.startsWith(QStringLiteral("XDG_RUNTIME_DIR=")), qPrintable(line));
}

QTEST_MAIN(TestPlatformEdges)
#include "tst_platformedges.moc"
