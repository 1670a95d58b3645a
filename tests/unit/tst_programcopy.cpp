// The per-user copy of the files beside a system-installed program, and the
// display platform Quenlark asks Qt for.
#include "TestFiles.h"
#include "platform/DisplayChoice.h"
#include "platform/ProgramCopy.h"
#include "platform/QtPlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace TestFiles;

namespace {

// The build's list of the files shipped beside the program.
void Ship(const QString& installed, const QStringList& names) {
    WriteFile(installed + u'/' + QLatin1String(ProgramCopy::kShippedList),
              (names.join(u'\n') + u'\n').toUtf8());
}

}  // namespace

class TestProgramCopy : public QObject {
    Q_OBJECT
private slots:
    void firstStartCopiesTheFilesBesideTheProgram();
    void laterStarts_data();
    void laterStarts();
    void editStaysTheUsersOverSeveralUpgrades();
    void copyFolderThatCannotBeMadeIsReported();
    void onlyListedFilesAreCopied();
    void namesEscaped_data();
    void namesEscaped();
    void onlyChangedStampsAreHashed();
    void fullDiskLeavesTheShippedFileInUse();
    void manifestThatIsNoFile_data();
    void manifestThatIsNoFile();
    void systemInstall_data();
    void systemInstall();
    void writableProgramFolderIsUsedAsItIs();
    void displayPlatform_data();
    void displayPlatform();
};

void TestProgramCopy::firstStartCopiesTheFilesBesideTheProgram() {
    QTemporaryDir dir;
    const QString installed = dir.filePath(QStringLiteral("usr/lib/quenlark"));
    const QString copy = dir.filePath(QStringLiteral("data/Quenlark/program"));
    QVERIFY(QDir().mkpath(installed));
    WriteFile(installed + QStringLiteral("/quenlark"), "program");
    WriteFile(installed + QStringLiteral("/compile.bat"), "#!/bin/sh\njavac\n",
              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    WriteFile(installed + QStringLiteral("/temp.java"), "class Temp {}\n");
    WriteFile(installed + QStringLiteral("/.hidden"), "not ours to copy");
    QVERIFY(QDir().mkpath(installed + QStringLiteral("/subfolder")));
    // Listed or not, the program, hidden files and folders are never copied.
    Ship(installed,
         {QStringLiteral("compile.bat"), QStringLiteral("temp.java"), QStringLiteral("quenlark"),
          QStringLiteral(".hidden"), QStringLiteral("subfolder/x"), QStringLiteral("../temp.java")});

    const ProgramCopy::Outcome outcome = ProgramCopy::Sync(installed, copy, QStringLiteral("quenlark"));
    QVERIFY(outcome.usable);
    QVERIFY2(outcome.failures.isEmpty(), qPrintable(outcome.failures.join(u'\n')));
    QCOMPARE(outcome.copied, QStringList({QStringLiteral("compile.bat"), QStringLiteral("temp.java")}));
    QCOMPARE(ReadFile(copy + QStringLiteral("/compile.bat"), "<missing>"), QByteArray("#!/bin/sh\njavac\n"));
    QVERIFY2(QFileInfo(copy + QStringLiteral("/compile.bat")).isExecutable(), "a script lost its mode");
    QVERIFY(!QFile::exists(copy + QStringLiteral("/quenlark")));
    QVERIFY(!QFile::exists(copy + QStringLiteral("/.hidden")));
    QVERIFY(!QFile::exists(copy + QStringLiteral("/subfolder")));
    // The manifest has the portable install's form: "checksum  name".
    const QList<QByteArray> lines =
        ReadFile(copy + u'/' + QLatin1String(ProgramCopy::kManifest), "<missing>").split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].endsWith("  compile.bat"));
    QCOMPARE(lines[0].indexOf("  "), 64);

    // A second start with nothing changed copies nothing.
    const ProgramCopy::Outcome again = ProgramCopy::Sync(installed, copy, QStringLiteral("quenlark"));
    QVERIFY(again.copied.isEmpty() && again.kept.isEmpty() && again.failures.isEmpty());
}

