// The run as the result window shows it, against the fake platform: one live
// run, a new start ends the old one, the stop sequence, the status line, the
// input box, and shut-down and exit stopping the run.
#include "FakePlatform.h"
#include "TestFiles.h"
#include "app/frmExection.h"
#include "result/Result.h"
#include "result/frmResultText.h"
#include "run/RunConsole.h"
#include "settings/Qlk.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

Q_DECLARE_METATYPE(RunInfo)
Q_DECLARE_METATYPE(RunActivity)

using namespace Qlk;

using namespace TestFiles;

namespace {

// The main window with a source folder holding Hello.java, Hello.class and
// Hello.html, as after start-up.
struct Bench {
    FakeScope fake;
    std::unique_ptr<frmExection> form;
    QString result;

    Bench() {
        S.WindowsFolder = fake->dataFolder;
        S.HtmlExtension = QStringLiteral(".html");
        S.RecentNumber = QStringLiteral("10");
        S.Recent = QStringList(10, QString());
        result = fake->dataFolder + QStringLiteral("result.txt");
        Touch(result);
        S.ResultFileTime = fake->files().fileStamp(result);
        const QString folder = fake->root() + QStringLiteral("/java");
        QDir().mkpath(folder);
        for (const char* ext : {".java", ".class", ".html"})
            Touch(folder + QStringLiteral("/Hello") + QLatin1String(ext));
        S.JavaFileFolder[0] = folder;
        form = std::make_unique<frmExection>(fake.console);
        form->optPath[0]->setChecked(true);
        form->cmbName->setEditText(QStringLiteral("Hello"));
        fake.console.setStopGraceMs(Run::Console::kStopGraceMs);
    }
    ~Bench() {
        form.reset();
        Result::Discard();
    }
    frmResultText* window() { return static_cast<frmResultText*>(Result::Current()); }
    QStringList signalsAndStarts() {
        QStringList out;
        for (const QString& e : fake->events)
            if (e.startsWith(QStringLiteral("signal:")) || e.startsWith(QStringLiteral("start:")))
                out << (e.startsWith(QStringLiteral("start:")) ? e.section(u' ', 0, 0).section(u'/', -1) : e);
        return out;
    }
};

// Marks a key of a table as pressed with Ctrl.
constexpr int kCtrl = 1 << 30;

RunInfo Info(RunInfo::Phase phase, int code = 0, int sig = 0, bool stopSent = false, qint64 ms = 1234) {
    RunInfo i;
    i.phase = phase;
    i.exitCode = code;
    i.signal = sig;
    i.stopSent = stopSent;
    i.inputOpen = phase == RunInfo::Running;
    i.startedMs = 10000;
    i.endedMs = phase == RunInfo::Running ? 0 : 10000 + ms;
    return i;
}

}  // namespace

class TestRunConsole : public QObject {
    Q_OBJECT
private slots:
    void statusTexts_data();
    void statusTexts();
    void workRule_data();
    void workRule();
    void oneLiveRun();
    void stopSequence_data();
    void stopSequence();
    void graceCountsFromTheFirstPress();
    void limitNoteNeedsOutputOfTheRun();
    void shutDownAndExitStopTheRun_data();
    void shutDownAndExitStopTheRun();
    void consoleControls();
    void typedLines();
    void typingIntoTheOutput_data();
    void typingIntoTheOutput();
    void resultNotWrittenIsTold_data();
    void resultNotWrittenIsTold();
    void refusedInputStaysInTheBox();
    void keysAndMenus();
};

