// The hint rules: one table of small functions, each sure of its hint or
// silent.
#include "LearnerHints.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <utility>

namespace LearnerHints {

namespace {

// javac prints its messages in English or in Japanese, after the language
// of the user; each rule knows both.
bool Says(const QString& message, QStringView english, QStringView japanese) {
    return message == english || message == japanese;
}

// What a rule may ask about besides the message itself.
struct Around {
    const FolderFiles& files;
    const SourceText& source;
};

// The kind and name of a missing symbol: "class", "variable" or "method"
// (from "  symbol:   method shw(int)" / "  シンボル:   メソッド shw(int)").
struct Symbol {
    QString kind, name;
};
Symbol MissingSymbol(const CompilerMessage& m) {
    if (!Says(m.message, u"cannot find symbol", u"シンボルを見つけられません")) return {};
    static const QRegularExpression symbol(
        QStringLiteral("^\\s+(?:symbol|シンボル):\\s+(class|variable|method|クラス|変数|メソッド)\\s+([\\w$]+"
                       ")(?:\\(.*\\))?\\s*$"));
    for (const QString& line : m.details) {
        const QRegularExpressionMatch match = symbol.match(line);
        if (!match.hasMatch()) continue;
        QString kind = match.captured(1);
        if (kind == u"クラス") kind = QStringLiteral("class");
        if (kind == u"変数") kind = QStringLiteral("variable");
        if (kind == u"メソッド") kind = QStringLiteral("method");
        return {kind, match.captured(2)};
    }
    return {};
}

bool StartsWithModifier(const QString& sourceLine) {
    static const QRegularExpression modifier(QStringLiteral("^\\s*(public|private|protected|static)\\s"));
    return modifier.match(sourceLine).hasMatch();
}

// The caret stands just after the last character of the quoted line.
bool CaretAtLineEnd(const CompilerMessage& m) {
    if (m.caret < 0) return false;
    qsizetype end = m.sourceLine.size();
    while (end > 0 && m.sourceLine[end - 1].isSpace()) --end;
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

QString CaseNearSymbol(const CompilerMessage& m, const Around& around) {
    const FolderFiles& folderFiles = around.files;
    if (!Says(m.message, u"cannot find symbol", u"シンボルを見つけられません") || !folderFiles) return {};
    static const QRegularExpression symbol(
        QStringLiteral("^\\s+(?:symbol|シンボル):\\s+(?:class|variable|クラス|変数)\\s+([\\w$]+)\\s*$"));
    QString name;
    for (const QString& line : m.details) {
        const QRegularExpressionMatch match = symbol.match(line);
        if (match.hasMatch()) {
            name = match.captured(1);
            break;
        }
    }
    if (name.isEmpty()) return {};
    const QString source = name + QStringLiteral(".java");
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
                         .arg(near, name, className);
}

// The identifiers of a source, outside its comments and literals.
QSet<QString> Identifiers(const QString& source) {
    QSet<QString> names;
    const qsizetype n = source.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = source[i];
        if (c == u'/' && i + 1 < n && source[i + 1] == u'/') {
            i = source.indexOf(u'\n', i);
            if (i < 0) break;
        } else if (c == u'/' && i + 1 < n && source[i + 1] == u'*') {
            i = source.indexOf(QStringLiteral("*/"), i + 2);
            if (i < 0) break;
            i += 2;
        } else if (c == u'"' || c == u'\'') {
            // To the closing quote on the same line, past escaped ones.
            ++i;
            while (i < n && source[i] != c && source[i] != u'\n') i += source[i] == u'\\' ? 2 : 1;
            ++i;
        } else if (c.isLetter() || c == u'_' || c == u'$') {
            const qsizetype start = i;
            while (i < n && (source[i].isLetterOrNumber() || source[i] == u'_' || source[i] == u'$')) ++i;
            names.insert(source.sliced(start, i - start));
        } else if (c.isDigit()) {
            while (i < n && (source[i].isLetterOrNumber() || source[i] == u'_' || source[i] == u'.')) ++i;
        } else {
            ++i;
        }
    }
    return names;
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
// name ("Math.sqrt"), which javac then calls a variable, and the others.
const QStringList kStaticUseClasses = {"String",  "System", "Math",  "Integer", "Double", "Character",
                                       "Boolean", "Long",   "Float", "Arrays",  "Thread"};
const QStringList kOtherClasses = {
    "Scanner",    "Object",   "ArrayList", "List",   "HashMap", "Map",  "Random",         "StringBuilder",
    "Exception",  "Graphics", "Color",     "Applet", "JFrame",  "Font", "BufferedReader", "InputStreamReader",
    "IOException"};

bool IsJdkClass(const QString& name) {
    return kStaticUseClasses.contains(name) || kOtherClasses.contains(name);
}

// A variable or method that is not there, when one name of the same source
// differs from it only in case, or else (for names of three letters or
// more) by one letter; silent when more than one name would fit.
QString NearName(const CompilerMessage& m, const Around& around) {
    const Symbol symbol = MissingSymbol(m);
    if ((symbol.kind != u"variable" && symbol.kind != u"method") || !around.source) return {};
    const QString text = around.source(m.file);
    if (text.isEmpty()) return {};
    QStringList byCase, byLetter;
    for (const QString& name : Identifiers(text)) {
        if (name == symbol.name || IsKeyword(name) || IsJdkClass(name)) continue;
        if (name.compare(symbol.name, Qt::CaseInsensitive) == 0)
            byCase << name;
        else if (symbol.name.size() >= 3 && name.size() >= 3 && OneLetterApart(name, symbol.name))
            byLetter << name;
    }
    const QStringList& near = byCase.isEmpty() ? byLetter : byCase;
    if (near.size() != 1) return {};
    const QString what = symbol.kind == u"method" ? QStringLiteral("メソッド") : QStringLiteral("変数");
    if (!byCase.isEmpty())
        return kPrefix + QStringLiteral(
                             "%1 %2 はありません。%3 の書き間違いではありませんか "
                             "(大文字と小文字は区別されます)。")
                             .arg(what, symbol.name, near[0]);
    return kPrefix + QStringLiteral("%1 %2 はありません。%3 の書き間違いではありませんか。")
                         .arg(what, symbol.name, near[0]);
}

// A class of the JDK written in lower case: "scanner", "string", and
// "system.out", which javac reads as a package.
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
        symbol.kind == u"variable" ? kStaticUseClasses : kStaticUseClasses + kOtherClasses;
    for (const QString& cls : classes) {
        if (written != cls && written.compare(cls, Qt::CaseInsensitive) == 0)
            return kPrefix + QStringLiteral(
                                 "%1 ではなく %2 と書きます。Java のクラス名は大文字で始まります "
                                 "(大文字と小文字は区別されます)。")
                                 .arg(written, cls);
    }
    return {};
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

QString MissingSemicolon(const CompilerMessage& m, const Around&) {
    if (!Says(m.message, u"';' expected", u"';'がありません") || !CaretAtLineEnd(m)) return {};
    // A method header without its "{" reads to javac as a statement
    // without its ";".
    static const QRegularExpression header(QStringLiteral("\\)\\s*(throws\\s+[\\w.,\\s]+)?$"));
    if (StartsWithModifier(m.sourceLine) && header.match(m.sourceLine.trimmed()).hasMatch())
        return kPrefix +
               QStringLiteral("この行の終わりに { が足りないようです (メソッドの本体は { で始めます)。");
    return kPrefix + QStringLiteral("この行の終わりに ; (セミコロン) が足りないようです。");
}

QString MissingBrace(const CompilerMessage& m, const Around&) {
    if (Says(m.message, u"reached end of file while parsing", u"構文解析中にファイルの終わりに移りました"))
        return kPrefix + QStringLiteral("} が足りません。{ と } の数が合っているか確かめてください。");
    // A declaration where a statement should be: the method above is not
    // closed.
    if (Says(m.message, u"illegal start of expression", u"式の開始が不正です") &&
        StartsWithModifier(m.sourceLine))
        return kPrefix + QStringLiteral(
                             "この行より前で } が足りないようです。前のメソッドの終わりに } "
                             "があるか確かめてください。");
    return {};
}

QString ScannerNoInput(const Crash& c) {
    if (c.type != u"java.util.NoSuchElementException") return {};
    for (const QString& frame : c.framesAbove)
        if (frame.startsWith(u"java.util.Scanner."))
            return kPrefix +
                   QStringLiteral(
                       "入力が足りません。Scanner が値を読もうとしたとき、入力はもう終わっていました。");
    return {};
}

QString ScannerMismatch(const Crash& c) {
    if (c.type != u"java.util.InputMismatchException") return {};
    for (const QString& frame : c.framesAbove)
        if (frame.startsWith(u"java.util.Scanner."))
            return kPrefix + QStringLiteral(
                                 "数を読むところに、数でない入力がありました。nextInt や nextDouble "
                                 "には数字だけを入力してください。");
    return {};
}

QString NullPointer(const Crash& c) {
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

QString ArrayIndex(const Crash& c) {
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

QString NumberFormat(const Crash& c) {
    if (c.type != u"java.lang.NumberFormatException") return {};
    // The learner's frame is the first outside the JDK's conversion code.
    for (const QString& frame : c.framesAbove)
        if (!frame.startsWith(u"java.")) return {};
    static const QRegularExpression input(QStringLiteral("^For input string: \"(.*)\"( under radix \\d+)?$"));
    const QRegularExpressionMatch match = input.match(c.message);
    if (!match.hasMatch()) return {};
    if (match.captured(1).isEmpty())
        return kPrefix +
               QStringLiteral("空の文字列は数に変換できません。値が入力されているか確かめてください。");
    return kPrefix + QStringLiteral(
                         "「%1」は数に変換できません。数字だけでできているか (空白などが入っていないか) "
                         "確かめてください。")
                         .arg(match.captured(1));
}

// The table: each rule looks at a compiler message or at a crash.
struct Rule {
    const char* name;
    QString (*message)(const CompilerMessage&, const Around&);
    QString (*crash)(const Crash&);
};

const Rule kRules[] = {
    {"public-class-name", PublicClassName, nullptr},
    {"case-near-symbol", CaseNearSymbol, nullptr},
    {"missing-semicolon", MissingSemicolon, nullptr},
    {"missing-brace", MissingBrace, nullptr},
    {"jdk-class-case", JdkClassCase, nullptr},
    {"near-name", NearName, nullptr},
    {"applet-removal", AppletRemoval, nullptr},
    {"scanner-no-input", nullptr, ScannerNoInput},
    {"scanner-mismatch", nullptr, ScannerMismatch},
    {"null-pointer", nullptr, NullPointer},
    {"array-index", nullptr, ArrayIndex},
    {"number-format", nullptr, NumberFormat},
};
static_assert(std::size(kRules) <= 12, "a learner reads a few sure hints, not many");

}  // namespace

QString ForMessage(const CompilerMessage& message, const FolderFiles& folderFiles,
                   const SourceText& sourceText) {
    const Around around{folderFiles, sourceText};
    for (const Rule& rule : kRules) {
        if (!rule.message) continue;
        QString hint = rule.message(message, around);
        if (!hint.isEmpty()) return hint;
    }
    return {};
}

QString ForCrash(const Crash& crash) {
    for (const Rule& rule : kRules) {
        if (!rule.crash) continue;
        QString hint = rule.crash(crash);
        if (!hint.isEmpty()) return hint;
    }
    return {};
}

QStringList RuleNames() {
    QStringList names;
    for (const Rule& rule : kRules) names << QString::fromLatin1(rule.name);
    return names;
}

}  // namespace LearnerHints
