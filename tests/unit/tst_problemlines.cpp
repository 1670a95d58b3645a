// The lines of a result that lead to a source: messages of the real javac and
// traces of the real java (captured by tests/data/problems/capture.sh, in
// English and in Japanese), fed whole and in pieces, and the hints under them.
#include "result/ProblemLines.h"
#include "result/ResultReader.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QtTest>

using namespace ProblemLines;

namespace {

constexpr qsizetype kMaxLineChars = LineBreaker::kMaxLineChars;

// Feeds text to a scanner in the lines the result file's reader makes of it.
struct Reader {
    ProblemScanner& scanner;
    LineBreaker lines{};
    void append(QStringView text) {
        const LineBreaker::Piece piece = lines.feed(text);
        for (const LineBreaker::Line& l : piece.lines)
            scanner.addLine(QStringView(piece.text).sliced(l.from, l.size), l.continued);
    }
    void finish() {
        if (!lines.unfinished().isEmpty()) scanner.addLine(lines.unfinished(), lines.unfinishedContinues());
        lines.reset();
        scanner.finish();
    }
};

const QString kCapture = QStringLiteral("/tmp/quenlark-capture");

QString ReadData(const QString& name) {
    QFile f(QStringLiteral(QLK_TEST_DATA "/problems/") + name);
    if (!f.open(QIODevice::ReadOnly)) qFatal("missing test data %s", qPrintable(name));
    return QString::fromUtf8(f.readAll());
}

// A run folder whose files are the given names (relative to it).
Folder FakeFolder(const QString& path, const QStringList& files, int* asked = nullptr) {
    Folder folder;
    folder.path = path;
    folder.fileExists = [path, files, asked](const QString& file) {
        if (asked) ++*asked;
        return file.startsWith(path + u'/') && files.contains(file.mid(path.size() + 1));
    };
    folder.files = [files] {
        QStringList names;
        for (const QString& f : files)
            if (!f.contains(u'/')) names << f;
        return names;
    };
    // The sources themselves, where a capture kept one beside its output.
    folder.source = [](const QString& file) {
        QFile f(QStringLiteral(QLK_TEST_DATA "/problems/") + QFileInfo(file).fileName() +
                QStringLiteral(".txt"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    };
    return folder;
}

// "E 0 Semi.java:3", "F 5 Ask.java:6", "X 0 >5 Ask.java:6" (an exception
// line and its first linked frame); paths relative to the folder.
QStringList Render(const ProblemScanner& scanner, const QString& folder) {
    QStringList out;
    for (const Problem& p : scanner.problems()) {
        static const char kinds[] = {'E', 'W', 'F', 'X'};
        QString file = p.file;
        if (file.startsWith(folder + u'/')) file = file.mid(folder.size() + 1);
        QString s = QStringLiteral("%1 %2").arg(QChar::fromLatin1(kinds[int(p.kind)])).arg(p.line);
        if (p.kind == Kind::Exception && p.target >= 0) s += QStringLiteral(" >%1").arg(p.target);
        if (p.opens()) s += QStringLiteral(" %1:%2").arg(file).arg(p.fileLine);
        out << s;
    }
    return out;
}

QStringList RenderHints(std::vector<Hint> hints) {
    QStringList out;
    for (const Hint& h : hints) out << QStringLiteral("%1 %2").arg(h.afterLine).arg(h.text);
    return out;
}

struct Result {
    QStringList problems, hints;
    Counts counts;
    qint64 lines = 0;
};

// Feeds the text in pieces cut at the given places.
Result Feed(const QString& text, const Folder& folder, const QList<qsizetype>& cuts = {}) {
    ProblemScanner scanner(folder);
    Reader feed{scanner};
    qsizetype from = 0;
    for (qsizetype cut : cuts) {
        feed.append(QStringView(text).sliced(from, cut - from));
        from = cut;
    }
    feed.append(QStringView(text).sliced(from));
    feed.finish();
    return {Render(scanner, folder.path), RenderHints(scanner.takeHints()), scanner.counts(),
            scanner.lineCount()};
}

}  // namespace

class TestProblemLines : public QObject {
    Q_OBJECT
private slots:
    void capturedOutput_data();
    void capturedOutput();
    void hintOnEveryJdk_data();
    void hintOnEveryJdk();
    void anySplitGivesTheSameResult_data();
    void anySplitGivesTheSameResult();
    void readsOneLine_data();
    void readsOneLine();
    void brokenLongLines();
    void hugeOutput();
    void movingBetweenProblems();
    void forgettingTrimmedLines();
    void hintWaitsForTheLinesUnderItsMessage();
    void countsText_data();
    void countsText();
    void summaryStandsForTrimmedMessages();
};

void TestProblemLines::capturedOutput_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("problems");
    QTest::addColumn<int>("errors");
    QTest::addColumn<int>("warnings");
    QTest::addColumn<QStringList>("hints");  // "LINE start of the hint"

    const QString myFolder = kCapture + QStringLiteral("/my folder");
    struct Row {
        const char* name;
        QString folder;
        QStringList files, problems;
        int errors, warnings;
        QStringList hints;
    };
    const QList<Row> rows = {
        {"semicolon.javac",
         kCapture,
         {"Semi.java"},
         {"E 0 Semi.java:3"},
         1,
         0,
         {"2 ヒント: この行の終わりに ; (セミコロン)"}},
        {"eof-brace.javac",
         kCapture,
         {"Brace.java"},
         {"E 0 Brace.java:6"},
         1,
         0,
         {"2 ヒント: } が足りません"}},
        {"method-brace.javac",
         kCapture,
         {"Mid.java"},
         {"E 0 Mid.java:5"},
         1,
         0,
         {"2 ヒント: この行より前で } が足りない"}},
        {"open-brace.javac",
         kCapture,
         {"Open.java"},
         {"E 0 Open.java:2", "E 3 Open.java:5"},
         2,
         0,
         {"2 ヒント: この行の終わりに { が足りない"}},
        {"public-name.javac",
         kCapture,
         {"Hello.java"},
         {"E 0 Hello.java:1"},
         1,
         0,
         {"2 ヒント: public クラス Hallo は Hallo.java という名前のファイルに書きます。クラス名とファイル名 "
          "(Hello.java)"}},
        // Three messages name "helper" while Helper.java is there: one hint;
        // "count" has no near source: none.
        {"case-symbol.javac",
         kCapture,
         {"UseHelper.java", "Helper.java"},
         {"E 0 UseHelper.java:3", "E 5 UseHelper.java:3", "E 10 UseHelper.java:4", "E 15 UseHelper.java:5"},
         4,
         0,
         {"4 ヒント: フォルダに Helper.java があります。helper は Helper の書き間違い"}},
        {"warning.javac",
         kCapture,
         {"Warn.java"},
         {"W 0 Warn.java:6", "E 3 Warn.java:9"},
         1,
         1,
         {"5 ヒント: \"text\" は文字列 (String) なので、int には入りません"}},
        {"spaced-absolute.javac", kCapture, {}, {"E 0 my folder/Spaced.java:3"}, 1, 0, {}},
        {"package.javac",
         myFolder,
         {"shapes/Cube.java"},
         {"E 0 shapes/Cube.java:4"},
         1,
         0,
         {"2 ヒント: \"1\" は \" \" で囲まれているので文字列 (String) です。数として使うなら \" \" "
          "を付けずに 1"}},
        // Four frames of the JDK's own classes stand before the learner's,
        // even with a Scanner.java of the learner's in the folder.
        {"scanner-int.java",
         kCapture,
         {"Ask.java", "Scanner.java"},
         {"X 0 >5 Ask.java:6", "F 5 Ask.java:6"},
         0,
         0,
         {"5 ヒント: 入力が足りません"}},
        {"scanner-line.java",
         kCapture,
         {"AskLine.java"},
         {"X 0 >2 AskLine.java:6", "F 2 AskLine.java:6"},
         0,
         0,
         {"2 ヒント: 入力が足りません"}},
        {"null.java",
         kCapture,
         {"Npe.java"},
         {"X 1 >2 Npe.java:5", "F 2 Npe.java:5"},
         0,
         0,
         {"2 ヒント: Npe.name が null のまま"}},
        {"array.java",
         kCapture,
         {"Arr.java"},
         {"X 0 >1 Arr.java:5", "F 1 Arr.java:5"},
         0,
         0,
         {"1 ヒント: 長さ 3 の配列に添字 3 を使いました。使える添字は 0 から 2 まで"}},
        {"number.java",
         kCapture,
         {"Num.java"},
         {"X 0 >4 Num.java:4", "F 4 Num.java:4"},
         0,
         0,
         {"4 ヒント: 「12a」は数に変換できません"}},
        // The cause's trace leads to its own first frame; the wrapping
        // exception has no hint.
        {"wrapped.java",
         kCapture,
         {"Wrap.java"},
         {"X 0 >1 Wrap.java:6", "F 1 Wrap.java:6", "F 2 Wrap.java:10", "X 3 >7 Wrap.java:4",
          "F 7 Wrap.java:4"},
         0,
         0,
         {"7 ヒント: 「x」は数に変換できません"}},
        {"nested.java",
         myFolder,
         {"shapes/Box.java"},
         {"X 0 >1 shapes/Box.java:6", "F 1 shapes/Box.java:6", "F 2 shapes/Box.java:10"},
         0,
         0,
         {"1 ヒント: 長さ 0 の配列に添字 0 を使いました。この配列には要素がありません"}},
        {"nested.java",
         myFolder,
         {"Box.java"},
         {"X 0 >1 Box.java:6", "F 1 Box.java:6", "F 2 Box.java:10"},
         0,
         0,
         {"1 ヒント: 長さ 0"}},
        // "totl" and "shw" are one letter from a name of the source, "Total"
        // differs in case; "count" is near nothing.
        {"near-name.javac",
         kCapture,
         {"Sum.java"},
         {"E 0 Sum.java:7", "E 5 Sum.java:8", "E 10 Sum.java:9", "E 15 Sum.java:10"},
         4,
         0,
         {"4 ヒント: 変数 totl はありません。total の書き間違い",
          "9 ヒント: 変数 Total はありません。total の書き間違いではありませんか (大文字",
          "14 ヒント: メソッド shw はありません。show の書き間違い",
          "19 ヒント: 変数 count はどこにも宣言されていません"}},
        {"lower-case.javac",
         kCapture,
         {"Lower.java"},
         {"E 0 Lower.java:5", "E 5 Lower.java:6", "E 10 Lower.java:7"},
         3,
         0,
         {"4 ヒント: scanner ではなく Scanner と書きます", "9 ヒント: string ではなく String",
          "12 ヒント: system ではなく System"}},
        {"applet-removal.javac",
         kCapture,
         {"AppletHello.java"},
         {"W 0 AppletHello.java:4"},
         0,
         1,
         {"2 ヒント: これは警告で、エラーではありません。"}},
        {"mismatch.java",
         kCapture,
         {"Ask.java"},
         {"X 0 >5 Ask.java:6", "F 5 Ask.java:6"},
         0,
         0,
         {"5 ヒント: nextInt が読めるのは整数 (12 や -5) だけです"}},
        // The trace's head after a prompt printed without a line break.
        {"prompt.java",
         kCapture,
         {"AskPrompt.java"},
         {"X 0 >5 AskPrompt.java:7", "F 5 AskPrompt.java:7"},
         0,
         0,
         {"5 ヒント: 入力が足りません"}},
        // The launcher's message of three lines, the hint under the last.
        {"no-main.java",
         kCapture,
         {"NoMain.java"},
         {},
         0,
         0,
         {"2 ヒント: クラス NoMain に、実行を始める main"}},
        // No source in the folder: nothing to open, and no hint.
        {"array.java", kCapture, {}, {"X 0"}, 0, 0, {}},
    };
    QSet<QString> names;
    for (const Row& row : rows) {
        for (const char* language : {"en", "ja"}) {
            const QString file =
                QStringLiteral("%1.%2.txt").arg(QLatin1String(row.name), QLatin1String(language));
            QString tag = file;
            while (names.contains(tag)) tag += u'+';
            names.insert(tag);
            QTest::newRow(qPrintable(tag))
                << file << row.folder << row.files << row.problems << row.errors << row.warnings << row.hints;
        }
    }
}

void TestProblemLines::capturedOutput() {
    QFETCH(QString, file);
    QFETCH(QString, folder);
    QFETCH(QStringList, files);
    QFETCH(QStringList, problems);
    QFETCH(int, errors);
    QFETCH(int, warnings);
    QFETCH(QStringList, hints);

    const Result r = Feed(ReadData(file), FakeFolder(folder, files));
    QCOMPARE(r.problems, problems);
    QCOMPARE(r.counts.errors, errors);
    QCOMPARE(r.counts.warnings, warnings);
    QCOMPARE(r.hints.size(), hints.size());
    for (qsizetype i = 0; i < hints.size(); ++i)
        QVERIFY2(r.hints[i].startsWith(hints[i]), qPrintable(r.hints[i]));
}

// The captures of each JDK: 17's beside the script, 21's and 25's where
// their text differs.
static void AddEveryJdk(const char* name, const QStringList& files, const QStringList& hints) {
    for (const char* jdk : {"", "jdk21/", "jdk25/"}) {
        for (const char* language : {"en", "ja"}) {
            QString file = QStringLiteral("%1%2.%3.txt")
                               .arg(QLatin1String(jdk), QLatin1String(name), QLatin1String(language));
            if (!QFileInfo::exists(QStringLiteral(QLK_TEST_DATA "/problems/") + file))
                file = QStringLiteral("%1.%2.txt").arg(QLatin1String(name), QLatin1String(language));
            QTest::addRow("%s%s %s", jdk, name, language) << file << files << hints;
        }
    }
}

// Each hint under the real output of the mistake it explains, the same on
// JDK 17, 21 and 25 in both languages, and no other hint under that output.
void TestProblemLines::hintOnEveryJdk_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("hints");  // the start of each hint after its prefix
    struct Row {
        const char* name;
        QStringList files, hints;
    };
    // The number of the mistake in the list of what learners hit, then
    // the capture, the sources in its folder and the hints.
    const QList<Row> rows = {
        // 1, 2: a missing ";" at a line's end or before its comment.
        {"semicolon.javac", {"Semi.java"}, {"この行の終わりに ; (セミコロン)"}},
        {"semi-comment.javac",
         {"SemiComment.java"},
         {"; (セミコロン) が足りないようです。文の終わり (コメントの前)"}},
        // 3, 4, 5: names misspelt or never declared.
        {"near-name.javac",
         {"Sum.java"},
         {"変数 totl はありません。total の",
          "変数 Total はありません。total の書き間違いではありませんか (大文字",
          "メソッド shw はありません。show の", "変数 count はどこにも宣言されていません"}},
        // "ten2 = 90;" with a ten1: a declaration without its type, never
        // a misspelt ten1.
        {"undeclared-assign.javac",
         {"Ten.java"},
         {"変数 ten2 は宣言されていません。新しい変数なら、型を付けて int ten2 = 90; と宣言します。",
          "変数 ten2 はどこにも宣言されていません"}},
        // kazu after its loop, with a kazu2 elsewhere: out of its braces.
        {"out-of-scope.javac", {"Kazu.java"}, {"変数 kazu は宣言されていますが、ここでは使えません"}},
        {"own-method.javac", {"OwnMethod.java"}, {"クラス OwnMethod にはメソッド keisan がありません"}},
        // 6, 7, 8: names of the JDK.
        {"jdk-method-case.javac",
         {"JdkCase.java"},
         {"nextint ではなく nextInt と書きます", "Length ではなく length と書きます"}},
        {"print-case.javac",
         {"PrintCase.java"},
         {"Println ではなく println と書きます", "Sqrt ではなく sqrt と書きます"}},
        {"package-typo.javac", {"Typo.java"}, {"Sytem ではなく System と書きます"}},
        {"lower-case.javac",
         {"Lower.java"},
         {"scanner ではなく Scanner", "string ではなく String", "system ではなく System"}},
        {"no-import.javac",
         {"NoImport.java"},
         {"Scanner を使うには、ファイルの先頭 (class の行より前) に import java.util.Scanner;"}},
        // 9, 10: an array's length(), a string's length, new forgotten.
        {"length.javac",
         {"Len.java"},
         {"配列の長さは ( ) を付けずに 配列名.length",
          "文字列 (String) の長さは ( ) を付けて 変数名.length()"}},
        {"no-new.javac", {"NoNew.java"}, {"Scanner はクラスです。オブジェクトを作るときは、前に new"}},
        // 11, 12: "(" left open, "(" closed by "]".
        {"paren.javac", {"Paren.java"}, {"( に対応する ) が足りません"}},
        {"bracket.javac", {"Bracket.java"}, {"( に対応する ) が足りません", "( を ] で閉じています"}},
        // 13, 14: statements outside a method, lines outside the class.
        {"extra-brace.javac",
         {"ExtraBrace.java"},
         {"この行はメソッドの外 (クラスの { } のすぐ内側)", "この行はクラスの { } の外にあります"}},
        {"extra-end.javac", {"ExtraEnd.java"}, {"この行はクラスの { } の外にあります"}},
        {"outside.javac", {"Outside.java"}, {"この行はメソッドの外 (クラスの { } のすぐ内側)"}},
        // 15, 16, 17: literals and full-width characters.
        {"quote.javac", {"Quote.java"}, {"文字列の \" が閉じていません"}},
        {"char-literal.javac", {"CharLit.java"}, {"' ' で囲めるのは 1 文字 (char) だけです"}},
        {"zenkaku.javac",
         {"Zenkaku.java"},
         {"全角の空白が入っています", "全角の「；」が入っています。半角の ; で"}},
        // 18, 19: conditions.
        {"assign-if.javac",
         {"AssignIf.java"},
         {"= は値を入れる記号 (代入) です。等しいか比べるときは == と書きます: (x == 100)"}},
        {"if-semi.javac",
         {"IfSemi.java"},
         {"if (…) のすぐ後に ; があるので、if はそこで終わっています。4 行目の if"}},
        // 20 to 37.
        {"no-return.javac",
         {"NoReturn.java"},
         {"値を返すメソッドなのに、return を通らずに終わる道があります"}},
        {"args.javac",
         {"Args.java"},
         {"メソッド add が受け取る引数は (int,int) ですが、呼び出しでは (int) を",
          "\"1\" は \" \" で囲まれているので文字列"}},
        {"string-int.javac",
         {"StrInt.java"},
         {"\"20\" は \" \" で囲まれているので文字列 (String) です。数として使うなら \" \" を付けずに 20",
          "nextLine() が読むのは 1 行の文字列"}},
        {"lossy.javac", {"Lossy.java"}, {"double の値は、そのままでは int の変数に入りません"}},
        {"non-static.javac",
         {"NonStatic.java"},
         {"main は static なので、static の付いていないメソッド show を",
          "main は static なので、static の付いていない変数 count を"}},
        {"uninit.javac", {"Uninit.java"}, {"変数 total に値が入らないまま使われることがあります"}},
        {"not-statement.javac",
         {"NotStmt.java"},
         {"この行は計算するだけで、その結果をどこにも入れていません。x = x + 1;"}},
        {"string-gt.javac", {"StrGt.java"}, {"文字列 (String) と数は > で比べられません"}},
        {"twice.javac", {"Twice.java"}, {"変数 x はこのメソッドの中ですでに宣言されています"}},
        {"unreachable.javac", {"Unreach.java"}, {"この文は実行されることがありません"}},
        {"no-type.javac", {"NoType.java"}, {"メソッドの名前の前には戻り値の型が要ります"}},
        {"for-comma.javac", {"ForComma.java"}, {"for の ( ) の中は , ではなく ; で"}},
        {"header-semi.javac", {"HeadSemi.java"}, {"メソッドの ( ) の後に ; があります"}},
        {"type-call.javac",
         {"TypeCall.java"},
         {"メソッドを呼ぶときは、引数に型を書きません。wa(int a, int b) ではなく wa(a, b)"}},
        {"io.javac", {"Io.java"}, {"ここで呼んでいるメソッドは IOException (例外) を投げることがあります"}},
        {"void-use.javac",
         {"VoidUse.java"},
         {"void のメソッドは値を返せません", "値を返さない (void の) メソッドの結果を使おうとしています"}},
        {"deref.javac", {"Deref.java"}, {"int は数や文字そのもの (基本型) なので"}},
        {"public-name.javac", {"Hello.java"}, {"public クラス Hallo は Hallo.java"}},
        // A modifier on a variable inside a method: the modifier goes, the
        // errors javac gives after it get no hint.
        {"modifier-local.javac",
         {"ModLocal.java"},
         {"メソッドの中の変数には public、private、static を付けません。int kaisu = 0; と"}},
        {"modifier-private.javac",
         {"ModPrivate.java"},
         {"メソッドの中の変数には public、private、static を付けません。int count; と"}},
        // A method header without "{", with or without a modifier (JDK 25
        // stops at the header).
        {"header.javac",
         {"Header.java"},
         {"この行の終わりに { が足りない", "?この行はクラスの { } の外にあります"}},
        {"open-brace.javac",
         {"Open.java"},
         {"この行の終わりに { が足りない", "?この行はクラスの { } の外にあります"}},
        {"method-brace.javac", {"Mid.java"}, {"この行より前で } が足りない"}},
        {"eof-brace.javac", {"Brace.java"}, {"} が足りません"}},
        {"applet-removal.javac", {"AppletHello.java"}, {"これは警告で、エラーではありません。"}},
        // 38 to 44, at run time.
        {"zero.java", {"Div.java"}, {"0 で割り算をしました"}},
        {"string-index.java", {"StrIdx.java"}, {"文字列の範囲の外を使いました"}},
        {"substring.java", {"SubIdx.java"}, {"長さ 3 の文字列で、位置 1 から 5 までを取り出そうとしました"}},
        {"list-index.java",
         {"ListIdx.java"},
         {"要素 3 個のリストの位置 3 を使いました。使える位置は 0 から 2"}},
        {"recursion.java", {"Recur.java"}, {"メソッドが自分自身を呼び続けて終わりませんでした"}},
        {"no-main.java", {"NoMain.java"}, {"クラス NoMain に、実行を始める main メソッドがありません"}},
        {"applet-main.java",
         {"Paint.java"},
         {"Paint はアプレット (Applet を継承したクラス) なので、ｱﾌﾟﾘｹｰｼｮﾝ実行 では動きません。ｱﾌﾟﾚｯﾄ実行"}},
        {"applet-gone.java", {"Paint.java"}, {"このクラスはアプレットなので、ｱﾌﾟﾘｹｰｼｮﾝ実行 では動きません"}},
        {"parse-double.java", {"Dbl.java"}, {"「abc」は数に変換できません"}},
        {"cast.java", {"Cast.java"}, {"String の値を (Integer) で Integer に変えようとしました"}},
        // "3.5" is a number, but no integer.
        {"decimal.java",
         {"Decimal.java"},
         {"「3.5」は小数です。Integer.parseInt が変換できるのは整数だけです"}},
        {"decimal-input.java", {"Ask.java"}, {"nextInt が読めるのは整数 (12 や -5) だけです"}},
        {"mismatch.java", {"Ask.java"}, {"nextInt が読めるのは整数 (12 や -5) だけです"}},
        {"file.java",
         {"ReadFile.java"},
         {"ファイル data.txt が見つかりません。プログラムは data.txt を、ソースのフォルダ "
          "/tmp/quenlark-capture の中で"}},
        {"path.java",
         {"ReadPath.java"},
         {"ファイル data.txt が見つかりません。プログラムは data.txt を、ソースのフォルダ "
          "/tmp/quenlark-capture の中で"}},
        {"wrong-name.java", {"Box.java"}, {"このクラスは shapes.Box (パッケージ shapes のクラス) です"}},
        // Null: named after compiling with -g, in general words without.
        {"null-local.java", {"NullLocal.java"}, {"name が null のまま使われました"}},
        {"null-nameless.java", {"NullLocal.java"}, {"null (何も入っていない変数) を使おうとしました"}},
        {"class-version.java",
         {"NullLocal.java"},
         {"NullLocal は Java 25 の javac でコンパイルされていて、Java 17 の java では動きません。java と "
          "javac が別の "
          "JDK のものです。sudo update-alternatives --config java と sudo update-alternatives --config "
          "javac"}},
        // Output that no hint is sure of: a ")" expected where a "+" is
        // missing; parameters without types (a header, not a statement
        // outside a method); a misspelling that is no slip of case or of one
        // letter.
        {"two-strings.javac", {"TwoStrings.java"}, {}},
        {"no-param-type.javac", {"NoParamType.java"}, {}},
        {"spelling.javac", {"Spelling.java"}, {}},
    };
    for (const Row& row : rows) AddEveryJdk(row.name, row.files, row.hints);
}

