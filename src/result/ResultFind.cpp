#include "ResultFind.h"

#include "widgets/Fonts.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QToolButton>

const QString ResultFind::kNotFound = QStringLiteral("見つかりません");

ResultFind::ResultFind(QPlainTextEdit* text, QWidget* parent) : QWidget(parent), m_text(text) {
    setObjectName(QStringLiteral("findBar"));
    setAccessibleName(QStringLiteral("検索"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(4);
    auto* caption = new QLabel(QStringLiteral("検索:"), this);
    caption->setTextFormat(Qt::PlainText);
    caption->setFont(Fonts::PGothic(9));
    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setAccessibleName(QStringLiteral("検索する文字列"));
    txtFind->setFont(Fonts::Gothic(9.75));
    txtFind->installEventFilter(this);
    caption->setBuddy(txtFind);
    lblFind = new QLabel(this);
    lblFind->setObjectName(QStringLiteral("lblFind"));
    lblFind->setTextFormat(Qt::PlainText);
    lblFind->setFont(Fonts::PGothic(9));
    cmdClose = new QToolButton(this);
    cmdClose->setObjectName(QStringLiteral("cmdFindClose"));
    cmdClose->setText(QStringLiteral("×"));
    cmdClose->setAccessibleName(QStringLiteral("検索を閉じる"));
    cmdClose->setAutoRaise(true);
    row->addWidget(caption);
    row->addWidget(txtFind, 1);
    row->addWidget(lblFind);
    row->addWidget(cmdClose);
    connect(cmdClose, &QToolButton::clicked, this, &ResultFind::Close);
    connect(txtFind, &QLineEdit::textChanged, this, [this] {
        Highlight();
        // Typing finds the first place from where the search began.
        QTextCursor c = m_text->textCursor();
        c.setPosition(c.selectionStart());
        m_text->setTextCursor(c);
        if (!txtFind->text().isEmpty()) Next();
    });
    hide();
}

void ResultFind::Open() {
    const QString selected = m_text->textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator)) txtFind->setText(selected);
    show();
    txtFind->setFocus();
    txtFind->selectAll();
    Highlight();
}

void ResultFind::Close() {
    if (isHidden()) return;
    hide();
    lblFind->clear();
    m_text->setExtraSelections({});
    m_text->setFocus();
    emit closed();
}

bool ResultFind::Next(bool backwards) {
    const QString what = txtFind->text();
    if (what.isEmpty()) {
        lblFind->clear();
        return false;
    }
    QTextDocument* doc = m_text->document();
    const QTextDocument::FindFlags flags =
        backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    QTextCursor from = m_text->textCursor();
    QTextCursor found = doc->find(what, from, flags);
    if (found.isNull()) {
        QTextCursor wrap(doc);
        if (backwards) wrap.movePosition(QTextCursor::End);
        found = doc->find(what, wrap, flags);
    }
    if (found.isNull()) {
        lblFind->setText(kNotFound);
        return false;
    }
    lblFind->clear();
    m_text->setTextCursor(found);
    m_text->ensureCursorVisible();
    return true;
}

void ResultFind::Highlight() {
    QList<QTextEdit::ExtraSelection> marks;
    const QString what = txtFind->text();
    if (isVisible() && !what.isEmpty()) {
        QTextCharFormat format;
        format.setBackground(QColor(0xff, 0xe0, 0x66));
        format.setForeground(QColor(Qt::black));
        QTextDocument* doc = m_text->document();
        QTextCursor c(doc);
        while (marks.size() < kMaxHighlights) {
            c = doc->find(what, c);
            if (c.isNull()) break;
            marks.append({c, format});
        }
        lblFind->setText(marks.isEmpty() ? kNotFound : QString());
    }
    m_text->setExtraSelections(marks);
}

// Enter finds the next place, Shift+Enter the previous one; Esc closes.
bool ResultFind::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtFind && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Next(key->modifiers() & Qt::ShiftModifier);
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            Close();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
