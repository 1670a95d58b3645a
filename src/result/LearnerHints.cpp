// The hint rules: one table of small functions, each sure of its hint or
// silent, and one table of messages whose hint needs nothing but the message.
#include "LearnerHints.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <utility>
#include <vector>

namespace LearnerHints {

namespace {

// What the help says gets a hint: each rule belongs to one of these.
enum Help {
    kSemicolon,
    kBraces,
    kLiterals,
    kFileName,
    kNames,
    kJdkNames,
    kDeclarations,
    kConditions,
    kTypes,
    kCalls,
    kFlow,
    kExceptions,
    kAppletWarning,
    kInput,
    kRanges,
    kArithmetic,
    kMissingFile,
    kLaunch,
};
const char* const kHelpItems[] = {
    "行の終わりや // のコメントの前の ; (セミコロン) が足りないとき、for の ( ) の中を , で区切ったとき",
    "{ と } や ( と ) の数が合わないとき、( を ] で閉じたとき、メソッドやクラスの外に書いた文、メソッドの ( "
    ") "
    "の後の ;",
    "文字列の \" の閉じ忘れ、' ' に 2 文字以上を書いたとき、全角の空白や記号",
    "public クラスの名前とファイル名がちがうとき",
    "変数やメソッドの名前の書き間違い (1 "
    "文字ちがう、大文字と小文字がちがう)、宣言していない変数やメソッド、宣言した { } "
    "の外で使った変数",
    "JDK のクラスやメソッドの書き間違い (scanner、Sytem、Println、nextint)、import のない Scanner、new "
    "のない "
    "Scanner(…)、配列の length と文字列の length()",
    "メソッドの中の変数に付けた public や static、戻り値の型のないメソッド",
    "if (x = 100) のような = と == の取り違え、if (…); の後の else",
    "型のちがい: 数のところの文字列 (\"20\" や nextLine())、double の値を入れた int、文字列と数の比較、int "
    "に付けた "
    ".、値を返さないメソッドの値",
    "メソッドの呼び方: 引数の数や型のちがい、呼び出しに書いた型、main から呼んだ static でないメソッド",
    "return のない道、return の後の文、値を入れる前に使った変数、2 回宣言した変数、計算だけの文 (x + 1;)",
    "IOException などの例外に throws や try が要るとき",
    "Applet の削除予定の警告 (警告だけならコンパイルはできています)",
    "入力が足りないまま Scanner が読もうとしたとき、nextInt に整数でないもの (abc や 3.5) を入力したとき",
    "null の変数を使ったとき、配列・文字列・リストの範囲の外を使ったとき",
    "0 での割り算、終わらない再帰、数にできない文字列 (小数を Integer.parseInt したときも)、できないキャスト",
    "プログラムが開こうとしたファイルがないとき (どのフォルダで探したかも出ます)",
    "java で実行できないとき: main メソッドがない (アプレットなら "
    "ｱﾌﾟﾚｯﾄ実行)、パッケージのクラスを別のフォルダから実行した、"
    "java と javac の JDK がちがう",
};

// Patterns read names in any script: a learner may name a variable 合計.
QRegularExpression Re(const QString& pattern) {
    return QRegularExpression(pattern, QRegularExpression::UseUnicodePropertiesOption);
}

// javac prints its messages in English or in Japanese, after the language
// of the user; each rule knows both.
bool Says(const QString& message, QStringView english, QStringView japanese) {
    return message == english || message == japanese;
}

// What a rule may ask about besides the message itself.
struct Around {
    const FolderFiles& files;
    const SourceText& source;
    const QString& folder;
};

// The text of a source with its comments and the insides of its literals
// blanked out, line breaks kept, so that braces and names in it are code.
QString Code(const QString& source) {
    QString code = source;
    const qsizetype n = code.size();
    auto blank = [&code](qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < to; ++i)
            if (code[i] != u'\n') code[i] = u' ';
    };
    qsizetype i = 0;
    while (i < n) {
        const QChar c = source[i];
        if (c == u'/' && i + 1 < n && source[i + 1] == u'/') {
            qsizetype end = source.indexOf(u'\n', i);
            if (end < 0) end = n;
            blank(i, end);
            i = end;
        } else if (c == u'/' && i + 1 < n && source[i + 1] == u'*') {
            qsizetype end = source.indexOf(QStringLiteral("*/"), i + 2);
            end = end < 0 ? n : end + 2;
            blank(i, end);
            i = end;
        } else if (c == u'"' || c == u'\'') {
            // To the closing quote on the same line, past escaped ones.
            qsizetype j = i + 1;
            while (j < n && source[j] != c && source[j] != u'\n') j += source[j] == u'\\' ? 2 : 1;
            j = std::min(j, n);
            blank(i + 1, j);
            i = j + 1;
        } else {
            ++i;
        }
    }
    return code;
}

// How many braces are open where line `line` of the code starts.
int DepthAt(const QString& code, int line) {
    int depth = 0, at = 1;
    for (QChar c : code) {
        if (c == u'\n' && ++at >= line) break;
        if (c == u'{') ++depth;
        if (c == u'}') --depth;
    }
    return depth;
}

// The source of the message's file, as code; "" when it cannot be read.
QString SourceCode(const CompilerMessage& m, const Around& around) {
    return around.source ? Code(around.source(m.file)) : QString();
}

// The identifiers of a source, outside its comments and literals.
QSet<QString> Identifiers(const QString& source) {
    QSet<QString> names;
    const QString code = Code(source);
    const qsizetype n = code.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = code[i];
        if (c.isLetter() || c == u'_' || c == u'$') {
            const qsizetype start = i;
            while (i < n && (code[i].isLetterOrNumber() || code[i] == u'_' || code[i] == u'$')) ++i;
            names.insert(code.sliced(start, i - start));
        } else if (c.isDigit()) {
            while (i < n && (code[i].isLetterOrNumber() || code[i] == u'_' || code[i] == u'.')) ++i;
        } else {
            ++i;
        }
    }
    return names;
}

// The kind and name of a missing symbol: "class", "variable" or "method"
// (from "  symbol:   method shw(int)" / "  シンボル:   メソッド shw(int)"),
// and where javac looked: in a class ("  location: class Sum") or in a
// variable of a type ("  location: variable sc of type Scanner").
struct Symbol {
    QString kind, name;
    QString inClass;  // "Sum", "Math"; "" when looked for in a variable
    QString inType;   // "Scanner", "int[]"; "" when looked for in a class
};
Symbol MissingSymbol(const CompilerMessage& m) {
    if (!Says(m.message, u"cannot find symbol", u"シンボルを見つけられません")) return {};
    static const QRegularExpression symbol =
        Re(QStringLiteral("^\\s+(?:symbol|シンボル):\\s+(class|variable|method|クラス|変数|メソッド)\\s+(["
                          "\\w$]+)(?:\\(.*\\))?\\s*$"));
    static const QRegularExpression inClass =
        Re(QStringLiteral("^\\s+(?:location:\\s+class|場所:\\s+クラス)\\s+([\\w$.]+)\\s*$"));
    static const QRegularExpression inVariable =
        Re(QStringLiteral("^\\s+(?:location:\\s+variable\\s+[\\w$]+\\s+of\\s+type\\s+(\\S+)|場所:\\s+タイプ("
                          "\\S+)の変数\\s+[\\w$]+)\\s*$"));
    Symbol s;
    for (const QString& line : m.details) {
        QRegularExpressionMatch match = symbol.match(line);
        if (match.hasMatch() && s.kind.isEmpty()) {
            s.kind = match.captured(1);
            if (s.kind == u"クラス") s.kind = QStringLiteral("class");
            if (s.kind == u"変数") s.kind = QStringLiteral("variable");
            if (s.kind == u"メソッド") s.kind = QStringLiteral("method");
            s.name = match.captured(2);
            continue;
        }
        if ((match = inClass.match(line)).hasMatch()) s.inClass = match.captured(1);
        if ((match = inVariable.match(line)).hasMatch()) s.inType = match.captured(1) + match.captured(2);
    }
    return s;
}

bool StartsWithModifier(const QString& sourceLine) {
    static const QRegularExpression modifier(QStringLiteral("^\\s*(public|private|protected|static)\\s"));
    return modifier.match(sourceLine).hasMatch();
}

// A method's header, with or without modifiers: "int nibai(int x)",
// "public static void main(String[] args) throws Exception".
bool IsMethodHeader(const QString& sourceLine) {
    static const QString type = QStringLiteral("[\\w$][\\w$<>,.\\[\\]]*");
    static const QString param =
        QStringLiteral("(?:final\\s+)?%1(?:\\.\\.\\.)?\\s+[\\w$]+(?:\\[\\])*").arg(type);
    static const QRegularExpression header =
        Re(QStringLiteral(
               "^\\s*(?:(?:public|private|protected|static|final|abstract|synchronized)\\s+)*(%1)\\s+[\\w$]+"
               "\\s*\\(\\s*(?:%2(?:\\s*,\\s*%2)*)?\\s*\\)\\s*(?:throws\\s+[\\w$.,\\s]+)?\\s*$")
               .arg(type, param));
    const QRegularExpressionMatch match = header.match(sourceLine);
    if (!match.hasMatch()) return false;
    static const QSet<QString> kNotTypes = {"return", "new", "throw", "else", "case", "yield"};
    return !kNotTypes.contains(match.captured(1));
}

