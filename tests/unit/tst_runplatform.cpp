// The platform rows the run buttons stand on, on real files: the file test,
// the space-free form of a folder, and starting a command line.
#include "TestFiles.h"
#include "platform/FileRules.h"
#include "platform/ProcessRules.h"
#include "platform/QtPlatform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace TestFiles;

namespace {

const QFile::Permissions kReadWrite = QFile::ReadOwner | QFile::WriteOwner;

}  // namespace

class TestRunPlatform : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void fileTest_data();
    void fileTest();
    void aliasIsStableSpaceFreeAndPrivate();
    void aliasRepairsAndFallsBack();
    void shortPathRows();
    void resolveCommand_data();
    void resolveCommand();
    void startRunsScriptDetachedWithSplitArguments();
    void startFailureGivesReason();
    void earlyFailureBringsItsErrorOutput();

private:
    QTemporaryDir m_dir;
    QString m_files;    // a folder of test files
    QString m_program;  // a program folder whose path has spaces
};

void TestRunPlatform::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_files = m_dir.path() + QStringLiteral("/files");
    QVERIFY(QDir().mkpath(m_files + QStringLiteral("/dir.java")));
    QVERIFY(QDir().mkpath(m_files + QStringLiteral("/w*")));
    WriteFile(m_files + QStringLiteral("/Hello.java"), "class Hello {}");
    WriteFile(m_files + QStringLiteral("/.hidden.class"), "");
    WriteFile(m_files + QStringLiteral("/w*/A.java"), "");
    WriteFile(m_files + QStringLiteral("/Hello World.html"), "");
    QVERIFY(QFile::link(m_files + QStringLiteral("/Hello.java"), m_files + QStringLiteral("/Link.java")));
    QVERIFY(QFile::link(m_files + QStringLiteral("/nothing"), m_files + QStringLiteral("/Broken.java")));
    QVERIFY(::mkfifo(QFile::encodeName(m_files + QStringLiteral("/Pipe.java")).constData(), 0600) == 0);
    m_program = m_dir.path() + QStringLiteral("/my programs/quenlark");
    QVERIFY(QDir().mkpath(m_program));
}

void TestRunPlatform::fileTest_data() {
    QTest::addColumn<QString>("path");  // relative to the files folder
    QTest::addColumn<bool>("found");
    QTest::newRow("plain file") << "Hello.java" << true;
    QTest::newRow("missing") << "Bye.java" << false;
    QTest::newRow("case matters") << "hello.java" << false;
    QTest::newRow("directory") << "dir.java" << false;
    QTest::newRow("hidden file") << ".hidden.class" << false;
    QTest::newRow("empty name is the hidden .java") << ".java" << false;
    QTest::newRow("link to a file") << "Link.java" << true;
    QTest::newRow("dangling link") << "Broken.java" << false;
    QTest::newRow("fifo is no ordinary file") << "Pipe.java" << false;
    QTest::newRow("star") << "He*.java" << true;
    QTest::newRow("question mark") << "H?llo.java" << true;
    QTest::newRow("question mark is one character") << "H?lo.java" << false;
    QTest::newRow("star alone") << "*" << true;
    QTest::newRow("star skips hidden files") << "*.class" << false;
    QTest::newRow("star skips directories") << "dir.j*" << false;
    QTest::newRow("star does not match the fifo alone") << "Pi*" << false;
    QTest::newRow("wildcard finds a link") << "Li?k.java" << true;
    QTest::newRow("name with a space") << "Hello World.html" << true;
    QTest::newRow("star in a folder name is literal") << "w*/A.java" << true;
    QTest::newRow("question mark in a folder name is literal") << "w?/A.java" << false;
    QTest::newRow("trailing slash") << "Hello.java/" << false;
    QTest::newRow("file as a folder") << "Hello.java/x" << false;
    QTest::newRow("overlong name") << QString(5000, u'a') + ".java" << false;
}

void TestRunPlatform::fileTest() {
    QFETCH(QString, path);
    QFETCH(bool, found);
    QCOMPARE(FileRules::Exists(m_files + u'/' + path), found);
}

void TestRunPlatform::aliasIsStableSpaceFreeAndPrivate() {
    const QString root = m_dir.path() + QStringLiteral("/aliases");
    const QString a = m_dir.path() + QStringLiteral("/Program Files/java one");
    const QString b = m_dir.path() + QStringLiteral("/Program Files/java two");
    QVERIFY(QDir().mkpath(a));
    QVERIFY(QDir().mkpath(b));
    WriteFile(a + QStringLiteral("/Hello.java"), "");

    const QString aliasA = FileRules::AliasFor(a, root);
    QVERIFY(!aliasA.contains(u' '));
    QVERIFY(aliasA.startsWith(root + u'/'));
    QCOMPARE(QFileInfo(aliasA).canonicalFilePath(), QFileInfo(a).canonicalFilePath());
    QVERIFY(FileRules::Exists(aliasA + QStringLiteral("/Hello.java")));
    QVERIFY(FileRules::Exists(aliasA + QStringLiteral("/H*.java")));
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(root).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0700u);

    // The same folder always gets the same alias, however it is written.
    QCOMPARE(FileRules::AliasFor(a, root), aliasA);
    QCOMPARE(FileRules::AliasFor(a + QStringLiteral("//"), root), aliasA);
    const QString aliasB = FileRules::AliasFor(b, root);
    QVERIFY(aliasB != aliasA);
    QCOMPARE(QFileInfo(aliasB).canonicalFilePath(), QFileInfo(b).canonicalFilePath());

    // A folder given relative to the working folder still gets a link that
    // works from anywhere.
    const QString cwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.path()));
    const QString relative = FileRules::AliasFor(QStringLiteral("Program Files/java one"), root);
    QVERIFY(QDir::setCurrent(cwd));
    QCOMPARE(relative, aliasA);
    QCOMPARE(QFileInfo(relative).symLinkTarget(), QFileInfo(a).absoluteFilePath());
}

