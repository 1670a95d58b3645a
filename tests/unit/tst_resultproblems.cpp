// The result window's problem lines against the fake platform: how they are
// marked as the output arrives, F4 / Shift+F4 and a double click opening the
// source at its line in the Java editor (the recorded start), the counts on
// the status line, where the view stands after a compile and while output
// arrives, and the find bar.
#include "FakePlatform.h"
#include "TestFiles.h"
#include "result/ResultFind.h"
#include "result/ResultMarks.h"
#include "result/frmResultText.h"
#include "run/RunConsole.h"
#include "settings/Qlk.h"
#include "sources/SourceCommands.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QtTest>

using namespace Qlk;

namespace {

QByteArray Sample(const char* name) {
    return TestFiles::ReadFile(QStringLiteral(QLK_TEST_DATA "/problems/") + QLatin1String(name));
}

// A result window over result.txt, a source folder whose path has a space
// holding Bad.java and Ask.java, and JavaEdit set to a program named "gedit"
// in a folder whose path has a space.
struct Bench {
    FakeScope fake;
    frmResultText* w = nullptr;
    QString result, folder, editor;

    Bench() {
        S.WindowsFolder = fake->dataFolder;
        result = fake->dataFolder + QStringLiteral("result.txt");
        TestFiles::WriteFile(result, {});
        S.ResultFileTime = fake->files().fileStamp(result);
        folder = fake->root() + QStringLiteral("/my src");
        TestFiles::WriteFile(folder + QStringLiteral("/Bad.java"), "class Bad {}\n");
        TestFiles::WriteFile(folder + QStringLiteral("/Ask.java"), "class Ask {}\n");
        editor = fake->root() + QStringLiteral("/my tools/gedit");
        TestFiles::WriteFile(editor, "#!/bin/sh\n", true);
        S.JavaEdit = editor;
        w = new frmResultText(nullptr);
        fake.console.Serve(w);
        QObject::connect(w, &frmResultText::openLine, w,
                         [this](const QString& file, int line) { Sources::OpenJavaAtLine(file, line, w); });
        w->resize(600, 300);
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
    }
    ~Bench() { delete w; }

    // A run in the folder; its output is then written with Output().
    void Start(RunKind kind) {
        QString error;
        QVERIFY(fake.console.Start(QStringLiteral("/bin/true"), &error, folder, kind));
        TestFiles::WriteFile(result, {});
        w->Timer1_Timer();
    }
    void Output(const QByteArray& bytes) {
        TestFiles::AppendFile(result, bytes);
        w->Timer1_Timer();
    }
    void End() { fake->endRun(1); }

    QString BlockText(int n) const { return w->Text1->document()->findBlockByNumber(n).text(); }
    QString SelectedLine() const { return w->Text1->textCursor().block().text(); }
    // The extra arguments of the editor starts, each start's joined.
    QStringList Opened() {
        QStringList out;
        for (const auto& s : fake->started)
            if (s.commandLine.startsWith(editor)) out << s.extraArgs.join(u'|');
        return out;
    }
};

// How a block is marked: "error", "warning", "link", "hint" or "plain".
QString MarkOf(const frmResultText* w, const QTextBlock& block) {
    const ResultMarks& m = w->marks();
    if (m.isHint(block.blockNumber())) return QStringLiteral("hint");
    if (block.text().isEmpty()) return QStringLiteral("plain");
    const QTextCharFormat f = block.begin().fragment().charFormat();
    if (f.foreground() == m.errorFormat().foreground()) return QStringLiteral("error");
    if (f.foreground() == m.warningFormat().foreground()) return QStringLiteral("warning");
    if (f.fontUnderline()) return QStringLiteral("link");
    return QStringLiteral("plain");
}

QStringList Marks(const frmResultText* w) {
    QStringList out;
    for (QTextBlock b = w->Text1->document()->begin(); b.isValid(); b = b.next()) out << MarkOf(w, b);
    return out;
}

}  // namespace

class TestResultProblems : public QObject {
    Q_OBJECT
private slots:
    void marking_data();
    void marking();
    void stepsAndOpens();
    void firstStepOpensFirstProblem_data();
    void firstStepOpensFirstProblem();
    void doubleClickOpensFrame();
    void missingSourceIsNotStarted();
    void compileEndShowsFirstError();
    void followsOnlyAtTheEnd();
    void outputAfterTheEndStaysInLine();
    void trimmedTextKeepsLines();
    void find_data();
    void find();
};