// Where the code of the line ends: before trailing blanks and a comment.
qsizetype CodeEnd(const QString& sourceLine) {
    const QString code = Code(sourceLine);
    qsizetype end = code.size();
    while (end > 0 && code[end - 1].isSpace()) --end;
    return end;
}

// The caret stands just after the last character of the line's code.
bool CaretAtCodeEnd(const CompilerMessage& m) {
    if (m.caret < 0) return false;
    const qsizetype end = CodeEnd(m.sourceLine);
    return end > 0 && m.caret >= end;
}

QString PublicClassName(const CompilerMessage& m, const Around&) {
    static const QRegularExpression english(
        QStringLiteral("^\\S+ (\\S+) is public, should be declared in a file named (\\S+)$"));
    static const QRegularExpression japanese(
        QStringLiteral("^\\S+ (\\S+?)はpublicであり、ファイル(\\S+?)で宣言する必要があります$"));
    QRegularExpressionMatch match = english.match(m.message);
    if (!match.hasMatch()) match = japanese.match(m.message);
    if (!match.hasMatch()) return {};
    const QString file = QFileInfo(m.file).fileName();
    return kPrefix + QStringLiteral(
                         "public クラス %1 は %2 という名前のファイルに書きます。"
                         "クラス名とファイル名 (%3) をそろえてください (大文字・小文字も)。")
                         .arg(match.captured(1), match.captured(2), file);
}

// True when the code declares a variable of that name somewhere.
bool Declares(const QString& code, const QString& name) {
    static const QString declaration = QStringLiteral(
        "(?:\\b(?:int|long|short|byte|double|float|char|boolean|var)|\\b[A-Z][\\w$]*(?:<[^;=()]*>)?)(?:\\[\\]"
        ")*"
        "\\s+%1\\s*(?:[=;,:)]|\\[)");
    return Re(declaration.arg(QRegularExpression::escape(name))).match(code).hasMatch();
}

QString CaseNearSymbol(const CompilerMessage& m, const Around& around) {
    const FolderFiles& folderFiles = around.files;
    const Symbol symbol = MissingSymbol(m);
    if ((symbol.kind != u"class" && symbol.kind != u"variable") || !folderFiles) return {};
    // A variable of the source's own ("kazu" in Kazu.java) is no class.
    if (symbol.kind == u"variable" && Declares(SourceCode(m, around), symbol.name)) return {};
    const QString source = symbol.name + QStringLiteral(".java");
    QString near;
    for (const QString& file : folderFiles()) {
        if (file == source) return {};  // the name is right; the trouble is elsewhere
        if (near.isEmpty() && file.compare(source, Qt::CaseInsensitive) == 0) near = file;
    }
    if (near.isEmpty()) return {};
    const QString className = near.chopped(5);
    return kPrefix + QStringLiteral(
                         "フォルダに %1 があります。%2 は %3 の書き間違いではありませんか "
                         "(大文字と小文字は区別されます)。")
                         .arg(near, symbol.name, className);
}

// True when `a` becomes `b` by changing, adding or removing one character.
bool OneLetterApart(QStringView a, QStringView b) {
    if (a.size() > b.size()) std::swap(a, b);
    if (b.size() - a.size() > 1 || a == b) return false;
    qsizetype i = 0;
    while (i < a.size() && a[i] == b[i]) ++i;
    if (a.size() == b.size()) return a.sliced(i + 1) == b.sliced(i + 1);
    return a.sliced(i) == b.sliced(i + 1);
}

// "ten1" and "ten2", "kazu" and "kazu2": names of a numbered set, not a
// misspelling of each other.
bool DifferInTrailingNumber(QStringView a, QStringView b) {
    auto stem = [](QStringView s) {
        while (!s.isEmpty() && s.back().isDigit()) s.chop(1);
        return s;
    };
    return stem(a) == stem(b);
}

bool IsKeyword(const QString& word) {
    static const QSet<QString> kKeywords = {
        "abstract", "assert",       "boolean",  "break",     "byte",   "case",      "catch",    "char",
        "class",    "const",        "continue", "default",   "do",     "double",    "else",     "enum",
        "extends",  "final",        "finally",  "float",     "for",    "goto",      "if",       "implements",
        "import",   "instanceof",   "int",      "interface", "long",   "native",    "new",      "package",
        "private",  "protected",    "public",   "return",    "short",  "static",    "strictfp", "super",
        "switch",   "synchronized", "this",     "throw",     "throws", "transient", "try",      "void",
        "volatile", "while",        "true",     "false",     "null",   "var",       "record",   "yield"};
    return kKeywords.contains(word);
}

// Classes of the JDK a learner writes by hand: those used through their
// name ("Math.sqrt"), which javac then calls a variable, and the others,
// with the package each is imported from ("" for java.lang).
const QStringList kStaticUseClasses = {"String",  "System", "Math",  "Integer", "Double", "Character",
                                       "Boolean", "Long",   "Float", "Arrays",  "Thread"};
const QHash<QString, QString> kOtherClasses = {
    {"Scanner", "java.util"},
    {"Object", ""},
    {"ArrayList", "java.util"},
    {"List", "java.util"},
    {"HashMap", "java.util"},
    {"Map", "java.util"},
    {"Random", "java.util"},
    {"StringBuilder", ""},
    {"Exception", ""},
    {"Graphics", "java.awt"},
    {"Color", "java.awt"},
    {"Applet", "java.applet"},
    {"JFrame", "javax.swing"},
    {"Font", "java.awt"},
    {"BufferedReader", "java.io"},
    {"InputStreamReader", "java.io"},
    {"IOException", "java.io"},
    {"FileReader", "java.io"},
    {"File", "java.io"},
};

bool IsJdkClass(const QString& name) {
    return kStaticUseClasses.contains(name) || kOtherClasses.contains(name);
}

// The names of a source that `name` may be a misspelling of: those that
// differ from it only in case, or else (for names of three letters or more)
// by one letter; never a name of a numbered set ("ten1" for "ten2").
QStringList NearNames(const QString& name, const QString& source) {
    QStringList byCase, byLetter;
    for (const QString& other : Identifiers(source)) {
        if (other == name || IsKeyword(other) || IsJdkClass(other) || DifferInTrailingNumber(other, name))
            continue;
        if (other.compare(name, Qt::CaseInsensitive) == 0)
            byCase << other;
        else if (name.size() >= 3 && other.size() >= 3 && OneLetterApart(other, name))
            byLetter << other;
    }
    return byCase.isEmpty() ? byLetter : byCase;
}

// A variable or method that is not there, when one name of the same source
// is near it; silent when more than one name would fit.
QString NearName(const CompilerMessage& m, const Around& around) {
    const Symbol symbol = MissingSymbol(m);
    if ((symbol.kind != u"variable" && symbol.kind != u"method") || !around.source) return {};
    const QString text = around.source(m.file);
    if (text.isEmpty()) return {};
    const QStringList near = NearNames(symbol.name, text);
    if (near.size() != 1) return {};
    const QString what = symbol.kind == u"method" ? QStringLiteral("メソッド") : QStringLiteral("変数");
    if (near[0].compare(symbol.name, Qt::CaseInsensitive) == 0)
        return kPrefix + QStringLiteral(
                             "%1 %2 はありません。%3 の書き間違いではありませんか "
                             "(大文字と小文字は区別されます)。")
                             .arg(what, symbol.name, near[0]);
    return kPrefix + QStringLiteral("%1 %2 はありません。%3 の書き間違いではありませんか。")
                         .arg(what, symbol.name, near[0]);
}

// A class of the JDK written in lower case or one letter off: "scanner",
// "string", and "system.out" or "Sytem.out", which javac reads as a package.
QString JdkClassCase(const CompilerMessage& m, const Around&) {
    QString written;
    const Symbol symbol = MissingSymbol(m);
    if (symbol.kind == u"class" || symbol.kind == u"variable") written = symbol.name;
    static const QRegularExpression package(
        QStringLiteral("^(?:package (\\w+) does not exist|パッケージ(\\w+)は存在しません)$"));
    const QRegularExpressionMatch match = package.match(m.message);
    if (match.hasMatch()) written = match.captured(1) + match.captured(2);
    if (written.isEmpty()) return {};
    // "scanner.nextInt()" names a variable: which one is not sure.
    const QStringList classes =
        symbol.kind == u"variable" ? kStaticUseClasses : kStaticUseClasses + kOtherClasses.keys();
    for (const QString& cls : classes) {
        if (written != cls && written.compare(cls, Qt::CaseInsensitive) == 0)
            return kPrefix + QStringLiteral(
                                 "%1 ではなく %2 と書きます。Java のクラス名は大文字で始まります "
                                 "(大文字と小文字は区別されます)。")
                                 .arg(written, cls);
    }
    // One letter off is sure only for the classes used through their name.
    if (written.size() < 4 || symbol.kind == u"class") return {};
    for (const QString& cls : kStaticUseClasses)
        if (OneLetterApart(written, cls))
            return kPrefix +
                   QStringLiteral("%1 ではなく %2 と書きます (つづりを確かめてください)。").arg(written, cls);
    return {};
}