void TestRunPlatform::aliasRepairsAndFallsBack() {
    const QString root = m_dir.path() + QStringLiteral("/aliases2");
    const QString a = m_dir.path() + QStringLiteral("/with space");
    QVERIFY(QDir().mkpath(a));
    const QString alias = FileRules::AliasFor(a, root);
    // A link that was pointed elsewhere is put right.
    QVERIFY(QFile::remove(alias));
    QVERIFY(QFile::link(m_files, alias));
    QCOMPARE(FileRules::AliasFor(a, root), alias);
    QCOMPARE(QFileInfo(alias).canonicalFilePath(), QFileInfo(a).canonicalFilePath());
    // No private folder to be had: the folder itself.
    QCOMPARE(FileRules::AliasFor(a, m_dir.path() + QStringLiteral("/a root with space")), a);
    QCOMPARE(FileRules::AliasFor(a, m_files + QStringLiteral("/Hello.java/sub")), a);
}

void TestRunPlatform::shortPathRows() {
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + QStringLiteral("/data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/config")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path() + QStringLiteral("/run")));
    QVERIFY(QDir().mkpath(home.path() + QStringLiteral("/run")));
    QFile::setPermissions(home.path() + QStringLiteral("/run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QtPlatform platform;
    const QString spaced = m_dir.path() + QStringLiteral("/short path/of java");
    QVERIFY(QDir().mkpath(spaced));

    QCOMPARE(platform.files().shortPath(QString()), QString());
    QCOMPARE(platform.files().shortPath(m_dir.path() + QStringLiteral("/not here")), QString());
    QCOMPARE(platform.files().shortPath(m_files + QStringLiteral("/Hello.java")),
             QString());  // a file, not a folder
    QCOMPARE(platform.files().shortPath(m_files), m_files);
    const QString alias = platform.files().shortPath(spaced);
    QVERIFY(!alias.contains(u' '));
    QVERIFY(alias.startsWith(home.path() + QStringLiteral("/run/")));
    QCOMPARE(QFileInfo(alias).canonicalFilePath(), QFileInfo(spaced).canonicalFilePath());
    QCOMPARE(platform.files().shortPath(spaced), alias);
}

void TestRunPlatform::resolveCommand_data() {
    QTest::addColumn<QString>("line");  // {P}: program folder with spaces, {F}: files folder
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error");  // "" when it resolves
    QTest::newRow("script runs through sh")
        << "{P}/compile.bat {F} Hello.java"
        << "/bin/sh" << QStringList{"{P}/compile.bat", "{F}", "Hello.java"} << "";
    QTest::newRow("runs of spaces split once")
        << "{P}/apli.bat  {F}   Hello   World "
        << "/bin/sh" << QStringList{"{P}/apli.bat", "{F}", "Hello", "World"} << "";
    QTest::newRow("missing script") << "{P}/applet.bat {F} Hello.html"
                                    << "" << QStringList() << "No such file or directory";
    QTest::newRow("program found on PATH") << "sh -c exit"
                                           << "*/sh" << QStringList{"-c", "exit"} << "";
    QTest::newRow("program not executable") << "{P}/tool {F}"
                                            << "" << QStringList() << "Permission denied";
    QTest::newRow("no program at all") << "   "
                                       << "" << QStringList() << "No such file or directory";
    QTest::newRow("a plain file is passed over for the folder beside it")
        << "{P}/my editors/gedit {F}"
        << "{P}/my editors/gedit" << QStringList{"{F}"} << "";
    QTest::newRow("a program in double quotes is taken whole, quoted arguments stay one")
        << "\"{P}/my editors/gedit\" \"{F}/a b.java\"  -x"
        << "{P}/my editors/gedit" << QStringList{"{F}/a b.java", "-x"} << "";
    QTest::newRow("a quote inside a word is a character")
        << "{P}/apli.bat {F}/my\"java Hello"
        << "/bin/sh" << QStringList{"{P}/apli.bat", "{F}/my\"java", "Hello"} << "";
}

void TestRunPlatform::resolveCommand() {
    QFETCH(QString, line);
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    QFETCH(QString, error);
    WriteFile(m_program + QStringLiteral("/compile.bat"), "exit 0\n", kReadWrite);
    WriteFile(m_program + QStringLiteral("/apli.bat"), "exit 0\n", kReadWrite);
    WriteFile(m_program + QStringLiteral("/tool"), "#!/bin/sh\n", kReadWrite);
    WriteFile(m_program + QStringLiteral("/my"), "not a program\n", kReadWrite);
    WriteFile(m_program + QStringLiteral("/my editors/gedit"), "#!/bin/sh\n", kExecutable);
    auto fill = [&](QString s) {
        return s.replace(QStringLiteral("{P}"), m_program).replace(QStringLiteral("{F}"), m_files);
    };
    for (QString& a : args) a = fill(a);
    program = fill(program);

    QString gotProgram, reason;
    QStringList gotArgs;
    const bool ok = ProcessRules::ResolveCommand(fill(line), &gotProgram, &gotArgs, &reason);
    QCOMPARE(ok, error.isEmpty());
    if (!ok) {
        QVERIFY2(reason.contains(error), qPrintable(reason));
        return;
    }
    if (program.startsWith(u'*'))
        QVERIFY2(gotProgram.endsWith(program.mid(1)) && QFileInfo(gotProgram).isAbsolute(),
                 qPrintable(gotProgram));
    else
        QCOMPARE(gotProgram, program);
    QCOMPARE(gotArgs, args);
}

// The script gets its words as separate arguments, reads nothing from a
// terminal, and runs on after the call returns.
void TestRunPlatform::startRunsScriptDetachedWithSplitArguments() {
    const QString out = m_dir.path() + QStringLiteral("/out.txt");
    WriteFile(m_program + QStringLiteral("/apli.bat"),
              "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > \"$QLK_TEST_OUT.tmp\"\n"
              "if read line; then echo stdin-had-data; else echo stdin-empty; fi >> \"$QLK_TEST_OUT.tmp\"\n"
              "read -r pid comm state ppid pgrp sid rest < /proc/$$/stat\n"
              "[ \"$pgrp\" = \"$$\" ] && echo own-group >> \"$QLK_TEST_OUT.tmp\"\n"
              "mv \"$QLK_TEST_OUT.tmp\" \"$QLK_TEST_OUT\"\n",
              kReadWrite);  // not executable: a script is run by sh
    qputenv("QLK_TEST_OUT", QFile::encodeName(out));
    QtPlatform platform;
    QString reason;
    QVERIFY(platform.programs().startWithArguments(
        m_program + QStringLiteral("/apli.bat ") + m_files + QStringLiteral(" Hello World"), {}, &reason,
        {}));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), 5000);
    QFile f(out);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(f.readAll()),
             QStringLiteral("[%1]\n[Hello]\n[World]\nstdin-empty\nown-group\n").arg(m_files));
    // Once it has ended, nothing of it is left behind, not even a zombie.
    auto children = [] {
        int count = 0;
        const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
        for (const QString& e : entries) {
            QFile stat(QStringLiteral("/proc/") + e + QStringLiteral("/stat"));
            if (!stat.open(QIODevice::ReadOnly)) continue;
            const QList<QByteArray> f = stat.readAll().split(' ');
            if (f.size() > 3 && f[3].toLongLong() == ::getpid()) ++count;
        }
        return count;
    };
    QTRY_COMPARE_WITH_TIMEOUT(children(), 0, 3000);
}