void TestRunConsole::statusTexts_data() {
    QTest::addColumn<RunInfo>("info");
    QTest::addColumn<qint64>("now");
    QTest::addColumn<qint64>("resultSize");
    QTest::addColumn<QString>("text");
    const qint64 mb100 = 100LL * 1024 * 1024;
    RunInfo closed = Info(RunInfo::Running);
    closed.inputOpen = false;
    RunInfo limited = Info(RunInfo::Running);
    limited.fileLimit = mb100;
    RunInfo limitedEnded = Info(RunInfo::Exited, 0, 0, true, 61000);
    limitedEnded.fileLimit = 51200;
    QTest::newRow("no run") << RunInfo() << qint64(0) << qint64(0)
                            << QStringLiteral("実行中のプログラムはありません");
    QTest::newRow("running, whole seconds") << Info(RunInfo::Running) << qint64(22999) << qint64(0)
                                            << QStringLiteral("実行中 — 計算しています (12 秒経過)");
    QTest::newRow("stop sent, not ended yet") << Info(RunInfo::Running, 0, 0, true) << qint64(10500)
                                              << qint64(0) << QStringLiteral("停止しています… (0 秒経過)");
    QTest::newRow("input ended") << closed << qint64(13000) << qint64(0)
                                 << QStringLiteral("実行中 — 計算しています (3 秒経過)、入力は終わりました");
    QTest::newRow("ended well") << Info(RunInfo::Exited) << qint64(99999) << qint64(0)
                                << QStringLiteral("終了しました (終了コード 0、実行時間 1.23 秒)");
    QTest::newRow("failed compile") << Info(RunInfo::Exited, 1, 0, false, 2500) << qint64(0) << qint64(0)
                                    << QStringLiteral("終了しました (終了コード 1、実行時間 2.50 秒)");
    QTest::newRow("java after SIGTERM is a stop")
        << Info(RunInfo::Exited, 143, 0, true) << qint64(0) << qint64(0)
        << QStringLiteral("停止しました (実行時間 1.23 秒)");
    QTest::newRow("killed after the grace") << Info(RunInfo::Signalled, 0, 9, true) << qint64(0) << qint64(0)
                                            << QStringLiteral("停止しました (実行時間 1.23 秒)");
    QTest::newRow("crashed by itself")
        << Info(RunInfo::Signalled, 0, 11) << qint64(0) << qint64(0)
        << QStringLiteral("シグナル 11 (SIGSEGV) で強制終了されました (実行時間 1.23 秒)");
    QTest::newRow("killed by someone else")
        << Info(RunInfo::Signalled, 0, 9) << qint64(0) << qint64(0)
        << QStringLiteral("シグナル 9 (SIGKILL) で強制終了されました (実行時間 1.23 秒)");
    QTest::newRow("below the limit") << limited << qint64(11000) << mb100 - 1
                                     << QStringLiteral("実行中 — 計算しています (1 秒経過)");
    QTest::newRow("at the limit, running")
        << limited << qint64(11000) << mb100
        << QStringLiteral(
               "実行中 — 計算しています (1 秒経過)。result.txt が上限の 100 MB に達しました。"
               "「停止」で止めてください");
    QTest::newRow("at the limit, ended") << limitedEnded << qint64(0) << qint64(51200)
                                         << QStringLiteral(
                                                "停止しました (実行時間 61.00 秒)。result.txt が上限の 50 KB "
                                                "に達しました");
}

void TestRunConsole::statusTexts() {
    QFETCH(RunInfo, info);
    QFETCH(qint64, now);
    QFETCH(qint64, resultSize);
    QFETCH(QString, text);
    QCOMPARE(Run::StateText(info, now, resultSize), text);
}

// What the status line says a live program does, from two readings of it.
void TestRunConsole::workRule_data() {
    QTest::addColumn<RunActivity>("now");
    QTest::addColumn<RunActivity>("before");
    QTest::addColumn<qint64>("elapsed");
    QTest::addColumn<int>("work");
    const int reading = int(Run::RunWork::Reading), computing = int(Run::RunWork::Computing),
              idle = int(Run::RunWork::Idle);
    QTest::newRow("blocked in a read, the processor busy too")
        << RunActivity{true, 5000} << RunActivity{false, 4000} << qint64(1000) << reading;
    QTest::newRow("a tenth of the time")
        << RunActivity{false, 1100} << RunActivity{false, 1000} << qint64(1000) << computing;
    QTest::newRow("less than a tenth: a runtime's own housekeeping")
        << RunActivity{false, 1090} << RunActivity{false, 1000} << qint64(1000) << idle;
    QTest::newRow("a process ended, the sum fell")
        << RunActivity{false, 300} << RunActivity{false, 800} << qint64(1000) << idle;
    QTest::newRow("just started") << RunActivity{false, 0} << RunActivity() << qint64(1000) << computing;
    QTest::newRow("the system tells no time")
        << RunActivity{false, -1} << RunActivity{false, -1} << qint64(1000) << computing;
}

