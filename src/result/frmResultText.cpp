#include "frmResultText.h"

#include "Cp932Decoder.h"
#include "ResultFind.h"
#include "ResultMarks.h"
#include "run/RunConsole.h"
#include "settings/Qlk.h"
#include "settings/StoreKeys.h"
#include "widgets/Fonts.h"

#include <QCloseEvent>
#include <QFileSystemWatcher>
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
#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qlk;

namespace {

// A source as the hints read it, at most its first 256 KB (far more than a
// learner writes; the window never waits long on a hint): UTF-8, else
// Shift_JIS as Japanese editors save it.
QString SourceText(const QString& path) {
    QByteArray bytes;
    if (!P().readFile(path, 0, 256 * 1024, &bytes, nullptr)) return {};
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? Cp932Decoder().decode(bytes) : text;
}

const double kInnerWidth = 7350;
const double kInnerHeight = 1950;
const double kDesignLeft = 2145;
const double kDesignTop = 6375;
// Stored positions and sizes beyond this many twips (far past any desktop)
// are taken as damaged and ignored.
const double kMaxTwips = 1000000;
// The console rows below the text: the input row, then the status line.
const double kInputRow = 360;
const double kStatusRow = 285;
const double kStopWidth = 1100;
const double kFindRow = 360;

bool Sane(double twips) { return std::isfinite(twips) && std::fabs(twips) <= kMaxTwips; }

}  // namespace

const QString frmResultText::kTrimmedNote =
    QStringLiteral("［出力が長いため、前の部分を省略して最後の部分だけを表示しています］");

frmResultText::frmResultText(QWidget* mainWindow)
    : QMainWindow(nullptr), m_main(mainWindow), m_reader(S.WindowsFolder + QStringLiteral("result.txt")) {
    setObjectName(QStringLiteral("frmResultText"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("出力結果"));

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    Text1 = new QPlainTextEdit(client);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAccessibleName(QStringLiteral("出力結果の内容"));
    Text1->setFont(Fonts::Gothic(9.75));
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The text is replaced and appended to all the time; an undo history
    // would only keep every old copy.
    Text1->setUndoRedoEnabled(false);
    PlaceControl(Text1, {0, 0, kInnerWidth, kInnerHeight - kInputRow - kStatusRow});

    txtInput = new QLineEdit(client);
    txtInput->setObjectName(QStringLiteral("txtInput"));
    txtInput->setAccessibleName(QStringLiteral("入力"));
    txtInput->setFont(Fonts::Gothic(9.75));
    txtInput->installEventFilter(this);
    PlaceControl(txtInput, {0, kInnerHeight - kInputRow - kStatusRow, kInnerWidth - kStopWidth, kInputRow});
    cmdStop = new QPushButton(QStringLiteral("停止"), client);
    cmdStop->setObjectName(QStringLiteral("cmdStop"));
    cmdStop->setAccessibleName(QStringLiteral("停止"));
    cmdStop->setFont(Fonts::PGothic(9));
    PlaceControl(cmdStop,
                 {kInnerWidth - kStopWidth, kInnerHeight - kInputRow - kStatusRow, kStopWidth, kInputRow});
    lblStatus = new QLabel(client);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    // Read out as its text; the description says what it is.
    lblStatus->setAccessibleDescription(QStringLiteral("実行の状態"));
    lblStatus->setTextFormat(Qt::PlainText);
    lblStatus->setFont(Fonts::PGothic(9));
    lblStatus->setIndent(4);
    PlaceControl(lblStatus, {0, kInnerHeight - kStatusRow, kInnerWidth, kStatusRow});
    findBar = new ResultFind(Text1, client);
    connect(findBar, &ResultFind::closed, this, &frmResultText::Form_Resize);
    m_marks = std::make_unique<ResultMarks>(Text1);
    Text1->viewport()->installEventFilter(this);
    connect(txtInput, &QLineEdit::returnPressed, this, &frmResultText::txtInput_Enter);
    connect(cmdStop, &QPushButton::clicked, this, &frmResultText::cmdStop_Click);

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
    // The find keys act anywhere in the window.
    actFind = new QAction(this);
    actFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(actFind, &QAction::triggered, this, &frmResultText::mnuFind_Click);
    actFindNext = new QAction(this);
    actFindNext->setShortcut(QKeySequence(Qt::Key_F3));
    connect(actFindNext, &QAction::triggered, this, [this] { FindNext(false); });
    actFindPrevious = new QAction(this);
    actFindPrevious->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    connect(actFindPrevious, &QAction::triggered, this, [this] { FindNext(true); });
    addActions({actFind, actFindNext, actFindPrevious});
    connect(mnuEnd, &QAction::triggered, this, &frmResultText::mnuEnd_Click);

    InitForm(this,
             FormTwips{kDesignLeft, kDesignTop, kInnerWidth + kFrameX, kInnerHeight + kMenuFrameY, kFrameX,
                       kMenuFrameY},
             false);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &frmResultText::Timer1_Timer);
    Timer1->start();

    // The file system reports changes at once; Timer1 stays the safety net.
    m_watcher = new QFileSystemWatcher(this);
    m_settle = new QTimer(this);
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettleMs);
    connect(m_settle, &QTimer::timeout, this, [this] {
        const bool fileReported = m_fileReported;
        m_fileReported = false;
        Refresh(fileReported);
    });
    m_sinceShown.start();
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, [this] {
        m_fileReported = true;
        ScheduleRefresh(true);
        // Until the refresh every write of a fast writer would only wake the
        // window again; the refresh watches the file anew.
        m_watcher->removePath(m_reader.path());
    });
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { ScheduleRefresh(true); });
    Watch(P().fileStamp(m_reader.path()));

    connect(Run::Console::instance(), &Run::Console::changed, this, &frmResultText::UpdateRun);
    UpdateRun();
}

