// The run's console rows: the input box refuses a line longer than the run
// takes, Ctrl+D in it ends the input, and the status line joins the run's
// state with what was last said about it.
#include "ConsoleRows.h"

#include "platform/Platform.h"
#include "widgets/Fonts.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>
#include <cmath>
#include <limits>

namespace {

const double kStopWidth = 1100;

const QString kTooLong =
    QStringLiteral("貼り付けた文字が長すぎるため、受け付けませんでした (1 行 4 MB まで)");

// Refuses an edit (a paste, most of all) that makes the line longer than the
// run's input takes at most: whole, never cut.
class InputFits : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& text, int&) const override {
        // Each UTF-16 unit is at most 3 bytes of UTF-8; the newline follows.
        if (text.size() * 3 < kRunInputBacklog) return Acceptable;
        return text.toUtf8().size() < kRunInputBacklog ? Acceptable : Invalid;
    }
};

int Pixels(double designTwips) { return int(std::lround(designTwips / kDesignTwipsPerPixel)); }

}  // namespace

ConsoleRows::ConsoleRows(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("consoleRows"));
    txtInput = new QLineEdit(this);
    txtInput->setObjectName(QStringLiteral("txtInput"));
    txtInput->setAccessibleName(QStringLiteral("入力"));
    txtInput->setFont(Fonts::Gothic(9.75));
    txtInput->setFixedHeight(Pixels(kInputRow));
    // Not the box's own limit, which cuts a long paste without a word.
    txtInput->setMaxLength(std::numeric_limits<int>::max());
    txtInput->setValidator(new InputFits(txtInput));
    connect(txtInput, &QLineEdit::inputRejected, this, [this] { setStatusExtra(kTooLong); });
    connect(txtInput, &QLineEdit::returnPressed, this, &ConsoleRows::enter);
    txtInput->installEventFilter(this);
    cmdStop = new QPushButton(QStringLiteral("停止"), this);
    cmdStop->setObjectName(QStringLiteral("cmdStop"));
    cmdStop->setAccessibleName(QStringLiteral("停止"));
    cmdStop->setFont(Fonts::PGothic(9));
    cmdStop->setFixedSize(Pixels(kStopWidth), Pixels(kInputRow));
    connect(cmdStop, &QPushButton::clicked, this, &ConsoleRows::stop);
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    // Read out as its text; the description says what it is.
    lblStatus->setAccessibleDescription(QStringLiteral("実行の状態"));
    lblStatus->setTextFormat(Qt::PlainText);
    lblStatus->setFont(Fonts::PGothic(9));
    lblStatus->setIndent(4);
    lblStatus->setFixedHeight(Pixels(kStatusRow));

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    auto* input = new QHBoxLayout;
    input->setSpacing(0);
    input->addWidget(txtInput, 1);
    input->addWidget(cmdStop);
    rows->addLayout(input);
    rows->addWidget(lblStatus);
    setRun(RunState());
}

void ConsoleRows::setRun(const RunState& run) {
    m_run = run;
    txtInput->setEnabled(run.takesInput);
    // The hint to type shows only while the program waits for a line.
    txtInput->setPlaceholderText(run.reading ? QStringLiteral("入力して Enter") : QString());
    cmdStop->setEnabled(run.live);
    lblStatus->setText(statusText());
}

void ConsoleRows::lineSent(bool sent, const QString& why) {
    if (sent) txtInput->clear();
    setStatusExtra(why);
}

void ConsoleRows::setStatusExtra(const QString& extra) {
    m_statusExtra = extra;
    lblStatus->setText(statusText());
}

QString ConsoleRows::statusText() const {
    const QString state = m_run.serial == 0 && m_run.text.isEmpty()
                              ? QStringLiteral("実行中のプログラムはありません")
                              : m_run.text;
    return m_statusExtra.isEmpty() ? state : state + QStringLiteral("　") + m_statusExtra;
}

// Ctrl+D in the empty input box ends the run's input, as in a terminal.
bool ConsoleRows::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtInput && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_D && key->modifiers() == Qt::ControlModifier &&
            txtInput->text().isEmpty()) {
            emit endOfInput();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
