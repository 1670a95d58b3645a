// Short hints in Japanese for the mistakes a learner makes most: a few rules,
// one table, each sure of itself or silent. Pure text in, text out.
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
// The text of the source a message names (its file as the compiler named
// it); asked for only by a rule that needs it, "" when it cannot be read.
using SourceText = std::function<QString(const QString& file)>;

// The hint for a compiler message, or "" when no rule is sure of it.
QString ForMessage(const CompilerMessage& message, const FolderFiles& folderFiles,
                   const SourceText& sourceText = {});
// The hint for a crash whose trace reached the learner's code, or "".
QString ForCrash(const Crash& crash);

// The names of the rules of the table, in order (for the tests and the
// documentation: there are never more than twelve).
QStringList RuleNames();

}  // namespace LearnerHints