void TestProblemLines::hintOnEveryJdk() {
    QFETCH(QString, file);
    QFETCH(QStringList, files);
    QFETCH(QStringList, hints);
    const Result r = Feed(ReadData(file), FakeFolder(kCapture, files));
    // In order, each one once; one marked "?" may be missing (a JDK that
    // stops before the message it explains).
    qsizetype at = 0;
    for (QString hint : hints) {
        const bool optional = hint.startsWith(u'?');
        if (optional) hint.remove(0, 1);
        const bool there =
            at < r.hints.size() && r.hints[at].section(u' ', 1).startsWith(LearnerHints::kPrefix + hint);
        QVERIFY2(there || optional, qPrintable(QStringLiteral("%1\n%2").arg(hint, r.hints.join(u'\n'))));
        if (there) ++at;
    }
    QVERIFY2(at == r.hints.size(), qPrintable(r.hints.join(u'\n')));
}

void TestProblemLines::anySplitGivesTheSameResult_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("crlf");
    for (bool crlf : {false, true}) {
        const char* suffix = crlf ? " crlf" : "";
        QTest::addRow("case-symbol ja%s", suffix)
            << "case-symbol.javac.ja.txt" << QStringList{"UseHelper.java", "Helper.java"} << crlf;
        QTest::addRow("warning en%s", suffix) << "warning.javac.en.txt" << QStringList{"Warn.java"} << crlf;
        QTest::addRow("wrapped en%s", suffix) << "wrapped.java.en.txt" << QStringList{"Wrap.java"} << crlf;
    }
}