// Each row: the output, written in pieces split at `cut` bytes, and the
// marks of its lines as the window shows them (hints included).
void TestResultProblems::marking_data() {
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<int>("cut");
    QTest::addColumn<QStringList>("marks");
    const QByteArray warn =
        "Bad.java:6: warning: [removal] Integer(int) in Integer\n        Integer i = new Integer(5);\n"
        "                    ^\nBad.java:9: error: incompatible types\n        int y = \"t\";\n"
        "                ^\n1 error\n1 warning\n";
    QTest::newRow("warning and error, English")
        << warn << 30
        << QStringList{"warning", "plain", "plain", "error", "plain", "plain", "plain", "plain", "plain"};
    QTest::newRow("Japanese, CRLF, split inside the line")
        << QByteArray(
               "Bad.java:3: エラー: ';'がありません\r\n        int x = 1\r\n                 "
               "^\r\nエラー1個\r\n")
        << 9 << QStringList{"error", "plain", "plain", "hint", "plain", "plain"};
    const QByteArray trace =
        "Exception in thread \"main\" java.util.NoSuchElementException\n"
        "\tat java.base/java.util.Scanner.throwFor(Scanner.java:937)\n"
        "\tat java.base/java.util.Scanner.nextInt(Scanner.java:2212)\n"
        "\tat Ask.main(Ask.java:6)\n";
    QTest::newRow("trace: JDK frames stay plain")
        << trace << 70 << QStringList{"error", "plain", "plain", "link", "hint", "plain"};
    // The hint needs the names of the folder's files.
    QTest::newRow("class typed in the wrong case")
        << QByteArray(
               "Ask.java:3: error: cannot find symbol\n        bad b;\n        ^\n"
               "  symbol:   class bad\n  location: class Ask\n1 error\n")
        << 12 << QStringList{"error", "plain", "plain", "plain", "plain", "hint", "plain", "plain"};
    QTest::newRow("frame whose source is not in the folder")
        << QByteArray(
               "Exception in thread \"main\" java.lang.RuntimeException: x\n\tat Gone.main(Gone.java:4)\n")
        << 5 << QStringList{"error", "plain", "plain"};
}

void TestResultProblems::marking() {
    QFETCH(QByteArray, output);
    QFETCH(int, cut);
    QFETCH(QStringList, marks);
    Bench b;
    b.Start(RunKind::Application);
    b.Output(output.left(cut));
    b.Output(output.mid(cut));
    b.End();
    QCOMPARE(Marks(b.w), marks);
    // Text that arrives under a marked line is plain.
    b.Start(RunKind::Application);
    b.Output("Bad.java:3: error: x\n");
    b.Output("plain after\n");
    QCOMPARE(Marks(b.w).mid(0, 2), QStringList({"error", "plain"}));
}

// F4 goes through the errors and warnings in order and round again; Shift+F4
// back; each opens the file at its line with the "+LINE FILE" of gedit.
void TestResultProblems::stepsAndOpens() {
    Bench b;
    b.Start(RunKind::Compile);
    b.Output(
        "Bad.java:3: error: ';' expected\n        int x = 1\n                 ^\n"
        "Bad.java:7: warning: [removal] x\n        y\n        ^\n"
        "Bad.java:9: error: cannot find symbol\n        z\n        ^\n2 errors\n1 warning\n");
    b.End();
    QCOMPARE(b.w->lblStatus->text().endsWith(QStringLiteral("エラー 2、警告 1")), true);
    const QString bad = b.folder + QStringLiteral("/Bad.java");
    // The compile put the first error at the top: the first F4 opens it,
    // the next ones go on from there.
    QCOMPARE(b.SelectedLine(), QStringLiteral("Bad.java:3: error: ';' expected"));
    QTest::keyClick(b.w, Qt::Key_F4);
    QCOMPARE(b.SelectedLine(), QStringLiteral("Bad.java:3: error: ';' expected"));
    QTest::keyClick(b.w, Qt::Key_F4);
    QCOMPARE(b.SelectedLine(), QStringLiteral("Bad.java:7: warning: [removal] x"));
    b.w->mnuNext->trigger();
    b.w->mnuNext->trigger();  // round again
    QCOMPARE(b.SelectedLine(), QStringLiteral("Bad.java:3: error: ';' expected"));
    QTest::keyClick(b.w, Qt::Key_F4, Qt::ShiftModifier);
    QCOMPARE(b.SelectedLine(), QStringLiteral("Bad.java:9: error: cannot find symbol"));
    QCOMPARE(b.Opened(), QStringList({"+3|" + bad, "+7|" + bad, "+9|" + bad, "+3|" + bad, "+9|" + bad}));

    // An editor that takes no line gets the file alone, as the open command
    // gives it.
    b.fake->started.clear();
    S.JavaEdit = QStringLiteral("/bin/true");
    b.w->mnuNext->trigger();
    QCOMPARE(b.fake->started.size(), 1);
    QCOMPARE(b.fake->started[0].extraArgs, QStringList{bad});
}

