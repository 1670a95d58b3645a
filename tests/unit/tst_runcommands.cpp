// The compile, applet and application buttons: file tests, messages, command
// lines, start styles, the result window and the history, on real folders.
#include "FakePlatform.h"
#include "TestFiles.h"
#include "app/frmExection.h"
#include "result/Result.h"
#include "result/frmResultText.h"
#include "run/RunConsole.h"
#include "run/RunKinds.h"
#include "run/StaleClass.h"
#include "settings/Placement.h"
#include "settings/Qlk.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace Qlk;

using namespace TestFiles;

namespace {

const QString kJavaText = QStringLiteral(
    ".java が見つかりません。\n\n移動または削除、もしくはパスの選択が\n間違っている可能性があります。\n\n"
    "もう一度確かめてみてください。");
const QString kHtmlText = QStringLiteral(
    ".html が見つかりません。\n\n移動または削除、もしくはJavaﾌｧｲﾙがあるﾌｫﾙﾀﾞの設定が\n"
    "間違っている可能性があります。\n\nもう一度確かめてみてください。");
const QString kClassText =
    QStringLiteral(".class をまだ作成していません。\nまず、コンパイルして作成してください。");

// The main window with its folders configured and the history loaded, as
// after start-up; nothing of start-up itself runs.
struct Bench {
    FakeScope fake;
    QString folders[3];
    std::unique_ptr<frmExection> form;

    Bench() {
        S.WindowsFolder = fake->dataFolder;
        S.HtmlExtension = QStringLiteral(".html");
        S.RecentNumber = QStringLiteral("10");
        S.Recent = QStringList(10, QString());
        Touch(fake->dataFolder + QStringLiteral("result.txt"));
        S.ResultFileTime = fake->files().fileStamp(fake->dataFolder + QStringLiteral("result.txt"));
        folders[0] = fake->root() + QStringLiteral("/java");
        folders[1] = fake->root() + QStringLiteral("/My Java Files");
        folders[2] = fake->root() + QStringLiteral("/gone");
        QDir().mkpath(folders[0]);
        QDir().mkpath(folders[1]);
        for (int i = 0; i < 3; ++i) S.JavaFileFolder[i] = folders[i];
        form = std::make_unique<frmExection>(fake.console);
    }
    ~Bench() {
        form.reset();
        Result::Discard();
    }
    void Select(int index) {
        form->optPathGroup->setExclusive(false);
        for (int i = 0; i < 3; ++i) form->optPath[i]->setChecked(i == index);
        form->optPathGroup->setExclusive(true);
    }
    void Click(RunKind kind, const QString& name) {
        form->cmbName->setEditText(name);
        form->RunButton(kind)->click();
    }
};

}  // namespace

class TestRunCommands : public QObject {
    Q_OBJECT
private slots:
    void kindRows_data();
    void kindRows();
    void buttons_data();
    void buttons();
    void spacedFolderGetsSpaceFreeForm();
    void eventsInOrder();
    void failedStartIsToldAndRecordsNothing();
    void resultWindowOnceForTwoPresses();
    void staleRule_data();
    void staleRule();
    void appletPageClasses_data();
    void appletPageClasses();
    void oldClassIsTold_data();
    void oldClassIsTold();
    void appletStartIsTheStatus();
    void typedNameIsUsedAsTyped();
    void compileThenRun_data();
    void compileThenRun();
};