void TestRunConsole::workRule() {
    QFETCH(RunActivity, now);
    QFETCH(RunActivity, before);
    QFETCH(qint64, elapsed);
    QFETCH(int, work);
    QCOMPARE(int(Run::WorkOf(now, before, elapsed)), work);
}

// Compile then application: the compile is killed at once before the
// application starts; the applet button is no run and stops nothing, nor do
// the runs stop the applet viewer. A compile, and only a compile, holds the
// compile server while it runs.
void TestRunConsole::oneLiveRun() {
    Bench b;
    b.form->RunButton(RunKind::Compile)->click();
    QVERIFY(b.fake.console.Live());
    QVERIFY(b.fake->compileServerHeld);
    b.form->RunButton(RunKind::Applet)->click();
    b.form->RunButton(RunKind::Application)->click();
    QVERIFY(!b.fake->compileServerHeld);
    QCOMPARE(b.signalsAndStarts(), QStringList({"compile.bat", "applet.bat", "signal:9", "apli.bat"}));
    QCOMPARE(b.fake->appletStops, 0);
    QCOMPARE(b.fake->runState.serial, quint64(2));
    QVERIFY(b.fake->runState.live());
    // The window shows the new run, not the killed one.
    QVERIFY(b.window()->StatusText().startsWith(QStringLiteral("実行中")));
    // An ended run is not killed by the next start.
    b.fake->endRun(0);
    b.form->RunButton(RunKind::Compile)->click();
    QCOMPARE(b.fake->runSignals, QList<int>({9}));
    b.fake->endRun(0);
    QVERIFY(!b.fake->compileServerHeld);
}

void TestRunConsole::stopSequence_data() {
    QTest::addColumn<bool>("ignoresTerm");
    QTest::addColumn<bool>("lingers");
    QTest::addColumn<QList<int>>("sent");
    QTest::newRow("honours SIGTERM") << false << false << QList<int>{15};
    QTest::newRow("ignores SIGTERM") << true << false << QList<int>{15, 9};
    QTest::newRow("a grandchild outlives the script") << false << true << QList<int>{15, 9};
}

void TestRunConsole::stopSequence() {
    QFETCH(bool, ignoresTerm);
    QFETCH(bool, lingers);
    QFETCH(QList<int>, sent);
    Bench b;
    b.fake.console.setStopGraceMs(60);
    // No run: nothing to stop.
    b.fake.console.Stop();
    QVERIFY(b.fake->runSignals.isEmpty());

    b.form->RunButton(RunKind::Application)->click();
    b.fake->ignoresTerm = ignoresTerm;
    b.fake->groupLingers = lingers;
    frmResultText* w = b.window();
    QVERIFY(w->cmdStop->isEnabled());
    b.fake->clockMs += 3000;
    w->cmdStop->click();
    QCOMPARE(b.fake->runSignals.value(0), 15);
    QTest::qWait(200);
    QCOMPARE(b.fake->runSignals, sent);
    QVERIFY(!b.fake->runState.live());
    // 停止 stops the run only, never the applet viewer.
    QCOMPARE(b.fake->appletStops, 0);
    QVERIFY(!w->cmdStop->isEnabled());
    QVERIFY(!w->txtInput->isEnabled());
    QCOMPARE(w->lblStatus->text(), QStringLiteral("停止しました (実行時間 3.00 秒)"));
}

