// The result window: lays out the text, the console rows and the find bar,
// keeps its place, and reacts to the text its follower shows.
#include "frmResultText.h"

#include "ResultFind.h"
#include "settings/Qlk.h"
#include "settings/StoreKeys.h"
#include "widgets/Fonts.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>
#include <QValidator>
#include <cmath>
#include <limits>

using namespace Qlk;

namespace {

const double kInnerWidth = 7350;
const double kInnerHeight = 1950;
const double kDesignLeft = 2145;
const double kDesignTop = 6375;
// Stored positions and sizes beyond this many twips (far past any desktop)
// are taken as damaged and ignored.
const double kMaxTwips = 1000000;
// The console rows below the text, in twips at the design density: the
// input row, then the status line.
const double kInputRow = 360;
const double kStatusRow = 285;
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

bool Sane(double twips) { return std::isfinite(twips) && std::fabs(twips) <= kMaxTwips; }

int Pixels(double designTwips) { return int(std::lround(designTwips / kDesignTwipsPerPixel)); }

}  // namespace

frmResultText::frmResultText(QWidget* mainWindow) : QMainWindow(nullptr), m_main(mainWindow) {
    setObjectName(QStringLiteral("frmResultText"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("出力結果"));

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    m_follower = new ResultFollower(S.WindowsFolder + QStringLiteral("result.txt"), this);
    Text1 = new QPlainTextEdit(client);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setDocument(m_follower->document());
    Text1->setAccessibleName(QStringLiteral("出力結果の内容"));
    Text1->setFont(Fonts::Gothic(9.75));
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_follower->marks().setPalette(Text1->palette());

    txtInput = new QLineEdit(client);
    txtInput->setObjectName(QStringLiteral("txtInput"));
    txtInput->setAccessibleName(QStringLiteral("入力"));
    txtInput->setFont(Fonts::Gothic(9.75));
    txtInput->setFixedHeight(Pixels(kInputRow));
    // Not the box's own limit, which cuts a long paste without a word.
    txtInput->setMaxLength(std::numeric_limits<int>::max());
    txtInput->setValidator(new InputFits(txtInput));
    connect(txtInput, &QLineEdit::inputRejected, this, [this] { SetStatusExtra(kTooLong); });
    txtInput->installEventFilter(this);
    cmdStop = new QPushButton(QStringLiteral("停止"), client);
    cmdStop->setObjectName(QStringLiteral("cmdStop"));
    cmdStop->setAccessibleName(QStringLiteral("停止"));
    cmdStop->setFont(Fonts::PGothic(9));
    cmdStop->setFixedSize(Pixels(kStopWidth), Pixels(kInputRow));
    lblStatus = new QLabel(client);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    // Read out as its text; the description says what it is.
    lblStatus->setAccessibleDescription(QStringLiteral("実行の状態"));
    lblStatus->setTextFormat(Qt::PlainText);
    lblStatus->setFont(Fonts::PGothic(9));
    lblStatus->setIndent(4);
    lblStatus->setFixedHeight(Pixels(kStatusRow));
    findBar = new ResultFind(Text1, client);
    findBar->hide();

    // The text takes what the rows below it leave.
    auto* rows = new QVBoxLayout(client);
    rows->setContentsMargins(0, 0, 0, 0);
    // The user may make the window small.
    rows->setSizeConstraint(QLayout::SetNoConstraint);
    client->setMinimumSize(1, 1);
    rows->setSpacing(0);
    rows->addWidget(Text1, 1);
    auto* input = new QHBoxLayout;
    input->setSpacing(0);
    input->addWidget(txtInput, 1);
    input->addWidget(cmdStop);
    rows->addLayout(input);
    rows->addWidget(lblStatus);
    rows->addWidget(findBar);

    Text1->viewport()->installEventFilter(this);
    connect(txtInput, &QLineEdit::returnPressed, this, &frmResultText::txtInput_Enter);
    connect(cmdStop, &QPushButton::clicked, this, &frmResultText::cmdStop_Click);
    BuildMenu();

    // The text box has the design's inner size; the console rows come below it.
    InitForm(this,
             FormTwips{kDesignLeft, kDesignTop, kInnerWidth + kFrameX,
                       kInnerHeight + kInputRow + kStatusRow + kMenuFrameY, kFrameX, kMenuFrameY},
             false);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &frmResultText::Timer1_Timer);
    Timer1->start();

    connect(m_follower, &ResultFollower::replaced, this, &frmResultText::Replaced);
    connect(m_follower, &ResultFollower::appending, this, [this] {
        // The view follows the end only while it is there and the user has
        // no selection of their own.
        const QScrollBar* bar = Text1->verticalScrollBar();
        m_following = bar->value() >= bar->maximum() && !Text1->textCursor().hasSelection();
    });
    connect(m_follower, &ResultFollower::appended, this, [this] {
        ShowCounts();
        if (m_following) Text1->verticalScrollBar()->setValue(Text1->verticalScrollBar()->maximum());
    });
    connect(m_follower, &ResultFollower::finished, this, &frmResultText::Finished);
    SetRun(RunState());
}

