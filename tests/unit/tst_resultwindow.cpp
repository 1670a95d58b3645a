// The result window: what it notices of result.txt and how it shows it, its
// geometry and always-on-top state, and its life as the one result window.
#include "FakePlatform.h"
#include "OnExit.h"
#include "TestFiles.h"
#include "result/Result.h"
#include "result/frmResultText.h"
#include "settings/Placement.h"
#include "settings/Qlk.h"

#include <QAction>
#include <QFile>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>

using namespace Qlk;
using namespace TestFiles;

namespace {

// A fake with result.txt in its data folder, stamped as start-up stamps it.
struct Setup {
    FakeScope fake;
    QString file;
    Setup(const QByteArray& initial = "old result\n") {
        S.WindowsFolder = fake->dataFolder;
        file = fake->dataFolder + QStringLiteral("result.txt");
        WriteFile(file, initial);
        S.ResultFileTime = fake->files().fileStamp(file);
    }
    ~Setup() { Result::Discard(); }
    frmResultText* Open() {
        Result::Show();
        return static_cast<frmResultText*>(Result::Current());
    }
};

QString Shown(frmResultText* w) { return w->Text1->toPlainText(); }

}  // namespace

class TestResultWindow : public QObject {
    Q_OBJECT
private slots:
    void firstOpenShowsNothingOld();
    void everyRewriteIsNoticed();
    void deletedAndRecreated();
    void emptyAndUnreadableFiles();
    void decoding_data();
    void decoding();
    void carriageReturns_data();
    void carriageReturns();
    void encodingChosenAtFirstNonAsciiByte();
    void eachLineInItsOwnEncoding_data();
    void eachLineInItsOwnEncoding();
    void growingFileIsReadIncrementally_data();
    void growingFileIsReadIncrementally();
    void rewriteInPlaceIsNotTakenForGrowth();
    void largeFileShowsItsTailWithNote_data();
    void largeFileShowsItsTailWithNote();
    void endlessOutputStaysBounded_data();
    void endlessOutputStaysBounded();
    void endlessLineIsBroken();
    void watcherShowsChangesWithoutTimer();
    void watcherFollowsReplacedFile();
    void storedGeometry_data();
    void storedGeometry();
    void designPlaceFitsSmallScreen();
    void unloadWritesFiveKeys();
    void minimizedKeepsNormalGeometry();
    void alwaysOnTop_data();
    void alwaysOnTop();
    void oneWindowAndTimeOutlivesIt();
    void endClosesOnlyThisWindow();
    void discardWritesNothing();
};

void TestResultWindow::firstOpenShowsNothingOld() {
    Setup s;
    frmResultText* w = s.Open();
    QVERIFY(w->isVisible());
    QCOMPARE(w->windowTitle(), QStringLiteral("出力結果"));
    QCOMPARE(w->Timer1->interval(), 1000);
    QVERIFY(w->Timer1->isActive());
    w->Timer1_Timer();
    QCOMPARE(Shown(w), QString());
}

void TestResultWindow::everyRewriteIsNoticed() {
    Setup s;
    frmResultText* w = s.Open();
    w->Timer1->stop();
    // Same second, different nanoseconds.
    WriteFile(s.file, "first\n");
    SetTime(s.file, 1700000000, 100);
    w->Timer1_Timer();
    QCOMPARE(Shown(w), QStringLiteral("first\n"));
    WriteFile(s.file, "second\n");
    SetTime(s.file, 1700000000, 200);
    w->Timer1_Timer();
    QCOMPARE(Shown(w), QStringLiteral("second\n"));
    // Same time to the nanosecond, another size.
    WriteFile(s.file, "third, longer\n");
    SetTime(s.file, 1700000000, 200);
    w->Timer1_Timer();
    QCOMPARE(Shown(w), QStringLiteral("third, longer\n"));
    // Same time and size, but another file put in its place.
    ReplaceFile(s.file, "fourth, other\n");
    SetTime(s.file, 1700000000, 200);
    w->Timer1_Timer();
    QCOMPARE(Shown(w), QStringLiteral("fourth, other\n"));
    // Nothing changed: nothing is read again, so an edit by the user stays.
    w->Text1->setPlainText(QStringLiteral("edited"));
    w->Timer1_Timer();
    QCOMPARE(Shown(w), QStringLiteral("edited"));
}