// Pressing 停止 again and again never puts the kill off.
void TestRunConsole::graceCountsFromTheFirstPress() {
    Bench b;
    b.fake.console.setStopGraceMs(100);
    b.form->RunButton(RunKind::Application)->click();
    b.fake->ignoresTerm = true;
    for (int i = 0; i < 10; ++i) {
        b.window()->cmdStop->click();
        QTest::qWait(40);
    }
    QVERIFY(b.fake->runSignals.contains(9));
}

// A result file the run never wrote to is no output of the run, however
// large: the note of the size limit waits for the run's own output.
void TestRunConsole::limitNoteNeedsOutputOfTheRun() {
    Bench b;
    QFile big(b.result);
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(200 * 1024));
    big.close();
    b.form->RunButton(RunKind::Application)->click();
    b.fake->runState.fileLimit = 100 * 1024;
    QVERIFY(!b.fake.console.StateText().contains(QStringLiteral("上限")));
    QVERIFY(big.open(QIODevice::Append) && big.write("output\n") > 0);
    big.close();
    QVERIFY(b.fake.console.StateText().contains(QStringLiteral("上限")));
}

void TestRunConsole::shutDownAndExitStopTheRun_data() {
    QTest::addColumn<bool>("byMenu");
    QTest::addColumn<bool>("ignoresTerm");
    QTest::addColumn<QList<int>>("sent");
    QTest::newRow("close box") << false << false << QList<int>{15};
    QTest::newRow("close box, SIGTERM ignored") << false << true << QList<int>{15, 9};
    QTest::newRow("exit command") << true << false << QList<int>{15};
    QTest::newRow("exit command, SIGTERM ignored") << true << true << QList<int>{15, 9};
}

void TestRunConsole::shutDownAndExitStopTheRun() {
    QFETCH(bool, byMenu);
    QFETCH(bool, ignoresTerm);
    QFETCH(QList<int>, sent);
    Bench b;
    b.form->RunButton(RunKind::Compile)->click();
    b.fake->ignoresTerm = ignoresTerm;
    QElapsedTimer t;
    t.start();
    if (byMenu)
        b.form->mnuEnd_Click();
    else
        b.form->Form_Unload();
    // Done before the handler returns, within the short grace.
    QCOMPARE(b.fake->runSignals, sent);
    QVERIFY(!b.fake->runState.live());
    QVERIFY2(t.elapsed() < Run::Console::kExitGraceMs + 300, qPrintable(QString::number(t.elapsed())));
    QCOMPARE(b.fake->appletStops, 1);
    // Nothing live: shut-down does not wait.
    b.fake->runSignals.clear();
    t.restart();
    b.fake.console.StopForExit();
    QVERIFY(b.fake->runSignals.isEmpty());
    QVERIFY(t.elapsed() < 100);
}