// A line split between two reads of a growing file, "\r\n" split between
// its halves: the same problems, counts and hints as read whole.
void TestProblemLines::anySplitGivesTheSameResult() {
    QFETCH(QString, file);
    QFETCH(QStringList, files);
    QFETCH(bool, crlf);
    QString text = ReadData(file);
    const Folder folder = FakeFolder(kCapture, files);
    const Result whole = Feed(text, folder);
    QVERIFY(!whole.problems.isEmpty());
    if (crlf) text.replace(u'\n', QStringLiteral("\r\n"));
    for (qsizetype cut = 0; cut <= text.size(); ++cut) {
        const Result split = Feed(text, folder, {cut});
        QCOMPARE(split.problems, whole.problems);
        QCOMPARE(split.hints, whole.hints);
        QCOMPARE(split.counts.errors, whole.counts.errors);
        QCOMPARE(split.lines, whole.lines);
    }
    // And one character at a time.
    QList<qsizetype> everyChar;
    for (qsizetype i = 1; i < text.size(); ++i) everyChar << i;
    QCOMPARE(Feed(text, folder, everyChar).problems, whole.problems);
}

void TestProblemLines::readsOneLine_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");  // message, or the name for frames, exceptions and summaries

    using L = LineInfo;
    auto row = [](const char* tag, const QString& line, L::Type type, const QString& path = {},
                  int number = 0, const QString& text = {}) {
        QTest::newRow(tag) << line << int(type) << path << number << text;
    };
    row("spaces in the path", "My Folder/Bad Name.java:12: error: ';' expected", L::Error,
        "My Folder/Bad Name.java", 12, "';' expected");
    row("a .java: inside the path", "odd.java:x/B.java:2: error: z", L::Error, "odd.java:x/B.java", 2, "z");
    row("japanese error", "Semi.java:3: エラー: ';'がありません", L::Error, "Semi.java", 3,
        "';'がありません");
    row("japanese warning without a space", "Warn.java:6: 警告:[removal] x", L::Warning, "Warn.java", 6,
        "[removal] x");
    row("crlf", "Bad.java:3: warning: w\r", L::Warning, "Bad.java", 3, "w");
    row("line zero", "Bad.java:0: error: x", L::Plain);
    row("not a keyword", "Bad.java:3: errors: x", L::Plain);
    row("no space after the number", "Bad.java:3:error: x", L::Plain);
    row("no file name", ".java:3: error: x", L::Plain);
    row("a note", "Note: Warn.java uses unchecked or unsafe operations.", L::Plain);
    row("a japanese note", "ノート:Warn.javaの操作は、未チェックまたは安全ではありません。", L::Plain);
    row("module frame", "\tat java.base/java.util.Scanner.throwFor(Scanner.java:937)", L::Frame,
        "Scanner.java", 937, "java.util.Scanner.throwFor");
    row("loader frame", "\tat app//Foo.main(Foo.java:3)", L::Frame, "Foo.java", 3, "Foo.main");
    row("lambda frame", "\tat Foo$$Lambda$14/0x0000000800c03000.run(Unknown Source)", L::Frame,
        "Unknown Source", 0, "0x0000000800c03000.run");
    row("native frame", "        at Foo.bar(Native Method)", L::Frame, "Native Method", 0, "Foo.bar");
    row("text after a frame", "\tat Foo.main(Foo.java:3) and more", L::Plain);
    row("words, not a frame", "at last (we are done)", L::Plain);
    row("other thread", "Exception in thread \"Thread-0\" java.lang.IllegalStateException: boom: again",
        L::Exception, {}, 0, "java.lang.IllegalStateException");
    row("error without message", "Exception in thread \"main\" java.lang.StackOverflowError", L::Exception,
        {}, 0, "java.lang.StackOverflowError");
    row("not a type", "Exception in thread \"main\" oh no", L::Plain);
    row("cause", "Caused by: java.io.IOException", L::Exception, {}, 0, "java.io.IOException");
    row("errors", "2 errors", L::Summary, {}, 2, "error");
    row("warning", "1 warning", L::Summary, {}, 1, "warning");
    row("japanese errors", "エラー12個", L::Summary, {}, 12, "error");
    row("japanese warning", "警告1個", L::Summary, {}, 1, "warning");
    row("apples", "2 apples", L::Plain);
    row("program output", "エラー: 数を入力してください", L::Plain);
}