void TestResultWindow::deletedAndRecreated() {
    Setup s;
    frmResultText* w = s.Open();
    w->Timer1->stop();
    WriteFile(s.file, "before\n");
    w->Timer1_Timer();
    QCOMPARE(Shown(w), QStringLiteral("before\n"));
    QVERIFY(QFile::remove(s.file));
    w->Timer1_Timer();
    QCOMPARE(Shown(w), QString());
    QVERIFY(!S.ResultFileTime.exists);
    // Cleared once: what the user types then stays.
    w->Text1->setPlainText(QStringLiteral("note"));
    w->Timer1_Timer();
    QCOMPARE(Shown(w), QStringLiteral("note"));
    WriteFile(s.file, "again\n");
    w->Timer1_Timer();
    QCOMPARE(Shown(w), QStringLiteral("again\n"));
}

void TestResultWindow::emptyAndUnreadableFiles() {
    Setup s;
    frmResultText* w = s.Open();
    w->Timer1->stop();
    WriteFile(s.file, "some\n");
    w->Timer1_Timer();
    WriteFile(s.file, "");
    w->Timer1_Timer();
    QCOMPARE(Shown(w), QString());

    // A read that fails clears the text and is not retried until the file
    // changes again.
    WriteFile(s.file, "locked\n");
    s.fake->unreadable << s.file;
    w->Timer1_Timer();
    QCOMPARE(Shown(w), QString());
    QCOMPARE(S.ResultFileTime, s.fake->files().fileStamp(s.file));
    s.fake->unreadable.clear();
    w->Timer1_Timer();
    QCOMPARE(Shown(w), QString());
    AppendFile(s.file, "more\n");
    w->Timer1_Timer();
    QCOMPARE(Shown(w), QStringLiteral("locked\nmore\n"));
}

void TestResultWindow::decoding_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("encoding");
    QTest::newRow("ascii") << QByteArray("Hello.java:3: error\n") << "Hello.java:3: error\n"
                           << "";
    QTest::newRow("utf-8") << QByteArray("エラー: ';'がありません\n") << "エラー: ';'がありません\n"
                           << "UTF-8";
    // "エラー" and "日本語" in CP932, with the CP932-only "①" and "～".
    QTest::newRow("cp932") << QByteArray(
                                  "\x83\x47\x83\x89\x81\x5b \x93\xfa\x96\x7b\x8c\xea \x87\x40\x81\x60\r\n")
                           << "エラー 日本語 ①～\n"
                           << "CP932";
    QTest::newRow("crlf, and a lone cr that returns") << QByteArray("a\r\nb\rc\n") << "a\nc\n"
                                                      << "";
    QTest::newRow("overlong utf-8 is not utf-8") << QByteArray("\xc0\xaf") << QString() << "CP932";
}

void TestResultWindow::decoding() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QString, encoding);
    Setup s;
    frmResultText* w = s.Open();
    w->Timer1->stop();
    WriteFile(s.file, bytes);
    w->Timer1_Timer();
    if (!text.isNull()) QCOMPARE(Shown(w), text);
    QCOMPARE(w->reader().encodingName(), encoding);
}

// A "\r" not followed by "\n" goes back to the start of the line and what
// follows overwrites it, also across two reads of a growing file; the file
// keeps its bytes.
void TestResultWindow::carriageReturns_data() {
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("then");
    QTest::addColumn<QString>("shown");
    QTest::newRow("bar in one write") << QByteArray("10%\r20%\r30%\n") << QByteArray() << "30%\n";
    QTest::newRow("bar across writes")
        << QByteArray("x\n10%\r20%") << QByteArray("\r30%\ndone\n") << "x\n30%\ndone\n";
    QTest::newRow("shorter text keeps the rest")
        << QByteArray("abcdef\rXY") << QByteArray("\n") << "XYcdef\n";
    QTest::newRow("crlf split between writes") << QByteArray("a\r") << QByteArray("\nb\n") << "a\nb\n";
    QTest::newRow("unfinished line overwritten")
        << QByteArray("x\n10%\r") << QByteArray("20%\r30%") << "x\n30%";
    // Redone by its UTF-16 units, not by the characters a cursor moves over.
    QTest::newRow("half a character overwritten") << QByteArray(
                                                         "x\n\xf0\x9f\x98\x80"
                                                         "b\r")
                                                  << QByteArray("X\n") << "x\nXb\n";
}