// Each row of the run-kind table is a button of the main window, in the
// table's order, that starts its own script with the folder and its form of
// the name, in its own slot, from its button or its key.
void TestRunCommands::kindRows_data() {
    QTest::addColumn<RunKind>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("position");  // among the buttons and in the tab order
    QTest::addColumn<int>("key");       // 0 for none
    QTest::addColumn<QString>("file");  // created in folder 0
    QTest::addColumn<QString>("line");  // with the extension ".htm" configured
    QTest::addColumn<bool>("asRun");    // else in the applet viewer's slot
    QTest::addColumn<bool>("result");   // the result window comes up
    QTest::addColumn<int>("serverStarts");
    QTest::newRow("compile") << RunKind::Compile << "ｺﾝﾊﾟｲﾙ実行" << 0 << int(Qt::Key_F8) << "jp/Hello.java"
                             << "{P}/compile.bat {F} jp/Hello.java" << true << true << 1;
    QTest::newRow("applet") << RunKind::Applet << "ｱﾌﾟﾚｯﾄ実行" << 1 << 0 << "jp.Hello.html"
                            << "{P}/applet.bat {F} jp.Hello.htm" << false << false << 0;
    QTest::newRow("application") << RunKind::Application << "ｱﾌﾟﾘｹｰｼｮﾝ実行" << 2 << int(Qt::Key_F5)
                                 << "jp/Hello.class"
                                 << "{P}/apli.bat {F} jp.Hello" << true << true << 0;
}

void TestRunCommands::kindRows() {
    QFETCH(RunKind, kind);
    QFETCH(QString, caption);
    QFETCH(int, position);
    QFETCH(int, key);
    QFETCH(QString, file);
    QFETCH(QString, line);
    QFETCH(bool, asRun);
    QFETCH(bool, result);
    QFETCH(int, serverStarts);

    Bench b;
    QCOMPARE(b.form->cmdExection.size(), 3);
    QPushButton* button = b.form->RunButton(kind);
    QCOMPARE(button, b.form->cmdExection[position]);
    QCOMPARE(button->objectName(), QStringLiteral("cmdExection%1").arg(position));
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->accessibleName(), caption);
    QCOMPARE(ControlTwips(button), QRectF(120, 240 + 480 * position, 1395, 375));
    QCOMPARE(ControlTwips(b.form->fmeCompile), QRectF(23, 360, 1656, 1695));
    if (position > 0) QCOMPARE(b.form->cmdExection[position - 1]->nextInFocusChain(), button);

    S.HtmlExtension = QStringLiteral(".htm");
    Touch(b.folders[0] + u'/' + file);
    b.Select(0);
    b.form->cmbName->setEditText(QStringLiteral("jp.Hello"));
    if (key) {
        b.form->show();
        QVERIFY(QTest::qWaitForWindowActive(b.form.get()));
        QTest::keyClick(b.form.get(), Qt::Key(key));
    } else {
        button->click();
    }
    QString expected = line;
    expected.replace(QStringLiteral("{P}"), b.fake->programDir).replace(QStringLiteral("{F}"), b.folders[0]);
    QCOMPARE(b.fake->started.size(), 1);
    QCOMPARE(b.fake->started[0].commandLine, expected);
    QCOMPARE(b.fake->runState.serial, quint64(asRun));
    QCOMPARE(Result::Current() != nullptr, result);
    QCOMPARE(b.fake->compileServerStarts, serverStarts);
    QCOMPARE(S.Recent.value(0), QStringLiteral("jp.Hello"));
}

