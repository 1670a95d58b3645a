// The result window: lays out the text, the console rows and the find bar,
// keeps its place, and reacts to the text its follower shows.
#include "frmResultText.h"

#include "ConsoleRows.h"
#include "ProblemSteps.h"
#include "ResultFind.h"
#include "settings/Qlk.h"
#include "settings/StoreKeys.h"
#include "widgets/Fonts.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>
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

bool Sane(double twips) { return std::isfinite(twips) && std::fabs(twips) <= kMaxTwips; }

// A key that would edit the output rather than act on it: text typed without
// Ctrl, Alt or Meta, Backspace, Enter, and the paste keys. Navigation,
// selection, copy and the window's own keys are none of these.
bool EditsText(const QKeyEvent& key) {
    if (key.matches(QKeySequence::Paste)) return true;
    const Qt::KeyboardModifiers mods = key.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (mods != Qt::NoModifier) return false;
    switch (key.key()) {
        case Qt::Key_Backspace:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return true;
        default:
            break;
    }
    const QString text = key.text();
    return !text.isEmpty() && text.at(0).isPrint();
}

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

    lblNotice = new QLabel(client);
    lblNotice->setObjectName(QStringLiteral("lblNotice"));
    lblNotice->setAccessibleDescription(QStringLiteral("注意"));
    lblNotice->setTextFormat(Qt::PlainText);
    lblNotice->setWordWrap(true);
    lblNotice->setFont(Fonts::PGothic(9));
    lblNotice->setMargin(3);
    lblNotice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Shown whole: the text below it gives way first, down to a few lines.
    lblNotice->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    Text1->setMinimumHeight(Text1->fontMetrics().lineSpacing() * 2);
    {
        // A note's colours, so it is not read as a line of the output.
        QPalette notice = lblNotice->palette();
        notice.setColor(QPalette::Window, notice.color(QPalette::ToolTipBase));
        notice.setColor(QPalette::WindowText, notice.color(QPalette::ToolTipText));
        lblNotice->setPalette(notice);
        lblNotice->setAutoFillBackground(true);
    }
    lblNotice->hide();

    // While the run takes input, typing into the output goes to the input box.
    Text1->installEventFilter(this);

    m_console = new ConsoleRows(client);
    txtInput = m_console->txtInput;
    cmdStop = m_console->cmdStop;
    lblStatus = m_console->lblStatus;
    findBar = new ResultFind(Text1, client);
    findBar->hide();

    // The text takes what the rows below it leave.
    auto* rows = new QVBoxLayout(client);
    rows->setContentsMargins(0, 0, 0, 0);
    // The user may make the window small.
    rows->setSizeConstraint(QLayout::SetNoConstraint);
    client->setMinimumSize(1, 1);
    rows->setSpacing(0);
    rows->addWidget(lblNotice);
    rows->addWidget(Text1, 1);
    rows->addWidget(m_console);
    rows->addWidget(findBar);

    m_steps = new ProblemSteps(Text1, m_follower->marks(), this);
    connect(m_steps, &ProblemSteps::openLine, this, &frmResultText::openLine);
    connect(m_console, &ConsoleRows::enter, this, &frmResultText::txtInput_Enter);
    connect(m_console, &ConsoleRows::endOfInput, this, &frmResultText::txtInput_EndOfInput);
    connect(m_console, &ConsoleRows::stop, this, &frmResultText::cmdStop_Click);
    BuildMenu();

    // The text box has the design's inner size; the console rows come below it.
    InitForm(this,
             FormTwips{kDesignLeft, kDesignTop, kInnerWidth + kFrameX,
                       kInnerHeight + ConsoleRows::kInputRow + ConsoleRows::kStatusRow + kMenuFrameY, kFrameX,
                       kMenuFrameY},
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
    const ScreenMetrics screen = P().desktop().screen();
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

void frmResultText::LineSent(bool sent, const QString& why) { m_console->lineSent(sent, why); }

void frmResultText::txtInput_EndOfInput() { emit endInput(); }

void frmResultText::cmdStop_Click() { emit stopRun(); }

// The console rows and the stop entry follow the run's state.
void frmResultText::SetRun(const RunState& run) {
    m_run = run;
    const bool hadFocus = txtInput->hasFocus();
    m_console->setRun(run);
    mnuStop->setEnabled(run.live);
    const QString notices = run.notices.join(u'\n');
    if (lblNotice->text() != notices) lblNotice->setText(notices);
    lblNotice->setVisible(!notices.isEmpty());
    if (hadFocus && !run.takesInput) Text1->setFocus();
    m_follower->setRun(run);
}

void frmResultText::SetStatusExtra(const QString& extra) { m_console->setStatusExtra(extra); }

QString frmResultText::StatusText() const { return m_console->statusText(); }

void frmResultText::ShownForRun() {
    if (!m_run.live || m_run.serial == m_shownRun) return;
    m_shownRun = m_run.serial;
    activateWindow();
    txtInput->setFocus();
}

// A text read afresh starts at its top; the tail of a trimmed one is where
// it goes on.
void frmResultText::Replaced() {
    Text1->setTextCursor(QTextCursor(Text1->document()));
    m_steps->restart();
    ShowCounts();
    if (findBar->isVisible()) findBar->Highlight();
    if (m_follower->trimmed()) Text1->verticalScrollBar()->setValue(Text1->verticalScrollBar()->maximum());
}

// A compile with errors shows its first error at the top, a program that
// crashed the first line of its exception.
void frmResultText::Finished() {
    ShowCounts();
    const qint64 first = marks().first(m_run.kind == RunKind::Compile ? ProblemLines::Kind::Error
                                                                      : ProblemLines::Kind::Exception);
    if (first >= 0) m_steps->selectFirst(first);
}

// The counts go on the status line when they change.
void frmResultText::ShowCounts() {
    const QString counts = ProblemLines::CountsText(marks().counts());
    if (counts == m_shownCounts) return;
    m_shownCounts = counts;
    SetStatusExtra(counts);
}

void frmResultText::mnuNext_Click() { m_steps->step(false); }

void frmResultText::mnuPrevious_Click() { m_steps->step(true); }

bool frmResultText::OpenBlock(int block) { return m_steps->openBlock(block); }

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

// Typing into the output while the run takes input reaches the run: the key
// (or the input method's text) goes to the input box, which takes the focus
// with it.
bool frmResultText::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Text1 || !m_run.takesInput || !txtInput->isEnabled())
        return QMainWindow::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress && EditsText(*static_cast<QKeyEvent*>(event))) {
        txtInput->setFocus(Qt::OtherFocusReason);
        QCoreApplication::sendEvent(txtInput, event);
        return true;
    }
    if (event->type() == QEvent::InputMethod) {
        txtInput->setFocus(Qt::OtherFocusReason);
        QCoreApplication::sendEvent(txtInput, event);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
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