void TestResultWindow::carriageReturns() {
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, then);
    QFETCH(QString, shown);
    Setup s;
    frmResultText* w = s.Open();
    w->Timer1->stop();
    WriteFile(s.file, first);
    w->Timer1_Timer();
    AppendFile(s.file, then);
    w->Timer1_Timer();
    QCOMPARE(Shown(w), shown);
    QCOMPARE(w->reader().offset(), qint64(first.size() + then.size()));
}

void TestResultWindow::encodingChosenAtFirstNonAsciiByte() {
    Setup s;
    frmResultText* w = s.Open();
    w->Timer1->stop();
    WriteFile(s.file, "compiling\n");
    w->Timer1_Timer();
    QCOMPARE(w->reader().encodingName(), QString());
    // A CP932 character split between two reads comes out whole.
    AppendFile(s.file, "\x93\xfa\x96");
    w->Timer1_Timer();
    AppendFile(s.file, "\x7b\x8c\xea\n");
    w->Timer1_Timer();
    QCOMPARE(Shown(w), QStringLiteral("compiling\n日本語\n"));
    QCOMPARE(w->reader().encodingName(), QStringLiteral("CP932"));
    // The same for UTF-8 in a fresh file.
    ReplaceFile(s.file, "x\n");
    w->Timer1_Timer();
    AppendFile(s.file, "\xe6\x97");
    w->Timer1_Timer();
    AppendFile(s.file, "\xa5\xe6\x9c\xac\n");
    w->Timer1_Timer();
    QCOMPARE(Shown(w), QStringLiteral("x\n日本\n"));
    QCOMPARE(w->reader().encodingName(), QStringLiteral("UTF-8"));
}

// Each line is decoded as it is, UTF-8 when it is valid UTF-8, else CP932,
// wherever the reads of the growing file ended (`cuts`: the file's size at
// each read); the unfinished line shows as it reads so far.
void TestResultWindow::eachLineInItsOwnEncoding_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<int>>("cuts");
    QTest::addColumn<QString>("shown");
    const QByteArray utf8 = "こんにちは\n";
    const QByteArray cp932 = "\x93\xfa\x96\x7b\n";  // 日本
    const QString both = QStringLiteral("こんにちは\n日本\n");
    QTest::newRow("cut inside a UTF-8 character") << utf8 + cp932 << QList<int>{4, 17} << both;
    QTest::newRow("cut inside a CP932 character") << utf8 + cp932 << QList<int>{19} << both;
    QTest::newRow("CP932 first, then UTF-8")
        << cp932 + utf8 << QList<int>{2, 8} << QStringLiteral("日本\nこんにちは\n");
    QTest::newRow("unfinished UTF-8 prompt")
        << QByteArray("x\n名前: ") << QList<int>{2} << QStringLiteral("x\n名前: ");
    QTest::newRow("unfinished line read again as CP932")
        << QByteArray("\xe6\x97\xa5\x96\x7b") << QList<int>{3} << QStringLiteral("譌･本");
    // A line too long to wait for is decoded as its start says.
    QTest::newRow("long line judged by its start")
        << QByteArray(ResultReader::kDecideBytes, 'a') + "\xe6\x97\xa5\n\x93\xfa\n"
        << QList<int>{int(ResultReader::kDecideBytes) + 1}
        << QString(ResultReader::kDecideBytes, u'a') + QStringLiteral("日\n日\n");
}

void TestResultWindow::eachLineInItsOwnEncoding() {
    QFETCH(QByteArray, bytes);
    QFETCH(QList<int>, cuts);
    QFETCH(QString, shown);
    Setup s;
    frmResultText* w = s.Open();
    w->Timer1->stop();
    WriteFile(s.file, {});
    w->Timer1_Timer();
    int at = 0;
    for (int cut : cuts << int(bytes.size())) {
        AppendFile(s.file, bytes.mid(at, cut - at));
        at = cut;
        w->Timer1_Timer();
    }
    QCOMPARE(Shown(w), shown);
}