void TestRunPlatform::startFailureGivesReason() {
    QtPlatform platform;
    QString reason;
    QVERIFY(!platform.programs().startWithArguments(m_program + QStringLiteral("/nothing.bat a b"), {},
                                                    &reason, {}));
    QCOMPARE(reason, QString::fromLocal8Bit(strerror(ENOENT)));
    if (::geteuid() != 0) {  // root may read anything
        WriteFile(m_program + QStringLiteral("/locked.bat"), "exit 0\n", QFile::Permissions());
        QFile::setPermissions(m_program + QStringLiteral("/locked.bat"), QFile::Permissions());
        QVERIFY(!platform.programs().startWithArguments(m_program + QStringLiteral("/locked.bat a"), {},
                                                        &reason, {}));
        QVERIFY2(reason.contains(QStringLiteral("locked.bat")), qPrintable(reason));
    }
}

// An editor that fails at once says why on its standard error: the last
// lines of that reach its failure report.
void TestRunPlatform::earlyFailureBringsItsErrorOutput() {
    const QString editor = m_dir.path() + QStringLiteral("/no-editor");
    WriteFile(editor,
              "#!/bin/sh\necho 'warming up' >&2\necho 'テキストエディタが見つかりません' >&2\nexit 1\n",
              true);
    QtPlatform platform;
    ExitStatus status;
    bool failed = false;
    QVERIFY(platform.programs().startWithArguments(editor, {QStringLiteral("Hello.java")}, nullptr,
                                                   [&](ExitStatus s) {
                                                       status = s;
                                                       failed = true;
                                                   }));
    QTRY_VERIFY(failed);
    QCOMPARE(status.code, 1);
    QCOMPARE(status.errorOutput, QStringLiteral("warming up\nテキストエディタが見つかりません"));
}

QTEST_MAIN(TestRunPlatform)
#include "tst_runplatform.moc"
