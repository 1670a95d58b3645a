// The default editor: start-up puts the notepad.exe stand-in into the data
// folder, and the stand-in opens its file in a desktop editor.
#include "FakePlatform.h"
#include "TestFiles.h"
#include "app/frmExection.h"
#include "settings/Qlk.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using Qlk::S;

using namespace TestFiles;

namespace {

// A stand-in for a program on PATH that writes its arguments, one a line,
// into a file named after it.
void Recorder(const QString& dir, const QString& name) {
    WriteFile(
        dir + u'/' + name,
        "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$RECORDS/" + name.toUtf8() + "\"\n",
        true);
}

}  // namespace

class TestDefaultEditor : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeScope> fake;

    bool load() {
        frmExection w(fake->console);
        return w.Form_Load();
    }

private slots:
    void init() {
        fake = std::make_unique<FakeScope>();
        (*fake)->installProgramFiles();
        (*fake)->presetSetting(QStringLiteral("setting"), QStringLiteral("JavaFileFolder0"), (*fake)->root());
    }
    void cleanup() { fake.reset(); }

    // A missing copy is made, byte for byte and still executable, and the
    // editors default to it; an existing one is left alone.
    void startUpCopiesTheEditor() {
        FakePlatform& f = **fake;
        const QString seed = f.programDir + QStringLiteral("/notepad.exe");
        QVERIFY(QFileInfo(seed).isExecutable());
        QVERIFY(load());
        const QString copy = f.dataFolder + QStringLiteral("notepad.exe");
        QCOMPARE(ReadFile(copy), ReadFile(seed));
        QVERIFY(QFileInfo(copy).isExecutable());
        QCOMPARE(S.JavaEdit, copy);
        QCOMPARE(S.HtmlEdit, copy);
        QVERIFY(f.boxes.isEmpty());

        // The user's own copy is never replaced.
        WriteFile(copy, "#!/bin/sh\nexec my-editor \"$@\"\n", true);
        QVERIFY(load());
        QCOMPARE(ReadFile(copy), QByteArray("#!/bin/sh\nexec my-editor \"$@\"\n"));
    }

    // What start-up does with a copy it seeds: a missing one is made; a
    // notepad.exe that a copy cut short by a full disk left empty is made
    // again; anything else there (an emptied result file too) stays.
    void seedingKeepsWhatIsThere_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("present");  // "<missing>": no file
        QTest::addColumn<bool>("seeded");
        QTest::newRow("editor missing") << "notepad.exe" << QByteArray("<missing>") << true;
        QTest::newRow("editor left empty") << "notepad.exe" << QByteArray() << true;
        QTest::newRow("editor edited") << "notepad.exe" << QByteArray("#!/bin/sh\nmine \"$@\"\n") << false;
        QTest::newRow("result missing") << "result.txt" << QByteArray("<missing>") << true;
        QTest::newRow("result emptied by a run") << "result.txt" << QByteArray() << false;
        QTest::newRow("result with output") << "result.txt" << QByteArray("output\n") << false;
    }
    void seedingKeepsWhatIsThere() {
        QFETCH(QString, file);
        QFETCH(QByteArray, present);
        QFETCH(bool, seeded);
        FakePlatform& f = **fake;
        const QString copy = f.dataFolder + file;
        if (present != "<missing>") WriteFile(copy, present, true);
        QVERIFY(load());
        QCOMPARE(ReadFile(copy), seeded ? ReadFile(f.programDir + u'/' + file) : present);
        QVERIFY(!ReadFile(f.programDir + u'/' + file).isEmpty());
        QVERIFY(f.boxes.isEmpty());
    }

    // A copy that fails is reported once, with its reason, and start-up
    // goes on; when start-up ends for want of result.txt, nothing is copied.
    void failedCopyIsReported() {
        FakePlatform& f = **fake;
        const QString copy = f.dataFolder + QStringLiteral("notepad.exe");
        QDir().mkpath(copy + QStringLiteral("/in the way"));
        QVERIFY(load());
        QCOMPARE(f.boxes.size(), 1);
        QVERIFY(f.boxes[0].text.startsWith(
            QStringLiteral("「notepad.exe」 をコピーできませんでした。\n\nコピー元: ")));
        QVERIFY(f.boxes[0].text.contains(QStringLiteral("\n理由: ")));
        QCOMPARE(f.boxes[0].icon, MsgIcon::Critical);
        QVERIFY(QFileInfo(copy + QStringLiteral("/in the way")).isDir());

        QDir(copy).removeRecursively();
        QFile::remove(f.programDir + QStringLiteral("/result.txt"));
        QFile::remove(f.dataFolder + QStringLiteral("result.txt"));
        f.boxes.clear();
        QVERIFY(!load());
        QCOMPARE(f.boxes.size(), 1);
        QVERIFY(!QFileInfo::exists(copy));
    }

    // The stand-in, as installed, opens its file argument: through the
    // desktop's opener, or for a page (which the opener would hand to a
    // browser) in an editor found on PATH. A path split at its spaces, as the
    // unquoted command line delivers it, arrives whole.
    void standInOpensItsFile_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("onPath");
        QTest::addColumn<bool>("display");
        QTest::addColumn<QString>("expectedProgram");  // "" when nothing can open it
        // clang-format off
        QTest::newRow("path with spaces, opener") << "my sources/Hello World.java" << QStringList{"xdg-open", "gedit"}
                                                  << true << "xdg-open";
        QTest::newRow("page in an editor") << "Page.htm" << QStringList{"xdg-open", "mousepad"} << true << "mousepad";
        QTest::newRow("no display, an editor") << "Hello.java" << QStringList{"xdg-open", "kate"} << false << "kate";
        QTest::newRow("nothing to open it with") << "Hello.java" << QStringList{} << true << "";
        // clang-format on
    }
    void standInOpensItsFile() {
        QFETCH(QString, file);
        QFETCH(QStringList, onPath);
        QFETCH(bool, display);
        QFETCH(QString, expectedProgram);
        FakePlatform& f = **fake;
        QVERIFY(load());
        QTemporaryDir work;
        const QString bin = work.path() + QStringLiteral("/bin");
        const QString records = work.path() + QStringLiteral("/records");
        QDir().mkpath(bin);
        QDir().mkpath(records);
        for (const QString& program : onPath) Recorder(bin, program);
        const QString path = work.path() + u'/' + file;
        QDir().mkpath(QFileInfo(path).path());
        WriteFile(path, "x");

        QProcess editor;
        QProcessEnvironment env;
        env.insert(QStringLiteral("PATH"), bin);
        env.insert(QStringLiteral("RECORDS"), records);
        env.insert(QStringLiteral("HOME"), work.path());
        if (display) env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":99"));
        editor.setProcessEnvironment(env);
        // Started the way the program starts it: the line split at spaces.
        editor.start(f.dataFolder + QStringLiteral("notepad.exe"), path.split(u' '));
        QVERIFY(editor.waitForFinished(10000));

        if (expectedProgram.isEmpty()) {
            QVERIFY(editor.exitCode() != 0);
            QVERIFY(!editor.readAllStandardError().isEmpty());
            QVERIFY(QDir(records).isEmpty());
        } else {
            QCOMPARE(editor.exitCode(), 0);
            QCOMPARE(QDir(records).entryList(QDir::Files), QStringList{expectedProgram});
            QCOMPARE(QString::fromUtf8(ReadFile(records + u'/' + expectedProgram)), path + u'\n');
        }
    }
};

QTEST_MAIN(TestDefaultEditor)
#include "tst_defaulteditor.moc"
