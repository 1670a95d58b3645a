// Marks the problem lines of the result text and puts hints under them.
#include "ResultMarks.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <limits>

using namespace ProblemLines;

namespace {

// The user state of a block showing output line `line`; lines beyond what
// the state holds are left unnumbered (a result file is capped far below).
int StateOf(qint64 line) { return line <= std::numeric_limits<int>::max() ? int(line) : -1; }

}  // namespace

ResultMarks::ResultMarks(QTextDocument* document) : m_document(document) { setPalette(QPalette()); }

// Red, a dark amber and the palette's link colour on a light base; lighter
// forms of them on a dark one, so that each stays readable.
void ResultMarks::setPalette(const QPalette& palette) {
    const bool dark = palette.color(QPalette::Base).lightness() < 128;
    m_error = {};
    m_error.setForeground(dark ? QColor(0xff, 0x6e, 0x6e) : QColor(0xc0, 0x00, 0x00));
    m_warning = {};
    m_warning.setForeground(dark ? QColor(0xf0, 0xb4, 0x40) : QColor(0x9a, 0x5b, 0x00));
    m_link = {};
    QColor link = palette.color(QPalette::Link);
    if (dark && link.lightness() < 140) link = QColor(0x7a, 0xb8, 0xff);
    if (!dark && link.lightness() > 160) link = QColor(0x00, 0x4a, 0xc0);
    m_link.setForeground(link);
    m_link.setFontUnderline(true);
    m_hint = {};
    m_hint.setForeground(dark ? QColor(0x8c, 0xd8, 0x8c) : QColor(0x1e, 0x6b, 0x2a));
    m_hint.setFontItalic(true);
}

void ResultMarks::replaced(const ResultReader::Update& update, int firstBlock, Folder folder) {
    m_finishedMidLine = false;
    m_scanner.setFolder(std::move(folder));
    m_scanner.reset();
    for (QTextBlock b = m_document->begin(); b.isValid() && b.blockNumber() < firstBlock; b = b.next())
        b.setUserState(-1);
    read(update, firstBlock);
}

void ResultMarks::appended(const ResultReader::Update& update, int firstBlock) { read(update, firstBlock); }

void ResultMarks::read(const ResultReader::Update& update, int firstBlock) {
    qint64 line = m_scanner.lineCount();
    for (QTextBlock b = m_document->findBlockByNumber(firstBlock); b.isValid(); b = b.next())
        b.setUserState(StateOf(line++));
    const QStringView text(update.text);
    for (const LineBreaker::Line& l : update.lines)
        m_scanner.addLine(text.sliced(l.from, l.size), l.continued);
    markNew();
}

void ResultMarks::finish(const LineBreaker& lines) {
    if (!lines.unfinished().isEmpty()) {
        m_scanner.addLine(lines.unfinished(), lines.unfinishedContinues());
        m_finishedMidLine = true;
    }
    m_scanner.finish();
    markNew();
}

void ResultMarks::trimmed() {
    const qint64 first = lineOfBlock(1);
    if (first > 0) m_scanner.forgetBefore(first);
}

qint64 ResultMarks::lineOfBlock(int block) const {
    const QTextBlock b = m_document->findBlockByNumber(block);
    return b.isValid() ? b.userState() : -1;
}

// The first numbered block gives where to look; hints below it push the
// line's block down, so the search goes on downwards past them.
int ResultMarks::blockOfLine(qint64 line) const {
    QTextBlock b = m_document->begin();
    while (b.isValid() && b.userState() < 0) b = b.next();
    if (!b.isValid() || line < b.userState()) return -1;
    b = m_document->findBlockByNumber(b.blockNumber() + int(line - b.userState()));
    for (; b.isValid(); b = b.next()) {
        if (b.userState() == line) return b.blockNumber();
        if (b.userState() > line) break;
    }
    return -1;
}

bool ResultMarks::isHint(int block) const {
    const auto* mark = static_cast<const LineMark*>(m_document->findBlockByNumber(block).userData());
    return mark && mark->type == LineMark::Hint;
}

const Problem* ResultMarks::opensAt(int block) const {
    const qint64 line = lineOfBlock(block);
    if (line < 0) return nullptr;
    const Problem* at = m_scanner.at(line);
    if (at && at->kind == Kind::Exception && at->target >= 0) at = m_scanner.at(at->target);
    return at && at->opens() ? at : nullptr;
}

const Problem* ResultMarks::stepFrom(int block, bool moved, qint64 navLine, bool backwards) const {
    qint64 from = -1;
    if (navLine >= 0 && lineOfBlock(block) == navLine)
        from = navLine;
    else if (moved)
        for (int b = block; b >= 0 && from < 0; --b) from = lineOfBlock(b);
    return m_scanner.nextStop(from, backwards);
}

qint64 ResultMarks::first(Kind kind) const {
    for (const Problem& p : m_scanner.problems())
        if (p.kind == kind) return p.line;
    return -1;
}

// Colours the lines found since the last call and puts the new hints under
// their lines.
void ResultMarks::markNew() {
    for (const Problem& p : m_scanner.takeNew()) {
        QTextCharFormat format;
        switch (p.kind) {
            case Kind::Error:
            case Kind::Exception:
                format = m_error;
                break;
            case Kind::Warning:
                format = m_warning;
                break;
            case Kind::Frame:
                if (!p.opens()) continue;
                format = m_link;
                break;
        }
        QTextBlock block = m_document->findBlockByNumber(blockOfLine(p.line));
        if (!block.isValid()) continue;
        block.setUserData(new LineMark(LineMark::Problem, p.kind));
        QTextCursor c(block);
        c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        c.mergeCharFormat(format);
    }
    for (const Hint& h : m_scanner.takeHints()) {
        QTextBlock block = m_document->findBlockByNumber(blockOfLine(h.afterLine));
        if (!block.isValid()) continue;
        // Under the line and under hints already there.
        while (block.next().isValid() && block.next().userState() < 0) block = block.next();
        QTextCursor c(block);
        c.movePosition(QTextCursor::EndOfBlock);
        c.insertBlock(block.blockFormat(), m_hint);
        c.insertText(h.text, m_hint);
        QTextBlock hint = c.block();
        hint.setUserState(-1);
        hint.setUserData(new LineMark(LineMark::Hint, Kind::Error));
    }
}