// Each row: what the user did to compile.bat in the copy after the first
// start, what the next package brings, and what the copy holds afterwards.
void TestProgramCopy::laterStarts_data() {
    QTest::addColumn<QString>("userAction");  // none, edit, delete, edit-to-new, own-file
    QTest::addColumn<QByteArray>("nextPackage");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("expectKept");

    const QByteArray v1 = "javac v1\n", v2 = "javac v2\n", edit = "javac -g  # mine\n";
    QTest::newRow("untouched, same package") << "none" << v1 << v1 << false;
    QTest::newRow("untouched, package brings a new one") << "none" << v2 << v2 << false;
    QTest::newRow("edited, same package") << "edit" << v1 << edit << true;
    QTest::newRow("edited, package brings a new one") << "edit" << v2 << edit << true;
    QTest::newRow("deleted, same package: restored") << "delete" << v1 << v1 << false;
    QTest::newRow("deleted, package brings a new one: the new one") << "delete" << v2 << v2 << false;
    QTest::newRow("edited to what the package now ships") << "edit-to-new" << v2 << v2 << false;
    QTest::newRow("manifest lost, edited file kept") << "lose-manifest" << v2 << edit << true;
}

void TestProgramCopy::laterStarts() {
    QFETCH(QString, userAction);
    QFETCH(QByteArray, nextPackage);
    QFETCH(QByteArray, expected);
    QFETCH(bool, expectKept);

    QTemporaryDir dir;
    const QString installed = dir.filePath(QStringLiteral("installed"));
    const QString copy = dir.filePath(QStringLiteral("copy"));
    const QString script = copy + QStringLiteral("/compile.bat");
    QVERIFY(QDir().mkpath(installed));
    WriteFile(installed + QStringLiteral("/compile.bat"), "javac v1\n");
    WriteFile(installed + QStringLiteral("/apli.bat"), "java v1\n");
    Ship(installed, {QStringLiteral("compile.bat"), QStringLiteral("apli.bat")});
    QVERIFY(ProgramCopy::Sync(installed, copy, QStringLiteral("quenlark")).failures.isEmpty());
    WriteFile(copy + QStringLiteral("/mine.txt"), "the user's own file");

    if (userAction == QStringLiteral("edit") || userAction == QStringLiteral("lose-manifest"))
        WriteFile(script, "javac -g  # mine\n");
    if (userAction == QStringLiteral("lose-manifest"))
        QVERIFY(QFile::remove(copy + u'/' + QLatin1String(ProgramCopy::kManifest)));
    if (userAction == QStringLiteral("delete")) QVERIFY(QFile::remove(script));
    if (userAction == QStringLiteral("edit-to-new")) WriteFile(script, nextPackage);

    WriteFile(installed + QStringLiteral("/compile.bat"), nextPackage);
    QVERIFY(QFile::remove(installed + QStringLiteral("/apli.bat")));  // no longer shipped
    Ship(installed, {QStringLiteral("compile.bat")});
    const ProgramCopy::Outcome outcome = ProgramCopy::Sync(installed, copy, QStringLiteral("quenlark"));
    QVERIFY(outcome.failures.isEmpty());
    QCOMPARE(ReadFile(script, "<missing>"), expected);
    QCOMPARE(outcome.kept.contains(QStringLiteral("compile.bat")), expectKept);
    // Files the installed folder does not hold are never touched.
    QCOMPARE(ReadFile(copy + QStringLiteral("/mine.txt"), "<missing>"), QByteArray("the user's own file"));
    QCOMPARE(ReadFile(copy + QStringLiteral("/apli.bat"), "<missing>"), QByteArray("java v1\n"));
}

// An edit outlives any number of upgrades, and going back to the shipped
// text makes the file follow the package again.
void TestProgramCopy::editStaysTheUsersOverSeveralUpgrades() {
    QTemporaryDir dir;
    const QString installed = dir.filePath(QStringLiteral("installed"));
    const QString copy = dir.filePath(QStringLiteral("copy"));
    QVERIFY(QDir().mkpath(installed));
    WriteFile(installed + QStringLiteral("/temp.java"), "v1");
    Ship(installed, {QStringLiteral("temp.java")});
    ProgramCopy::Sync(installed, copy, QString());
    WriteFile(copy + QStringLiteral("/temp.java"), "mine");
    for (const QByteArray& version : {QByteArray("v2"), QByteArray("v3")}) {
        WriteFile(installed + QStringLiteral("/temp.java"), version);
        ProgramCopy::Sync(installed, copy, QString());
        QCOMPARE(ReadFile(copy + QStringLiteral("/temp.java"), "<missing>"), QByteArray("mine"));
    }
    WriteFile(copy + QStringLiteral("/temp.java"), "v1");  // the user undoes the edit
    ProgramCopy::Sync(installed, copy, QString());
    QCOMPARE(ReadFile(copy + QStringLiteral("/temp.java"), "<missing>"), QByteArray("v3"));
}