frmResultText::~frmResultText() = default;

void frmResultText::BuildMenu() {
    QMenuBar* bar = menuBar();
    bar->setFont(Fonts::PGothic(9));
    mnuMenu = bar->addMenu(QStringLiteral("ﾒﾆｭｰ(&M)"));
    mnuMenu->setObjectName(QStringLiteral("mnuMenu"));
    mnuBefore = mnuMenu->addAction(QStringLiteral("常に手前に表示"));
    mnuBefore->setObjectName(QStringLiteral("mnuBefore"));
    mnuBefore->setCheckable(true);
    mnuStop = mnuMenu->addAction(QStringLiteral("実行を停止(&S)"));
    mnuStop->setObjectName(QStringLiteral("mnuStop"));
    connect(mnuStop, &QAction::triggered, this, &frmResultText::cmdStop_Click);
    mnuNext = mnuMenu->addAction(QStringLiteral("次のエラー(&N)"));
    mnuNext->setObjectName(QStringLiteral("mnuNext"));
    mnuNext->setShortcut(QKeySequence(Qt::Key_F4));
    connect(mnuNext, &QAction::triggered, this, &frmResultText::mnuNext_Click);
    mnuPrevious = mnuMenu->addAction(QStringLiteral("前のエラー(&P)"));
    mnuPrevious->setObjectName(QStringLiteral("mnuPrevious"));
    mnuPrevious->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F4));
    connect(mnuPrevious, &QAction::triggered, this, &frmResultText::mnuPrevious_Click);
    mnuMenu->addSeparator();
    mnuEnd = mnuMenu->addAction(QStringLiteral("終了(&X)"));
    mnuEnd->setObjectName(QStringLiteral("mnuEnd"));
    ConnectCheckMark(mnuBefore, this, [this] { mnuBefore_Click(); });
    connect(mnuEnd, &QAction::triggered, this, &frmResultText::mnuEnd_Click);
    // The find keys act anywhere in the window; Esc only while the bar is open.
    actFind = new QAction(this);
    actFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(actFind, &QAction::triggered, this, &frmResultText::mnuFind_Click);
    actFindNext = new QAction(this);
    actFindNext->setShortcut(QKeySequence(Qt::Key_F3));
    connect(actFindNext, &QAction::triggered, this, [this] { FindNext(false); });
    actFindPrevious = new QAction(this);
    actFindPrevious->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    connect(actFindPrevious, &QAction::triggered, this, [this] { FindNext(true); });
    actCloseFind = new QAction(this);
    actCloseFind->setShortcut(QKeySequence(Qt::Key_Escape));
    actCloseFind->setEnabled(false);
    connect(actCloseFind, &QAction::triggered, findBar, &ResultFind::Close);
    connect(findBar, &ResultFind::closed, actCloseFind, [this] { actCloseFind->setEnabled(false); });
    addActions({actFind, actFindNext, actFindPrevious, actCloseFind});
}

