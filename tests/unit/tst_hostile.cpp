// Hostile input, one group: odd class names, folders that are not what they
// seem, garbage in the store, a result file that is gone, a folder, binary or
// huge, and a hundred quick presses. Each ends in a clear message or the sound
// result; nothing crashes and no file is lost.
#include "FakePlatform.h"
#include "TestFiles.h"
#include "app/frmExection.h"
#include "platform/ProcessRules.h"
#include "result/Result.h"
#include "result/frmResultText.h"
#include "settings/Placement.h"
#include "settings/Qlk.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

using namespace Qlk;

using namespace TestFiles;

namespace {

// A fake whose starts are real: the command line is resolved and spawned as
// the program does it. `beforeStart` runs between the file test and the start.
class StartingFake : public FakePlatform {
public:
    ~StartingFake() override {
        while (::waitpid(-1, nullptr, WNOHANG) > 0) {
        }
    }
    std::function<void()> beforeStart;
    bool recordStart(const QString& commandLine, Started::Via via, QString* error) override {
        if (beforeStart) beforeStart();
        events << QStringLiteral("start:") + commandLine;
        QString program;
        QStringList args;
        if (!ProcessRules::ResolveCommand(commandLine, &program, &args, error)) return false;
        qint64 pid = 0;
        if (!ProcessRules::SpawnDetached(program, args, &pid, error)) return false;
        started.append({commandLine, via});
        return true;
    }
};

// The main window after start-up, with a configured folder.
struct Window {
    std::unique_ptr<StartingFake> owner = std::make_unique<StartingFake>();
    StartingFake* fake = owner.get();
    PlatformScope installed{*fake};
    Run::Console console;
    QString folder;
    std::unique_ptr<frmExection> form;

    Window() {
        S = SharedSettings();
        folder = fake->root() + QStringLiteral("/java");
        QDir().mkpath(folder);
        WriteFile(fake->programDir + QStringLiteral("/result.txt"), "");
        fake->presetSetting(kSetting, QStringLiteral("JavaFileFolder0"), folder);
        form = std::make_unique<frmExection>(console);
        form->Form_Load();
    }
    ~Window() {
        form.reset();
        Result::Discard();
    }
    // A compile script that only notes each start in a file.
    void StandInScript() {
        WriteFile(fake->programDir + QStringLiteral("/compile.bat"),
                  "echo \"$1 $2\" >> \"$(dirname \"$0\")/starts.log\"\n");
    }
};

}  // namespace

class TestHostile : public QObject {
    Q_OBJECT
private slots:
    void classNames_data();
    void classNames();
    void folders_data();
    void folders();
    void storeValues_data();
    void storeValues();
    void resultFile_data();
    void resultFile();
    void hundredQuickPresses();
};

void TestHostile::classNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("file");  // created in the folder first; "" for none
    QTest::addColumn<bool>("starts");
    QTest::newRow("star") << QStringLiteral("*") << QStringLiteral("Hello.java") << true;
    QTest::newRow("question mark") << QStringLiteral("H?llo") << QStringLiteral("Hello.java") << true;
    QTest::newRow("wildcard matching nothing")
        << QStringLiteral("Z*") << QStringLiteral("Hello.java") << false;
    QTest::newRow("parent folder") << QStringLiteral("../Up") << QStringLiteral("../Up.java") << true;
    QTest::newRow("subfolder") << QStringLiteral("sub/In") << QStringLiteral("sub/In.java") << true;
    QTest::newRow("leading dash") << QStringLiteral("-rf") << QStringLiteral("-rf.java") << true;
    QTest::newRow("ten thousand characters") << QString(10000, u'A') << QString() << false;
    QTest::newRow("control characters") << QStringLiteral("Hel\x01lo\n\t") << QString() << false;
    QTest::newRow("invalid UTF-8") << QString::fromUtf8("\xff\xfe\xc3") << QString() << false;
    QTest::newRow("empty") << QString() << QString() << false;
    QTest::newRow("markup") << QStringLiteral("<b>x</b>") << QString() << false;
}