// A class of the JDK used without its import.
QString MissingImport(const CompilerMessage& m, const Around&) {
    const Symbol symbol = MissingSymbol(m);
    if (symbol.kind != u"class") return {};
    const QString package = kOtherClasses.value(symbol.name);
    if (package.isEmpty()) return {};
    return kPrefix +
           QStringLiteral("%1 を使うには、ファイルの先頭 (class の行より前) に import %2.%1; と書きます。")
               .arg(symbol.name, package);
}

// "Scanner(System.in)": a class's name called like a method.
QString ConstructorWithoutNew(const CompilerMessage& m, const Around& around) {
    const Symbol symbol = MissingSymbol(m);
    if (symbol.kind != u"method" || symbol.name.isEmpty() || !symbol.name[0].isUpper()) return {};
    bool isClass = IsJdkClass(symbol.name);
    if (!isClass && around.files) isClass = around.files().contains(symbol.name + QStringLiteral(".java"));
    if (!isClass) {
        static const QString declared = QStringLiteral("\\bclass\\s+%1\\b");
        isClass =
            Re(declared.arg(QRegularExpression::escape(symbol.name))).match(SourceCode(m, around)).hasMatch();
    }
    if (!isClass) return {};
    return kPrefix +
           QStringLiteral(
               "%1 はクラスです。オブジェクトを作るときは、前に new を付けて new %1(…) と書きます。")
               .arg(symbol.name);
}

// "a.length()" of an array, "s.length" of a string.
QString LengthOf(const CompilerMessage& m, const Around&) {
    const Symbol symbol = MissingSymbol(m);
    if (symbol.name != u"length") return {};
    if (symbol.kind == u"method" && symbol.inType.endsWith(u"[]"))
        return kPrefix + QStringLiteral(
                             "配列の長さは ( ) を付けずに 配列名.length と書きます。"
                             "( ) の付いた length() は文字列 (String) の長さです。");
    if (symbol.kind == u"variable" && symbol.inType == u"String")
        return kPrefix + QStringLiteral(
                             "文字列 (String) の長さは ( ) を付けて 変数名.length() と書きます。"
                             "( ) のない length は配列の長さです。");
    return {};
}

// A method of the JDK in the wrong case: "Println", "nextint", "Length()".
QString JdkMethodCase(const CompilerMessage& m, const Around&) {
    const Symbol symbol = MissingSymbol(m);
    if (symbol.kind != u"method") return {};
    static const QHash<QString, QStringList> kMethods = {
        {"PrintStream", {"println", "print", "printf"}},
        {"Scanner",
         {"nextInt", "nextLine", "next", "nextDouble", "nextLong", "nextBoolean", "hasNext", "hasNextInt",
          "hasNextLine", "close"}},
        {"String",
         {"length", "charAt", "equals", "equalsIgnoreCase", "substring", "indexOf", "toUpperCase",
          "toLowerCase", "trim", "split", "isEmpty", "contains", "startsWith", "endsWith", "replace",
          "compareTo"}},
        {"Math", {"sqrt", "pow", "abs", "max", "min", "random", "round", "floor", "ceil", "sin", "cos"}},
        {"Integer", {"parseInt", "valueOf", "toString"}},
        {"Double", {"parseDouble", "valueOf", "toString"}},
        {"System", {"currentTimeMillis", "exit", "nanoTime"}},
    };
    const QString type = symbol.inType.isEmpty() ? symbol.inClass : symbol.inType;
    for (const QString& method : kMethods.value(type))
        if (method != symbol.name && method.compare(symbol.name, Qt::CaseInsensitive) == 0)
            return kPrefix + QStringLiteral("%1 ではなく %2 と書きます (大文字と小文字は区別されます)。")
                                 .arg(symbol.name, method);
    return {};
}

// The type a literal gives a new variable: "int" for 90, "String" for "x".
QString TypeOfLiteral(const QString& value) {
    static const QRegularExpression integer(QStringLiteral("^-?\\d+$")),
        decimal(QStringLiteral("^-?\\d+\\.\\d*$"));
    if (integer.match(value).hasMatch()) return QStringLiteral("int");
    if (decimal.match(value).hasMatch()) return QStringLiteral("double");
    if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"')) return QStringLiteral("String");
    if (value == u"true" || value == u"false") return QStringLiteral("boolean");
    return {};
}

// A variable that is declared, but in braces this line is not inside: a
// loop's variable used after the loop.
QString OutOfScope(const CompilerMessage& m, const Around& around) {
    const Symbol symbol = MissingSymbol(m);
    if (symbol.kind != u"variable" || symbol.inClass.isEmpty()) return {};
    if (!Declares(SourceCode(m, around), symbol.name)) return {};
    return kPrefix +
           QStringLiteral(
               "変数 %1 は宣言されていますが、ここでは使えません。変数が使えるのは、宣言した { } の中"
               " (for の ( ) で宣言したならその for の中) だけです。ここでも使うなら、外側 (for "
               "の前など) で宣言します。")
               .arg(symbol.name);
}

// A value given to a name that was never declared: the learner meant to
// declare it ("ten2 = 90;").
QString UndeclaredAssigned(const CompilerMessage& m, const Around& around) {
    const Symbol symbol = MissingSymbol(m);
    if (symbol.kind != u"variable" || symbol.inClass.isEmpty()) return {};
    static const QRegularExpression assignment =
        Re(QStringLiteral("^\\s*([\\w$]+)\\s*=(?!=)\\s*([^;]*?)\\s*;\\s*$"));
    const QRegularExpressionMatch match = assignment.match(Code(m.sourceLine));
    if (!match.hasMatch() || match.captured(1) != symbol.name || m.caret != match.capturedStart(1)) return {};
    // The value as written (the code blanks the insides of literals).
    const QString value = m.sourceLine.mid(match.capturedStart(2), match.capturedLength(2));
    const QString type = TypeOfLiteral(value);
    QString hint =
        kPrefix + QStringLiteral("変数 %1 は宣言されていません。新しい変数なら、").arg(symbol.name);
    hint += type.isEmpty()
                ? QStringLiteral("int などの型を付けて宣言します (int %1 = …;)。").arg(symbol.name)
                : QStringLiteral("型を付けて %1 %2 = %3; と宣言します。").arg(type, symbol.name, value);
    const QStringList near = around.source ? NearNames(symbol.name, around.source(m.file)) : QStringList();
    if (near.size() == 1) hint += QStringLiteral("%1 の書き間違いなら、%1 に直します。").arg(near[0]);
    return hint;
}

// A variable that the source declares nowhere.
QString Undeclared(const CompilerMessage& m, const Around& around) {
    const Symbol symbol = MissingSymbol(m);
    if (symbol.kind != u"variable" || symbol.inClass.isEmpty() || !around.source) return {};
    const QString text = around.source(m.file);
    if (text.isEmpty() || !NearNames(symbol.name, text).isEmpty()) return {};
    return kPrefix + QStringLiteral(
                         "変数 %1 はどこにも宣言されていません。使う前に、型を付けて宣言します "
                         "(int %1 = 0; のように)。")
                         .arg(symbol.name);
}

// A method that the learner's own class does not have.
QString OwnMethodMissing(const CompilerMessage& m, const Around& around) {
    const Symbol symbol = MissingSymbol(m);
    if (symbol.kind != u"method" || symbol.inClass.isEmpty() || !around.source) return {};
    const QString text = around.source(m.file);
    static const QString declared = QStringLiteral("\\bclass\\s+%1\\b");
    if (!Re(declared.arg(QRegularExpression::escape(symbol.inClass))).match(Code(text)).hasMatch()) return {};
    if (!NearNames(symbol.name, text).isEmpty()) return {};
    return kPrefix + QStringLiteral(
                         "クラス %1 にはメソッド %2 がありません。名前 (大文字・小文字も) を確かめるか、"
                         "クラスの中にメソッド %2 を作ります。")
                         .arg(symbol.inClass, symbol.name);
}

// The removal warning of the applet classes: the program still compiles.
QString AppletRemoval(const CompilerMessage& m, const Around&) {
    if (!m.message.startsWith(u"[removal] ") ||
        !(m.message.contains(u"java.applet") || m.message.contains(u"JApplet")))
        return {};
    return kPrefix +
           QStringLiteral(
               "これは警告で、エラーではありません。アプレットの仕組みは将来の JDK で削除される予定ですが、"
               "この JDK ではまだ使えます。ほかにエラーがなければ class ファイルはできているので、"
               "ｱﾌﾟﾚｯﾄ実行 で動かせます。");
}