void frmResultText::Form_Load() {
    if (m_main) setWindowIcon(m_main->windowIcon());

    const double top = Val(ReadSetting(kSetting, Key::ResultTop));
    const double left = Val(ReadSetting(kSetting, Key::ResultLeft));
    const double height = Val(ReadSetting(kSetting, Key::ResultHeight));
    const double width = std::nearbyint(Val(ReadSetting(kSetting, Key::ResultWidth)));

    // A width that does not fit 16 bits, or a damaged value, leaves the
    // design geometry, as a zero does.
    const bool usable = width >= std::numeric_limits<qint16>::min() &&
                        width <= std::numeric_limits<qint16>::max() && Sane(top) && Sane(left) &&
                        Sane(height);
    const bool restored = usable && top != 0 && left != 0 && height != 0 && width != 0;
    if (restored) {
        SetFormTop(this, TwipsFromStored(top));
        SetFormLeft(this, TwipsFromStored(left));
        SetFormHeight(this, TwipsFromStored(height));
        SetFormWidth(this, TwipsFromStored(width));
    }

    mnuBefore->setChecked(ReadSetting(kSetting, Key::ResultFormBefore) != QStringLiteral("True"));
    mnuBefore_Click();

    // A restored size is already this screen's: only the design size is
    // scaled, and placed.
    if (!restored) {
        ScaleForm(this);
        PlaceOnScreen();
    }
}

// Beside the main window, never over its buttons; where nothing beside it
// fits, the design place, which lies near the bottom of a 1024 x 768 screen
// and moves up and left on a smaller one until it fits.
void frmResultText::PlaceOnScreen() {
    const ScreenMetrics screen = P().screen();
    FormTwips f = GetForm(this);
    if (f.Left + f.Width > screen.width) f.Left = std::max(0.0, screen.width - f.Width);
    if (f.Top + f.Height > screen.height) f.Top = std::max(0.0, screen.height - f.Height);
    if (m_main && m_main->isVisible()) {
        const FormTwips m = GetForm(m_main);
        const QPointF at = PlaceBeside(QRectF(m.Left, m.Top, m.Width, m.Height), QSizeF(f.Width, f.Height),
                                       QSizeF(screen.width, screen.height), QPointF(f.Left, f.Top));
        f.Left = at.x();
        f.Top = at.y();
    }
    SetForm(this, f);
}

void frmResultText::Form_Unload() {
    if (m_unloaded) return;
    m_unloaded = true;
    // A minimized window keeps the place it had before.
    const FormTwips f = isMinimized() && m_haveNormal ? m_normal : GetForm(this);
    const SettingsBatch batch;
    WriteSetting(kSetting, Key::ResultTop, NumberText(StoredFromTwips(f.Top)));
    WriteSetting(kSetting, Key::ResultLeft, NumberText(StoredFromTwips(f.Left)));
    WriteSetting(kSetting, Key::ResultHeight, NumberText(StoredFromTwips(f.Height)));
    WriteSetting(kSetting, Key::ResultWidth, NumberText(StoredFromTwips(f.Width)));
    WriteSetting(kSetting, Key::ResultFormBefore, FlagText(mnuBefore->isChecked()));
}

void frmResultText::mnuBefore_Click() { ToggleTopmost(this, mnuBefore); }

void frmResultText::mnuEnd_Click() { close(); }

void frmResultText::Timer1_Timer() { m_follower->refresh(); }

void frmResultText::txtInput_Enter() { emit sendLine(txtInput->text()); }

void frmResultText::LineSent(bool sent, const QString& why) {
    if (sent) txtInput->clear();
    SetStatusExtra(why);
}

void frmResultText::txtInput_EndOfInput() { emit endInput(); }

void frmResultText::cmdStop_Click() { emit stopRun(); }

// Enables the console's controls while a run is live and tells its state.
void frmResultText::SetRun(const RunState& run) {
    m_run = run;
    const bool hadFocus = txtInput->hasFocus();
    txtInput->setEnabled(run.takesInput);
    txtInput->setPlaceholderText(run.takesInput ? QStringLiteral("入力して Enter") : QString());
    cmdStop->setEnabled(run.live);
    mnuStop->setEnabled(run.live);
    if (hadFocus && !run.takesInput) Text1->setFocus();
    lblStatus->setText(StatusText());
    m_follower->setRun(run);
}

void frmResultText::SetStatusExtra(const QString& extra) {
    m_statusExtra = extra;
    lblStatus->setText(StatusText());
}