// The first F4 or Shift+F4 after a run's end opens the problem the end
// selected, as long as that selection stands; later steps go on from it.
void TestResultProblems::firstStepOpensFirstProblem_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<bool>("backwards");
    QTest::addColumn<int>("clickAt");  // the block the user clicks into first; -1: none
    QTest::addColumn<QStringList>("opened");
    const QByteArray two = "Bad.java:3: error: a\n  x\n  ^\nBad.java:4: error: b\n  y\n  ^\n2 errors\n";
    QTest::newRow("Shift+F4 after a compile") << int(RunKind::Compile) << two << true << -1
                                              << QStringList{"+3|Bad.java", "+4|Bad.java", "+3|Bad.java"};
    QTest::newRow("two classes: the first error's file")
        << int(RunKind::Compile)
        << QByteArray("Ask.java:7: error: a\n  x\n  ^\nBad.java:5: error: b\n2 errors\n") << false << -1
        << QStringList{"+7|Ask.java", "+5|Bad.java", "+7|Ask.java"};
    QTest::newRow("a crash: its first frame of the learner's code")
        << int(RunKind::Application)
        << QByteArray(
               "Exception in thread \"main\" java.lang.IllegalStateException\n\tat Ask.check(Ask.java:9)\n"
               "\tat Ask.main(Ask.java:4)\n")
        << false << -1 << QStringList{"+9|Ask.java", "+4|Ask.java", "+9|Ask.java"};
    QTest::newRow("a click of the user's own: steps from there")
        << int(RunKind::Compile) << two + "Bad.java:5: error: c\n"
        << false << 3 << QStringList{"+5|Bad.java", "+3|Bad.java", "+4|Bad.java"};
}

void TestResultProblems::firstStepOpensFirstProblem() {
    QFETCH(int, kind);
    QFETCH(QByteArray, output);
    QFETCH(bool, backwards);
    QFETCH(int, clickAt);
    QFETCH(QStringList, opened);
    Bench b;
    b.Start(RunKind(kind));
    b.Output(output);
    b.End();
    if (clickAt >= 0) {
        QTextCursor c(b.w->Text1->document()->findBlockByNumber(clickAt));
        c.movePosition(QTextCursor::Right);
        b.w->Text1->setTextCursor(c);
    }
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(b.w, Qt::Key_F4, backwards ? Qt::ShiftModifier : Qt::NoModifier);
    for (QString& o : opened) o.replace(u'|', u'|' + b.folder + u'/');
    QCOMPARE(b.Opened(), opened);
}

// A double click on a linked frame, or on the exception line above it, opens
// the frame's source at its line; on a JDK frame nothing starts.
void TestResultProblems::doubleClickOpensFrame() {
    Bench b;
    b.Start(RunKind::Application);
    b.Output(Sample("scanner-int.java.en.txt"));
    b.End();
    const QString ask = b.folder + QStringLiteral("/Ask.java");
    auto click = [&](int block) {
        const QTextBlock bl = b.w->Text1->document()->findBlockByNumber(block);
        const QRect r = b.w->Text1->cursorRect(QTextCursor(bl));
        QTest::mouseDClick(b.w->Text1->viewport(), Qt::LeftButton, {}, r.center());
    };
    // Blocks: 0 exception, 1..4 JDK frames, 5 Ask.main, 6 its hint.
    QVERIFY(b.BlockText(5).contains(QStringLiteral("Ask.main")));
    click(3);
    click(6);
    QCOMPARE(b.Opened(), QStringList());
    click(5);
    click(0);
    QCOMPARE(b.Opened(), QStringList({"+6|" + ask, "+6|" + ask}));
    QVERIFY(b.SelectedLine().contains(QStringLiteral("Ask.main")));
    // F4 from the start passes over the JDK's frames.
    b.fake->started.clear();
    b.w->Text1->moveCursor(QTextCursor::Start);
    b.w->mnuNext->trigger();
    QCOMPARE(b.Opened(), QStringList({"+6|" + ask}));
}