// "for (int i = 0, i < 5, i++)": whatever javac says of the line.
QString ForWithCommas(const CompilerMessage& m, const Around&) {
    static const QRegularExpression header(QStringLiteral("^\\s*for\\s*\\(([^;:]*,[^;:]*)\\)\\s*\\{?\\s*$"));
    if (!header.match(Code(m.sourceLine)).hasMatch()) return {};
    return kPrefix + QStringLiteral(
                         "for の ( ) の中は , ではなく ; で 3 つに区切ります: "
                         "for (int i = 0; i < 5; i++)");
}

QString MissingSemicolon(const CompilerMessage& m, const Around&) {
    const bool semicolon = Says(m.message, u"';' expected", u"';'がありません");
    if (!(semicolon || Says(m.message, u"'{' or ';' expected", u"'{'または';'がありません")) ||
        !CaretAtCodeEnd(m))
        return {};
    // A method header without its "{" reads to javac as a statement
    // without its ";".
    if (IsMethodHeader(m.sourceLine.left(CodeEnd(m.sourceLine))))
        return kPrefix +
               QStringLiteral("この行の終わりに { が足りないようです (メソッドの本体は { で始めます)。");
    if (!semicolon) return {};
    if (!m.sourceLine.sliced(CodeEnd(m.sourceLine)).trimmed().isEmpty())  // a comment follows the code
        return kPrefix +
               QStringLiteral(
                   "; (セミコロン) が足りないようです。文の終わり (コメントの前) に ; を書きます。");
    return kPrefix + QStringLiteral("この行の終わりに ; (セミコロン) が足りないようです。");
}

QString MissingBrace(const CompilerMessage& m, const Around&) {
    if (Says(m.message, u"reached end of file while parsing", u"構文解析中にファイルの終わりに移りました"))
        return kPrefix + QStringLiteral("} が足りません。{ と } の数が合っているか確かめてください。");
    // A method's header where a statement should be: the method above is
    // not closed.
    if (Says(m.message, u"illegal start of expression", u"式の開始が不正です") &&
        StartsWithModifier(m.sourceLine) && m.sourceLine.contains(u'(') &&
        !m.sourceLine.trimmed().endsWith(u';'))
        return kPrefix + QStringLiteral(
                             "この行より前で } が足りないようです。前のメソッドの終わりに } "
                             "があるか確かめてください。");
    return {};
}

// "public static int kaisu = 0;" inside a method.
QString LocalWithModifier(const CompilerMessage& m, const Around&) {
    if (!Says(m.message, u"illegal start of expression", u"式の開始が不正です")) return {};
    static const QRegularExpression declaration =
        Re(QStringLiteral("^\\s*((?:(?:public|private|protected|static|final)\\s+)+)([\\w$][\\w$<>,\\[\\]]*"
                          "\\s+[\\w$]+\\s*(?:=[^;]*)?;)"
                          "\\s*$"));
    const QRegularExpressionMatch match = declaration.match(m.sourceLine);
    // ("final" alone is allowed on a local.)
    if (!match.hasMatch() || m.caret != match.capturedStart(1) || !StartsWithModifier(m.sourceLine))
        return {};
    QString written = match.captured(2);
    if (match.captured(1).contains(u"final")) written.prepend(QStringLiteral("final "));
    return kPrefix + QStringLiteral(
                         "メソッドの中の変数には public、private、static を付けません。%1 と書きます "
                         "(クラス全体で使う変数なら、メソッドの外に書きます)。")
                         .arg(written);
}

// A statement in a class but outside its methods: written there, or left
// there by one "}" too many above it.
QString OutsideMethod(const CompilerMessage& m, const Around& around) {
    if (!Says(m.message, u"<identifier> expected", u"<identifier>がありません") &&
        !Says(m.message, u"illegal start of type", u"型の開始が不正です"))
        return {};
    static const QRegularExpression statement =
        Re(QStringLiteral("^\\s*(?:(?:for|if|while|do|switch|return)\\b.*|[\\w$.]+\\s*\\(.*\\)\\s*;|[\\w$]+"
                          "\\s*(?:\\+\\+|--|[-+*/]?=[^=].*;))"
                          "\\s*$"));
    if (m.line <= 0 || !statement.match(Code(m.sourceLine)).hasMatch()) return {};
    const QString code = SourceCode(m, around);
    if (code.isEmpty() || DepthAt(code, m.line) != 1) return {};
    return kPrefix +
           QStringLiteral(
               "この行はメソッドの外 (クラスの { } のすぐ内側) にあります。文はメソッドの { } "
               "の中に書きます。メソッドの中のつもりなら、この行より前に } が多すぎないか確かめてください。");
}

// A line after the class's closing brace.
QString OutsideClass(const CompilerMessage& m, const Around& around) {
    const bool outside =
        Says(m.message, u"class, interface, enum, or record expected",
             u"class, interface, enumまたはrecordがありません") ||
        Says(m.message, u"class, interface, annotation type, enum, record, method or field expected",
             u"クラス、インタフェース、注釈型、列挙、レコード、メソッドまたはフィールドが必要です") ||
        Says(m.message, u"unnamed classes are a preview feature and are disabled by default.",
             u"無名クラスはプレビュー機能であり、デフォルトで無効になっています。");
    if (!outside || m.line <= 0) return {};
    static const QRegularExpression notCode(QStringLiteral("^\\s*(import|package)\\b"));
    if (notCode.match(m.sourceLine).hasMatch()) return {};
    const QString code = SourceCode(m, around);
    if (code.isEmpty() || DepthAt(code, m.line) != 0) return {};
    return kPrefix + QStringLiteral(
                         "この行はクラスの { } の外にあります。メソッドや文はクラスの { } の中に書きます。"
                         "この行より前に、多すぎる } や足りない { がないか確かめてください。");
}

// "')' expected" for a "(" left open or closed by "]".
QString MissingParenthesis(const CompilerMessage& m, const Around&) {
    if (!Says(m.message, u"')' expected", u"')'がありません") &&
        !Says(m.message, u"')' or ',' expected", u"')'または','がありません"))
        return {};
    QString open;
    for (QChar c : Code(m.sourceLine)) {
        if (c == u'(' || c == u'[' || c == u'{') open += c;
        if (c != u')' && c != u']' && c != u'}') continue;
        const QChar opener = c == u')' ? u'(' : c == u']' ? u'[' : u'{';
        if (open.isEmpty()) return {};
        if (open.back() != opener) {
            if (open.back() != u'(') return {};
            return kPrefix + QStringLiteral("( を %1 で閉じています。( は ) で閉じます。").arg(c);
        }
        open.chop(1);
    }
    if (!open.contains(u'(')) return {};
    return kPrefix + QStringLiteral("( に対応する ) が足りません。この行の ( と ) の数をそろえてください。");
}

// "'あい'": a char literal holds one character.
QString CharLiteral(const CompilerMessage& m, const Around&) {
    if (!Says(m.message, u"unclosed character literal", u"文字リテラルが閉じられていません")) return {};
    static const QRegularExpression several(QStringLiteral("'[^'\\\\]{2,}'"));
    if (!several.match(m.sourceLine).hasMatch()) return {};
    return kPrefix +
           QStringLiteral(
               "' ' で囲めるのは 1 文字 (char) だけです。2 文字以上なら \" \" で囲んで文字列 (String) "
               "にします。");
}

// A full-width space or symbol, as a Japanese input method types it.
QString FullWidth(const CompilerMessage& m, const Around&) {
    static const QRegularExpression illegal(
        QStringLiteral("^(?:illegal character: '\\\\u([0-9a-f]{4})'|'\\\\u([0-9a-f]{4})'は不正な文字です)$"));
    const QRegularExpressionMatch match = illegal.match(m.message);
    if (!match.hasMatch()) return {};
    const char16_t code = char16_t(QString(match.captured(1) + match.captured(2)).toUShort(nullptr, 16));
    if (code == 0x3000)
        return kPrefix + QStringLiteral("全角の空白が入っています。半角の空白にするか、消してください。");
    QChar half;
    if (code >= 0xff01 && code <= 0xff5e) half = QChar(char16_t(code - 0xfee0));
    if (code == 0x201c || code == 0x201d) half = u'"';
    if (code == 0x2018 || code == 0x2019) half = u'\'';
    if (half.isNull()) return {};
    return kPrefix +
           QStringLiteral("全角の「%1」が入っています。半角の %2 で書いてください。").arg(QChar(code), half);
}

// "if (x = 100)": an assignment where a comparison was meant.
QString AssignInCondition(const CompilerMessage& m, const Around&) {
    static const QRegularExpression toBoolean(
        QStringLiteral("^(?:incompatible types: \\w+ cannot be converted to boolean|不適合な型: "
                       "\\w+をbooleanに変換できません:?)$"));
    static const QRegularExpression condition =
        Re(QStringLiteral("\\b(?:if|while)\\s*\\(\\s*([\\w$.\\[\\]]+)\\s*=(?!=)\\s*([^()]*?)\\s*\\)"));
    if (!toBoolean.match(m.message).hasMatch()) return {};
    const QRegularExpressionMatch match = condition.match(m.sourceLine);
    if (!match.hasMatch()) return {};
    return kPrefix +
           QStringLiteral("= は値を入れる記号 (代入) です。等しいか比べるときは == と書きます: (%1 == %2)")
               .arg(match.captured(1), match.captured(2));
}

