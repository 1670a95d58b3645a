// The real platform's run and the applet viewer's slot: a RunProcess each,
// made on first use.
#include "QtPlatform.h"

#include "BrowseRequests.h"
#include "CompileServer.h"
#include "ProcessRules.h"
#include "RunProcess.h"

#include <QFile>
#include <QStandardPaths>

#include <signal.h>

namespace {
RunProcess* Ensure(std::unique_ptr<RunProcess>& run, const std::function<void()>& listener) {
    if (!run) {
        run = std::make_unique<RunProcess>();
        run->setListener(listener);
    }
    return run.get();
}
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

bool QtPlatform::startRun(const QString& commandLine, QString* error) {
    QString program;
    QStringList args;
    if (!ProcessRules::ResolveCommand(commandLine, &program, &args, error)) return false;
    return Ensure(m_run, m_runListener)->start(program, args, error);
}

RunInfo QtPlatform::runInfo() { return m_run ? m_run->info() : RunInfo(); }

qint64 QtPlatform::readRunFileLimit() { return m_run ? m_run->readFileLimit() : -1; }

RunInput QtPlatform::runInputRoom(qint64 bytes) { return m_run ? m_run->inputRoom(bytes) : RunInput::Closed; }

bool QtPlatform::writeRunInput(const QByteArray& data) { return m_run && m_run->write(data); }

void QtPlatform::closeRunInput() {
    if (m_run) m_run->closeInput();
}

void QtPlatform::signalRun(int signal) {
    if (m_run) m_run->signal(signal);
}

bool QtPlatform::runGroupAlive() { return m_run && m_run->groupAlive(); }

RunActivity QtPlatform::runActivity() { return m_run ? m_run->activity() : RunActivity(); }

void QtPlatform::setRunListener(std::function<void()> changed) {
    m_runListener = std::move(changed);
    if (m_run) m_run->setListener(m_runListener);
}

bool QtPlatform::appendToFile(const QString& path, const QByteArray& data, QString* error) {
    return RunProcess::appendTo(path, data, error);
}

qint64 QtPlatform::monotonicMs() { return RunProcess::nowMs(); }

bool QtPlatform::startApplet(const QString& commandLine, QString* error) {
    QString program;
    QStringList args;
    if (!ProcessRules::ResolveCommand(commandLine, &program, &args, error)) return false;
    if (!m_applet) m_applet = std::make_unique<RunProcess>();
    if (!m_browse) {
        // The viewer's showDocument: the desktop's browser, started by
        // Quenlark apart from the viewer, so that it outlives it.
        m_browse = std::make_unique<BrowseRequests>(
            PrivateRuntimeFolder(windowsFolder()) + QStringLiteral("/quenlark-browse"), OpenInDesktopBrowser);
        if (!m_browse->socketPath().isEmpty())
            SetStartVariable(BrowseRequests::kVariable, QFile::encodeName(m_browse->socketPath()));
    }
    if (!m_applet->start(program, args, error)) return false;
    // Nobody types to the viewer: its input ends at once.
    m_applet->closeInput();
    return true;
}

void QtPlatform::stopApplet() {
    if (m_applet) m_applet->signal(SIGKILL);
}

void QtPlatform::startCompileServer() {
    if (!m_compileServer)
        m_compileServer =
            std::make_unique<CompileServer>(PrivateRuntimeFolder(windowsFolder()), ProgramsFolder());
    // A server that cannot start leaves compile.bat with javac: nothing to tell.
    m_compileServer->ensureRunning(nullptr);
}

void QtPlatform::stopCompileServer() {
    if (m_compileServer) m_compileServer->stop();
}

void QtPlatform::holdCompileServer(bool hold) {
    if (m_compileServer) m_compileServer->hold(hold);
}
