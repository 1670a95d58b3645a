// The problem lines of the result window's text: read as the text arrives,
// marked in colour (errors, warnings, frames that lead to a source), with the
// learner's hints inserted under their lines. Knows which block of the text
// box holds which line of the output, across a trimmed top and the hints.
#pragma once

#include "result/ProblemLines.h"

#include <QTextCharFormat>
#include <vector>

class QPlainTextEdit;

class ResultMarks {
public:
    explicit ResultMarks(QPlainTextEdit* text);

    // The text box now holds `text` from block `firstBlock` on (1 below the
    // trimmed note), read afresh for the run's `folder`.
    void replaced(const QString& text, int firstBlock, ProblemLines::Folder folder);
    // `text` was appended at the end of the text box.
    void appended(QStringView text);
    // The output is complete: a last line without its break is read.
    void finish();
    // True when finish() took a last line without its break for a whole
    // one: text appended after it would be counted a line too early, so the
    // text must be read again whole.
    bool finishedMidLine() const { return m_finishedMidLine; }
    // The oldest blocks were cut away: the block that was `cutBlock` is now
    // block 1, under the trimmed note.
    void trimmed(int cutBlock);

    // The output line of a block; -1 for the note and for hints.
    qint64 lineOfBlock(int block) const;
    // The block of an output line.
    int blockOfLine(qint64 line) const;
    bool isHint(int block) const;

    const ProblemLines::ProblemScanner& scanner() const { return m_scanner; }
    ProblemLines::Counts counts() const { return m_scanner.counts(); }
    // The first error's line, -1 when there is none.
    qint64 firstError() const;

    // The formats used, chosen for the text box's palette.
    QTextCharFormat errorFormat() const { return m_error; }
    QTextCharFormat warningFormat() const { return m_warning; }
    QTextCharFormat linkFormat() const { return m_link; }
    QTextCharFormat hintFormat() const { return m_hint; }

private:
    void markNew();
    void choosePalette();

    QPlainTextEdit* m_text;
    ProblemLines::ProblemScanner m_scanner;
    int m_base = 0;       // block of output line 0, were there no hints
    bool m_note = false;  // block 0 is the trimmed note
    bool m_finishedMidLine = false;
    std::vector<qint64> m_hints;  // output lines with a hint under them, in order
    QTextCharFormat m_error, m_warning, m_link, m_hint;
};