// "if (x > 3); { ... } else": the ";" ended the if.
QString ElseAfterEmptyIf(const CompilerMessage& m, const Around& around) {
    if (!Says(m.message, u"'else' without 'if'", u"'else'への'if'がありません") || m.line <= 0) return {};
    const QStringList lines = SourceCode(m, around).split(u'\n');
    static const QRegularExpression anyIf(QStringLiteral("\\bif\\s*\\(")),
        emptyIf(QStringLiteral("\\bif\\s*\\(.*\\)\\s*;"));
    for (int i = std::min<int>(m.line, int(lines.size())) - 2; i >= 0; --i) {
        if (!anyIf.match(lines[i]).hasMatch()) continue;
        if (!emptyIf.match(lines[i]).hasMatch()) return {};
        return kPrefix + QStringLiteral(
                             "if (…) のすぐ後に ; があるので、if はそこで終わっています。"
                             "%1 行目の if の ) の後の ; を消します。")
                             .arg(i + 1);
    }
    return {};
}

// "method add in class Args cannot be applied to given types;"
QString ArgumentsDiffer(const CompilerMessage& m, const Around&) {
    static const QRegularExpression english(
        Re(QStringLiteral("^method ([\\w$]+) in class [\\w$.]+ cannot be applied to given types;$")));
    static const QRegularExpression japanese(
        Re(QStringLiteral("^クラス [\\w$.]+のメソッド ([\\w$]+)は指定された型に適用できません。$")));
    QRegularExpressionMatch match = english.match(m.message);
    if (!match.hasMatch()) match = japanese.match(m.message);
    if (!match.hasMatch()) return {};
    static const QRegularExpression required(QStringLiteral("^\\s+(?:required|期待値):\\s+(.*)$")),
        found(QStringLiteral("^\\s+(?:found|検出値):\\s+(.*)$"));
    QString want, got;
    for (const QString& line : m.details) {
        QRegularExpressionMatch r = required.match(line);
        if (r.hasMatch()) want = r.captured(1).trimmed();
        r = found.match(line);
        if (r.hasMatch()) got = r.captured(1).trimmed();
    }
    auto list = [](const QString& types) {
        return types == u"no arguments" || types == u"引数がありません" ? QString() : types;
    };
    if (want.isEmpty() || got.isEmpty()) return {};
    return kPrefix + QStringLiteral(
                         "メソッド %1 が受け取る引数は (%2) ですが、呼び出しでは (%3) を渡しています。"
                         "引数の数と型を、メソッドの宣言にそろえます。")
                         .arg(match.captured(1), list(want), list(got));
}

// A string where an int or a double is needed.
QString StringForNumber(const CompilerMessage& m, const Around&) {
    static const QRegularExpression message(
        QStringLiteral("^(?:incompatible types: String cannot be converted to (int|double|long)|不適合な型: "
                       "Stringを(int|double|long)に変換できません:?)$"));
    const QRegularExpressionMatch match = message.match(m.message);
    if (!match.hasMatch()) return {};
    const QString type = match.captured(1) + match.captured(2);
    if (m.caret >= 0 && m.caret < m.sourceLine.size() && m.sourceLine[m.caret] == u'"') {
        const qsizetype close = m.sourceLine.indexOf(u'"', m.caret + 1);
        if (close < 0) return {};
        const QString inside = m.sourceLine.mid(m.caret + 1, close - m.caret - 1);
        if (!TypeOfLiteral(inside).isEmpty() && TypeOfLiteral(inside) != u"String")
            return kPrefix +
                   QStringLiteral(
                       "\"%1\" は \" \" で囲まれているので文字列 (String) です。数として使うなら \" "
                       "\" を付けずに %1 と書きます。")
                       .arg(inside);
        return kPrefix +
               QStringLiteral(
                   "\"%1\" は文字列 (String) なので、%2 には入りません。文字列を入れるなら、変数の型を "
                   "String にします。")
                   .arg(inside, type);
    }
    if (m.sourceLine.contains(QStringLiteral(".nextLine()")) && type == u"int")
        return kPrefix + QStringLiteral(
                             "nextLine() が読むのは 1 行の文字列 (String) です。整数を読むなら nextInt() "
                             "を使います。");
    const QString parse = type == u"int"    ? QStringLiteral("Integer.parseInt")
                          : type == u"long" ? QStringLiteral("Long.parseLong")
                                            : QStringLiteral("Double.parseDouble");
    return kPrefix +
           QStringLiteral("文字列 (String) は、そのままでは %1 に入りません。%2(文字列) で数に変換します。")
               .arg(type, parse);
}

// "if (s > 10)" with a String s.
QString StringCompared(const CompilerMessage& m, const Around&) {
    static const QRegularExpression message(
        QStringLiteral("^(?:bad operand types for binary operator "
                       "'([<>]=?)'|二項演算子'([<>]=?)'のオペランド型が不正です)$"));
    const QRegularExpressionMatch match = message.match(m.message);
    if (!match.hasMatch()) return {};
    static const QRegularExpression typeLine(
        QStringLiteral("^\\s+(?:first type|second type|最初の型|2番目の型):\\s+(\\S+)$"));
    QStringList types;
    for (const QString& line : m.details) {
        const QRegularExpressionMatch t = typeLine.match(line);
        if (t.hasMatch()) types << t.captured(1);
    }
    static const QStringList kNumbers = {"int", "double", "long", "Integer", "Double"};
    if (types.size() != 2 || !types.contains(QStringLiteral("String")) ||
        !(kNumbers.contains(types[0]) || kNumbers.contains(types[1])))
        return {};
    return kPrefix +
           QStringLiteral(
               "文字列 (String) と数は %1 で比べられません。文字列を Integer.parseInt(…) で数にしてから"
               "比べます。")
               .arg(match.captured(1) + match.captured(2));
}

// "x + 1;": a value computed and dropped.
QString ValueNotUsed(const CompilerMessage& m, const Around&) {
    if (!Says(m.message, u"not a statement", u"文ではありません")) return {};
    static const QRegularExpression expression =
        Re(QStringLiteral("^\\s*([\\w$]+)\\s*([-+*/%])\\s*([\\w$.]+)\\s*;\\s*$"));
    const QRegularExpressionMatch match = expression.match(Code(m.sourceLine));
    if (!match.hasMatch()) return {};
    const QString x = match.captured(1), e = m.sourceLine.trimmed().chopped(1).trimmed();
    return kPrefix +
           QStringLiteral(
               "この行は計算するだけで、その結果をどこにも入れていません。%1 = %2; のように変数に入れます。")
               .arg(x, e);
}

// "wa(int a, int b)" in a call.
QString TypesInCall(const CompilerMessage& m, const Around&) {
    if (!Says(m.message, u"'.class' expected", u"'.class'がありません") || IsMethodHeader(m.sourceLine))
        return {};
    static const QRegularExpression call = Re(QStringLiteral(
        "([\\w$]+)\\s*\\(((?:\\s*(?:int|double|long|char|boolean|String|float)\\s+[\\w$]+\\s*,?)+)\\)"));
    const QRegularExpressionMatch match = call.match(m.sourceLine);
    if (!match.hasMatch() || match.captured(1) == u"for") return {};
    static const QRegularExpression type =
        Re(QStringLiteral("\\b(?:int|double|long|char|boolean|String|float)\\s+"));
    QString args = match.captured(2);
    args.remove(type);
    return kPrefix +
           QStringLiteral("メソッドを呼ぶときは、引数に型を書きません。%1 ではなく %2(%3) と書きます。")
               .arg(match.captured(0), match.captured(1), args.simplified());
}

// The "(Cls.java)" source of a launched class, "pkg/Cls.java" for
// "pkg.Cls".
QString SourceOfClass(const QString& name) {
    return QString(name).replace(u'.', u'/') + QStringLiteral(".java");
}

// Matches a pattern in a view of a line: matchView from Qt 6.5 on, where
// match of a view is deprecated; match before it.
QRegularExpressionMatch MatchIn(const QRegularExpression& pattern, QStringView text) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    return pattern.matchView(text);
#else
    return pattern.match(text);
#endif
}