void TestResultWindow::growingFileIsReadIncrementally_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("count");
    QTest::addColumn<qint64>("firstSlice");
    // Long lines: a slice ends at its size in bytes.
    const QByteArray longLine = QByteArray("burst line ") + QByteArray(60, '-') + '\n';
    const int longCount = int(3 * ResultReader::kSliceBytes / longLine.size()) + 1;
    QTest::newRow("long lines, sliced by bytes") << longLine << longCount << ResultReader::kSliceBytes;
    // Short lines cost the text box more: a slice ends after so many lines.
    const int shortCount = int(ResultReader::kSliceLines) + 100;
    QTest::newRow("short lines, sliced by lines")
        << QByteArray("7\n") << shortCount << qint64(2 * ResultReader::kSliceLines);
}

void TestResultWindow::growingFileIsReadIncrementally() {
    QFETCH(QByteArray, line);
    QFETCH(int, count);
    QFETCH(qint64, firstSlice);
    Setup s;
    frmResultText* w = s.Open();
    w->Timer1->stop();
    WriteFile(s.file, "line 1\n");
    w->Timer1_Timer();
    QString expected = QStringLiteral("line 1\n");
    for (int i = 2; i <= 50; ++i) {
        const QByteArray one = QByteArray("line ") + QByteArray::number(i) + '\n';
        AppendFile(s.file, one);
        expected += QString::fromLatin1(one);
        w->Timer1_Timer();
        QCOMPARE(w->reader().offset(), QFileInfo(s.file).size());
    }
    QCOMPARE(Shown(w), expected);
    QCOMPARE(w->Text1->document()->blockCount(), 51);

    // A burst is taken a slice at a time, the rest right after other events.
    const QByteArray burst = line.repeated(count);
    const qint64 before = w->reader().offset();
    AppendFile(s.file, burst);
    w->Timer1_Timer();
    QCOMPARE(w->reader().offset(), before + firstSlice);
    QTRY_COMPARE(w->reader().offset(), before + burst.size());
    QCOMPARE(Shown(w), expected + QString::fromLatin1(burst));
}

// A writer that empties the file and writes new output keeps the inode; if
// the new output is longer, only the content tells it from growth.
void TestResultWindow::rewriteInPlaceIsNotTakenForGrowth() {
    Setup s;
    frmResultText* w = s.Open();
    w->Timer1->stop();
    WriteFile(s.file, "Hello.java:1: error A\n");
    w->Timer1_Timer();
    WriteFile(s.file, "Hello.java:1: error B and a longer line\n");
    w->Timer1_Timer();
    QCOMPARE(Shown(w), QStringLiteral("Hello.java:1: error B and a longer line\n"));
    // A large file rewritten with new text past its old end.
    QByteArray big(200000, 'a');
    big += '\n';
    WriteFile(s.file, big);
    w->Timer1_Timer();
    QByteArray changed = big;
    changed[100000] = 'b';
    changed += "tail\n";
    WriteFile(s.file, changed);
    w->Timer1_Timer();
    QCOMPARE(Shown(w).remove(u'\n'), QString::fromLatin1(changed).remove(u'\n'));
}

void TestResultWindow::largeFileShowsItsTailWithNote_data() {
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("minChars");
    QTest::addColumn<int>("minLines");
    // Bounded by characters: as much text as the bound keeps.
    QTest::newRow("lines of a program")
        << QByteArray("output line ") << 80 << frmResultText::kKeepChars / 2 << 0;
    // Bounded by lines: one digit per line still shows thousands of them.
    QTest::newRow("one digit per line") << QByteArray() << 1 << 0 << int(ResultReader::kTailLines);
}