QString frmResultText::StatusText() const {
    const QString state = m_run.serial == 0 && m_run.text.isEmpty()
                              ? QStringLiteral("実行中のプログラムはありません")
                              : m_run.text;
    return m_statusExtra.isEmpty() ? state : state + QStringLiteral("　") + m_statusExtra;
}

void frmResultText::ShownForRun() {
    if (!m_run.live || m_run.serial == m_shownRun) return;
    m_shownRun = m_run.serial;
    activateWindow();
    txtInput->setFocus();
}

// Ctrl+D in the empty input box ends the run's input, as in a terminal. A
// double click on a problem line opens it.
bool frmResultText::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text1->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            OpenBlock(Text1->cursorForPosition(mouse->position().toPoint()).blockNumber()))
            return true;
    }
    if (watched == txtInput && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_D && key->modifiers() == Qt::ControlModifier &&
            txtInput->text().isEmpty()) {
            txtInput_EndOfInput();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// A text read afresh starts at its top; the tail of a trimmed one is where
// it goes on.
void frmResultText::Replaced() {
    Text1->setTextCursor(QTextCursor(Text1->document()));
    m_navLine = -1;
    ShowCounts();
    if (findBar->isVisible()) findBar->Highlight();
    if (m_follower->trimmed()) Text1->verticalScrollBar()->setValue(Text1->verticalScrollBar()->maximum());
}

// A compile with errors shows its first error at the top, a program that
// crashed the first line of its exception.
void frmResultText::Finished() {
    ShowCounts();
    const qint64 first =
        marks().first(m_run.compile ? ProblemLines::Kind::Error : ProblemLines::Kind::Exception);
    if (first >= 0) Select(first, true);
}

// The counts go on the status line when they change.
void frmResultText::ShowCounts() {
    const QString counts = ProblemLines::CountsText(marks().counts());
    if (counts == m_shownCounts) return;
    m_shownCounts = counts;
    SetStatusExtra(counts);
}

void frmResultText::mnuNext_Click() { Step(false); }

void frmResultText::mnuPrevious_Click() { Step(true); }

// Moves to the next (or previous) problem line from the one F4 went to
// last, or from the cursor's line when the user moved it since.
void frmResultText::Step(bool backwards) {
    const QTextCursor cursor = Text1->textCursor();
    const bool moved = cursor.position() > 0 || cursor.hasSelection();
    const ProblemLines::Problem* stop = marks().stepFrom(cursor.blockNumber(), moved, m_navLine, backwards);
    if (!stop) {
        P().beep();
        return;
    }
    Open(*stop);
}

// Opens the problem of a block. False when the block holds none.
bool frmResultText::OpenBlock(int block) {
    const ProblemLines::Problem* at = marks().opensAt(block);
    if (at) Open(*at);
    return at;
}

void frmResultText::Open(const ProblemLines::Problem& problem) {
    const ProblemLines::Problem p = problem;  // the scanner may change while the editor starts
    Select(p.line, false);
    emit openLine(p.file, p.fileLine);
}

// Selects an output line, scrolled into view (or to the top of the view).
void frmResultText::Select(qint64 line, bool atTop) {
    const QTextBlock block = Text1->document()->findBlockByNumber(marks().blockOfLine(line));
    if (!block.isValid()) return;
    QTextCursor c(block);
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    Text1->setTextCursor(c);
    m_navLine = line;
    if (atTop)
        Text1->verticalScrollBar()->setValue(block.firstLineNumber());
    else
        Text1->ensureCursorVisible();
}

void frmResultText::mnuFind_Click() {
    findBar->Open();
    actCloseFind->setEnabled(true);
}

void frmResultText::FindNext(bool backwards) {
    if (findBar->isHidden() || findBar->txtFind->text().isEmpty()) return mnuFind_Click();
    findBar->Highlight();
    findBar->Next(backwards);
}

void frmResultText::RememberNormalGeometry() {
    if (isVisible() && !isMinimized()) {
        m_normal = GetForm(this);
        m_haveNormal = true;
    }
}

void frmResultText::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void frmResultText::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    RememberNormalGeometry();
}

void frmResultText::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    RememberNormalGeometry();
}