// "Error: Main method not found in class Paint": run as an application.
LineHint MainNotFound(QStringView line, const SourceText& source) {
    static const QRegularExpression english(Re(QStringLiteral(
        "^Error: Main method not found in class ([\\w$.]+), please define the main method as:$")));
    static const QRegularExpression japanese(
        Re(QStringLiteral("^エラー: "
                          "メイン・メソッドがクラス([\\w$.]+)"
                          "で見つかりません。次のようにメイン・メソッドを定義してください。$")));
    QRegularExpressionMatch match = MatchIn(english, line);
    if (!match.hasMatch()) match = MatchIn(japanese, line);
    if (!match.hasMatch()) return {};
    const QString name = match.captured(1);
    static const QRegularExpression applet(
        QStringLiteral("\\bextends\\s+(?:java\\.applet\\.|javax\\.swing\\.)?J?Applet\\b"));
    if (source && applet.match(Code(source(SourceOfClass(name)))).hasMatch())
        return {
            kPrefix + QStringLiteral(
                          "%1 はアプレット (Applet を継承したクラス) なので、ｱﾌﾟﾘｹｰｼｮﾝ実行 では動きません。"
                          "ｱﾌﾟﾚｯﾄ実行 で、アプレットを書いた HTML ファイルから動かします。")
                          .arg(name),
            2};
    return {kPrefix +
                QStringLiteral(
                    "クラス %1 に、実行を始める main メソッドがありません。public static void main(String[] "
                    "args) と書きます (main のつづり、static、String[] を確かめます)。")
                    .arg(name),
            2};
}

// On a JDK without the applet classes, an applet cannot even be loaded.
LineHint AppletGone(QStringView line, const SourceText&) {
    static const QRegularExpression gone(QStringLiteral(
        "^(?:Caused by: |原因: |Exception in thread \"main\" )java\\.lang\\.NoClassDefFoundError: "
        "(?:java/applet/Applet|javax/swing/JApplet)$"));
    if (!MatchIn(gone, line).hasMatch()) return {};
    return {kPrefix + QStringLiteral(
                          "このクラスはアプレットなので、ｱﾌﾟﾘｹｰｼｮﾝ実行 では動きません (この JDK の java には"
                          "アプレットの仕組みがありません)。ｱﾌﾟﾚｯﾄ実行 で動かします。"),
            0};
}

// "Box (wrong name: shapes/Box)": a class of a package run from its own
// folder.
LineHint WrongName(QStringView line, const SourceText&) {
    static const QRegularExpression wrong(
        Re(QStringLiteral("^(?:Caused by: |原因: )java\\.lang\\.NoClassDefFoundError: ([\\w$/]+) \\(wrong "
                          "name: ([\\w$/]+)\\)$")));
    const QRegularExpressionMatch match = MatchIn(wrong, line);
    if (!match.hasMatch()) return {};
    const QString full = match.captured(2).replace(u'/', u'.');
    const qsizetype dot = full.lastIndexOf(u'.');
    if (dot <= 0) return {};
    const QString package = full.left(dot);
    return {
        kPrefix + QStringLiteral(
                      "このクラスは %1 (パッケージ %2 のクラス) です。パッケージのフォルダ (%3) の一つ上を"
                      "ソースのフォルダにして、名前欄に %1 と入力して実行します。")
                      .arg(full, package, QString(package).replace(u'.', u'/')),
        0};
}

// Classes of a newer JDK's javac run by an older JDK's java.
LineHint ClassVersion(QStringView line, const SourceText&) {
    static const QRegularExpression newer(Re(QStringLiteral(
        "java\\.lang\\.UnsupportedClassVersionError: ([\\w$/.]+) has been compiled by a more "
        "recent version of the Java Runtime \\(class file version (\\d+)\\.\\d+\\), this version "
        "of the Java Runtime only recognizes class file versions up to (\\d+)\\.\\d+$")));
    const QRegularExpressionMatch match = MatchIn(newer, line);
    if (!match.hasMatch()) return {};
    // Class file version 61 is Java 17, 69 is Java 25.
    const int built = match.captured(2).toInt() - 44, runs = match.captured(3).toInt() - 44;
    return {kPrefix +
                QStringLiteral(
                    "%1 は Java %2 の javac でコンパイルされていて、Java %3 の java では動きません。java と "
                    "javac が別の JDK のものです。sudo update-alternatives --config java と sudo "
                    "update-alternatives --config javac で同じ JDK を選ぶか、使う JDK の bin を PATH "
                    "の先頭に置いてから、コンパイルし直します。")
                    .arg(match.captured(1))
                    .arg(built)
                    .arg(runs),
            0};
}

bool FromJdk(const Crash& c) {
    for (const QString& frame : c.framesAbove)
        if (!frame.startsWith(u"java.") && !frame.startsWith(u"jdk.internal.") && !frame.startsWith(u"sun."))
            return false;
    return true;
}

bool CalledFrom(const Crash& c, QStringView method) {
    for (const QString& frame : c.framesAbove)
        if (frame == method) return true;
    return false;
}

QString ScannerNoInput(const Crash& c, const Around&) {
    if (c.type != u"java.util.NoSuchElementException") return {};
    for (const QString& frame : c.framesAbove)
        if (frame.startsWith(u"java.util.Scanner."))
            return kPrefix +
                   QStringLiteral(
                       "入力が足りません。Scanner が値を読もうとしたとき、入力はもう終わっていました。");
    return {};
}

QString ScannerMismatch(const Crash& c, const Around&) {
    if (c.type != u"java.util.InputMismatchException") return {};
    if (CalledFrom(c, u"java.util.Scanner.nextInt") || CalledFrom(c, u"java.util.Scanner.nextLong"))
        return kPrefix +
               QStringLiteral(
                   "nextInt が読めるのは整数 (12 や -5) だけです。入力は整数ではありませんでした "
                   "(abc のような文字や、3.5 のような小数)。小数も読むなら nextDouble を使います。");
    if (CalledFrom(c, u"java.util.Scanner.nextDouble"))
        return kPrefix +
               QStringLiteral(
                   "nextDouble が読めるのは数 (3.5 や 12) だけです。入力は数ではありませんでした。");
    return {};
}

QString NullPointer(const Crash& c, const Around&) {
    // Only where the learner's own line used the null.
    if (c.type != u"java.lang.NullPointerException" || !c.framesAbove.isEmpty()) return {};
    static const QRegularExpression named(QStringLiteral("because \"([^\"<>]+)\" is null$"));
    const QRegularExpressionMatch match = named.match(c.message);
    if (match.hasMatch())
        return kPrefix + QStringLiteral(
                             "%1 が null のまま使われました。使う前に値 (new で作ったものなど) "
                             "を入れてください。")
                             .arg(match.captured(1));
    return kPrefix + QStringLiteral(
                         "null (何も入っていない変数) を使おうとしました。"
                         "この行の変数に値が入っているか確かめてください。");
}

QString ArrayIndex(const Crash& c, const Around&) {
    if (c.type != u"java.lang.ArrayIndexOutOfBoundsException" || !c.framesAbove.isEmpty()) return {};
    static const QRegularExpression bounds(
        QStringLiteral("^Index (-?\\d+) out of bounds for length (\\d+)$"));
    const QRegularExpressionMatch match = bounds.match(c.message);
    if (!match.hasMatch())
        return kPrefix + QStringLiteral("配列の範囲の外を使いました。添字は 0 から (長さ - 1) までです。");
    const QString index = match.captured(1);
    const qlonglong length = match.captured(2).toLongLong();
    if (length == 0)
        return kPrefix + QStringLiteral("長さ 0 の配列に添字 %1 を使いました。この配列には要素がありません。")
                             .arg(index);
    return kPrefix + QStringLiteral("長さ %1 の配列に添字 %2 を使いました。使える添字は 0 から %3 までです。")
                         .arg(length)
                         .arg(index)
                         .arg(length - 1);
}

// charAt or substring past the end of a string, in the words of each JDK.
QString StringIndex(const Crash& c, const Around&) {
    if (c.type != u"java.lang.StringIndexOutOfBoundsException" || c.framesAbove.isEmpty() || !FromJdk(c))
        return {};
    static const QRegularExpression one(
        QStringLiteral("^(?:String index out of range: (-?\\d+)|index (-?\\d+), length (\\d+)|Index (-?\\d+) "
                       "out of bounds for "
                       "length (\\d+))$"));
    static const QRegularExpression range(
        QStringLiteral("^(?:begin (-?\\d+), end (-?\\d+), length (\\d+)|Range \\[(-?\\d+), (-?\\d+)\\) out "
                       "of bounds for length "
                       "(\\d+))$"));
    QRegularExpressionMatch match = range.match(c.message);
    if (match.hasMatch()) {
        const QString begin = match.captured(1) + match.captured(4),
                      end = match.captured(2) + match.captured(5),
                      length = match.captured(3) + match.captured(6);
        return kPrefix +
               QStringLiteral(
                   "長さ %1 の文字列で、位置 %2 から %3 までを取り出そうとしました。substring の数は 0 "
                   "から %1 (長さ) までで、始めが終わりより大きくならないようにします。")
                   .arg(length, begin, end);
    }
    match = one.match(c.message);
    if (!match.hasMatch()) return {};
    const QString index = match.captured(1) + match.captured(2) + match.captured(4);
    const QString length = match.captured(3) + match.captured(5);
    if (length.isEmpty())
        return kPrefix +
               QStringLiteral(
                   "文字列の範囲の外を使いました (位置 %1)。文字の位置は 0 から (長さ - 1) までです。")
                   .arg(index);
    if (length == u"0")
        return kPrefix +
               QStringLiteral("空の文字列 (長さ 0) の位置 %1 を使いました。この文字列には文字がありません。")
                   .arg(index);
    return kPrefix +
           QStringLiteral(
               "文字列の範囲の外を使いました (長さ %1 の文字列の位置 %2)。文字の位置は 0 から %3 までです。")
               .arg(length, index)
               .arg(length.toLongLong() - 1);
}

