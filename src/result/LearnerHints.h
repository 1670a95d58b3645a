// Short hints in Japanese for the mistakes a learner makes most: a table of
// rules, each sure of itself or silent, and a table of messages whose hint
// needs nothing but the message. Pure text in, text out.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace LearnerHints {

// Every hint starts with this, so it reads as a hint and not as a line of
// the compiler's or the program's output.
inline const QString kPrefix = QStringLiteral("ヒント: ");

// One message of the compiler, with the lines it printed under it.
struct CompilerMessage {
    QString file;         // the file as the compiler named it ("Bad.java", "/abs/x/Bad.java")
    QString message;      // the text after "error: " / "エラー: "
    QString sourceLine;   // the quoted source line; "" when none was printed
    int caret = -1;       // the column of the caret under it; -1 when none
    QStringList details;  // the indented lines below the caret ("  symbol:   class helper")
    int line = 0;         // the line of the source the message names (1 = the first); 0 when unknown
};

// An exception that ended a program, as far as its first frame in the
// learner's own code.
struct Crash {
    QString type;             // "java.lang.NullPointerException"
    QString message;          // the text after "TYPE: "; "" when none
    QStringList framesAbove;  // "java.util.Scanner.throwFor" ... for the frames above the learner's
};

// The names of the files in the run's folder; asked for only by a rule that
// needs them.
using FolderFiles = std::function<QStringList()>;
// The text of a source (its file as the compiler named it, or a path
// relative to the run's folder); asked for only by a rule that needs it, ""
// when it cannot be read.
using SourceText = std::function<QString(const QString& file)>;

// The hint for a compiler message, or "" when no rule is sure of it.
QString ForMessage(const CompilerMessage& message, const FolderFiles& folderFiles,
                   const SourceText& sourceText = {});
// The hint for a crash whose trace reached the learner's code, or "".
// `folder` is the source folder as the learner chose it (where the program
// runs and looks for the files it opens).
QString ForCrash(const Crash& crash, const QString& folder = {});

// A hint for a line that java's launcher prints instead of a trace ("Error:
// Main method not found in class ..."), to be shown after the line and the
// `linesUnder` lines that belong to it.
struct LineHint {
    QString text;  // "" when no rule knows the line
    int linesUnder = 0;
};
LineHint ForLine(QStringView line, const SourceText& sourceText = {});

// The names of the rules and of the fixed messages, in order (unique).
QStringList RuleNames();
// What the help lists as the mistakes that get a hint, one item per entry,
// as plain text: every rule and fixed message belongs to one of them.
QStringList HelpItems();

}  // namespace LearnerHints