void TestProgramCopy::copyFolderThatCannotBeMadeIsReported() {
    QTemporaryDir dir;
    const QString installed = dir.filePath(QStringLiteral("installed"));
    QVERIFY(QDir().mkpath(installed));
    WriteFile(installed + QStringLiteral("/compile.bat"), "javac");
    Ship(installed, {QStringLiteral("compile.bat")});
    WriteFile(dir.filePath(QStringLiteral("data")), "a file where the folder would be");
    const ProgramCopy::Outcome outcome =
        ProgramCopy::Sync(installed, dir.filePath(QStringLiteral("data/program")), QString());
    QVERIFY(!outcome.usable);
    QCOMPARE(outcome.failures.size(), 1);
    QVERIFY(outcome.failures[0].contains(dir.filePath(QStringLiteral("data/program"))));
}

// What the build does not list is never copied, however large or oddly
// named: a name with a line feed cannot forge a line of the manifest. No
// list at all: nothing is copied and the program works from its own folder.
void TestProgramCopy::onlyListedFilesAreCopied() {
    QTemporaryDir dir;
    const QString installed = dir.filePath(QStringLiteral("lib")),
                  copy = dir.filePath(QStringLiteral("copy"));
    QVERIFY(QDir().mkpath(installed));
    WriteFile(installed + QStringLiteral("/compile.bat"), "javac\n");
    const QString forged = QStringLiteral("x\n") + QString(64, u'0') + QStringLiteral("  compile.bat");
    WriteFile(installed + u'/' + forged, "forged");
    QFile big(installed + QStringLiteral("/big.iso"));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(qint64(1) << 31));  // sparse
    big.close();
    const ProgramCopy::Outcome none = ProgramCopy::Sync(installed, copy, QStringLiteral("quenlark"));
    QVERIFY(!none.usable);
    QCOMPARE(none.failures.size(), 1);
    QVERIFY(none.failures[0].startsWith(installed + u'/' + QLatin1String(ProgramCopy::kShippedList) + u':'));
    QVERIFY(!QFile::exists(copy + QStringLiteral("/compile.bat")));

    Ship(installed, {QStringLiteral("compile.bat")});
    const ProgramCopy::Outcome outcome = ProgramCopy::Sync(installed, copy, QStringLiteral("quenlark"));
    QVERIFY(outcome.usable && outcome.failures.isEmpty());
    QCOMPARE(outcome.copied, QStringList{QStringLiteral("compile.bat")});
    QCOMPARE(outcome.hashed, 1);
    QCOMPARE(QDir(copy).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{QLatin1String(ProgramCopy::kManifest), QStringLiteral("compile.bat")}));
    const QList<QByteArray> lines = ReadFile(copy + u'/' + QLatin1String(ProgramCopy::kManifest)).split('\n');
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines[0].endsWith("  compile.bat"));
}

void TestProgramCopy::namesEscaped_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("escaped");
    QTest::newRow("line feed") << "a\nb"
                               << "a\\nb";
    QTest::newRow("backslash before n") << "a\\nb"
                                        << "a\\\\nb";
    QTest::newRow("trailing backslash") << "a\\"
                                        << "a\\\\";
}

void TestProgramCopy::namesEscaped() {
    QFETCH(QString, name);
    QFETCH(QString, escaped);
    QCOMPARE(ProgramCopy::EscapeName(name), escaped);
    QVERIFY(!escaped.contains(u'\n') && !escaped.contains(u'\r'));
    QCOMPARE(ProgramCopy::UnescapeName(escaped), name);
}

// A start reads a file whole only when its stamp changed since the last:
// nothing for a start with nothing changed, however large the files.
void TestProgramCopy::onlyChangedStampsAreHashed() {
    QTemporaryDir dir;
    const QString installed = dir.filePath(QStringLiteral("lib")),
                  copy = dir.filePath(QStringLiteral("copy"));
    QVERIFY(QDir().mkpath(installed));
    QFile big(installed + QStringLiteral("/Quenlark.hlp"));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(64 << 20));  // sparse
    big.close();
    WriteFile(installed + QStringLiteral("/compile.bat"), "javac v1\n");
    Ship(installed, {QStringLiteral("Quenlark.hlp"), QStringLiteral("compile.bat")});
    const auto sync = [&] { return ProgramCopy::Sync(installed, copy, QStringLiteral("quenlark")); };
    QCOMPARE(sync().hashed, 2);
    QCOMPARE(sync().hashed, 0);
    // A new package's script: the installed one is read, the copy is known.
    WriteFile(installed + QStringLiteral("/compile.bat"), "javac v2\n");
    ProgramCopy::Outcome outcome = sync();
    QCOMPARE(outcome.hashed, 1);
    QCOMPARE(outcome.copied, QStringList{QStringLiteral("compile.bat")});
    QCOMPARE(sync().hashed, 0);
    // The user's edit: only the copy is read, and stays theirs.
    WriteFile(copy + QStringLiteral("/compile.bat"), "javac -g\n");
    outcome = sync();
    QCOMPARE(outcome.hashed, 1);
    QCOMPARE(outcome.kept, QStringList{QStringLiteral("compile.bat")});
    QCOMPARE(sync().hashed, 0);
    QCOMPARE(ReadFile(copy + QStringLiteral("/compile.bat")), QByteArray("javac -g\n"));
}