void TestRunCommands::buttons_data() {
    QTest::addColumn<RunKind>("kind");
    QTest::addColumn<int>("folder");  // selected folder button, -1 for none
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QStringList>("files");  // created in folder 0
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("line");   // "" when the test fails; {P} program folder, {F} short folder
    QTest::addColumn<QString>("title");  // of the message when the test fails
    QTest::addColumn<QString>("text");

    const QString javaTitle = QStringLiteral("javaﾌｧｲﾙが見つかりません");
    const QString htmlTitle = QStringLiteral("htmlﾌｧｲﾙが見つかりません");
    const QString classTitle = QStringLiteral("classﾌｧｲﾙが見つかりません");

    QTest::newRow("compile") << RunKind::Compile << 0 << ".html" << QStringList{"Hello.java"} << "Hello"
                             << "{P}/compile.bat {F} Hello.java"
                             << ""
                             << "";
    QTest::newRow("compile, source missing")
        << RunKind::Compile << 0 << ".html" << QStringList{"Hello.class"} << "Hello"
        << "" << javaTitle << "Hello" + kJavaText;
    QTest::newRow("applet") << RunKind::Applet << 0 << ".html" << QStringList{"Hello.html"} << "Hello"
                            << "{P}/applet.bat {F} Hello.html"
                            << ""
                            << "";
    QTest::newRow("applet with .htm: needs .html, passes .htm")
        << RunKind::Applet << 0 << ".htm" << QStringList{"Hello.html"} << "Hello"
        << "{P}/applet.bat {F} Hello.htm"
        << ""
        << "";
    QTest::newRow("applet with .htm and only an .htm page")
        << RunKind::Applet << 0 << ".htm" << QStringList{"Hello.htm"} << "Hello"
        << "" << htmlTitle << "Hello" + kHtmlText;
    QTest::newRow("application passes the bare name")
        << RunKind::Application << 0 << ".html" << QStringList{"Hello.class"} << "Hello"
        << "{P}/apli.bat {F} Hello"
        << ""
        << "";
    QTest::newRow("application before compiling")
        << RunKind::Application << 0 << ".html" << QStringList{"Hello.java"} << "Hello"
        << "" << classTitle << "Hello" + kClassText;
    QTest::newRow("empty name, hidden files do not count")
        << RunKind::Compile << 0 << ".html" << QStringList{".java"} << ""
        << "" << javaTitle << kJavaText;
    QTest::newRow("name already ending in .java")
        << RunKind::Compile << 0 << ".html" << QStringList{"Hello.java"} << "Hello.java"
        << "" << javaTitle << "Hello.java" + kJavaText;
    QTest::newRow("wildcard name goes into the line as typed")
        << RunKind::Compile << 0 << ".html" << QStringList{"Hello.java"} << "He*o"
        << "{P}/compile.bat {F} He*o.java"
        << ""
        << "";
    QTest::newRow("name with a space")
        << RunKind::Application << 0 << ".html" << QStringList{"Hello World.class"} << "Hello World"
        << "{P}/apli.bat {F} Hello World"
        << ""
        << "";
    // A class in a package, typed as java takes it.
    const QStringList pkgSource{"jp/example/PkgHello.java"}, pkgClass{"jp/example/PkgHello.class"};
    QTest::newRow("compile, package class with points")
        << RunKind::Compile << 0 << ".html" << pkgSource << "jp.example.PkgHello"
        << "{P}/compile.bat {F} jp/example/PkgHello.java"
        << ""
        << "";
    QTest::newRow("application, package class with points")
        << RunKind::Application << 0 << ".html" << pkgClass << "jp.example.PkgHello"
        << "{P}/apli.bat {F} jp.example.PkgHello"
        << ""
        << "";
    QTest::newRow("a name with points that passes as typed")
        << RunKind::Compile << 0 << ".html" << QStringList{"a.b.java", "a/b.java"} << "a.b"
        << "{P}/compile.bat {F} a.b.java"
        << ""
        << "";
    QTest::newRow("a pattern with points stays a pattern")
        << RunKind::Compile << 0 << ".html" << pkgSource << "jp.example.Pkg*"
        << "" << javaTitle << "jp.example.Pkg*" + kJavaText;
    QTest::newRow("folder that does not exist")
        << RunKind::Compile << 2 << ".html" << QStringList{"Hello.java"} << "Hello"
        << "" << javaTitle << "Hello" + kJavaText;
    QTest::newRow("no folder selected")
        << RunKind::Compile << -1 << ".html" << QStringList{"Hello.java"} << "Hello"
        << "" << javaTitle << "Hello" + kJavaText;
}

