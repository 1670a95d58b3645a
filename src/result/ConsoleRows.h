// The run's console rows under the result text: the input box with its stop
// button, and the status line that tells the run's state.
#pragma once

#include "result/RunState.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

class ConsoleRows : public QWidget {
    Q_OBJECT
public:
    // The rows' heights in twips at the design density: the input row, then
    // the status line.
    static constexpr double kInputRow = 360;
    static constexpr double kStatusRow = 285;

    explicit ConsoleRows(QWidget* parent);

    // Enables the input and the stop button while the run takes them, and
    // tells its state.
    void setRun(const RunState& run);
    // What became of the line asked to be sent; `why` tells a refusal.
    void lineSent(bool sent, const QString& why);
    // Something shown after the run's state on the status line.
    void setStatusExtra(const QString& extra);
    QString statusText() const;

    QLineEdit* txtInput;
    QPushButton* cmdStop;
    QLabel* lblStatus;

signals:
    // Enter in the input box, Ctrl+D in the empty input box, the stop button.
    void enter();
    void endOfInput();
    void stop();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    RunState m_run;
    QString m_statusExtra;
};