void TestProblemLines::readsOneLine() {
    QFETCH(QString, line);
    QFETCH(int, type);
    QFETCH(QString, path);
    QFETCH(int, number);
    QFETCH(QString, text);
    const LineInfo info = ReadLine(line);
    QCOMPARE(int(info.type), type);
    if (type == LineInfo::Plain) return;
    QCOMPARE(info.path, path);
    QCOMPARE(info.line, number);
    QCOMPARE(type == LineInfo::Error || type == LineInfo::Warning ? info.text : info.name, text);
}

// Lines longer than the window shows are broken there, in whatever reads
// the text arrives; the pieces after the first are never read as messages.
void TestProblemLines::brokenLongLines() {
    const QString fill(kMaxLineChars, u'x');
    const QString tail = QStringLiteral("Bad.java:3: error: not at the start of its line");
    const QString next = QStringLiteral("Bad.java:4: error: a line of its own");
    const QString emoji = QStringLiteral("\U0001F600");
    struct Case {
        QString name;
        QString raw, broken;
        qint64 line;  // of the real message
    };
    const QList<Case> cases = {
        {QStringLiteral("one piece"), fill + tail + u'\n' + next + u'\n',
         fill + u'\n' + tail + u'\n' + next + u'\n', 2},
        {QStringLiteral("three pieces"), fill + fill + tail + u'\n' + next + u'\n',
         fill + u'\n' + fill + u'\n' + tail + u'\n' + next + u'\n', 3},
        {QStringLiteral("two halves kept together"),
         fill.left(kMaxLineChars - 1) + emoji + tail + u'\n' + next + u'\n',
         fill.left(kMaxLineChars - 1) + u'\n' + emoji + tail + u'\n' + next + u'\n', 2},
    };
    for (const Case& c : cases) {
        QCOMPARE(LineBreaker().feed(c.raw).text, c.broken);
        for (qsizetype cut : {qsizetype(0), qsizetype(kMaxLineChars - 1), qsizetype(kMaxLineChars + 3)}) {
            const Result r = Feed(c.raw, FakeFolder(kCapture, {}), {cut});
            QVERIFY2(r.problems == QStringList{QStringLiteral("E %1 Bad.java:4").arg(c.line)},
                     qPrintable(c.name + QStringLiteral(": ") + r.problems.join(u',')));
        }
    }
}