void TestResultWindow::largeFileShowsItsTailWithNote() {
    QFETCH(QByteArray, prefix);
    QFETCH(int, width);
    QFETCH(int, minChars);
    QFETCH(int, minLines);
    Setup s;
    frmResultText* w = s.Open();
    w->Timer1->stop();
    QByteArray big;
    for (int i = 0; big.size() < 5 * 1024 * 1024; ++i) {
        QByteArray line = prefix + QByteArray::number(i % (prefix.isEmpty() ? 10 : 1000000000));
        big += line.leftJustified(width, '.') + '\n';
    }
    WriteFile(s.file, big);
    w->Timer1_Timer();
    const QString shown = Shown(w);
    QVERIFY(w->trimmed());
    QVERIFY(shown.startsWith(frmResultText::kTrimmedNote + u'\n' + QString::fromLatin1(prefix)));
    // Whole lines only.
    QCOMPARE(w->Text1->document()->findBlockByNumber(1).text().size(), width);
    QVERIFY(shown.endsWith(QString::fromLatin1(big.right(30))));
    QVERIFY(shown.size() <= frmResultText::kMaxShownChars);
    QVERIFY(shown.size() > minChars);
    const int lines = w->Text1->document()->blockCount() - 2;  // less the note and the empty last block
    QVERIFY2(lines <= ResultReader::kTailLines && lines >= minLines, qPrintable(QString::number(lines)));
    // The view is at the newest output.
    QScrollBar* bar = w->Text1->verticalScrollBar();
    QCOMPARE(bar->value(), bar->maximum());
    // A small result afterwards comes without the note.
    WriteFile(s.file, "small\n");
    w->Timer1_Timer();
    QCOMPARE(Shown(w), QStringLiteral("small\n"));
    QVERIFY(!w->trimmed());
}

void TestResultWindow::endlessOutputStaysBounded_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("perRound");
    // Long lines reach the bound in characters first, short ones the bound
    // in lines; each round fits one slice.
    QTest::newRow("long lines") << 200 << 300;
    QTest::newRow("short lines") << 0 << int(ResultReader::kSliceLines);
}

void TestResultWindow::endlessOutputStaysBounded() {
    QFETCH(int, width);
    QFETCH(int, perRound);
    Setup s;
    frmResultText* w = s.Open();
    w->Timer1->stop();
    WriteFile(s.file, "");
    w->Timer1_Timer();
    QByteArray chunk;
    for (int i = 0; i < perRound; ++i)
        chunk += ("tick " + QByteArray::number(i)).leftJustified(width, '.') + '\n';
    QVERIFY(chunk.size() <= ResultReader::kSliceBytes);
    qint64 total = 0;
    for (int round = 0; round < 80; ++round) {
        AppendFile(s.file, chunk);
        total += chunk.size();
        w->Timer1_Timer();
        QVERIFY(w->Text1->document()->characterCount() <= frmResultText::kMaxShownChars + 1);
        QVERIFY(w->Text1->document()->blockCount() <= frmResultText::kMaxShownLines + 1);
    }
    QVERIFY(total > 3 * frmResultText::kMaxShownChars);
    QVERIFY(w->trimmed());
    const QString shown = Shown(w);
    QVERIFY(shown.startsWith(frmResultText::kTrimmedNote + u'\n'));
    const QString last = QString::fromLatin1(chunk.right(2 * chunk.size() / perRound));
    QVERIFY(shown.endsWith(last));
    QCOMPARE(w->reader().offset(), total);  // read incrementally to the end
}

void TestResultWindow::endlessLineIsBroken() {
    Setup s;
    frmResultText* w = s.Open();
    w->Timer1->stop();
    WriteFile(s.file, QByteArray(20000, 'x'));
    w->Timer1_Timer();
    AppendFile(s.file, QByteArray(10000, 'y'));
    w->Timer1_Timer();
    const QStringList lines = Shown(w).split(u'\n');
    QCOMPARE(lines.size(), 4);
    for (const QString& line : lines) QVERIFY(line.size() <= LineBreaker::kMaxLineChars);
    QCOMPARE(Shown(w).remove(u'\n'), QString(20000, u'x') + QString(10000, u'y'));
}