void TestRunCommands::buttons() {
    QFETCH(RunKind, kind);
    QFETCH(int, folder);
    QFETCH(QString, extension);
    QFETCH(QStringList, files);
    QFETCH(QString, name);
    QFETCH(QString, line);
    QFETCH(QString, title);
    QFETCH(QString, text);

    Bench b;
    S.HtmlExtension = extension;
    for (const QString& f : files) Touch(b.folders[0] + u'/' + f);
    b.Select(folder);
    b.Click(kind, name);

    auto& fake = *b.fake;
    if (line.isEmpty()) {
        QCOMPARE(fake.beeps, 1);
        QCOMPARE(fake.boxes.size(), 1);
        QCOMPARE(fake.boxes[0].title, title);
        QCOMPARE(fake.boxes[0].text, text);
        QCOMPARE(fake.boxes[0].icon, MsgIcon::Exclamation);
        QCOMPARE(fake.boxes[0].buttons, MsgButtons::Ok);
        QVERIFY(fake.started.isEmpty());
        QVERIFY(!Result::Current());
        QCOMPARE(S.Recent, QStringList(10, QString()));
        QVERIFY(fake.writes.isEmpty());
        return;
    }
    QCOMPARE(fake.beeps, 0);
    QVERIFY(fake.boxes.isEmpty());
    QCOMPARE(fake.started.size(), 1);
    QString expected = line;
    expected.replace(QStringLiteral("{P}"), fake.programDir).replace(QStringLiteral("{F}"), b.folders[0]);
    QCOMPARE(fake.started[0].commandLine, expected);
    QCOMPARE(fake.started[0].via,
             kind == RunKind::Applet ? FakePlatform::Started::Applet : FakePlatform::Started::Run);
    // The result window comes up for compile and application runs only.
    QCOMPARE(Result::Current() != nullptr, kind != RunKind::Applet);
    if (Result::Current()) QVERIFY(Result::Current()->isVisible());
    QCOMPARE(S.Recent.value(0), name);
    QCOMPARE(fake.storedValue(kRecent, QStringLiteral("0")), name);
    QCOMPARE(b.form->cmbName->currentText(), name);
}

// A folder whose path has spaces reaches the script as one space-free word
// that names the same folder.
void TestRunCommands::spacedFolderGetsSpaceFreeForm() {
    Bench b;
    Touch(b.folders[1] + QStringLiteral("/Hello.java"));
    b.Select(1);
    b.Click(RunKind::Compile, QStringLiteral("Hello"));
    QCOMPARE(b.fake->started.size(), 1);
    const QStringList words = b.fake->started[0].commandLine.split(u' ');
    QCOMPARE(words.size(), 3);
    QCOMPARE(words[0], b.fake->programDir + QStringLiteral("/compile.bat"));
    QCOMPARE(words[2], QStringLiteral("Hello.java"));
    QVERIFY(QFileInfo(words[1]).isDir());
    QCOMPARE(QFileInfo(words[1]).canonicalFilePath(), QFileInfo(b.folders[1]).canonicalFilePath());
    QVERIFY(QFile::exists(words[1] + QStringLiteral("/Hello.java")));
}

// The script starts first, then the result window comes up, then the name is
// recorded; a second window never appears.
void TestRunCommands::eventsInOrder() {
    Bench b;
    Touch(b.folders[0] + QStringLiteral("/Hello.class"));
    b.Select(0);
    b.Click(RunKind::Application, QStringLiteral("Hello"));
    const QStringList& ev = b.fake->events;
    QCOMPARE(ev.size(), 2 + 10);
    QVERIFY(ev[0].startsWith(QStringLiteral("start:")));
    QCOMPARE(ev[1], QStringLiteral("topmost:off"));  // the result window's load step
    for (int i = 0; i < 10; ++i) QCOMPARE(ev[2 + i], QStringLiteral("write:%1").arg(i));
}

void TestRunCommands::failedStartIsToldAndRecordsNothing() {
    for (const Run::Kind& row : Run::Kinds()) {
        Bench b;
        Touch(b.folders[0] + QStringLiteral("/Hello.java"));
        Touch(b.folders[0] + QStringLiteral("/Hello.html"));
        Touch(b.folders[0] + QStringLiteral("/Hello.class"));
        b.fake->startSucceeds = false;
        b.Select(0);
        b.Click(row.kind, QStringLiteral("Hello"));
        QCOMPARE(b.fake->boxes.size(), 1);
        const auto& box = b.fake->boxes[0];
        QCOMPARE(box.title, QStringLiteral("Quenlark ｴﾗｰ"));
        QCOMPARE(box.icon, MsgIcon::Critical);
        const QString line = b.fake->events.value(0).mid(6);
        QVERIFY2(box.text.contains(u'\n' + line + u'\n'), qPrintable(box.text));
        QVERIFY(box.text.contains(QStringLiteral("No such file or directory")));
        QVERIFY(!Result::Current());
        QVERIFY(b.fake->writes.isEmpty());
        QCOMPARE(S.Recent, QStringList(10, QString()));
    }
}