// The input row and the stop controls follow the run; the window shown for a
// new run gives the input box the focus.
void TestRunConsole::consoleControls() {
    Bench b;
    Result::Show();
    frmResultText* w = b.window();
    auto enabled = [&w] {
        return QList<bool>{w->txtInput->isEnabled(), w->cmdStop->isEnabled(), w->mnuStop->isEnabled()};
    };
    QCOMPARE(enabled(), QList<bool>({false, false, false}));
    QCOMPARE(w->lblStatus->text(), QStringLiteral("実行中のプログラムはありません"));

    b.form->RunButton(RunKind::Application)->click();
    QCOMPARE(enabled(), QList<bool>({true, true, true}));
    QCOMPARE(w->focusWidget(), w->txtInput);
    QCOMPARE(w->lblStatus->text(), QStringLiteral("実行中 — 計算しています (0 秒経過)"));
    // The hint to type shows only while the program reads.
    QCOMPARE(w->txtInput->placeholderText(), QString());
    QCOMPARE(w->txtInput->accessibleName(), QStringLiteral("入力"));
    b.fake->activity = RunActivity{true, 40};
    b.fake->clockMs += 2000;
    // The console reads the run and tells the running time anew every second.
    QTRY_COMPARE(w->lblStatus->text(), QStringLiteral("実行中 — 入力を待っています (2 秒経過)"));
    QCOMPARE(w->txtInput->placeholderText(), QStringLiteral("入力して Enter"));
    b.fake->activity = RunActivity{false, 40};
    b.fake->clockMs += 1000;
    QTRY_COMPARE(w->lblStatus->text(),
                 QStringLiteral("実行中 — 入力も計算もしていません。終わらないときは 停止 (3 秒経過)"));
    QCOMPARE(w->txtInput->placeholderText(), QString());

    // Something else on the line stays after the run's state.
    w->SetStatusExtra(QStringLiteral("エラー 2 件"));
    QCOMPARE(
        w->lblStatus->text(),
        QStringLiteral("実行中 — 入力も計算もしていません。終わらないときは 停止 (3 秒経過)　エラー 2 件"));

    b.fake->clockMs += 500;
    b.fake->endRun(0);
    QCOMPARE(enabled(), QList<bool>({false, false, false}));
    QCOMPARE(w->lblStatus->text(),
             QStringLiteral("終了しました (終了コード 0、実行時間 3.50 秒)　エラー 2 件"));

    // A closed window shows the run that was started meanwhile when reopened.
    w->close();
    b.form->RunButton(RunKind::Compile)->click();
    w = b.window();
    QCOMPARE(enabled(), QList<bool>({true, true, true}));
    QCOMPARE(w->focusWidget(), w->txtInput);
}

// Enter sends the line and a newline in UTF-8, after it is written to the
// result file; Ctrl+D in the empty box ends the input.
void TestRunConsole::typedLines() {
    Bench b;
    WriteFile(b.result, "数を入力してください: ");
    b.form->RunButton(RunKind::Application)->click();
    frmResultText* w = b.window();
    QTest::keyClicks(w->txtInput, QStringLiteral("21"));
    QTest::keyClick(w->txtInput, Qt::Key_Return);
    w->txtInput->setText(QStringLiteral("こんにちは 世界"));
    QTest::keyClick(w->txtInput, Qt::Key_Enter);
    QTest::keyClick(w->txtInput, Qt::Key_Return);  // an empty line is a line too
    QCOMPARE(b.fake->runInput, QByteArray("21\n") + QStringLiteral("こんにちは 世界\n").toUtf8() + "\n");
    QCOMPARE(TestFiles::ReadFile(b.result),
             QByteArray("数を入力してください: 21\n") + QStringLiteral("こんにちは 世界\n").toUtf8() + "\n");
    QCOMPARE(w->txtInput->text(), QString());
    const qsizetype append = b.fake->events.indexOf(QStringLiteral("append:21\n"));
    QVERIFY(append >= 0);
    QCOMPARE(b.fake->events.value(append + 1), QStringLiteral("input:21\n"));

    // Ctrl+D with text in the box is the box's own; in the empty box it ends
    // the input.
    w->txtInput->setText(QStringLiteral("x"));
    QTest::keyClick(w->txtInput, Qt::Key_D, Qt::ControlModifier);
    QVERIFY(b.fake->runState.inputOpen);
    w->txtInput->clear();
    QTest::keyClick(w->txtInput, Qt::Key_D, Qt::ControlModifier);
    QVERIFY(!b.fake->runState.inputOpen);
    QVERIFY(!w->txtInput->isEnabled());
    QVERIFY(w->cmdStop->isEnabled());
    QVERIFY(w->lblStatus->text().endsWith(QStringLiteral("入力は終わりました")));
    // Nothing more reaches the program or the file.
    const QByteArray before = TestFiles::ReadFile(b.result);
    w->txtInput_Enter();
    QCOMPARE(TestFiles::ReadFile(b.result), before);
}