void TestResultWindow::watcherShowsChangesWithoutTimer() {
    Setup s;
    frmResultText* w = s.Open();
    w->Timer1->stop();
    WriteFile(s.file, "seen at once\n");
    QTRY_COMPARE_WITH_TIMEOUT(Shown(w), QStringLiteral("seen at once\n"), 500);
    AppendFile(s.file, "and more\n");
    QTRY_COMPARE_WITH_TIMEOUT(Shown(w), QStringLiteral("seen at once\nand more\n"), 500);
    // A rewrite that keeps size and time (within one clock tick) is still
    // reported by the file system and read.
    const FileStamp before = s.fake->files().fileStamp(s.file);
    WriteFile(s.file, "SEEN AT ONCE\nAND MORE\n");
    SetTime(s.file, before.mtimeNs / 1000000000, long(before.mtimeNs % 1000000000));
    QCOMPARE(s.fake->files().fileStamp(s.file), before);
    QTRY_COMPARE_WITH_TIMEOUT(Shown(w), QStringLiteral("SEEN AT ONCE\nAND MORE\n"), 500);
}

void TestResultWindow::watcherFollowsReplacedFile() {
    Setup s;
    frmResultText* w = s.Open();
    w->Timer1->stop();
    for (int i = 0; i < 3; ++i) {
        const QString text = QStringLiteral("replaced %1\n").arg(i);
        ReplaceFile(s.file, text.toLatin1());
        QTRY_COMPARE_WITH_TIMEOUT(Shown(w), text, 500);
        QVERIFY(w->watcher()->files().contains(s.file));
    }
    // A writer still holding the old file open keeps its inode alive; the new
    // file at the path is the one watched.
    QFile held(s.file);
    QVERIFY(held.open(QIODevice::ReadOnly));
    ReplaceFile(s.file, "replaced while held\n");
    QTRY_COMPARE_WITH_TIMEOUT(Shown(w), QStringLiteral("replaced while held\n"), 500);
    AppendFile(s.file, "grown\n");
    QTRY_COMPARE_WITH_TIMEOUT(Shown(w), QStringLiteral("replaced while held\ngrown\n"), 500);
    held.close();
    QVERIFY(QFile::remove(s.file));
    QTRY_COMPARE_WITH_TIMEOUT(Shown(w), QString(), 500);
    WriteFile(s.file, "created again\n");
    QTRY_COMPARE_WITH_TIMEOUT(Shown(w), QStringLiteral("created again\n"), 500);
    AppendFile(s.file, "grown\n");
    QTRY_COMPARE_WITH_TIMEOUT(Shown(w), QStringLiteral("created again\ngrown\n"), 500);
}

void TestResultWindow::storedGeometry_data() {
    QTest::addColumn<QStringList>("stored");  // Top, Left, Height, Width
    QTest::addColumn<double>("twipsPerPixel");
    QTest::addColumn<QRectF>("form");  // Left, Top, Width, Height expected in twips
    const QRectF design(2145, 6375, 7470, 3285);
    QTest::newRow("all four") << QStringList{"3000", "1500", "3000", "9000"} << 15.0
                              << QRectF(1500, 3000, 9000, 3000);
    QTest::newRow("fractions taken as stored")
        << QStringList{"1718.4", "960", "3000", "9000"} << 15.0 << QRectF(960, 1718.4, 9000, 3000);
    QTest::newRow("a zero") << QStringList{"0", "1500", "3000", "9000"} << 15.0 << design;
    QTest::newRow("width past 16 bits") << QStringList{"3000", "1500", "3000", "40000"} << 15.0 << design;
    QTest::newRow("width rounds to even, down")
        << QStringList{"3000", "1500", "3000", "9000.5"} << 15.0 << QRectF(1500, 3000, 9000, 3000);
    QTest::newRow("width rounds to even, up")
        << QStringList{"3000", "1500", "3000", "9001.5"} << 15.0 << QRectF(1500, 3000, 9002, 3000);
    QTest::newRow("width rounding past 16 bits")
        << QStringList{"3000", "1500", "3000", "32767.5"} << 15.0 << design;
    QTest::newRow("damaged huge value") << QStringList{"1e300", "1500", "3000", "9000"} << 15.0 << design;
    // At 12 twips per pixel a stored number is 15/12 of it in twips, and the
    // restored size is not scaled a second time.
    QTest::newRow("dense screen converts, no rescale")
        << QStringList{"3000", "1500", "3000", "9000"} << 12.0 << QRectF(1875, 3750, 11250, 3750);
}