void TestRunCommands::resultWindowOnceForTwoPresses() {
    Bench b;
    Touch(b.folders[0] + QStringLiteral("/Hello.java"));
    b.Select(0);
    b.Click(RunKind::Compile, QStringLiteral("Hello"));
    QWidget* first = Result::Current();
    QVERIFY(first);
    b.Click(RunKind::Compile, QStringLiteral("Hello"));
    QCOMPARE(Result::Current(), first);
    QCOMPARE(b.fake->started.size(), 2);
    QCOMPARE(b.fake->topmostCalls.size(), 1);  // loaded once
}

// The rule that tells an old class: a class older than its source, or one
// whose last compile failed; nothing without a class or a source to compare.
void TestRunCommands::staleRule_data() {
    QTest::addColumn<qint64>("classNs");   // 0: no class file
    QTest::addColumn<qint64>("sourceNs");  // 0: no source
    QTest::addColumn<bool>("failed");
    QTest::addColumn<int>("why");
    using Run::Stale::Why;
    QTest::newRow("same time") << qint64(100) << qint64(100) << false << int(Why::Fresh);
    QTest::newRow("class older") << qint64(100) << qint64(101) << false << int(Why::Older);
    QTest::newRow("failed and older") << qint64(100) << qint64(200) << true << int(Why::CompileFailed);
    QTest::newRow("no class") << qint64(0) << qint64(100) << true << int(Why::Fresh);
    QTest::newRow("no source") << qint64(100) << qint64(0) << true << int(Why::Fresh);
}

void TestRunCommands::staleRule() {
    QFETCH(qint64, classNs);
    QFETCH(qint64, sourceNs);
    QFETCH(bool, failed);
    QFETCH(int, why);
    auto stamp = [](qint64 ns) { return FileStamp{.exists = ns != 0, .mtimeNs = ns}; };
    QCOMPARE(int(Run::Stale::Judge(stamp(classNs), stamp(sourceNs), failed)), why);
}

void TestRunCommands::appletPageClasses_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("classes");
    QTest::newRow("bare, capitals, codebase beside")
        << QStringLiteral("<APPLET CODEBASE=\".\" CODE=Hello WIDTH=10></APPLET>") << QStringList{"Hello"};
    QTest::newRow("a package class in single quotes")
        << QStringLiteral("<applet code='jp.example.Clock.class'>") << QStringList{"jp/example/Clock"};
    QTest::newRow("two applets, one twice")
        << QStringLiteral("<applet code=A.class></applet><p>code=X</p><applet\ncode=\"B\"><applet code=A>")
        << QStringList{"A", "B"};
    QTest::newRow("no applet") << QStringLiteral("<html><body>code = none</body></html>") << QStringList{};
    QTest::newRow("outside the folder") << QStringLiteral("<applet code=\"../x/Y.class\">") << QStringList{};
}

void TestRunCommands::appletPageClasses() {
    QFETCH(QString, page);
    QFETCH(QStringList, classes);
    QCOMPARE(Run::Stale::AppletClasses(page), classes);
}

