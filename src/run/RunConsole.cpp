// The run's console and the run-state texts of the status line.
#include "RunConsole.h"

#include "RunKinds.h"
#include "result/Result.h"
#include "result/frmResultText.h"
#include "settings/Qlk.h"

#include <QDeadlineTimer>
#include <QThread>
#include <QTimer>

#include <signal.h>
#include <cstring>

using namespace Qlk;

namespace Run {

namespace {

const QString kInputClosed = QStringLiteral("プログラムは入力を受け付けていないため、送れませんでした");
const QString kInputFull =
    QStringLiteral("プログラムがまだ読んでいない入力が多すぎるため、送れませんでした (上限 4 MB)");

QString ResultPath() { return S.WindowsFolder + QStringLiteral("result.txt"); }

// The script's error lines a notice shows at most.
constexpr int kNoticeReasonLines = 3;

QString SignalText(int sig) {
    const char* abbrev = ::sigabbrev_np(sig);
    return abbrev ? QStringLiteral("%1 (SIG%2)").arg(sig).arg(QLatin1String(abbrev)) : QString::number(sig);
}

}  // namespace

Console::Console(QObject* parent) : QObject(parent) {
    m_tick = new QTimer(this);
    m_tick->setInterval(1000);
    connect(m_tick, &QTimer::timeout, this, &Console::Tick);
}

// Tells the state when it differs from the one told last; the running time
// and the result file's size change while a run is live, so it is looked at
// every second then.
void Console::Tell() {
    const RunInfo info = Info();
    if (m_started && info.serial != 0 && !info.live() && m_endChecked != info.serial) {
        m_endChecked = info.serial;
        CheckResultWritten(info);
    }
    const RunState state = State();
    P().compileServer().hold(state.live && KindOf(state.kind).holdsCompileServer);
    if (state.live && !m_tick->isActive()) m_tick->start();
    if (!state.live) m_tick->stop();
    if (state == m_told) return;
    m_told = state;
    emit stateChanged(state);
}

// The script sets its file-size limit first thing: it is read once per run,
// a second after the start.
void Console::Tick() {
    const RunInfo info = Info();
    if (info.live() && m_limitRead != info.serial) {
        m_limitRead = info.serial;
        P().run().readFileLimit();
    }
    Sample(false);
    Tell();
}

// What the run does is read once a second, and at its start.
void Console::Sample(bool fresh) {
    const RunActivity now = P().run().activity();
    const qint64 at = P().programs().monotonicMs();
    m_work = WorkOf(now, fresh ? RunActivity() : m_activity, at - m_activityMs);
    m_activity = now;
    m_activityMs = at;
}

RunWork WorkOf(const RunActivity& now, const RunActivity& before, qint64 elapsedMs) {
    if (now.readingInput) return RunWork::Reading;
    if (now.cpuMs < 0 || before.cpuMs < 0 || elapsedMs <= 0) return RunWork::Computing;
    return (now.cpuMs - before.cpuMs) * 10 >= elapsedMs ? RunWork::Computing : RunWork::Idle;
}

RunState Console::State() const {
    const RunInfo info = Info();
    RunState s;
    s.serial = info.serial;
    s.live = info.live();
    s.takesInput = info.live() && info.inputOpen;
    s.reading = s.takesInput && m_work == RunWork::Reading;
    if (m_applet && !info.live()) {
        s.kind = RunKind::Applet;
        s.folder = m_appletFolder;
        s.text = QStringLiteral("アプレットビューアを起動しました");
        s.notices = m_appletNotices;
        return s;
    }
    s.kind = m_kind;
    s.folder = Folder();
    s.text = StateText();
    s.notices = m_notices;
    return s;
}

void Console::AddNotices(const QStringList& notices) {
    if (notices.isEmpty()) return;
    m_notices += notices;
    Tell();
}

void Console::AppletStarted(const QString& folder, const QStringList& notices) {
    m_applet = true;
    m_appletFolder = folder;
    m_appletNotices = notices;
    Tell();
}

// A run that ended with result.txt as it found it wrote nothing there (the
// file is read-only, a folder took its place...): the window says so, with
// the script's own error lines, rather than let the old text pass for this
// run's output.
void Console::CheckResultWritten(const RunInfo& info) {
    const FileStamp now = P().files().fileStamp(ResultPath());
    if (now.exists && now != m_resultAtStart) return;
    QString why = info.errorOutput.trimmed();
    // Without a word from the script, what is wrong with the file now: an
    // empty append to the file that is there tells why it cannot be written
    // and changes nothing; a missing one is not made here.
    if (why.isEmpty()) {
        if (!now.exists)
            why = ResultPath() +
                  QStringLiteral(": ありません (フォルダなど、ふつうのファイルでないものかもしれません)");
        else if (!P().files().appendToFile(ResultPath(), QByteArray(), &why))
            why = ResultPath() + QStringLiteral(": ") + why;
    }
    m_notices << ResultNotWrittenNotice(why);
}

QString ResultNotWrittenNotice(const QString& why) {
    QString text =
        QStringLiteral("注意: この実行は result.txt に書けませんでした (下はこの実行の出力ではありません)");
    if (why.isEmpty()) return text;
    // The last lines say most (a script stops at its first failure).
    QStringList lines = why.split(u'\n', Qt::SkipEmptyParts);
    if (lines.size() > kNoticeReasonLines) lines = lines.mid(lines.size() - kNoticeReasonLines);
    for (const QString& line : lines) text += QStringLiteral("\n　理由: ") + line.trimmed();
    return text;
}

void Console::Serve(frmResultText* window) {
    connect(this, &Console::stateChanged, window, &frmResultText::SetRun);
    connect(window, &frmResultText::sendLine, this, [this, window](const QString& line) {
        QString why;
        const bool sent = SendLine(line, &why);
        window->LineSent(sent, why);
    });
    connect(window, &frmResultText::stopRun, this, &Console::Stop);
    connect(window, &frmResultText::endInput, this, &Console::EndInput);
    window->SetRun(State());
}

void ServeResultWindows(Console& console) {
    QObject::connect(Result::Windows(), &Result::Hub::made, &console, &Console::Serve, Qt::UniqueConnection);
}

void Console::setStopGraceMs(int ms) { m_graceMs = ms; }

// The run of the platform in use tells this console of its every change.
void Console::Listen() {
    disconnect(m_listening);
    m_listening = connect(&P().run(), &RunSlot::changed, this, &Console::Tell);
}

bool Console::Start(const QString& commandLine, QString* error, const QString& folder, RunKind kind) {
    Listen();
    m_folder = folder;
    m_started = true;
    m_kind = kind;
    m_notices.clear();
    m_applet = false;
    m_resultAtStart = P().files().fileStamp(ResultPath());
    const bool ok = P().run().start(commandLine, error);
    Sample(true);
    Tell();
    return ok;
}

QString Console::Folder() const {
    if (m_started) return m_folder;
    return m_selected ? m_selected() : QString();
}

void Console::SetSelectedFolder(std::function<QString()> selected) { m_selected = std::move(selected); }

void Console::Stop() {
    if (!P().run().alive()) return;
    // The grace counts from the first press: pressing again never puts the
    // kill off.
    P().run().stop(m_graceMs);
    Tell();
}

void Console::StopForExit() {
    // The applet viewer is no run, but it ends with Quenlark too.
    P().applet().stop();
    if (!P().run().alive()) return;
    P().run().signal(SIGTERM);
    const QDeadlineTimer until(kExitGraceMs);
    while (P().run().alive() && !until.hasExpired()) QThread::msleep(5);
    if (P().run().alive()) P().run().signal(SIGKILL);
}

bool Console::SendLine(const QString& line, QString* why) {
    const QByteArray bytes = line.toUtf8() + '\n';
    const RunInput room = TakesInput() ? P().run().inputRoom(bytes.size()) : RunInput::Closed;
    if (room != RunInput::Takes) {
        if (why) *why = room == RunInput::Full ? kInputFull : kInputClosed;
        Tell();
        return false;
    }
    // The transcript goes first, so the line stands before what the program
    // answers to it; the run was asked first whether it takes the line. A
    // transcript that cannot be written does not keep the line from the
    // program.
    P().files().appendToFile(ResultPath(), bytes, nullptr);
    if (P().run().write(bytes)) {
        // The program has a line to work on; the next reading tells whether
        // it asks for another.
        m_work = RunWork::Computing;
        Tell();
        return true;
    }
    if (why) *why = kInputClosed;  // the program closed its input just now
    Tell();
    return false;
}

void Console::EndInput() {
    if (!TakesInput()) return;
    P().run().closeInput();
    Tell();
}

RunInfo Console::Info() const { return P().run().info(); }

bool Console::TakesInput() const {
    const RunInfo info = Info();
    return info.live() && info.inputOpen;
}

QString Console::StateText() const {
    const RunInfo info = Info();
    // Only what the run wrote can have reached its limit: a result file it
    // never touched counts as empty, however large.
    const FileStamp stamp = P().files().fileStamp(ResultPath());
    const bool written = stamp.exists && stamp != m_resultAtStart;
    return Run::StateText(info, P().programs().monotonicMs(), written ? stamp.size : 0, m_work);
}

QString Seconds(qint64 ms) { return QString::number(double(ms) / 1000.0, 'f', 2) + QStringLiteral(" 秒"); }

QString SizeText(qint64 bytes) {
    auto number = [](double v) {
        QString t = QString::number(v, 'f', 1);
        if (t.endsWith(QStringLiteral(".0"))) t.chop(2);
        return t;
    };
    if (bytes >= 1024 * 1024) return number(double(bytes) / (1024 * 1024)) + QStringLiteral(" MB");
    if (bytes >= 1024) return number(double(bytes) / 1024) + QStringLiteral(" KB");
    return QString::number(bytes) + QStringLiteral(" バイト");
}

QString StateText(const RunInfo& info, qint64 nowMs, qint64 resultSize, RunWork work) {
    QString text;
    switch (info.phase) {
        case RunInfo::None:
            return QStringLiteral("実行中のプログラムはありません");
        case RunInfo::Running:
            if (info.stopSent)
                text = QStringLiteral("停止しています… (%1 秒経過)");
            else if (work == RunWork::Reading)
                text = QStringLiteral("実行中 — 入力を待っています (%1 秒経過)");
            else if (work == RunWork::Computing)
                text = QStringLiteral("実行中 — 計算しています (%1 秒経過)");
            else
                text = QStringLiteral("実行中 — 入力も計算もしていません。終わらないときは 停止 (%1 秒経過)");
            text = text.arg((nowMs - info.startedMs) / 1000);
            if (!info.inputOpen) text += QStringLiteral("、入力は終わりました");
            break;
        case RunInfo::Exited:
        case RunInfo::Signalled: {
            const QString time = Seconds(info.endedMs - info.startedMs);
            if (info.stopSent)
                text = QStringLiteral("停止しました (実行時間 %1)").arg(time);
            else if (info.phase == RunInfo::Exited)
                text =
                    QStringLiteral("終了しました (終了コード %1、実行時間 %2)").arg(info.exitCode).arg(time);
            else
                text = QStringLiteral("シグナル %1 で強制終了されました (実行時間 %2)")
                           .arg(SignalText(info.signal), time);
            break;
        }
    }
    if (info.fileLimit > 0 && resultSize >= info.fileLimit) {
        text += QStringLiteral("。result.txt が上限の %1 に達しました").arg(SizeText(info.fileLimit));
        if (info.live()) text += QStringLiteral("。「停止」で止めてください");
    }
    return text;
}

}  // namespace Run
