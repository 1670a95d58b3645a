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
    void ruleNamesAreUnique();
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
    QTest::newRow("another message") << "incompatible types: int cannot be converted to String"
                                     << "" << -1 << none << none << "";
    QTest::newRow("a header without a modifier")
        << "';' expected"
        << "    int nibai(int x)" << 20 << none << none << "この行の終わりに { ";
    QTest::newRow("a returned call is no header")
        << "';' expected"
        << "        return max(a, b)" << 24 << none << none << "この行の終わりに ; ";
    QTest::newRow("a call is no header") << "';' expected"
                                         << "        show(x)" << 15 << none << none << "この行の終わりに ; ";
    QTest::newRow("full-width parenthesis")
        << "illegal character: '\\uff08'"
        << "" << -1 << none << none << "全角の「（」が入っています。半角の (";
    QTest::newRow("an invisible character") << "'\\u00a0'は不正な文字です"
                                            << "" << -1 << none << none << "";
    QTest::newRow("a local with final alone") << "illegal start of expression"
                                              << "        final int x = 1;" << 8 << none << none << "";
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
    QTest::newRow("another exception") << "java.lang.IllegalStateException"
                                       << "/ by zero" << own << "";
    QTest::newRow("division inside the JDK") << "java.lang.ArithmeticException"
                                             << "/ by zero" << QStringList{"java.util.Lib.f"} << "";
    QTest::newRow("recursion inside the JDK")
        << "java.lang.StackOverflowError"
        << "" << QStringList{"java.util.AbstractCollection.toString"} << "";
    QTest::newRow("a file by its full path")
        << "java.io.FileNotFoundException"
        << "/home/u/data.txt (No such file or directory)" << QStringList{"java.io.FileInputStream.open0"}
        << "ファイル /home/u/data.txt が見つかりません。場所と名前";
    QTest::newRow("a file that cannot be read")
        << "java.io.FileNotFoundException"
        << "data.txt (Permission denied)" << QStringList{"java.io.FileInputStream.open0"} << "";
    QTest::newRow("an empty list") << "java.lang.IndexOutOfBoundsException"
                                   << "Index 0 out of bounds for length 0"
                                   << QStringList{"java.util.Objects.checkIndex", "java.util.ArrayList.get"}
                                   << "空のリスト (要素 0 個) の位置 0";
    QTest::newRow("index of something else")
        << "java.lang.IndexOutOfBoundsException"
        << "Index 0 out of bounds for length 0" << QStringList{"java.util.Objects.checkIndex"} << "";
    QTest::newRow("cast between the learner's classes")
        << "java.lang.ClassCastException"
        << "class Dog cannot be cast to class Cat (Dog and Cat are in unnamed module of loader 'app')" << own
        << "Dog の値を (Cat) で Cat に変えようとしました。キャスト (型名を ( ) で書くこと) "
           "では、値の種類は変わりません。";
    QTest::newRow("a word for nextDouble")
        << "java.util.InputMismatchException"
        << ""
        << QStringList{"java.util.Scanner.throwFor", "java.util.Scanner.next", "java.util.Scanner.nextDouble"}
        << "nextDouble が読めるのは数";
    QTest::newRow("a decimal for Double")
        << "java.lang.NumberFormatException"
        << "For input string: \"3.5.1\""
        << QStringList{"jdk.internal.math.FloatingDecimal.readJavaFormatString",
                       "java.lang.Double.parseDouble"}
        << "「3.5.1」は数に変換できません";
}

void TestLearnerHints::crashes() {
    QFETCH(QString, type);
    QFETCH(QString, message);
    QFETCH(QStringList, framesAbove);
    QFETCH(QString, hint);
    const QString got = ForCrash({type, message, framesAbove}, QStringLiteral("/home/u/my folder"));
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
        {"variable fo", "for (;;) {}", ""},                                // short, and a keyword
        {"variable scanner", "Scanner sc = new Scanner(System.in);", ""},  // left to the JDK rule
        {"variable ten2", "int ten1 = 80;", ""},                           // a numbered set
        {"method keisan2", "int keisan(int x) { return x; }", ""}};
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

void TestLearnerHints::ruleNamesAreUnique() {
    const QStringList names = RuleNames();
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
}

QTEST_GUILESS_MAIN(TestLearnerHints)
#include "tst_learnerhints.moc"