// A copy cut short by a full disk (a file-size limit stands in for it): the
// failure names the file, and the installed file stands in where the copy
// is missing, until a later start copies it.
void TestProgramCopy::fullDiskLeavesTheShippedFileInUse() {
    QTemporaryDir dir;
    const QString installed = dir.filePath(QStringLiteral("lib")),
                  copy = dir.filePath(QStringLiteral("copy"));
    QVERIFY(QDir().mkpath(installed));
    const QByteArray seed(64 * 1024, 'r');
    WriteFile(installed + QStringLiteral("/result.txt"), seed);
    WriteFile(installed + QStringLiteral("/temp.java"), "class Temp {}\n");
    Ship(installed, {QStringLiteral("result.txt"), QStringLiteral("temp.java")});
    struct sigaction ignore {
    }, before{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &before);
    rlimit limit{}, small{16 * 1024, 16 * 1024};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    small.rlim_max = limit.rlim_max;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const ProgramCopy::Outcome outcome = ProgramCopy::Sync(installed, copy, QStringLiteral("quenlark"));
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::sigaction(SIGXFSZ, &before, nullptr);
    QVERIFY(outcome.usable);
    QCOMPARE(outcome.copied, QStringList{QStringLiteral("temp.java")});
    QCOMPARE(outcome.failures.size(), 1);
    QVERIFY2(outcome.failures[0].startsWith(copy + QStringLiteral("/result.txt: ")),
             qPrintable(outcome.failures[0]));
    QCOMPARE(ReadFile(copy + QStringLiteral("/result.txt")), seed);
    // Nothing cut short is left behind.
    QCOMPARE(QDir(copy).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot).size(), 3);

    const ProgramCopy::Outcome later = ProgramCopy::Sync(installed, copy, QStringLiteral("quenlark"));
    QVERIFY(later.failures.isEmpty());
    QCOMPARE(later.copied, QStringList{QStringLiteral("result.txt")});
    QVERIFY(!QFileInfo(copy + QStringLiteral("/result.txt")).isSymLink());
    QCOMPARE(ReadFile(copy + QStringLiteral("/result.txt")), seed);
}

// A manifest that is a link, a FIFO or a device is garbage: the sync neither
// hangs nor reads it, and the new manifest replaces it instead of going into
// what a link names.
void TestProgramCopy::manifestThatIsNoFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("link to the user's notes") << "link";
    QTest::newRow("link to /dev/zero") << "zero";
    QTest::newRow("FIFO") << "fifo";
}

void TestProgramCopy::manifestThatIsNoFile() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString installed = dir.filePath(QStringLiteral("lib")),
                  copy = dir.filePath(QStringLiteral("copy"));
    const QString notes = dir.filePath(QStringLiteral("notes.txt"));
    QVERIFY(QDir().mkpath(installed) && QDir().mkpath(copy));
    WriteFile(installed + QStringLiteral("/temp.java"), "class Temp {}\n");
    Ship(installed, {QStringLiteral("temp.java")});
    WriteFile(notes, "my notes\n");
    const QString manifest = copy + u'/' + QLatin1String(ProgramCopy::kManifest);
    if (kind == QStringLiteral("link")) QVERIFY(QFile::link(notes, manifest));
    if (kind == QStringLiteral("zero")) QVERIFY(QFile::link(QStringLiteral("/dev/zero"), manifest));
    if (kind == QStringLiteral("fifo")) QCOMPARE(::mkfifo(QFile::encodeName(manifest).constData(), 0600), 0);
    const ProgramCopy::Outcome outcome = ProgramCopy::Sync(installed, copy, QStringLiteral("quenlark"));
    QVERIFY(outcome.usable);
    QCOMPARE(outcome.copied, QStringList{QStringLiteral("temp.java")});
    QCOMPARE(ReadFile(notes), QByteArray("my notes\n"));
    QVERIFY(QFileInfo(manifest).isFile() && !QFileInfo(manifest).isSymLink());
    QVERIFY(ReadFile(manifest).endsWith("  temp.java\n"));
}