// A compile of 100,000 lines arriving in reads of any size: every message
// found once, and the file test asked once per source, not once per frame.
void TestProblemLines::hugeOutput() {
    QString text;
    for (int i = 0; i < 5000; ++i) {
        text += QStringLiteral("Big.java:%1: error: cannot find symbol\n").arg(i + 1);
        for (int j = 0; j < 17; ++j)
            text += QStringLiteral("        int value%1 = compute(%2);\n").arg(j).arg(i);
        text += QStringLiteral("\tat Big.main(Big.java:%1)\n").arg(i + 1);
        text += QStringLiteral("\tat java.base/java.util.Scanner.next(Scanner.java:1594)\n");
    }
    int asked = 0;
    const Folder folder = FakeFolder(kCapture, {"Big.java"}, &asked);
    for (qsizetype piece : {qsizetype(1), qsizetype(4093), qsizetype(64 * 1024)}) {
        asked = 0;
        ProblemScanner scanner(folder);
        Reader feed{scanner};
        for (qsizetype i = 0; i < text.size(); i += piece)
            feed.append(QStringView(text).sliced(i, std::min(piece, text.size() - i)));
        feed.finish();
        QCOMPARE(scanner.lineCount(), qint64(100000));
        QCOMPARE(scanner.problems().size(), size_t(10000));
        QCOMPARE(scanner.counts().errors, 5000);
        QCOMPARE(scanner.problems().back().line, qint64(99998));
        QCOMPARE(scanner.problems().back().fileLine, 5000);
        QCOMPARE(asked, 1);
    }
}

