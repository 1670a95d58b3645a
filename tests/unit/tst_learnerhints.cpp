// The hint rules on their own: each gives its hint only when it is sure. (The
// hints under real javac and java output are tested in tst_problemlines.)
#include "result/LearnerHints.h"

#include <QtTest>

using namespace LearnerHints;

class TestLearnerHints : public QObject {
    Q_OBJECT
private slots:
    void compilerMessages_data();
    void compilerMessages();
    void crashes_data();
    void crashes();
    void nearNameIsSureOrSilent();
    void fewRules();
};

void TestLearnerHints::compilerMessages_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("sourceLine");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QStringList>("details");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("hint");  // the hint's start after the prefix; "" for none

    const QStringList none;
    QTest::newRow("semicolon inside the line")
        << "';' expected"
        << "        for (int i = 0 i < 3; i++) {" << 22 << none << none << "";
    QTest::newRow("semicolon at the end, trailing blanks")
        << "';' expected"
        << "    int x = 1   " << 13 << none << none << "この行の終わりに ; ";
    QTest::newRow("brace after a header with throws")
        << "';' expected"
        << "    public static void main(String[] a) throws Exception" << 56 << none << none
        << "この行の終わりに { ";
    QTest::newRow("no caret") << "';' expected"
                              << "    int x = 1" << -1 << none << none << "";
    QTest::newRow("illegal start, not a declaration") << "illegal start of expression"
                                                      << "        x = = 3;" << 12 << none << none << "";
    QTest::newRow("private method after an unclosed one")
        << "式の開始が不正です"
        << "    private int f() {" << 4 << none << none << "この行より前で } ";
    QTest::newRow("symbol with no near source")
        << "cannot find symbol"
        << "x" << 0 << QStringList{"  symbol:   class Helpr"} << QStringList{"Helper.java"} << "";
    QTest::newRow("symbol whose source is there as written")
        << "cannot find symbol"
        << "x" << 0 << QStringList{"  symbol:   class helper"} << QStringList{"Helper.java", "helper.java"}
        << "";
    QTest::newRow("a file named in lower case")
        << "シンボルを見つけられません"
        << "x" << 0 << QStringList{"  シンボル:   クラス Helper", "  場所: クラス Main"}
        << QStringList{"Main.java", "helper.java"} << "フォルダに helper.java があります。Helper は helper ";
    QTest::newRow("a method is not a file")
        << "cannot find symbol"
        << "x" << 0 << QStringList{"  symbol:   method helper()"} << QStringList{"Helper.java"} << "";
    QTest::newRow("public interface in the wrong file")
        << "interface Shape is public, should be declared in a file named Shape.java"
        << "" << -1 << none << none << "public クラス Shape は Shape.java ";
    QTest::newRow("another message") << "incompatible types: String cannot be converted to int"
                                     << "" << -1 << none << none << "";
}

void TestLearnerHints::compilerMessages() {
    QFETCH(QString, message);
    QFETCH(QString, sourceLine);
    QFETCH(int, caret);
    QFETCH(QStringList, details);
    QFETCH(QStringList, files);
    QFETCH(QString, hint);
    CompilerMessage m{QStringLiteral("dir/Main.java"), message, sourceLine, caret, details};
    const QString got = ForMessage(m, [files] { return files; });
    if (hint.isEmpty()) {
        QVERIFY2(got.isEmpty(), qPrintable(got));
    } else {
        QVERIFY2(got.startsWith(kPrefix + hint), qPrintable(got));
    }
}