// The application and applet buttons run an old class as their rules say,
// and the result window tells it above the output: a class older than its
// source, or one whose last compile in this session failed (or was cut
// short); a good compile or a fresh class says nothing.
void TestRunCommands::oldClassIsTold_data() {
    QTest::addColumn<QString>("before");  // "edited", or the compile's end: "0", "1", "live"
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("notice");
    const int app = int(RunKind::Application);
    const int applet = int(RunKind::Applet);
    QTest::newRow("fresh class") << QString() << app << QString();
    QTest::newRow("source edited after the compile")
        << "edited" << app
        << "注意: Hello.java はコンパイルした後に変更されています。実行するのは古い Hello.class です";
    QTest::newRow("last compile failed")
        << "1" << app
        << "注意: Hello.java の最後のコンパイルは失敗しました。実行するのは前のコンパイルで作られた古い "
           "Hello.class です";
    QTest::newRow("compile cut short by the run")
        << "live" << app << "注意: Hello.java の最後のコンパイルは失敗";
    QTest::newRow("good compile") << "0" << app << QString();
    QTest::newRow("applet of an edited source")
        << "edited" << applet << "注意: Hello.java はコンパイルした後に変更";
}

void TestRunCommands::oldClassIsTold() {
    QFETCH(QString, before);
    QFETCH(int, kind);
    QFETCH(QString, notice);
    Bench b;
    const QString base = b.folders[0] + QStringLiteral("/Hello");
    WriteFile(base + QStringLiteral(".java"), "class Hello {}\n");
    SetTime(base + QStringLiteral(".java"), 1700000000);
    WriteFile(base + QStringLiteral(".class"), "old");
    SetTime(base + QStringLiteral(".class"), 1700000100);
    WriteFile(base + QStringLiteral(".html"),
              "<applet code=\"Hello.class\" width=200 height=100></applet>\n");
    b.Select(0);
    if (before == QStringLiteral("edited")) SetTime(base + QStringLiteral(".java"), 1700000200);
    if (!before.isEmpty() && before != QStringLiteral("edited")) {
        b.Click(RunKind::Compile, QStringLiteral("Hello"));
        if (before != QStringLiteral("live")) b.fake->endRun(before.toInt());
    }
    Result::Show();
    auto* w = static_cast<frmResultText*>(Result::Current());
    b.Click(RunKind(kind), QStringLiteral("Hello"));
    // The run goes ahead as the button's rules say.
    QVERIFY(b.fake->started.last().commandLine.contains(kind == int(RunKind::Application) ? "apli.bat"
                                                                                          : "applet.bat"));
    if (notice.isEmpty()) {
        QVERIFY(w->lblNotice->isHidden());
    } else {
        QVERIFY(w->lblNotice->isVisibleTo(w));
        QVERIFY2(w->lblNotice->text().startsWith(notice), qPrintable(w->lblNotice->text()));
    }
    // Not in the output, and gone with the next run.
    QVERIFY(!w->Text1->toPlainText().contains(QStringLiteral("注意")));
    b.Click(RunKind::Compile, QStringLiteral("Hello"));
    QVERIFY(w->lblNotice->isHidden());
}

// After the applet button the status says the viewer was started, never the
// previous run's end, until the next run starts; the button opens no window.
void TestRunCommands::appletStartIsTheStatus() {
    Bench b;
    for (const char* ext : {".java", ".class", ".html"})
        Touch(b.folders[0] + QStringLiteral("/Hello") + QLatin1String(ext));
    b.Select(0);
    b.Click(RunKind::Compile, QStringLiteral("Hello"));
    b.fake->endRun(0);
    auto* w = static_cast<frmResultText*>(Result::Current());
    QVERIFY(w->StatusText().startsWith(QStringLiteral("終了しました")));
    w->close();
    Result::Discard();
    b.Click(RunKind::Applet, QStringLiteral("Hello"));
    QVERIFY(!Result::Current());
    Result::Show();
    w = static_cast<frmResultText*>(Result::Current());
    QCOMPARE(w->StatusText(), QStringLiteral("アプレットビューアを起動しました"));
    b.Click(RunKind::Application, QStringLiteral("Hello"));
    QVERIFY(w->StatusText().startsWith(QStringLiteral("実行中")));
}