// F4 and Shift+F4: errors, warnings and linked frames, wrapping; an
// exception line is not a stop of its own.
void TestProblemLines::movingBetweenProblems() {
    ProblemScanner scanner(FakeFolder(kCapture, {"Wrap.java"}));
    Reader feed{scanner};
    feed.append(ReadData(QStringLiteral("wrapped.java.en.txt")));
    feed.finish();
    auto walk = [&](qint64 from, bool backwards, int steps) {
        QList<qint64> lines;
        for (int i = 0; i < steps; ++i) {
            const Problem* p = scanner.nextStop(from, backwards);
            if (!p) break;
            lines << p->line;
            from = p->line;
        }
        return lines;
    };
    QCOMPARE(walk(-1, false, 4), (QList<qint64>{1, 2, 7, 1}));
    QCOMPARE(walk(-1, true, 4), (QList<qint64>{7, 2, 1, 7}));
    QCOMPARE(walk(3, false, 1), QList<qint64>{7});
    QCOMPARE(walk(3, true, 1), QList<qint64>{2});
    QCOMPARE(walk(100, false, 1), QList<qint64>{1});

    // A double click on the exception line opens its first linked frame.
    const Problem* head = scanner.at(3);
    QVERIFY(head && head->kind == Kind::Exception);
    QCOMPARE(head->target, qint64(7));
    QCOMPARE(head->file, kCapture + QStringLiteral("/Wrap.java"));
    QCOMPARE(head->fileLine, 4);
    QVERIFY(!scanner.at(4));  // a frame of the JDK is plain text

    ProblemScanner empty;
    QVERIFY(!empty.nextStop(-1));
    QVERIFY(!empty.nextStop(-1, true));
}

