#include "LearnerHints.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace LearnerHints {

namespace {

// javac prints its messages in English or in Japanese, after the language
// of the user; each rule knows both.
bool Says(const QString& message, QStringView english, QStringView japanese) {
    return message == english || message == japanese;
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

QString PublicClassName(const CompilerMessage& m, const FolderFiles&) {
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

QString CaseNearSymbol(const CompilerMessage& m, const FolderFiles& folderFiles) {
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

QString MissingSemicolon(const CompilerMessage& m, const FolderFiles&) {
    if (!Says(m.message, u"';' expected", u"';'がありません") || !CaretAtLineEnd(m)) return {};
    // A method header without its "{" reads to javac as a statement
    // without its ";".
    static const QRegularExpression header(QStringLiteral("\\)\\s*(throws\\s+[\\w.,\\s]+)?$"));
    if (StartsWithModifier(m.sourceLine) && header.match(m.sourceLine.trimmed()).hasMatch())
        return kPrefix +
               QStringLiteral("この行の終わりに { が足りないようです (メソッドの本体は { で始めます)。");
    return kPrefix + QStringLiteral("この行の終わりに ; (セミコロン) が足りないようです。");
}

QString MissingBrace(const CompilerMessage& m, const FolderFiles&) {
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
    QString (*message)(const CompilerMessage&, const FolderFiles&);
    QString (*crash)(const Crash&);
};

const Rule kRules[] = {
    {"public-class-name", PublicClassName, nullptr},
    {"case-near-symbol", CaseNearSymbol, nullptr},
    {"missing-semicolon", MissingSemicolon, nullptr},
    {"missing-brace", MissingBrace, nullptr},
    {"scanner-no-input", nullptr, ScannerNoInput},
    {"null-pointer", nullptr, NullPointer},
    {"array-index", nullptr, ArrayIndex},
    {"number-format", nullptr, NumberFormat},
};
static_assert(std::size(kRules) <= 8, "a learner reads a few sure hints, not many");

}  // namespace

QString ForMessage(const CompilerMessage& message, const FolderFiles& folderFiles) {
    for (const Rule& rule : kRules) {
        if (!rule.message) continue;
        QString hint = rule.message(message, folderFiles);
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
