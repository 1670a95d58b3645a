#include "ResultMarks.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

using namespace ProblemLines;

ResultMarks::ResultMarks(QPlainTextEdit* text) : m_text(text) { choosePalette(); }

// Red, a dark amber and the palette's link colour on a light base; lighter
// forms of them on a dark one, so that each stays readable.
void ResultMarks::choosePalette() {
    const QPalette palette = m_text->palette();
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

void ResultMarks::replaced(const QString& text, int firstBlock, Folder folder) {
    m_base = firstBlock;
    m_note = firstBlock > 0;
    m_finishedMidLine = false;
    m_hints.clear();
    m_scanner.setFolder(std::move(folder));
    m_scanner.reset();
    choosePalette();
    appended(text);
}

void ResultMarks::appended(QStringView text) {
    if (text.isEmpty()) return;
    m_scanner.append(text);
    markNew();
}

void ResultMarks::finish() {
    m_finishedMidLine = m_finishedMidLine || m_scanner.midLine();
    m_scanner.finish();
    markNew();
}

void ResultMarks::trimmed(int cutBlock) {
    // Hints above the cut went with it; every block below moved up.
    int dropped = 0;
    for (size_t i = 0; i < m_hints.size(); ++i)
        if (m_base + m_hints[i] + qint64(i) + 1 < cutBlock) ++dropped;
    m_hints.erase(m_hints.begin(), m_hints.begin() + dropped);
    m_base += dropped - (cutBlock - 1);
    m_note = true;
    const qint64 first = lineOfBlock(1);
    if (first > 0) m_scanner.forgetBefore(first);
}

qint64 ResultMarks::lineOfBlock(int block) const {
    if (block < 0 || (block == 0 && m_note)) return -1;
    qint64 line = block - m_base;
    for (size_t i = 0; i < m_hints.size(); ++i) {
        const qint64 hintBlock = m_base + m_hints[i] + qint64(i) + 1;
        if (hintBlock == block) return -1;
        if (hintBlock < block) --line;
    }
    return line < 0 ? -1 : line;
}

int ResultMarks::blockOfLine(qint64 line) const {
    qint64 block = m_base + line;
    for (qint64 h : m_hints)
        if (h < line) ++block;
    return int(block);
}

bool ResultMarks::isHint(int block) const {
    for (size_t i = 0; i < m_hints.size(); ++i)
        if (m_base + m_hints[i] + qint64(i) + 1 == block) return true;
    return false;
}

qint64 ResultMarks::firstError() const {
    for (const Problem& p : m_scanner.problems())
        if (p.kind == Kind::Error || p.kind == Kind::Exception) return p.line;
    return -1;
}

// Colours the lines found since the last call and puts the new hints under
// their lines.
void ResultMarks::markNew() {
    QTextDocument* doc = m_text->document();
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
        const QTextBlock block = doc->findBlockByNumber(blockOfLine(p.line));
        if (!block.isValid()) continue;
        QTextCursor c(block);
        c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        c.mergeCharFormat(format);
    }
    for (const Hint& h : m_scanner.takeHints()) {
        const QTextBlock block = doc->findBlockByNumber(blockOfLine(h.afterLine));
        if (!block.isValid()) continue;
        QTextCursor c(block);
        c.movePosition(QTextCursor::EndOfBlock);
        c.insertBlock(block.blockFormat(), m_hint);
        c.insertText(h.text, m_hint);
        m_hints.insert(std::upper_bound(m_hints.begin(), m_hints.end(), h.afterLine), h.afterLine);
    }
}