// get or set past the end of a list.
QString ListIndex(const Crash& c, const Around&) {
    if (c.type != u"java.lang.IndexOutOfBoundsException" || !FromJdk(c)) return {};
    bool list = false;
    for (const QString& frame : c.framesAbove)
        if (frame.startsWith(u"java.util.ArrayList.") || frame.startsWith(u"java.util.LinkedList."))
            list = true;
    static const QRegularExpression bounds(
        QStringLiteral("^Index (-?\\d+) out of bounds for length (\\d+)$"));
    const QRegularExpressionMatch match = bounds.match(c.message);
    if (!list || !match.hasMatch()) return {};
    const qlonglong size = match.captured(2).toLongLong();
    if (size == 0)
        return kPrefix +
               QStringLiteral("空のリスト (要素 0 個) の位置 %1 を使いました。先に add で要素を入れます。")
                   .arg(match.captured(1));
    return kPrefix +
           QStringLiteral(
               "要素 %1 個のリストの位置 %2 を使いました。使える位置は 0 から %3 (size() - 1) までです。")
               .arg(size)
               .arg(match.captured(1))
               .arg(size - 1);
}

QString NumberFormat(const Crash& c, const Around&) {
    if (c.type != u"java.lang.NumberFormatException") return {};
    // The learner's frame is the first outside the JDK's conversion code.
    if (!FromJdk(c)) return {};
    static const QRegularExpression input(QStringLiteral("^For input string: \"(.*)\"( under radix \\d+)?$"));
    const QRegularExpressionMatch match = input.match(c.message);
    if (!match.hasMatch()) return {};
    const QString text = match.captured(1);
    if (text.isEmpty())
        return kPrefix +
               QStringLiteral("空の文字列は数に変換できません。値が入力されているか確かめてください。");
    static const QRegularExpression decimal(
        QStringLiteral("^\\s*[-+]?\\d*\\.\\d+\\s*$|^\\s*[-+]?\\d+\\.\\d*\\s*$"));
    if (decimal.match(text).hasMatch() &&
        (CalledFrom(c, u"java.lang.Integer.parseInt") || CalledFrom(c, u"java.lang.Long.parseLong")))
        return kPrefix + QStringLiteral(
                             "「%1」は小数です。Integer.parseInt が変換できるのは整数だけです。小数なら "
                             "Double.parseDouble を使います (入れる変数は double にします)。")
                             .arg(text);
    return kPrefix + QStringLiteral(
                         "「%1」は数に変換できません。数字だけでできているか (空白などが入っていないか) "
                         "確かめてください。")
                         .arg(text);
}

// "(Integer) o" of an o that holds a String.
QString ClassCast(const Crash& c, const Around&) {
    if (c.type != u"java.lang.ClassCastException" || !c.framesAbove.isEmpty()) return {};
    static const QRegularExpression cast(Re(QStringLiteral(
        "^class (?:[\\w$]+\\.)*([\\w$]+) cannot be cast to class (?:[\\w$]+\\.)*([\\w$]+)\\b")));
    const QRegularExpressionMatch match = cast.match(c.message);
    if (!match.hasMatch()) return {};
    const QString from = match.captured(1), to = match.captured(2);
    QString hint =
        kPrefix + QStringLiteral(
                      "%1 の値を (%2) で %2 に変えようとしました。キャスト (型名を ( ) で書くこと) "
                      "では、値の種類は変わりません。")
                      .arg(from, to);
    if (from == u"String" && (to == u"Integer" || to == u"Double"))
        hint += QStringLiteral("文字列を数にするなら %1 を使います。")
                    .arg(to == u"Integer" ? QStringLiteral("Integer.parseInt(…)")
                                          : QStringLiteral("Double.parseDouble(…)"));
    return hint;
}

// A file that the program opened by a name relative to its folder.
QString FileNotFound(const Crash& c, const Around& around) {
    QString file;
    if (c.type == u"java.io.FileNotFoundException") {
        static const QRegularExpression missing(QStringLiteral(
            "^(.+) \\((?:No such file or directory|そのようなファイルやディレクトリはありません)\\)$"));
        const QRegularExpressionMatch match = missing.match(c.message);
        if (match.hasMatch()) file = match.captured(1);
    } else if (c.type == u"java.nio.file.NoSuchFileException") {
        file = c.message;
    }
    if (file.isEmpty() || !FromJdk(c)) return {};
    if (file.startsWith(u'/'))
        return kPrefix +
               QStringLiteral("ファイル %1 が見つかりません。場所と名前 (拡張子も) を確かめてください。")
                   .arg(file);
    if (around.folder.isEmpty()) return {};
    return kPrefix +
           QStringLiteral(
               "ファイル %1 が見つかりません。プログラムは %1 を、ソースのフォルダ %2 の中で探しました。"
               "ファイルがそこにあるか、名前 (拡張子も) を確かめてください。")
               .arg(file, around.folder);
}

// The table: each rule looks at a compiler message, at a crash or at a
// line of java's launcher; the first that is sure gives the hint.
struct Rule {
    const char* name;
    Help help;
    QString (*message)(const CompilerMessage&, const Around&);
    QString (*crash)(const Crash&, const Around&);
    LineHint (*line)(QStringView, const SourceText&);
};

const Rule kRules[] = {
    {"public-class-name", kFileName, PublicClassName, nullptr, nullptr},
    {"case-near-symbol", kNames, CaseNearSymbol, nullptr, nullptr},
    {"for-with-commas", kSemicolon, ForWithCommas, nullptr, nullptr},
    {"missing-semicolon", kSemicolon, MissingSemicolon, nullptr, nullptr},
    {"missing-brace", kBraces, MissingBrace, nullptr, nullptr},
    {"local-with-modifier", kDeclarations, LocalWithModifier, nullptr, nullptr},
    {"outside-method", kBraces, OutsideMethod, nullptr, nullptr},
    {"outside-class", kBraces, OutsideClass, nullptr, nullptr},
    {"missing-parenthesis", kBraces, MissingParenthesis, nullptr, nullptr},
    {"char-literal", kLiterals, CharLiteral, nullptr, nullptr},
    {"full-width", kLiterals, FullWidth, nullptr, nullptr},
    {"jdk-class-case", kJdkNames, JdkClassCase, nullptr, nullptr},
    {"missing-import", kJdkNames, MissingImport, nullptr, nullptr},
    {"constructor-without-new", kJdkNames, ConstructorWithoutNew, nullptr, nullptr},
    {"length-of", kJdkNames, LengthOf, nullptr, nullptr},
    {"jdk-method-case", kJdkNames, JdkMethodCase, nullptr, nullptr},
    {"out-of-scope", kNames, OutOfScope, nullptr, nullptr},
    {"undeclared-assigned", kNames, UndeclaredAssigned, nullptr, nullptr},
    {"near-name", kNames, NearName, nullptr, nullptr},
    {"undeclared", kNames, Undeclared, nullptr, nullptr},
    {"own-method-missing", kNames, OwnMethodMissing, nullptr, nullptr},
    {"assign-in-condition", kConditions, AssignInCondition, nullptr, nullptr},
    {"else-after-empty-if", kConditions, ElseAfterEmptyIf, nullptr, nullptr},
    {"arguments-differ", kCalls, ArgumentsDiffer, nullptr, nullptr},
    {"string-for-number", kTypes, StringForNumber, nullptr, nullptr},
    {"string-compared", kTypes, StringCompared, nullptr, nullptr},
    {"value-not-used", kFlow, ValueNotUsed, nullptr, nullptr},
    {"types-in-call", kCalls, TypesInCall, nullptr, nullptr},
    {"applet-removal", kAppletWarning, AppletRemoval, nullptr, nullptr},
    {"scanner-no-input", kInput, nullptr, ScannerNoInput, nullptr},
    {"scanner-mismatch", kInput, nullptr, ScannerMismatch, nullptr},
    {"null-pointer", kRanges, nullptr, NullPointer, nullptr},
    {"array-index", kRanges, nullptr, ArrayIndex, nullptr},
    {"string-index", kRanges, nullptr, StringIndex, nullptr},
    {"list-index", kRanges, nullptr, ListIndex, nullptr},
    {"number-format", kArithmetic, nullptr, NumberFormat, nullptr},
    {"class-cast", kArithmetic, nullptr, ClassCast, nullptr},
    {"file-not-found", kMissingFile, nullptr, FileNotFound, nullptr},
    {"main-not-found", kLaunch, nullptr, nullptr, MainNotFound},
    {"applet-gone", kLaunch, nullptr, nullptr, AppletGone},
    {"wrong-name", kLaunch, nullptr, nullptr, WrongName},
    {"class-version", kLaunch, nullptr, nullptr, ClassVersion},
};