void TestHostile::classNames() {
    QFETCH(QString, name);
    QFETCH(QString, file);
    QFETCH(bool, starts);
    Window w;
    w.StandInScript();
    if (!file.isEmpty()) {
        QDir().mkpath(QFileInfo(w.folder + u'/' + file).absolutePath());
        WriteFile(w.folder + u'/' + file, "class X {}\n");
    }
    w.form->cmbName->setEditText(name);
    w.form->RunButton(RunKind::Compile)->click();
    if (starts) {
        QCOMPARE(w.fake->started.size(), 1);
        QCOMPARE(w.fake->started[0].commandLine, w.fake->programDir + QStringLiteral("/compile.bat ") +
                                                     w.folder + u' ' + name + QStringLiteral(".java"));
        QVERIFY(w.fake->boxes.isEmpty());
        QCOMPARE(S.Recent.value(0), name);
    } else {
        QVERIFY(w.fake->started.isEmpty());
        QCOMPARE(w.fake->boxes.size(), 1);
        QCOMPARE(w.fake->boxes[0].title, QStringLiteral("javaﾌｧｲﾙが見つかりません"));
        QVERIFY(w.fake->boxes[0].text.startsWith(name + QStringLiteral(".java が見つかりません。")));
        QVERIFY(!S.Recent.contains(name) || name.isEmpty());
    }
    QVERIFY(w.form->isVisible());
}

void TestHostile::folders_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("a file, not a folder") << QStringLiteral("file");
    QTest::newRow("does not exist") << QStringLiteral("missing");
    QTest::newRow("vanishes between test and start") << QStringLiteral("vanishes");
    QTest::newRow("script missing") << QStringLiteral("noscript");
}

void TestHostile::folders() {
    QFETCH(QString, kind);
    Window w;
    WriteFile(w.folder + QStringLiteral("/Hello.java"), "class Hello {}\n");
    w.StandInScript();
    if (kind == QStringLiteral("file")) {
        QDir(w.folder).removeRecursively();
        WriteFile(w.folder, "not a folder");
    } else if (kind == QStringLiteral("missing")) {
        QDir(w.folder).removeRecursively();
    } else if (kind == QStringLiteral("vanishes")) {
        w.fake->beforeStart = [&] { QDir(w.folder).removeRecursively(); };
    } else {
        QFile::remove(w.fake->programDir + QStringLiteral("/compile.bat"));
    }
    w.form->cmbName->setEditText(QStringLiteral("Hello"));
    w.form->RunButton(RunKind::Compile)->click();
    if (kind == QStringLiteral("vanishes")) {
        // The start itself succeeds; the script is the one to find no folder.
        QCOMPARE(w.fake->started.size(), 1);
        QVERIFY(w.fake->boxes.isEmpty());
    } else if (kind == QStringLiteral("noscript")) {
        QVERIFY(w.fake->started.isEmpty());
        QCOMPARE(w.fake->boxes.size(), 1);
        QVERIFY(w.fake->boxes[0].text.contains(QStringLiteral("compile.bat")));
        QVERIFY(!S.Recent.contains(QStringLiteral("Hello")));
    } else {
        QVERIFY(w.fake->started.isEmpty());
        QCOMPARE(w.fake->boxes.size(), 1);
        QCOMPARE(w.fake->boxes[0].title, QStringLiteral("javaﾌｧｲﾙが見つかりません"));
    }
    // Whatever happened, the program's files are where they were.
    QVERIFY(QFile::exists(w.fake->dataFolder + QStringLiteral("result.txt")));
}

void TestHostile::storeValues_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("huge history size") << QStringLiteral("recent/Number") << QStringLiteral("1e308");
    QTest::newRow("negative history size") << QStringLiteral("recent/Number") << QStringLiteral("-32769");
    QTest::newRow("history size in words") << QStringLiteral("recent/Number") << QStringLiteral("many");
    QTest::newRow("position far away") << QStringLiteral("frmExectionLeft") << QStringLiteral("1e30");
    QTest::newRow("negative position") << QStringLiteral("frmExectionTop") << QStringLiteral("-9e15");
    QTest::newRow("megabyte folder") << QStringLiteral("JavaFileFolder1") << QString(1 << 20, u'x');
    QTest::newRow("folder with line breaks")
        << QStringLiteral("JavaFileFolder2") << QStringLiteral("/a\n/b\r");
    QTest::newRow("garbage flag") << QStringLiteral("FormBefore") << QStringLiteral("\x01True");
    QTest::newRow("garbage extension") << QStringLiteral("Html") << QStringLiteral("\"'; rm -rf /");
    QTest::newRow("result width beyond 16 bits") << QStringLiteral("ResultWidth") << QStringLiteral("99999");
}