void TestResultProblems::missingSourceIsNotStarted() {
    Bench b;
    b.Start(RunKind::Compile);
    b.Output("Gone.java:2: error: x\n1 error\n");
    b.End();
    b.w->mnuNext->trigger();
    QCOMPARE(b.Opened(), QStringList());
    QCOMPARE(b.fake->boxes.size(), 1);
    QCOMPARE(b.fake->boxes[0].title, QStringLiteral("ﾌｧｲﾙが見つかりません"));
    QVERIFY(b.fake->boxes[0].text.startsWith(b.folder + QStringLiteral("/Gone.java\n\nが見つかりません。")));
}

// A long compile output ends with its first error at the top of the view,
// selected, not with the last lines.
void TestResultProblems::compileEndShowsFirstError() {
    Bench b;
    b.Start(RunKind::Compile);
    QByteArray out;
    for (int i = 0; i < 5; ++i) out += "Note: something\n";
    for (int i = 0; i < 40; ++i)
        out += "Bad.java:" + QByteArray::number(i + 1) + ": error: e\n    x\n    ^\n";
    out += "40 errors\n";
    b.Output(out);
    QVERIFY(b.w->Text1->verticalScrollBar()->value() > 0);  // followed the end while it arrived
    b.End();
    QCOMPARE(b.SelectedLine(), QStringLiteral("Bad.java:1: error: e"));
    QCOMPARE(b.w->Text1->cursorForPosition(QPoint(2, 2)).block().text(),
             QStringLiteral("Bad.java:1: error: e"));
    QVERIFY(b.w->lblStatus->text().endsWith(QStringLiteral("エラー 40")));
    // A late report of the file system (here of its mode set again) keeps
    // the selection and the view.
    const int top = b.w->Text1->verticalScrollBar()->value();
    QVERIFY(QFile::setPermissions(b.result, QFile::permissions(b.result)));
    QTest::qWait(100);
    QCOMPARE(b.SelectedLine(), QStringLiteral("Bad.java:1: error: e"));
    QCOMPARE(b.w->Text1->verticalScrollBar()->value(), top);
    // A new result read whole while an error is selected takes none of its
    // colour.
    TestFiles::ReplaceFile(b.result, "Bad.java:2: error: f\nplain\n2 errors\n");
    b.w->Timer1_Timer();
    QCOMPARE(Marks(b.w), (QStringList{"error", "plain", "plain", "plain"}));
    // Read after its run ended, the new text is finished and shows its
    // first error, selected.
    QCOMPARE(b.SelectedLine(), QStringLiteral("Bad.java:2: error: f"));
    // A program that crashed shows the first line of its exception.
    b.Start(RunKind::Application);
    b.Output(out + "Exception in thread \"main\" java.lang.RuntimeException: x\n\tat Ask.main(Ask.java:6)\n" +
             out);
    b.End();
    QCOMPARE(b.w->Text1->cursorForPosition(QPoint(2, 2)).block().text(),
             QStringLiteral("Exception in thread \"main\" java.lang.RuntimeException: x"));
    // Without one, a program's run never jumps.
    b.Start(RunKind::Application);
    b.Output(out);
    b.End();
    QCOMPARE(b.w->Text1->verticalScrollBar()->value(), b.w->Text1->verticalScrollBar()->maximum());
}

// Output follows the end while the view is there; scrolled up or with a
// selection, the view stays.
void TestResultProblems::followsOnlyAtTheEnd() {
    Bench b;
    b.Start(RunKind::Application);
    QByteArray lines;
    for (int i = 0; i < 200; ++i) lines += QByteArray::number(i) + '\n';
    b.Output(lines);
    QScrollBar* bar = b.w->Text1->verticalScrollBar();
    QCOMPARE(bar->value(), bar->maximum());
    b.Output(lines);
    QCOMPARE(bar->value(), bar->maximum());
    bar->setValue(10);
    b.Output(lines);
    QCOMPARE(bar->value(), 10);
    bar->setValue(bar->maximum());
    QTextCursor c = b.w->Text1->textCursor();
    c.setPosition(c.document()->characterCount() - 6);
    c.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, 3);
    b.w->Text1->setTextCursor(c);
    const int before = bar->value();
    b.Output(lines);
    QCOMPARE(bar->value(), before);
}