void TestResultWindow::storedGeometry() {
    QFETCH(QStringList, stored);
    QFETCH(double, twipsPerPixel);
    QFETCH(QRectF, form);
    Setup s;
    s.fake->metrics = ScreenMetrics{15.0 * 1920, 15.0 * 1200, twipsPerPixel, twipsPerPixel};
    const char* keys[] = {"ResultTop", "ResultLeft", "ResultHeight", "ResultWidth"};
    for (int i = 0; i < 4; ++i)
        if (!stored[i].isEmpty()) s.fake->presetSetting(kSetting, QLatin1String(keys[i]), stored[i]);
    frmResultText* w = s.Open();
    const FormTwips f = GetForm(w);
    QCOMPARE(f.Left, form.x());
    QCOMPARE(f.Top, form.y());
    QVERIFY2(qAbs(f.Width - form.width()) < 0.01, qPrintable(QString::number(f.Width)));
    QVERIFY2(qAbs(f.Height - form.height()) < 0.01, qPrintable(QString::number(f.Height)));
    // Text1 fills the inner area above the input row and the status line,
    // which reach the bottom edge.
    QTRY_COMPARE(w->Text1->width(), w->centralWidget()->width());
    QCOMPARE(w->Text1->y(), 0);
    const auto at = [w](const QWidget* c) {
        return QRect(c->mapTo(w->centralWidget(), QPoint()), c->size());
    };
    QCOMPARE(at(w->txtInput).y(), w->Text1->geometry().bottom() + 1);
    QCOMPARE(at(w->lblStatus).y(), at(w->txtInput).bottom() + 1);
    QVERIFY(qAbs(at(w->lblStatus).bottom() + 1 - w->centralWidget()->height()) <= 1);
}

void TestResultWindow::designPlaceFitsSmallScreen() {
    Setup s;
    s.fake->metrics = ScreenMetrics{15.0 * 640, 15.0 * 480, 15, 15};
    frmResultText* w = s.Open();
    const FormTwips f = GetForm(w);
    QCOMPARE(f.Left, 9600.0 - 7470);
    QCOMPARE(f.Top, 7200.0 - 3285);
    Result::Discard();
    s.fake->metrics = ScreenMetrics{15.0 * 1024, 15.0 * 768, 15, 15};
    frmResultText* w2 = s.Open();
    const FormTwips g = GetForm(w2);
    QCOMPARE(g.Left, 2145.0);
    QCOMPARE(g.Top, 6375.0);
    // The text keeps the design's inner size; the console rows are below it.
    QTRY_COMPARE(w2->Text1->size(), QSize(7350 / 15, 1950 / 15));
}

void TestResultWindow::unloadWritesFiveKeys() {
    Setup s;
    s.fake->metrics = ScreenMetrics{12.0 * 1920, 12.0 * 1200, 12, 12};
    frmResultText* w = s.Open();
    FormTwips f = GetForm(w);
    f.Left = 2000;
    f.Top = 3000;
    f.Width = 8000;
    f.Height = 2500;
    SetForm(w, f);
    s.fake->writes.clear();
    const int rewrites = s.fake->storeRewrites();
    Result::Close();
    QCOMPARE(s.fake->storeRewrites(), rewrites + 1);
    QStringList keys;
    for (const auto& write : s.fake->writes) keys << write.key;
    QCOMPARE(keys,
             (QStringList{"ResultTop", "ResultLeft", "ResultHeight", "ResultWidth", "ResultFormBefore"}));
    QCOMPARE(s.fake->storedValue(kSetting, QStringLiteral("ResultTop")), QStringLiteral("2400"));
    QCOMPARE(s.fake->storedValue(kSetting, QStringLiteral("ResultLeft")), QStringLiteral("1600"));
    QCOMPARE(s.fake->storedValue(kSetting, QStringLiteral("ResultHeight")), QStringLiteral("2000"));
    QCOMPARE(s.fake->storedValue(kSetting, QStringLiteral("ResultWidth")), QStringLiteral("6400"));
    QCOMPARE(s.fake->storedValue(kSetting, QStringLiteral("ResultFormBefore")), QStringLiteral("False"));
}

