// The find bar at the foot of the result window: finds a text in the shown
// output, ignoring case, and highlights every place it occurs.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

class ResultFind : public QWidget {
    Q_OBJECT
public:
    // At most this many places are highlighted at once.
    static constexpr int kMaxHighlights = 2000;
    static const QString kNotFound;

    ResultFind(QPlainTextEdit* text, QWidget* parent);

    // Shows the bar with the focus in its box, the selected text (one line
    // of it) as what to find.
    void Open();
    // Hides the bar and its highlights; the focus goes back to the text.
    void Close();
    // Selects the next place (or the previous one), from the start again
    // after the last; false, and "見つかりません", when there is none.
    bool Next(bool backwards = false);
    // Highlights the places anew (after the text changed).
    void Highlight();

    QLineEdit* txtFind;
    QLabel* lblFind;
    QToolButton* cmdClose;

signals:
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* m_text;
};
