// The real platform's run and the applet viewer's slot (a RunProcess each,
// made on first use), and the compile server's keeper.
#include "QtPlatform.h"

#include "BrowseRequests.h"
#include "CompileServer.h"
#include "ProcessRules.h"
#include "RunProcess.h"

#include <QFile>
#include <QStandardPaths>

#include <signal.h>

namespace {
// Starts the desktop's browser on a page, apart from every run; "" when it
// started, else why not.
QString OpenInDesktopBrowser(const QString& address) {
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return QStringLiteral("xdg-open が見つかりません (sudo apt install xdg-utils で入ります)");
    qint64 pid = 0;
    QString why;
    return ProcessRules::SpawnDetached(opener, {address}, &pid, &why) ? QString() : why;
}
}  // namespace

QtRunSlot::QtRunSlot() = default;
QtRunSlot::~QtRunSlot() = default;

bool QtRunSlot::start(const QString& commandLine, QString* error) {
    QString program;
    QStringList args;
    if (!ProcessRules::ResolveCommand(commandLine, &program, &args, error)) return false;
    if (!m_run) {
        m_run = std::make_unique<RunProcess>();
        m_run->setListener([this] { emit changed(); });
    }
    return m_run->start(program, args, error);
}

RunInfo QtRunSlot::info() { return m_run ? m_run->info() : RunInfo(); }

qint64 QtRunSlot::readFileLimit() { return m_run ? m_run->readFileLimit() : -1; }

RunInput QtRunSlot::inputRoom(qint64 bytes) { return m_run ? m_run->inputRoom(bytes) : RunInput::Closed; }

bool QtRunSlot::write(const QByteArray& data) { return m_run && m_run->write(data); }

void QtRunSlot::closeInput() {
    if (m_run) m_run->closeInput();
}

void QtRunSlot::signal(int signal) {
    if (m_run) m_run->signal(signal);
}

void QtRunSlot::stop(int graceMs) {
    if (!m_run) return;
    if (graceMs <= 0)
        m_run->signal(SIGKILL);
    else
        m_run->stop(graceMs);
}

bool QtRunSlot::alive() { return m_run && m_run->groupAlive(); }

RunActivity QtRunSlot::activity() { return m_run ? m_run->activity() : RunActivity(); }

QtAppletSlot::QtAppletSlot(Platform& owner) : m_owner(owner) {}
QtAppletSlot::~QtAppletSlot() = default;

bool QtAppletSlot::start(const QString& commandLine, QString* error) {
    QString program;
    QStringList args;
    if (!ProcessRules::ResolveCommand(commandLine, &program, &args, error)) return false;
    if (!m_browse) {
        // The viewer's showDocument: the desktop's browser, started by
        // Quenlark apart from the viewer, so that it outlives it.
        m_browse = std::make_unique<BrowseRequests>(
            PrivateRuntimeFolder(m_owner.files().windowsFolder()) + QStringLiteral("/quenlark-browse"),
            OpenInDesktopBrowser);
        if (!m_browse->socketPath().isEmpty())
            SetStartVariable(BrowseRequests::kVariable, QFile::encodeName(m_browse->socketPath()));
    }
    if (!QtRunSlot::start(commandLine, error)) return false;
    // Nobody types to the viewer: its input ends at once.
    m_run->closeInput();
    return true;
}

QtCompileServerKeeper::QtCompileServerKeeper(Platform& owner) : m_owner(owner) {}
QtCompileServerKeeper::~QtCompileServerKeeper() = default;

void QtCompileServerKeeper::start() {
    if (!m_server)
        m_server = std::make_unique<CompileServer>(PrivateRuntimeFolder(m_owner.files().windowsFolder()),
                                                   ProgramsFolder());
    // A server that cannot start leaves compile.bat with javac: nothing to tell.
    m_server->ensureRunning(nullptr);
}

void QtCompileServerKeeper::stop() {
    if (m_server) m_server->stop();
}

void QtCompileServerKeeper::hold(bool hold) {
    if (m_server) m_server->hold(hold);
}