// While the run takes input, what is typed into the output (an input
// method's text too), Backspace and Enter go to the input box, which takes
// the focus; other keys act on the output, and with no live run the output
// is edited as before.
void TestRunConsole::typingIntoTheOutput_data() {
    QTest::addColumn<bool>("live");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("composed");  // committed by the input method after `typed`
    QTest::addColumn<QList<int>>("keys");   // pressed after that, kCtrl added for Ctrl
    QTest::addColumn<QByteArray>("input");  // reached the program; the focus went to the input box with it
    QTest::newRow("Backspace goes along")
        << true << QStringLiteral("Hanakox") << QString() << QList<int>{Qt::Key_Backspace, Qt::Key_Enter}
        << QByteArray("Hanako\n");
    QTest::newRow("input method text") << true << QString() << QStringLiteral("花子")
                                       << QList<int>{Qt::Key_Return} << QStringLiteral("花子\n").toUtf8();
    QTest::newRow("moving, selecting and copying stay in the output")
        << true << QString() << QString()
        << QList<int>{Qt::Key_End, Qt::Key_Up, Qt::Key_Home, kCtrl | Qt::Key_A, kCtrl | Qt::Key_C}
        << QByteArray();
    QTest::newRow("no live run: the output is edited")
        << false << QStringLiteral("x") << QString() << QList<int>{Qt::Key_Backspace, Qt::Key_Return}
        << QByteArray();
}

void TestRunConsole::typingIntoTheOutput() {
    QFETCH(bool, live);
    QFETCH(QString, typed);
    QFETCH(QString, composed);
    QFETCH(QList<int>, keys);
    QFETCH(QByteArray, input);
    Bench b;
    WriteFile(b.result, "名前は?\n");
    b.form->RunButton(RunKind::Application)->click();
    frmResultText* w = b.window();
    w->Timer1_Timer();
    if (!live) b.fake->endRun(0);
    const QString before = w->Text1->toPlainText();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    w->Text1->setFocus();
    w->Text1->moveCursor(QTextCursor::End);
    QTest::keyClicks(w->Text1, typed);
    if (!composed.isEmpty()) {
        QInputMethodEvent ime;
        ime.setCommitString(composed);
        QApplication::sendEvent(w->focusWidget(), &ime);
    }
    for (int key : keys)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key & ~kCtrl),
                        key & kCtrl ? Qt::ControlModifier : Qt::NoModifier);
    QCOMPARE(b.fake->runInput, input);
    QCOMPARE(QApplication::focusWidget() == w->txtInput, !input.isEmpty());
    // With no live run the output is edited, never while one takes input.
    QCOMPARE(w->Text1->toPlainText() != before, !live);
}

// A run that ends with result.txt as it found it gets a notice above the
// old text, with the script's own error lines, or the reason the file
// cannot be written now; the next start clears it.
void TestRunConsole::resultNotWrittenIsTold_data() {
    QTest::addColumn<QString>("how");  // "written", "untouched", "folder"
    QTest::addColumn<QString>("errorOutput");
    QTest::addColumn<QString>("reason");  // in the notice; "" for none
    const QString line = QStringLiteral("/p/compile.bat: 21: cannot create /d/result.txt: Is a directory");
    QTest::newRow("written: nothing to tell") << "written" << line << QString();
    QTest::newRow("untouched, with the script's last three lines")
        << "untouched"
        << "a\nb\nc\nrm: cannot remove x\n" + line + "\n"
        << "\n　理由: c\n　理由: rm: cannot remove x\n　理由: " + line;
    QTest::newRow("a folder in its place, no word from the script")
        << "folder" << QString() << "result.txt: ";
}