void TestProblemLines::forgettingTrimmedLines() {
    ProblemScanner scanner(FakeFolder(kCapture, {"UseHelper.java", "Helper.java"}));
    Reader feed{scanner};
    feed.append(ReadData(QStringLiteral("case-symbol.javac.en.txt")));
    QCOMPARE(scanner.takeNew().size(), size_t(4));
    scanner.forgetBefore(6);
    QVERIFY(!scanner.at(0));
    QVERIFY(!scanner.at(5));
    QVERIFY(scanner.at(10));
    QCOMPARE(scanner.nextStop(15)->line, qint64(10));
    QVERIFY(scanner.takeNew().empty());
    feed.append(u"UseHelper.java:9: error: more\n");
    const std::vector<Problem> fresh = scanner.takeNew();
    QCOMPARE(fresh.size(), size_t(1));
    QCOMPARE(fresh[0].line, qint64(21));

    // A new text starts from line 0 with nothing remembered.
    scanner.reset();
    feed.lines.reset();
    feed.append(u"x\nA.java:1: warning: w\n");
    QCOMPARE(scanner.problems().size(), size_t(1));
    QCOMPARE(scanner.problems().front().line, qint64(1));
    QCOMPARE(scanner.counts().errors, 0);
    QCOMPARE(scanner.counts().warnings, 1);
}