frmResultText::~frmResultText() = default;

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
    } else {
        PlaceOnScreen();
    }

    mnuBefore->setChecked(ReadSetting(kSetting, Key::ResultFormBefore) != QStringLiteral("True"));
    mnuBefore_Click();

    // A restored size is already this screen's: only the design size is
    // scaled, and the text box follows the window either way.
    if (restored)
        Form_Resize();
    else
        ScaleForm(this);
}

// The design place lies near the bottom of a 1024 x 768 screen; on a smaller
// screen the window moves up and left until it fits.
void frmResultText::PlaceOnScreen() {
    const ScreenMetrics screen = P().screen();
    FormTwips f = GetForm(this);
    if (f.Left + f.Width > screen.width) f.Left = std::max(0.0, screen.width - f.Width);
    if (f.Top + f.Height > screen.height) f.Top = std::max(0.0, screen.height - f.Height);
    SetForm(this, f);
}

// The text fills the inner area above the console rows, which keep their
// height; the stop button keeps its width at the right.
void frmResultText::Form_Resize() {
    const FormTwips f = GetForm(this);
    const double w = f.ScaleWidth(), h = f.ScaleHeight();
    const double y = P().screen().twipsPerPixelY / kDesignTwipsPerPixel;
    const double x = P().screen().twipsPerPixelX / kDesignTwipsPerPixel;
    const double input = kInputRow * y, status = kStatusRow * y, stop = kStopWidth * x;
    const double find = findBar->isHidden() ? 0 : kFindRow * y;
    const double rows = std::max(0.0, h - input - status - find);
    SetControlTwips(Text1, QRectF(0, 0, w, rows));
    SetControlTwips(findBar, QRectF(0, rows + input + status, w, find));
    SetControlTwips(txtInput, QRectF(0, rows, std::max(0.0, w - stop), input));
    SetControlTwips(cmdStop, QRectF(std::max(0.0, w - stop), rows, std::min(w, stop), input));
    SetControlTwips(lblStatus, QRectF(0, rows + input, w, status));
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

void frmResultText::Timer1_Timer() {
    Refresh(false);
    UpdateRun();
}

void frmResultText::txtInput_Enter() {
    if (!Run::Console::instance()->SendLine(txtInput->text())) {
        UpdateRun();
        return;
    }
    txtInput->clear();
}

void frmResultText::txtInput_EndOfInput() {
    Run::Console::instance()->EndInput();
    UpdateRun();
}

void frmResultText::cmdStop_Click() { Run::Console::instance()->Stop(); }

// Enables the console's controls while a run is live and tells its state.
void frmResultText::UpdateRun() {
    Run::Console* console = Run::Console::instance();
    const bool live = console->Live();
    const bool input = console->TakesInput();
    const bool hadFocus = txtInput->hasFocus();
    txtInput->setEnabled(input);
    cmdStop->setEnabled(live);
    mnuStop->setEnabled(live);
    if (hadFocus && !input) Text1->setFocus();
    lblStatus->setText(StatusText());
    FinishIfEnded();
}

void frmResultText::SetStatusExtra(const QString& extra) {
    m_statusExtra = extra;
    lblStatus->setText(StatusText());
}

QString frmResultText::StatusText() const {
    return Run::StatusLine(Run::Console::instance()->StateText(), m_statusExtra);
}

void frmResultText::ShownForRun() {
    UpdateRun();
    const RunInfo info = Run::Console::instance()->Info();
    if (!info.live() || info.serial == m_shownRun) return;
    m_shownRun = info.serial;
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

// Shows the result file when its stamp differs from the one last shown. A
// change the file system reported on the file itself is read even when the
// stamp looks the same (two rewrites within the file system's clock tick).
void frmResultText::Refresh(bool fileReported) {
    const FileStamp T = P().fileStamp(m_reader.path());  // T: the result file's stamp now
    Watch(T);
    const bool same = T == S.ResultFileTime;
    // The same stamp is read again when the file system reported a change
    // the reader has not seen; a late report of a write already read changes
    // nothing.
    if (same && !m_more && !(fileReported && T.exists && !m_reader.unchanged(T))) return;
    QElapsedTimer cost;
    cost.start();
    // Output that goes on after a finished text whose last line had no
    // break yet is read whole again, so that its lines stay where they are.
    const bool whole = (same && !m_more) || m_marks->finishedMidLine();
    const ResultReader::Update update = m_reader.read(T, whole);
    ShowUpdate(update);
    S.ResultFileTime = T;
    m_lastCostMs = cost.nsecsElapsed() / 1e6;
    m_sinceShown.start();
    // A fast writer's output is taken a slice at a time, with the other
    // events served in between.
    m_more = update.more;
    if (m_more) ScheduleRefresh(false);
    FinishIfEnded();
}

// A change after a quiet moment is shown after the settle time. While output
// streams in, the text is brought up to date at most kShowsPerSecond times a
// second, as much as a screen can show, and a refresh that took c ms is
// followed by kRestFactor * c ms for everything else, so that a flood of
// output takes only a small share of the processor.
void frmResultText::ScheduleRefresh(bool reported) {
    if (m_settle->isActive()) return;
    const double since = m_sinceShown.nsecsElapsed() / 1e6;
    double wait = kRestFactor * m_lastCostMs - since;
    if (reported) wait = std::max({wait, 1000.0 / kShowsPerSecond - m_lastCostMs - since, double(kSettleMs)});
    m_settle->setInterval(std::max(0, int(std::ceil(wait))));
    m_settle->start();
}

// Once a run has ended and its output is read to the end, the last line is
// read too; a compile with errors shows its first error at the top.
void frmResultText::FinishIfEnded() {
    const RunInfo info = Run::Console::instance()->Info();
    if (info.phase == RunInfo::None || info.live() || info.serial == m_finished || m_more) return;
    // Output written just before the end may not have been read yet.
    const FileStamp T = P().fileStamp(m_reader.path());  // T: the result file's stamp now
    if (!(T == S.ResultFileTime)) return Refresh(false);
    m_finished = info.serial;
    m_marks->finish();
    ShowCounts();
    if (Run::Console::instance()->Compile() && m_marks->counts().errors > 0) {
        const qint64 first = m_marks->firstError();
        if (first >= 0) Select(first, true);
    }
}

// The counts go on the status line when they change.
void frmResultText::ShowCounts() {
    const QString counts = ProblemLines::CountsText(m_marks->counts());
    if (counts == m_shownCounts) return;
    m_shownCounts = counts;
    SetStatusExtra(counts);
}

// Keeps the watches on the data folder and on the file that is there now; a
// file that a writer replaced or deleted and re-created is watched anew.
void frmResultText::Watch(const FileStamp& stamp) {
    QString folder = S.WindowsFolder;
    while (folder.size() > 1 && folder.endsWith(u'/')) folder.chop(1);
    if (!folder.isEmpty() && !m_watcher->directories().contains(folder)) m_watcher->addPath(folder);
    const QString file = m_reader.path();
    const bool watched = m_watcher->files().contains(file);
    if (!stamp.exists) return;
    if (watched && stamp.device == m_watchedDevice && stamp.inode == m_watchedInode) return;
    if (watched) m_watcher->removePath(file);
    if (m_watcher->addPath(file)) {
        m_watchedDevice = stamp.device;
        m_watchedInode = stamp.inode;
    }
}

void frmResultText::ShowUpdate(const ResultReader::Update& update) {
    QScrollBar* bar = Text1->verticalScrollBar();
    if (update.kind == ResultReader::Update::Replace) {
        m_trimmed = update.trimmed;
        // Plain: the text box's own setPlainText would give the new text the
        // format at its cursor, the colour of a selected error.
        Text1->document()->setPlainText(m_trimmed ? kTrimmedNote + u'\n' + update.text : update.text);
        Text1->setTextCursor(QTextCursor(Text1->document()));  // at the start, as a new text's
        Run::Console* console = Run::Console::instance();
        ProblemLines::Folder folder;
        folder.path = console->Folder();
        folder.fileExists = [](const QString& path) { return P().fileStamp(path).exists; };  // "*" as named
        folder.source = [](const QString& path) { return SourceText(path); };
        m_marks->replaced(m_marking ? update.text : QString(), m_trimmed ? 1 : 0, std::move(folder));
        m_navLine = m_navBlock = -1;
        // A text read whole after its run ended is finished once read to its
        // end. Finishing it here would take a last line still being written
        // (by a writer that is not a run) for a whole one, and every line
        // after it would be counted one too early.
        if (!console->Live()) m_finished = 0;
        ShowCounts();
        if (findBar->isVisible()) findBar->Highlight();
        // The start of a result is where a compiler's first message is; the
        // tail of a long one is where it goes on.
        if (m_trimmed) {
            Bound();
            bar->setValue(bar->maximum());
        }
        return;
    }
    if (update.text.isEmpty()) return;
    // The view follows the end only while it is there and the user has no
    // selection of their own.
    const bool following = bar->value() >= bar->maximum() && !Text1->textCursor().hasSelection();
    QTextCursor end(Text1->document());
    end.movePosition(QTextCursor::End);
    // Plain, whatever the line above was marked as.
    end.insertText(update.text, QTextCharFormat());
    if (m_marking) m_marks->appended(update.text);
    Bound();
    ShowCounts();
    if (following) bar->setValue(bar->maximum());
}

void frmResultText::mnuNext_Click() { Step(false); }

void frmResultText::mnuPrevious_Click() { Step(true); }

// Moves to the next (or previous) problem line from the one F4 went to
// last, or from the cursor's line when the user moved it since.
void frmResultText::Step(bool backwards) {
    const QTextCursor cursor = Text1->textCursor();
    qint64 from = -1;
    if (cursor.blockNumber() == m_navBlock && m_navLine >= 0) {
        from = m_navLine;
    } else if (cursor.position() > 0 || cursor.hasSelection()) {
        // A hint belongs to the line above it.
        for (int b = cursor.blockNumber(); b >= 0 && from < 0; --b) from = m_marks->lineOfBlock(b);
    }
    const ProblemLines::Problem* stop = m_marks->scanner().nextStop(from, backwards);
    if (!stop) {
        P().beep();
        return;
    }
    const ProblemLines::Problem problem = *stop;
    Select(problem.line, false);
    if (openLine) openLine(problem.file, problem.fileLine, this);
}

// Opens the problem of a block; an exception's line opens its first linked
// frame. False when the block holds none.
bool frmResultText::OpenBlock(int block) {
    const qint64 line = m_marks->lineOfBlock(block);
    if (line < 0) return false;
    const ProblemLines::Problem* at = m_marks->scanner().at(line);
    if (at && at->kind == ProblemLines::Kind::Exception && at->target >= 0)
        at = m_marks->scanner().at(at->target);
    if (!at || !at->opens()) return false;
    const ProblemLines::Problem problem = *at;
    Select(problem.line, false);
    if (openLine) openLine(problem.file, problem.fileLine, this);
    return true;
}

// Selects an output line, scrolled into view (or to the top of the view).
void frmResultText::Select(qint64 line, bool atTop) {
    const QTextBlock block = Text1->document()->findBlockByNumber(m_marks->blockOfLine(line));
    if (!block.isValid()) return;
    QTextCursor c(block);
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    Text1->setTextCursor(c);
    m_navLine = line;
    m_navBlock = block.blockNumber();
    if (atTop)
        Text1->verticalScrollBar()->setValue(block.firstLineNumber());
    else
        Text1->ensureCursorVisible();
}

void frmResultText::mnuFind_Click() {
    const bool wasHidden = findBar->isHidden();
    findBar->Open();
    if (wasHidden) Form_Resize();
}

void frmResultText::FindNext(bool backwards) {
    if (findBar->isHidden() || findBar->txtFind->text().isEmpty()) return mnuFind_Click();
    findBar->Highlight();
    findBar->Next(backwards);
}

// Drops the oldest text, whole lines where it can, once the text grows past
// its bound in characters or in lines, and puts the note at the top.
void frmResultText::Bound() {
    QTextDocument* doc = Text1->document();
    const bool tooLong = doc->characterCount() > kMaxShownChars;
    const bool tooMany = doc->blockCount() > kMaxShownLines;
    if (!tooLong && !tooMany) return;
    int cut = 0;
    if (tooLong) {
        cut = doc->characterCount() - kKeepChars;
        const QTextBlock block = doc->findBlock(cut);
        if (block.isValid() && block.position() > cut - kKeepChars / 4 && block.position() > 0)
            cut = block.position();
    }
    if (tooMany) cut = std::max(cut, doc->findBlockByNumber(doc->blockCount() - kKeepLines).position());
    const int cutBlock = doc->findBlock(cut).blockNumber();
    QTextCursor c(doc);
    c.beginEditBlock();
    c.setPosition(0);
    c.setPosition(cut, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    c.insertText(kTrimmedNote + u'\n');
    c.endEditBlock();
    m_trimmed = true;
    m_marks->trimmed(cutBlock);
    if (m_navBlock >= 0) m_navBlock = m_marks->blockOfLine(m_navLine);
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
    Form_Resize();
    RememberNormalGeometry();
}

void frmResultText::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    RememberNormalGeometry();
}