void TestLearnerHints::crashes_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("framesAbove");
    QTest::addColumn<QString>("hint");

    const QStringList own;
    QTest::newRow("no such element, not from a scanner")
        << "java.util.NoSuchElementException"
        << "" << QStringList{"java.util.ArrayList$Itr.next"} << "";
    QTest::newRow("null inside the JDK") << "java.lang.NullPointerException"
                                         << "" << QStringList{"java.util.Objects.requireNonNull"} << "";
    QTest::newRow("null in a local without a name")
        << "java.lang.NullPointerException"
        << "Cannot invoke \"String.length()\" because \"<local1>\" is null" << own
        << "null (何も入っていない変数)";
    QTest::newRow("null returned")
        << "java.lang.NullPointerException"
        << "Cannot invoke \"String.trim()\" because the return value of \"A.f()\" is null" << own
        << "null (何も入っていない変数)";
    QTest::newRow("negative index") << "java.lang.ArrayIndexOutOfBoundsException"
                                    << "Index -1 out of bounds for length 4" << own
                                    << "長さ 4 の配列に添字 -1 を使いました。使える添字は 0 から 3 まで";
    QTest::newRow("index in other words") << "java.lang.ArrayIndexOutOfBoundsException"
                                          << "5" << own << "配列の範囲の外";
    QTest::newRow("index thrown by a copy") << "java.lang.ArrayIndexOutOfBoundsException"
                                            << "arraycopy: last source index 7 out of bounds for int[3]"
                                            << QStringList{"java.lang.System.arraycopy"} << "";
    QTest::newRow("empty input") << "java.lang.NumberFormatException"
                                 << "For input string: \"\"" << QStringList{"java.lang.Integer.parseInt"}
                                 << "空の文字列";
    QTest::newRow("radix") << "java.lang.NumberFormatException"
                           << "For input string: \"zz\" under radix 16"
                           << QStringList{"java.lang.Integer.parseInt"} << "「zz」は数に変換できません";
    QTest::newRow("number from a library of the learner's")
        << "java.lang.NumberFormatException"
        << "For input string: \"x\"" << QStringList{"org.lib.Parse.run"} << "";
    QTest::newRow("null string") << "java.lang.NumberFormatException"
                                 << "Cannot parse null string: null"
                                 << QStringList{"java.lang.Integer.parseInt"} << "";
    QTest::newRow("another exception") << "java.lang.ArithmeticException"
                                       << "/ by zero" << own << "";
}

void TestLearnerHints::crashes() {
    QFETCH(QString, type);
    QFETCH(QString, message);
    QFETCH(QStringList, framesAbove);
    QFETCH(QString, hint);
    const QString got = ForCrash({type, message, framesAbove});
    if (hint.isEmpty()) {
        QVERIFY2(got.isEmpty(), qPrintable(got));
    } else {
        QVERIFY2(got.startsWith(kPrefix + hint), qPrintable(got));
    }
}

// A near name is hinted only when it is the one name that fits.
void TestLearnerHints::nearNameIsSureOrSilent() {
    const char* const rows[][3] = {
        // the missing symbol, the source, the hint's start ("" for none)
        {"variable sun", "int sum = 0, run = 1;", ""},
        {"variable sum", "int Sum = 0, sun = 1;", "変数 sum はありません。Sum "},  // case first
        {"variable totl", "// total\n/* total */ String s = \"total \\\" total\";", ""},
        {"variable fo", "for (;;) {}", ""},                                 // short, and a keyword
        {"variable scanner", "Scanner sc = new Scanner(System.in);", ""}};  // left to the JDK rule
    for (const auto& row : rows) {
        const CompilerMessage m{QStringLiteral("A.java"),
                                QStringLiteral("cannot find symbol"),
                                QString(),
                                0,
                                {QStringLiteral("  symbol:   ") + QString::fromUtf8(row[0])}};
        const QString got = ForMessage(m, {}, [&row](const QString&) { return QString::fromUtf8(row[1]); });
        const QString hint = QString::fromUtf8(row[2]);
        QVERIFY2(hint.isEmpty() ? got.isEmpty() : got.startsWith(kPrefix + hint), qPrintable(got));
    }
}

void TestLearnerHints::fewRules() {
    const QStringList names = RuleNames();
    QVERIFY(names.size() <= 12);
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
}

QTEST_GUILESS_MAIN(TestLearnerHints)
#include "tst_learnerhints.moc"