// The name box offers no completion of its own: a name typed in another case
// than one in the history, or the start of one, reaches the command as typed.
void TestRunCommands::typedNameIsUsedAsTyped() {
    Bench b;
    Touch(b.folders[0] + QStringLiteral("/Hello.java"));
    Touch(b.folders[0] + QStringLiteral("/hello.java"));
    Touch(b.folders[0] + QStringLiteral("/He.java"));
    b.Select(0);
    b.Click(RunKind::Compile, QStringLiteral("Hello"));  // now in the history
    b.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(b.form.get()));
    for (const QString& typed : {QStringLiteral("hello"), QStringLiteral("He")}) {
        b.form->cmbName->setEditText(QString());
        b.form->cmbName->setFocus();
        QTest::keyClicks(b.form->cmbName, typed);
        QTest::mouseClick(b.form->RunButton(RunKind::Compile), Qt::LeftButton);
        QCOMPARE(b.fake->started.last().commandLine.section(u' ', 2), typed + QStringLiteral(".java"));
        QCOMPARE(b.form->cmbName->currentText(), typed);
    }
}

// Compile and run: the application starts once the compile ended with exit
// code 0, and never after a failed, stopped or replaced compile.
void TestRunCommands::compileThenRun_data() {
    QTest::addColumn<QStringList>("files");    // in folder 0
    QTest::addColumn<QString>("end");          // how the compile ends
    QTest::addColumn<QStringList>("scripts");  // started, in order
    QTest::addColumn<QString>("title");        // of the box shown, "" for none

    const QStringList both{"Hello.java", "Hello.class"};
    const QStringList compiled{"compile.bat", "apli.bat"}, compileOnly{"compile.bat"};
    QTest::newRow("compiled: the application runs") << both << "exit 0" << compiled << "";
    QTest::newRow("errors: no run") << both << "exit 1" << compileOnly << "";
    QTest::newRow("stopped: no run") << both << "stop" << compileOnly << "";
    QTest::newRow("stopped, yet it ends with 0: no run") << both << "stop, then exit 0" << compileOnly << "";
    QTest::newRow("another compile before it ends: only that one")
        << both << "compile again, then exit 0" << QStringList{"compile.bat", "compile.bat"} << "";
    QTest::newRow("compiled, no class by that name: the button's message")
        << QStringList{"Hello.java"} << "exit 0" << compileOnly << "classﾌｧｲﾙが見つかりません";
}

void TestRunCommands::compileThenRun() {
    QFETCH(QStringList, files);
    QFETCH(QString, end);
    QFETCH(QStringList, scripts);
    QFETCH(QString, title);

    Bench b;
    for (const QString& f : files) Touch(b.folders[0] + u'/' + f);
    b.Select(0);
    b.form->cmbName->setEditText(QStringLiteral("Hello"));
    b.form->mnuCompileRun->trigger();
    // What is typed meanwhile changes nothing of the run that follows.
    b.form->cmbName->setEditText(QStringLiteral("Other"));
    FakePlatform& fake = *b.fake;
    if (end.startsWith(QStringLiteral("stop"))) {
        fake.ignoresTerm = end.contains(QStringLiteral("exit"));
        b.fake.console.Stop();
    } else if (end.startsWith(QStringLiteral("compile again"))) {
        b.Click(RunKind::Compile, QStringLiteral("Hello"));
    }
    if (end.endsWith(QStringLiteral("exit 0"))) fake.endRun(0);
    if (end == QStringLiteral("exit 1")) fake.endRun(1);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();

    QStringList started;
    for (const auto& s : fake.started) started << s.commandLine.section(u' ', 0, 0).section(u'/', -1);
    QCOMPARE(started, scripts);
    if (scripts.size() == 2 && scripts[1] == u"apli.bat")
        QCOMPARE(fake.started[1].commandLine,
                 fake.programDir + QStringLiteral("/apli.bat ") + b.folders[0] + QStringLiteral(" Hello"));
    QCOMPARE(fake.boxes.size(), title.isEmpty() ? 0 : 1);
    if (!title.isEmpty()) QCOMPARE(fake.boxes[0].title, title);
    // The name went into the history once, as it was when the item was chosen.
    QCOMPARE(S.Recent.value(0), QStringLiteral("Hello"));
    QCOMPARE(S.Recent.value(1), QString());
}

QTEST_MAIN(TestRunCommands)
#include "tst_runcommands.moc"