void TestHostile::storeValues() {
    QFETCH(QString, key);
    QFETCH(QString, value);
    auto fake = std::make_unique<StartingFake>();
    S = SharedSettings();
    const PlatformScope installed(*fake);
    WriteFile(fake->programDir + QStringLiteral("/result.txt"), "");
    fake->presetSetting(kSetting, QStringLiteral("JavaFileFolder0"), fake->root());
    fake->presetSetting(kSetting, QStringLiteral("frmExectionLeft"), QStringLiteral("100"));
    fake->presetSetting(kSetting, QStringLiteral("frmExectionTop"), QStringLiteral("100"));
    for (const QString& k :
         {QStringLiteral("ResultTop"), QStringLiteral("ResultLeft"), QStringLiteral("ResultHeight")})
        fake->presetSetting(kSetting, k, QStringLiteral("3000"));
    if (key.startsWith(QStringLiteral("recent/")))
        fake->presetSetting(kRecent, key.mid(7), value);
    else
        fake->presetSetting(kSetting, key, value);
    {
        Run::Console console;
        frmExection form(console);
        QVERIFY(form.Form_Load());
        QVERIFY(form.cmbName->count() >= 0 && form.cmbName->count() <= 99);
        Result::Show();  // the result window reads its own keys
        QVERIFY(Result::Current());
        form.Form_Unload();
    }
    Result::Discard();
    // A value the user left in the store is kept as it was, unless shut-down
    // itself owns the key.
    if (key == QStringLiteral("recent/Number") || key.startsWith(QStringLiteral("JavaFileFolder")) ||
        key == QStringLiteral("Html"))
        QCOMPARE(key.startsWith(QStringLiteral("recent/")) ? fake->storedValue(kRecent, key.mid(7))
                                                           : fake->storedValue(kSetting, key),
                 value);
}

void TestHostile::resultFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("deleted") << QStringLiteral("deleted");
    QTest::newRow("replaced by a folder") << QStringLiteral("folder");
    QTest::newRow("unreadable") << QStringLiteral("unreadable");
    QTest::newRow("binary") << QStringLiteral("binary");
    QTest::newRow("2 GB sparse") << QStringLiteral("sparse");
}

void TestHostile::resultFile() {
    QFETCH(QString, kind);
    Window w;
    const QString result = w.fake->dataFolder + QStringLiteral("result.txt");
    Result::Show();
    auto* window = qobject_cast<frmResultText*>(Result::Current());
    QVERIFY(window);
    WriteFile(result, "before\n");
    window->Timer1_Timer();
    QCOMPARE(window->Text1->toPlainText(), QStringLiteral("before\n"));

    if (kind == QStringLiteral("deleted")) {
        QFile::remove(result);
    } else if (kind == QStringLiteral("folder")) {
        QFile::remove(result);
        QDir().mkdir(result);
    } else if (kind == QStringLiteral("unreadable")) {
        WriteFile(result, "secret\n");
        w.fake->unreadable << result;
    } else if (kind == QStringLiteral("binary")) {
        QByteArray bytes;
        for (int i = 0; i < 70000; ++i) bytes.append(char(i * 7919 % 256));
        WriteFile(result, bytes);
    } else {
        WriteFile(result, "");
        QVERIFY(::truncate(QFile::encodeName(result).constData(), 2LL << 30) == 0);
    }
    window->Timer1_Timer();
    window->Timer1_Timer();
    const QString text = window->Text1->toPlainText();
    if (kind == QStringLiteral("binary") || kind == QStringLiteral("sparse"))
        QVERIFY(!text.isEmpty() && text.size() <= frmResultText::kMaxShownChars + 200);
    else
        QVERIFY(text.isEmpty());
    // The file is back as a plain file: shown again.
    if (kind == QStringLiteral("folder")) QDir().rmdir(result);
    w.fake->unreadable.clear();
    WriteFile(result, "after\n");
    window->Timer1_Timer();
    QCOMPARE(window->Text1->toPlainText(), QStringLiteral("after\n"));
}

void TestHostile::hundredQuickPresses() {
    Window w;
    WriteFile(w.folder + QStringLiteral("/Hello.java"), "class Hello {}\n");
    w.StandInScript();
    w.form->cmbName->setEditText(QStringLiteral("Hello"));
    for (int i = 0; i < 100; ++i) w.form->RunButton(RunKind::Compile)->click();
    QCOMPARE(w.fake->started.size(), 100);
    QVERIFY(w.fake->boxes.isEmpty());
    // Every script ran, and the window still answers events.
    const QString log = w.fake->programDir + QStringLiteral("/starts.log");
    QTRY_COMPARE_WITH_TIMEOUT(
        QFile(log).size(), qint64(100 * (w.folder.size() + QStringLiteral(" Hello.java\n").size())), 20000);
    bool answered = false;
    QTimer::singleShot(0, w.form.get(), [&] { answered = true; });
    QTRY_VERIFY(answered);
    QVERIFY(w.form->isVisible() && w.form->RunButton(RunKind::Compile)->isEnabled());
}

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