void TestRunConsole::resultNotWrittenIsTold() {
    QFETCH(QString, how);
    QFETCH(QString, errorOutput);
    QFETCH(QString, reason);
    Bench b;
    WriteFile(b.result, "the last compile's text\n");
    if (how == QStringLiteral("folder")) {
        QFile::remove(b.result);
        QDir().mkpath(b.result);
    }
    b.form->RunButton(RunKind::Compile)->click();
    frmResultText* w = b.window();
    if (how == QStringLiteral("written")) WriteFile(b.result, "Hello.java:1: error: x\n");
    b.fake->runState.errorOutput = errorOutput;
    b.fake->endRun(2);
    if (reason.isEmpty()) {
        QVERIFY(w->lblNotice->isHidden());
        return;
    }
    const QString notice = w->lblNotice->text();
    QVERIFY2(notice.startsWith(QStringLiteral("注意: この実行は result.txt に書けませんでした")),
             qPrintable(notice));
    QVERIFY2(notice.contains(reason), qPrintable(notice));
    QVERIFY(!notice.contains(QStringLiteral("理由: b")));
    QVERIFY(w->lblNotice->isVisibleTo(w));
    QVERIFY(!w->Text1->toPlainText().contains(QStringLiteral("注意")));
    if (how == QStringLiteral("untouched"))
        QCOMPARE(ReadFile(b.result), QByteArray("the last compile's text\n"));
    b.form->RunButton(RunKind::Compile)->click();
    QVERIFY(w->lblNotice->isHidden());
}

// A line the run cannot take now stays in the box, the status says why,
// and nothing reaches the result file; a paste is taken up to what the run
// takes, and one beyond it is refused whole.
void TestRunConsole::refusedInputStaysInTheBox() {
    Bench b;
    WriteFile(b.result, "prompt: ");
    b.form->RunButton(RunKind::Application)->click();
    frmResultText* w = b.window();
    b.fake->inputRoom = 4;
    w->txtInput->setText(QStringLiteral("12345"));
    QTest::keyClick(w->txtInput, Qt::Key_Return);
    QCOMPARE(w->txtInput->text(), QStringLiteral("12345"));
    QVERIFY(w->lblStatus->text().contains(QStringLiteral("送れませんでした (上限 4 MB)")));
    QCOMPARE(TestFiles::ReadFile(b.result), QByteArray("prompt: "));
    QCOMPARE(b.fake->runInput, QByteArray());

    const QString paste(100000, u'x');
    w->txtInput->clear();
    w->txtInput->insert(paste);
    QCOMPARE(w->txtInput->text(), paste);
    w->txtInput->insert(QString(kRunInputBacklog, u'y'));
    QCOMPARE(w->txtInput->text(), paste);
    QVERIFY(w->lblStatus->text().contains(QStringLiteral("貼り付けた文字が長すぎる")));
}

void TestRunConsole::keysAndMenus() {
    Bench b;
    // The main window's menu shows the result window.
    QVERIFY(!Result::Current());
    b.form->mnuShowResult->trigger();
    QVERIFY(b.window() && b.window()->isVisible());
    QVERIFY(b.fake->started.isEmpty());
    // The result window's menu: the stop item stands before the separator.
    const QList<QAction*> items = b.window()->mnuMenu->actions();
    QCOMPARE(items.size(), 6);
    QCOMPARE(items[1], b.window()->mnuStop);
    QCOMPARE(items[1]->text(), QStringLiteral("実行を停止(&S)"));
    QCOMPARE(items[2]->text(), QStringLiteral("次のエラー(&N)"));
    QCOMPARE(items[2]->shortcut(), QKeySequence(Qt::Key_F4));
    QCOMPARE(items[3]->text(), QStringLiteral("前のエラー(&P)"));
    QCOMPARE(items[3]->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F4));
    QVERIFY(items[4]->isSeparator());

    // F8, F5 and Ctrl+Break reach the main window's commands from the result
    // window.
    b.form->show();
    b.window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(b.window()));
    QTest::keyClick(b.window(), Qt::Key_F8);
    QTest::keyClick(b.window(), Qt::Key_F5);
    QTest::keyClick(b.window(), Qt::Key_Pause, Qt::ControlModifier);
    QCOMPARE(b.signalsAndStarts(), QStringList({"compile.bat", "signal:9", "apli.bat", "signal:15"}));
}

QTEST_MAIN(TestRunConsole)
#include "tst_runconsole.moc"
