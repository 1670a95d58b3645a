// Finds the lines of a result that lead to a place in a source: the
// compiler's errors and warnings (English or Japanese), the frames of a stack
// trace whose source is in the run's folder, and the "Exception in thread"
// line above them. The lines are given whole, as the result file's reader
// broke them, and numbered from the start of the text.
#pragma once

#include "result/LearnerHints.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

namespace ProblemLines {

enum class Kind {
    Error,      // "Bad.java:3: error: ..." / "Bad.java:3: エラー: ..."
    Warning,    // "Bad.java:3: warning: ..." / "Bad.java:3: 警告:..."
    Frame,      // "\tat Cls.method(Cls.java:5)" whose source is in the run's folder
    Exception,  // "Exception in thread "main" ..." / "Caused by: ..."
};

struct Problem {
    qint64 line = 0;  // the line of the text (0 = the first since the last reset)
    Kind kind = Kind::Error;
    // The source to open and its line (1 = the first). A compiler message
    // always names one (which may since have gone: check before opening);
    // an exception line gets its first linked frame's once that arrives.
    QString file;
    int fileLine = 0;
    qint64 target = -1;  // Exception: the line of its first linked frame; -1 until one arrives

    bool opens() const { return !file.isEmpty(); }
};

// A hint to show under a line, when the window shows hints.
struct Hint {
    qint64 afterLine = 0;
    QString text;
};

struct Counts {
    int errors = 0;
    int warnings = 0;
};

// "エラー 2、警告 1", "エラー 2", "警告 1"; "" when there are none.
QString CountsText(const Counts& counts);

// What one line says, read on its own.
struct LineInfo {
    enum Type { Plain, Error, Warning, Frame, Exception, Summary };
    Type type = Plain;
    QString path;      // Error/Warning: the file as printed; Frame: the file name in the parentheses
    int line = 0;      // Error/Warning/Frame: the line number; Summary: the count
    QString text;      // Error/Warning: the message; Exception: the message after the type
    QString name;      // Frame: "pkg.Cls$Inner.method"; Exception: the type; Summary: "error" or "warning"
    bool jdk = false;  // Frame: a frame of the JDK's own classes (never the learner's)
};
LineInfo ReadLine(QStringView line);

// The run's folder: where relative paths start, and where the sources of
// frames are looked for.
struct Folder {
    QString path;                                    // no trailing "/" needed
    std::function<bool(const QString&)> fileExists;  // an ordinary file is there
    std::function<QStringList()> files;              // names of the files in it (for hints only)
    std::function<QString(const QString&)> source;   // the text of a source, by path (for hints only)
};

class ProblemScanner {
public:
    explicit ProblemScanner(Folder folder = {});

    // The folder for the lines that follow.
    void setFolder(Folder folder);
    // A new text begins: everything is forgotten, lines count from 0 again.
    void reset();
    // Reads the next line of the text. The rest of a line broken for its
    // length (`continued`) is counted but never read as a message.
    void addLine(QStringView line, bool continued = false);
    // The text is complete (the run ended): a hint that waited for the lines
    // under its message is given.
    void finish();

    // Lines read so far.
    qint64 lineCount() const { return m_lines; }
    // The problems found so far, in the order of their lines.
    const std::deque<Problem>& problems() const { return m_problems; }
    // The problems found since the last call (to mark them as they arrive).
    std::vector<Problem> takeNew();
    // Hints found since the last call; each text is given once per text.
    std::vector<Hint> takeHints();
    // The problem on a line, or nullptr.
    const Problem* at(qint64 line) const;
    // The next problem after `line` that opens a source (an error, a warning
    // or a linked frame; not an exception line, whose frame follows it),
    // from the start again after the last; with `backwards`, the previous one
    // before `line`, from the end again before the first. `line` -1 means
    // "from before the start". nullptr when there is none.
    const Problem* nextStop(qint64 line, bool backwards = false) const;
    // Errors and warnings of the compiler seen so far. A summary line
    // ("2 errors", "エラー2個") adds none, but stands for what was trimmed
    // away above the shown text.
    Counts counts() const;
    // Drops what is known about lines before `line` (the window dropped
    // them), so that memory stays bounded for an endless output.
    void forgetBefore(qint64 line);

private:
    void readOne(QStringView line, bool continuation);
    void onMessage(const LineInfo& info);
    void onException(const LineInfo& info);
    void onFrame(const LineInfo& info);
    void followMessage(QStringView line);
    void closeMessage();
    QStringList folderFiles();
    QString resolveMessage(const QString& path) const;
    QString resolveFrame(const LineInfo& info);
    bool exists(const QString& path);
    void addHint(qint64 afterLine, const QString& text);

    Folder m_folder;
    QHash<QString, bool> m_exists;  // answers of the file test, per path
    QStringList m_files;            // the folder's file names, once asked for
    bool m_filesRead = false;

    qint64 m_lines = 0;

    std::deque<Problem> m_problems;
    qsizetype m_taken = 0;  // problems handed out by takeNew()
    std::vector<Hint> m_hints;
    QSet<QString> m_hinted;
    Counts m_seen, m_summary;

    // The compiler message whose lines are still arriving.
    struct Message {
        bool open = false;
        int stage = 0;  // 0: source line next, 1: caret next, 2: details
        qint64 lastLine = 0;
        LearnerHints::CompilerMessage text;
    } m_message;

    // A hint for a line of java's launcher, given once the lines under it
    // (up to line `until`) are read.
    struct LineHint {
        bool open = false;
        qint64 until = 0;
        QString text;
    } m_lineHint;

    // The exception whose first linked frame has not arrived yet.
    struct Crash {
        bool open = false;
        qint64 line = 0;
        bool framesStarted = false;
        int linesBeforeFrames = 0;
        LearnerHints::Crash text;
    } m_crash;
};

}  // namespace ProblemLines