// A run that ends in the middle of a line has its last line read as it is;
// output that goes on after the end (a writer that is not the run) continues
// that line, and the lines under it are marked where they are. A writer that
// is not a run is never taken to have ended.
void TestResultProblems::outputAfterTheEndStaysInLine() {
    Bench b;
    b.Start(RunKind::Compile);
    b.Output("Bad.java:1: error: a\nBad.java:2: err");
    b.End();
    QCOMPARE(Marks(b.w), (QStringList{"error", "plain"}));
    b.Output("or: b\nplain\nBad.java:3: error: c\n");
    QCOMPARE(Marks(b.w), (QStringList{"error", "error", "plain", "error", "plain"}));
    QVERIFY(b.w->lblStatus->text().endsWith(QStringLiteral("エラー 3")));
}

// A text trimmed at the top (and a hint inserted) still leads F4 to the
// right lines.
void TestResultProblems::trimmedTextKeepsLines() {
    Bench b;
    b.Start(RunKind::Compile);
    const QByteArray filler(100, 'x');
    for (int round = 0; round < 4; ++round) {
        QByteArray out;
        for (int i = 0; i < 2000; ++i) {
            out += filler + '\n';
            if (i % 500 == 250)
                out += "Bad.java:" + QByteArray::number(round * 10 + i / 500 + 1) + ": error: ';' expected\n";
        }
        b.Output(out);
    }
    QVERIFY(b.w->trimmed());
    b.End();
    b.w->Text1->moveCursor(QTextCursor::Start);
    for (int i = 0; i < 6; ++i) {
        b.w->mnuNext->trigger();
        QVERIFY2(b.SelectedLine().startsWith(QStringLiteral("Bad.java:")), qPrintable(b.SelectedLine()));
        const QString shownLine = b.SelectedLine().section(u':', 1, 1);
        QCOMPARE(b.Opened().last().section(u'|', 0, 0), u'+' + shownLine);
    }
}

void TestResultProblems::find_data() {
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("highlights");
    QTest::addColumn<QString>("label");
    QTest::newRow("case ignored") << "error" << 3 << "";
    QTest::newRow("Japanese") << "見つ" << 1 << "";
    QTest::newRow("none") << "zzz" << 0 << ResultFind::kNotFound;
}

void TestResultProblems::find() {
    QFETCH(QString, what);
    QFETCH(int, highlights);
    QFETCH(QString, label);
    Bench b;
    b.Start(RunKind::Application);
    b.Output("one Error\ntwo error\nシンボルが見つかりません\nthree ERROR\n");
    b.End();
    b.w->Text1->moveCursor(QTextCursor::Start);
    QTest::keyClick(b.w, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(b.w->findBar->isVisible());
    QVERIFY(b.w->findBar->geometry().top() > b.w->Text1->geometry().bottom());
    b.w->findBar->txtFind->setText(what);
    QCOMPARE(b.w->Text1->extraSelections().size(), highlights);
    QCOMPARE(b.w->findBar->lblFind->text(), label);
    if (highlights == 3) {
        QCOMPARE(b.w->Text1->textCursor().blockNumber(), 0);
        QTest::keyClick(b.w->findBar->txtFind, Qt::Key_Return);
        QCOMPARE(b.w->Text1->textCursor().blockNumber(), 1);
        QTest::keyClick(b.w, Qt::Key_F3);
        QCOMPARE(b.w->Text1->textCursor().blockNumber(), 3);
        QTest::keyClick(b.w, Qt::Key_F3);  // round again
        QCOMPARE(b.w->Text1->textCursor().blockNumber(), 0);
        QTest::keyClick(b.w, Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(b.w->Text1->textCursor().blockNumber(), 3);
    }
    QTest::keyClick(b.w->findBar->txtFind, Qt::Key_Escape);
    QVERIFY(b.w->findBar->isHidden());
    QVERIFY(b.w->Text1->extraSelections().isEmpty());
    // Esc closes the bar wherever the focus is in the window.
    QTest::keyClick(b.w, Qt::Key_F, Qt::ControlModifier);
    b.w->Text1->setFocus();
    QTest::keyClick(b.w->Text1, Qt::Key_Escape);
    QVERIFY(b.w->findBar->isHidden());
}

QTEST_MAIN(TestResultProblems)
#include "tst_resultproblems.moc"