// The hint under a compiler message comes once the lines under it are
// complete: at the next line that is not one of them, or at the end.
void TestProblemLines::hintWaitsForTheLinesUnderItsMessage() {
    ProblemScanner scanner(FakeFolder(kCapture, {"Semi.java"}));
    Reader feed{scanner};
    feed.append(u"Semi.java:3: error: ';' expected\n        int x = 1\n                 ^\n");
    QVERIFY(scanner.takeHints().empty());
    feed.finish();
    const std::vector<Hint> hints = scanner.takeHints();
    QCOMPARE(hints.size(), size_t(1));
    QCOMPARE(hints[0].afterLine, qint64(2));
    QVERIFY(scanner.takeHints().empty());

    // The same hint is not given twice for one text.
    feed.append(u"Semi.java:5: error: ';' expected\n        int y = 2\n                 ^\n1 error\n");
    QVERIFY(scanner.takeHints().empty());
}

void TestProblemLines::countsText_data() {
    QTest::addColumn<int>("errors");
    QTest::addColumn<int>("warnings");
    QTest::addColumn<QString>("text");
    QTest::newRow("both") << 2 << 1 << QStringLiteral("エラー 2、警告 1");
    QTest::newRow("errors") << 3 << 0 << QStringLiteral("エラー 3");
    QTest::newRow("warnings") << 0 << 1 << QStringLiteral("警告 1");
    QTest::newRow("none") << 0 << 0 << QString();
}

void TestProblemLines::countsText() {
    QFETCH(int, errors);
    QFETCH(int, warnings);
    QFETCH(QString, text);
    QCOMPARE(ProblemLines::CountsText({errors, warnings}), text);
}

// The summary adds nothing to the messages shown, but tells how many there
// were when the start of a long compile was trimmed away; a program that
// prints "3 errors" is not a compiler.
void TestProblemLines::summaryStandsForTrimmedMessages() {
    struct Case {
        QString text;
        int errors, warnings;
    };
    const QList<Case> cases = {
        {QStringLiteral("A.java:1: error: x\n1 error\n"), 1, 0},
        {QStringLiteral("A.java:9: error: x\n  x\n  ^\nエラー5個\n警告2個\n"), 5, 2},
        {QStringLiteral("3 errors\n2 warnings\n"), 0, 0},
        {QStringLiteral("A.java:1: warning: w\nA.java:2: warning: w\n1 warning\n"), 0, 2},
    };
    for (const Case& c : cases) {
        const Result r = Feed(c.text, FakeFolder(kCapture, {}));
        QCOMPARE(r.counts.errors, c.errors);
        QCOMPARE(r.counts.warnings, c.warnings);
    }
}

QTEST_GUILESS_MAIN(TestProblemLines)
#include "tst_problemlines.moc"