void TestProgramCopy::systemInstall_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<uint>("owner");
    QTest::addColumn<uint>("user");
    QTest::addColumn<bool>("system");
    QTest::newRow("package, a user") << "/usr/lib/quenlark" << 0u << 1000u << true;
    QTest::newRow("package, root runs it") << "/usr/lib/quenlark" << 0u << 0u << true;
    QTest::newRow("under /usr/local") << "/usr/local/lib/quenlark" << 1000u << 1000u << true;
    QTest::newRow("someone else's folder") << "/opt/quenlark" << 0u << 1000u << true;
    QTest::newRow("own build folder") << "/home/a/quenlark/build/bin" << 1000u << 1000u << false;
    QTest::newRow("root's own build folder") << "/work/build/bin" << 0u << 0u << false;
    QTest::newRow("a name that only starts like /usr") << "/usr2/quenlark" << 1000u << 1000u << false;
    QTest::newRow("a path that leaves /usr") << "/usr/../home/a/q" << 1000u << 1000u << false;
}

void TestProgramCopy::systemInstall() {
    QFETCH(QString, folder);
    QFETCH(uint, owner);
    QFETCH(uint, user);
    QFETCH(bool, system);
    QCOMPARE(ProgramCopy::IsSystemInstall(folder, owner, user), system);
}

// The test program's own folder is the user's and writable: the program uses
// it as it is and makes no copy.
void TestProgramCopy::writableProgramFolderIsUsedAsItIs() {
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    QVERIFY(!ProgramCopy::IsSystemInstall(QCoreApplication::applicationDirPath()));
    QtPlatform platform;
    QCOMPARE(platform.files().programFolder(), QCoreApplication::applicationDirPath());
    QVERIFY(!QFile::exists(home.filePath(QStringLiteral("data/Quenlark/program"))));
}

void TestProgramCopy::displayPlatform_data() {
    QTest::addColumn<QByteArrayList>("args");
    QTest::addColumn<QByteArray>("qpaPlatform");
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QByteArrayList>("expected");
    const QByteArrayList plain{"quenlark"};
    const QByteArrayList xcb{"quenlark", "-platform", "xcb"};
    QTest::newRow("wayland session with XWayland") << plain << QByteArray() << QByteArray(":0") << xcb;
    QTest::newRow("X11 session") << plain << QByteArray() << QByteArray(":1") << xcb;
    QTest::newRow("other arguments stay after it")
        << QByteArrayList{"quenlark", "-style", "fusion"} << QByteArray() << QByteArray(":0")
        << QByteArrayList{"quenlark", "-platform", "xcb", "-style", "fusion"};
    QTest::newRow("user chose wayland") << plain << QByteArray("wayland") << QByteArray(":0") << plain;
    QTest::newRow("tests choose offscreen") << plain << QByteArray("offscreen") << QByteArray(":0") << plain;
    QTest::newRow("platform argument")
        << QByteArrayList{"quenlark", "-platform", "wayland"} << QByteArray() << QByteArray(":0")
        << QByteArrayList{"quenlark", "-platform", "wayland"};
    QTest::newRow("double-dash platform argument")
        << QByteArrayList{"quenlark", "--platform", "offscreen"} << QByteArray() << QByteArray(":0")
        << QByteArrayList{"quenlark", "--platform", "offscreen"};
    QTest::newRow("no X server: Qt chooses") << plain << QByteArray() << QByteArray() << plain;
    QTest::newRow("a program named -platform")
        << QByteArrayList{"-platform"} << QByteArray() << QByteArray(":0")
        << QByteArrayList{"-platform", "-platform", "xcb"};
}

void TestProgramCopy::displayPlatform() {
    QFETCH(QByteArrayList, args);
    QFETCH(QByteArray, qpaPlatform);
    QFETCH(QByteArray, display);
    QFETCH(QByteArrayList, expected);
    QCOMPARE(WithDisplayPlatform(args, qpaPlatform, display), expected);
}

QTEST_GUILESS_MAIN(TestProgramCopy)
#include "tst_programcopy.moc"
