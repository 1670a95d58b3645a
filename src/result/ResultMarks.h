// The problem lines of the result window's text: read as the text arrives,
// marked in colour (errors, warnings, frames that lead to a source), with the
// learner's hints inserted under their lines. Every block of the text tells
// which output line it shows (its user state; -1 for the trimmed note and
// for hints), and problem and hint blocks carry their kind.
#pragma once

#include "result/ProblemLines.h"
#include "result/ResultReader.h"

#include <QPalette>
#include <QTextBlockUserData>
#include <QTextCharFormat>

class QTextDocument;

// What a marked block is.
class LineMark : public QTextBlockUserData {
public:
    enum Type { Problem, Hint };
    LineMark(Type type, ProblemLines::Kind kind) : type(type), kind(kind) {}
    Type type;
    ProblemLines::Kind kind;  // Problem only
};

class ResultMarks {
public:
    explicit ResultMarks(QTextDocument* document);

    // The colours follow the text box's palette.
    void setPalette(const QPalette& palette);
    // The document now holds the update's text from block `firstBlock` on
    // (1 below the trimmed note), read afresh for the run's `folder`.
    void replaced(const ResultReader::Update& update, int firstBlock, ProblemLines::Folder folder);
    // The update's text now stands from block `firstBlock` (the block of the
    // line that was unfinished) to the end.
    void appended(const ResultReader::Update& update, int firstBlock);
    // The output is complete: its unfinished last line is read as whole.
    void finish(const LineBreaker& lines);
    // True when finish() took a last line without its break for a whole
    // one: text appended after it would be counted a line too early, so the
    // text must be read again whole.
    bool finishedMidLine() const { return m_finishedMidLine; }
    // The oldest blocks were cut away: what is known of lines above the
    // first one shown is dropped.
    void trimmed();

    // The output line of a block; -1 for the note and for hints.
    qint64 lineOfBlock(int block) const;
    // The block of an output line; -1 when it is not shown.
    int blockOfLine(qint64 line) const;
    bool isHint(int block) const;
    // The problem a block opens: its own, or for an exception's line its
    // first linked frame; nullptr when none.
    const ProblemLines::Problem* opensAt(int block) const;
    // The next (or previous) problem that opens a source, from `navLine`
    // (where F4 went last) while the cursor is still on its block, else from
    // the cursor's block (the line above a hint) once the user `moved` it,
    // else from the start.
    const ProblemLines::Problem* stepFrom(int block, bool moved, qint64 navLine, bool backwards) const;
    // The line of the first problem of a kind, -1 when there is none.
    qint64 first(ProblemLines::Kind kind) const;

    const ProblemLines::ProblemScanner& scanner() const { return m_scanner; }
    ProblemLines::Counts counts() const { return m_scanner.counts(); }

    // The formats used, chosen for the text box's palette.
    QTextCharFormat errorFormat() const { return m_error; }
    QTextCharFormat warningFormat() const { return m_warning; }
    QTextCharFormat linkFormat() const { return m_link; }
    QTextCharFormat hintFormat() const { return m_hint; }

private:
    void read(const ResultReader::Update& update, int firstBlock);
    void markNew();

    QTextDocument* m_document;
    ProblemLines::ProblemScanner m_scanner;
    bool m_finishedMidLine = false;
    QPalette m_palette;
    QTextCharFormat m_error, m_warning, m_link, m_hint;
};