// Messages whose hint needs nothing else: a compiler message in English and
// in Japanese (a pattern of the whole message; "%1" in the hint is its first
// group), or an exception's "TYPE: message" thrown by the learner's own line.
struct Fixed {
    const char* name;
    Help help;
    const char* english;
    const char* japanese;  // nullptr for an exception
    const char* hint;
};

const Fixed kFixed[] = {
    {"unclosed-string", kLiterals, "unclosed string literal", "文字列リテラルが閉じられていません",
     "文字列の \" が閉じていません。文字列は同じ行の中で \"…\" のように \" で閉じます。"},
    {"missing-return", kFlow, "missing return statement", "return文が指定されていません",
     "値を返すメソッドなのに、return を通らずに終わる道があります (if の条件に合わなかったときなど)。"
     "どの道を通っても return で値を返すように、メソッドの最後にも return を書きます。"},
    {"unreachable", kFlow, "unreachable statement", "この文に制御が移ることはありません",
     "この文は実行されることがありません。すぐ前の return (または break、continue) で先に抜けるからです。"
     "return より前に移すか、消します。"},
    {"return-type-required", kDeclarations, "invalid method declaration; return type required",
     "無効なメソッド宣言です。戻り値の型が必要です。",
     "メソッドの名前の前には戻り値の型が要ります。値を返さないなら void を書きます (static void hello())。"},
    {"semicolon-after-header", kBraces, "missing method body, or declare abstract",
     "メソッド本体がないか、abstractとして宣言されています",
     "メソッドの ( ) の後に ; があります。; を消して、その後に { … } の本体を書きます。"},
    {"void-value", kTypes, "'void' type not allowed here", "ここで'void'型を使用することはできません",
     "値を返さない (void の) メソッドの結果を使おうとしています。println などの ( ) "
     "に入れずに、そのメソッドだけを"
     "呼びます。値を返させるなら、void を int などの型にして return で返します。"},
    {"void-return", kTypes, "incompatible types: unexpected return value", "不適合な型: 予期しない戻り値",
     "void のメソッドは値を返せません。値を返すなら、メソッドの宣言の void を返す値の型 (int など) "
     "にします。"},
    {"lossy-conversion", kTypes, "incompatible types: possible lossy conversion from (\\w+) to (\\w+)",
     "不適合な型: 精度が失われる可能性がある(\\w+)から(\\w+)への変換",
     "%1 の値は、そのままでは %2 の変数に入りません (小数部などが失われるため)。変数の型を %1 にするか、"
     "(%2) を前に付けて変換します。"},
    {"non-static-method", kCalls,
     "non-static method ([\\w$]+)\\(.*\\) cannot be referenced from a static context",
     "staticでないメソッド ([\\w$]+)\\(.*\\)をstaticコンテキストから参照することはできません",
     "main は static なので、static の付いていないメソッド %1 をそのまま呼べません。"
     "メソッドの宣言に static を付けます (static void %1() のように)。"},
    {"non-static-variable", kCalls,
     "non-static variable ([\\w$]+) cannot be referenced from a static context",
     "staticでない変数 ([\\w$]+)をstaticコンテキストから参照することはできません",
     "main は static なので、static の付いていない変数 %1 をそのまま使えません。宣言に static を付けるか "
     "(static int %1 のように)、main の中で宣言します。"},
    {"uninitialized", kFlow, "variable ([\\w$]+) might not have been initialized",
     "変数([\\w$]+)は初期化されていない可能性があります",
     "変数 %1 に値が入らないまま使われることがあります。宣言するところで最初の値を入れます (%1 = 0 "
     "のように)。"},
    {"already-defined", kFlow, "variable ([\\w$]+) is already defined in method .*",
     "変数 ([\\w$]+)はすでにメソッド .*で定義されています",
     "変数 %1 はこのメソッドの中ですでに宣言されています。2 回目は型を付けずに %1 = …; と書きます "
     "(別の変数なら別の名前にします)。"},
    {"unreported-exception", kExceptions,
     "unreported exception ([\\w$.]+); must be caught or declared to be thrown",
     "例外([\\w$.]+)は報告されません。スローするには、捕捉または宣言する必要があります",
     "ここで呼んでいるメソッドは %1 (例外) を投げることがあります。このメソッドの宣言の ( ) の後に throws %1 "
     "を付けるか (main(String[] args) throws %1)、try { … } catch (%1 e) { … } で囲みます。"},
    {"primitive-dereferenced", kTypes, "(int|double|long|char|boolean) cannot be dereferenced",
     "(int|double|long|char|boolean)は間接参照できません",
     "%1 は数や文字そのもの (基本型) なので、. を付けてメソッドを呼べません。比べるなら == を使います "
     "(n == 5)。文字列にするなら String.valueOf(…) を使います。"},
    {"division-by-zero", kArithmetic, "java.lang.ArithmeticException: / by zero", nullptr,
     "0 で割り算をしました (% も同じです)。割る数が 0 にならないか確かめ、0 になるときは if "
     "で割らないようにします。"},
    {"endless-recursion", kArithmetic, "java.lang.StackOverflowError", nullptr,
     "メソッドが自分自身を呼び続けて終わりませんでした (終わりのない再帰)。ある条件で呼ぶのをやめて return "
     "する if があるか確かめてください。"},
};

// The patterns of the fixed messages, made once: English, Japanese.
const std::vector<std::pair<QRegularExpression, QRegularExpression>>& FixedPatterns() {
    static const auto patterns = [] {
        std::vector<std::pair<QRegularExpression, QRegularExpression>> out;
        auto whole = [](const char* pattern) {
            return pattern ? Re(u'^' + QString::fromUtf8(pattern) + u'$') : QRegularExpression();
        };
        for (const Fixed& fixed : kFixed) out.emplace_back(whole(fixed.english), whole(fixed.japanese));
        return out;
    }();
    return patterns;
}

// The hint of the first fixed message that is `text`: a compiler's
// message, or else an exception's.
QString FixedHint(const QString& text, bool message) {
    for (size_t i = 0; i < std::size(kFixed); ++i) {
        const Fixed& fixed = kFixed[i];
        if ((fixed.japanese != nullptr) != message) continue;
        const auto& [english, japanese] = FixedPatterns()[i];
        QRegularExpressionMatch match = english.match(text);
        if (!match.hasMatch() && message) match = japanese.match(text);
        if (!match.hasMatch()) continue;
        QString hint = QString::fromUtf8(fixed.hint);
        for (int n = match.lastCapturedIndex(); n >= 1; --n)
            hint.replace(QStringLiteral("%") + QString::number(n), match.captured(n));
        return kPrefix + hint;
    }
    return {};
}

}  // namespace

QString ForMessage(const CompilerMessage& message, const FolderFiles& folderFiles,
                   const SourceText& sourceText) {
    const QString none;
    const Around around{folderFiles, sourceText, none};
    for (const Rule& rule : kRules) {
        if (!rule.message) continue;
        QString hint = rule.message(message, around);
        if (!hint.isEmpty()) return hint;
    }
    return FixedHint(message.message, true);
}

QString ForCrash(const Crash& crash, const QString& folder) {
    const FolderFiles files;
    const SourceText source;
    const Around around{files, source, folder};
    for (const Rule& rule : kRules) {
        if (!rule.crash) continue;
        QString hint = rule.crash(crash, around);
        if (!hint.isEmpty()) return hint;
    }
    if (!crash.framesAbove.isEmpty()) return {};
    const QString text =
        crash.message.isEmpty() ? crash.type : crash.type + QStringLiteral(": ") + crash.message;
    return FixedHint(text, false);
}

LineHint ForLine(QStringView line, const SourceText& sourceText) {
    while (line.endsWith(u'\r')) line.chop(1);
    // Every line the rules know names an error; most output is told apart
    // here, before any pattern.
    if (!line.contains(u"Error") && !line.startsWith(u"エラー: ") && !line.startsWith(u"原因: ")) return {};
    for (const Rule& rule : kRules) {
        if (!rule.line) continue;
        LineHint hint = rule.line(line, sourceText);
        if (!hint.text.isEmpty()) return hint;
    }
    return {};
}

QStringList RuleNames() {
    QStringList names;
    for (const Rule& rule : kRules) names << QString::fromLatin1(rule.name);
    for (const Fixed& fixed : kFixed) names << QString::fromLatin1(fixed.name);
    return names;
}

QStringList HelpItems() {
    QSet<int> used;
    for (const Rule& rule : kRules) used.insert(rule.help);
    for (const Fixed& fixed : kFixed) used.insert(fixed.help);
    QStringList items;
    for (int i = 0; i < int(std::size(kHelpItems)); ++i)
        if (used.contains(i)) items << QString::fromUtf8(kHelpItems[i]);
    return items;
}

}  // namespace LearnerHints
