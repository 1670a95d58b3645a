// Going to the problem lines of the result text: F4 / Shift+F4 step to the
// next or previous one and open it, a double click on one opens it, and a
// finished run's first error or exception is selected at the top, where the
// first F4 or Shift+F4 opens it.
#pragma once

#include "result/ProblemLines.h"

#include <QObject>

class QPlainTextEdit;
class ResultMarks;

class ProblemSteps : public QObject {
    Q_OBJECT
public:
    // `marks` tells where the problems of `text`'s document are; both outlive this.
    ProblemSteps(QPlainTextEdit* text, const ResultMarks& marks, QObject* parent);

    // Moves to the next (or previous) problem line and opens it; a beep when
    // there is none.
    void step(bool backwards);
    // Opens the problem of a block. False when the block holds none.
    bool openBlock(int block);
    // Selects an output line, scrolled into view (or to the top of the view).
    void select(qint64 line, bool atTop);
    // Selects the first problem of a finished run at the top of the view:
    // while that selection stands, the next step opens it.
    void selectFirst(qint64 line);
    // The text was read afresh: the next step starts from its top.
    void restart() {
        m_navLine = -1;
        m_firstSelected = false;
    }

signals:
    // Asks the editor to open a source at a line (1 = the first).
    void openLine(const QString& file, int line);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void open(const ProblemLines::Problem& problem);

    QPlainTextEdit* m_text;
    const ResultMarks& m_marks;
    qint64 m_navLine = -1;  // the problem line F4 went to last
    // The selection selectFirst() made, while no step has been taken since.
    bool m_firstSelected = false;
    int m_firstAnchor = 0, m_firstPosition = 0;
};
