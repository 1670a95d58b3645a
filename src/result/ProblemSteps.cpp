// Going to the problem lines: from the one F4 went to last, or from the
// cursor's line when the user moved it since; the line is selected and the
// editor asked to open its source.
#include "ProblemSteps.h"

#include "ResultMarks.h"
#include "settings/Qlk.h"

#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <utility>

ProblemSteps::ProblemSteps(QPlainTextEdit* text, const ResultMarks& marks, QObject* parent)
    : QObject(parent), m_text(text), m_marks(marks) {
    m_text->viewport()->installEventFilter(this);
}

void ProblemSteps::step(bool backwards) {
    const QTextCursor cursor = m_text->textCursor();
    // The first problem that the run's end selected is opened first, in
    // either direction, unless the user chose another place since.
    if (std::exchange(m_firstSelected, false) && cursor.anchor() == m_firstAnchor &&
        cursor.position() == m_firstPosition) {
        if (const ProblemLines::Problem* first = m_marks.opensAt(cursor.blockNumber())) return open(*first);
    }
    const bool moved = cursor.position() > 0 || cursor.hasSelection();
    const ProblemLines::Problem* stop = m_marks.stepFrom(cursor.blockNumber(), moved, m_navLine, backwards);
    if (!stop) {
        Qlk::P().desktop().beep();
        return;
    }
    open(*stop);
}

bool ProblemSteps::openBlock(int block) {
    const ProblemLines::Problem* at = m_marks.opensAt(block);
    if (at) open(*at);
    return at;
}

void ProblemSteps::open(const ProblemLines::Problem& problem) {
    const ProblemLines::Problem p = problem;  // the scanner may change while the editor starts
    select(p.line, false);
    emit openLine(p.file, p.fileLine);
}

void ProblemSteps::select(qint64 line, bool atTop) {
    const QTextBlock block = m_text->document()->findBlockByNumber(m_marks.blockOfLine(line));
    if (!block.isValid()) return;
    QTextCursor c(block);
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    m_text->setTextCursor(c);
    m_navLine = line;
    if (atTop)
        m_text->verticalScrollBar()->setValue(block.firstLineNumber());
    else
        m_text->ensureCursorVisible();
}

void ProblemSteps::selectFirst(qint64 line) {
    select(line, true);
    const QTextCursor c = m_text->textCursor();
    m_firstSelected = c.hasSelection();
    m_firstAnchor = c.anchor();
    m_firstPosition = c.position();
}

// A double click on a problem line opens it. The type is asked first: the
// text box may be half destroyed when the events of its end come here.
bool ProblemSteps::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick && watched == m_text->viewport()) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            openBlock(m_text->cursorForPosition(mouse->position().toPoint()).blockNumber()))
            return true;
    }
    return QObject::eventFilter(watched, event);
}