void TestResultWindow::minimizedKeepsNormalGeometry() {
    Setup s;
    frmResultText* w = s.Open();
    FormTwips f = GetForm(w);
    f.Left = 1500;
    f.Top = 3000;
    SetForm(w, f);
    QCoreApplication::processEvents();
    w->showMinimized();
    QVERIFY(w->isMinimized());
    // What a window manager may report of an iconified window.
    w->move(-32000, -32000);
    w->resize(160, 30);
    QCoreApplication::processEvents();
    Result::Close();
    QCOMPARE(s.fake->storedValue(kSetting, QStringLiteral("ResultLeft")), QStringLiteral("1500"));
    QCOMPARE(s.fake->storedValue(kSetting, QStringLiteral("ResultTop")), QStringLiteral("3000"));
    QCOMPARE(s.fake->storedValue(kSetting, QStringLiteral("ResultWidth")), QStringLiteral("7470"));
    QCOMPARE(s.fake->storedValue(kSetting, QStringLiteral("ResultHeight")), QStringLiteral("3285"));
}

void TestResultWindow::alwaysOnTop_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("on");
    QTest::newRow("True") << "True" << true;
    QTest::newRow("lower case") << "true" << false;
    QTest::newRow("False") << "False" << false;
    QTest::newRow("absent") << "" << false;
}

void TestResultWindow::alwaysOnTop() {
    QFETCH(QString, stored);
    QFETCH(bool, on);
    Setup s;
    if (!stored.isEmpty()) s.fake->presetSetting(kSetting, QStringLiteral("ResultFormBefore"), stored);
    frmResultText* w = s.Open();
    QCOMPARE(s.fake->topmostCalls, QList<bool>{on});
    QCOMPARE(w->mnuBefore->isChecked(), on);
    // The menu item flips it; only closing writes it.
    w->mnuBefore->trigger();
    QCOMPARE(s.fake->topmostCalls, (QList<bool>{on, !on}));
    QCOMPARE(w->mnuBefore->isChecked(), !on);
    QVERIFY(s.fake->writes.isEmpty());
    Result::Close();
    QCOMPARE(s.fake->storedValue(kSetting, QStringLiteral("ResultFormBefore")), FlagText(!on));
}

void TestResultWindow::oneWindowAndTimeOutlivesIt() {
    Setup s;
    frmResultText* w = s.Open();
    w->Timer1->stop();
    QCOMPARE(s.Open(), w);
    QCOMPARE(s.fake->topmostCalls.size(), 1);
    WriteFile(s.file, "shown once\n");
    w->Timer1_Timer();
    QCOMPARE(Shown(w), QStringLiteral("shown once\n"));
    Result::Close();
    // Opened again at once, a fresh window comes up empty: what was seen is
    // not shown again until the file changes.
    frmResultText* again = s.Open();
    QVERIFY(again != w || again->Text1->toPlainText().isEmpty());
    again->Timer1->stop();
    again->Timer1_Timer();
    QCOMPARE(Shown(again), QString());
    AppendFile(s.file, "next\n");
    again->Timer1_Timer();
    QCOMPARE(Shown(again), QStringLiteral("shown once\nnext\n"));
}

void TestResultWindow::endClosesOnlyThisWindow() {
    Setup s;
    QWidget main;
    main.setWindowIcon(QIcon(QPixmap(16, 16)));
    Result::SetMainWindow(&main);
    const OnExit unset([] { Result::SetMainWindow(nullptr); });
    main.show();
    frmResultText* w = s.Open();
    QCOMPARE(w->windowIcon().cacheKey(), main.windowIcon().cacheKey());
    QPointer<frmResultText> guard(w);
    s.fake->writes.clear();
    w->mnuEnd->trigger();
    QCOMPARE(s.fake->writes.size(), 5);
    QTRY_VERIFY(!guard);
    QVERIFY(!Result::Current());
    QVERIFY(main.isVisible());
}

// The main window's exit command ends the program without the result
// window's close step.
void TestResultWindow::discardWritesNothing() {
    Setup s;
    QPointer<QWidget> w = s.Open();
    Result::Discard();
    QVERIFY(!w);
    QVERIFY(!Result::Current());
    QVERIFY(s.fake->writes.isEmpty());
}

QTEST_MAIN(TestResultWindow)
#include "tst_resultwindow.moc"
