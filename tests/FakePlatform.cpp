// The fake roles and the records they keep.
#include "FakePlatform.h"

#include "TestFiles.h"

#include "platform/AtomicFile.h"
#include "platform/FileRules.h"
#include "platform/ProcessRules.h"
#include "platform/RunProcess.h"
#include "settings/Qlk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

FakePlatform::FakePlatform(const QString& storePath) {
    dataFolder = m_dir.path() + QStringLiteral("/data/");
    programDir = m_dir.path() + QStringLiteral("/program");
    home = m_dir.path() + QStringLiteral("/home");
    QDir().mkpath(dataFolder);
    QDir().mkpath(programDir);
    m_store = std::make_unique<IniStore>(
        storePath.isEmpty() ? m_dir.path() + QStringLiteral("/config/Quenlark/Quenlark.ini") : storePath);
}

FakePlatform::~FakePlatform() = default;

QString FakePlatform::storedValue(const QString& section, const QString& key) const {
    return IniStore(m_store->path()).read(section, key);
}

void FakePlatform::presetSetting(const QString& section, const QString& key, const QString& value) {
    m_store->write(section, key, value);
}

void FakePlatform::installProgramFiles() {
    const QString source = qEnvironmentVariable("QLK_DATA_DIR");
    const QStringList files = QDir(source).entryList(QDir::Files);
    for (const QString& f : files)
        FileRules::CopyReplacing(source + u'/' + f, programDir + u'/' + f, nullptr);
}

void FakePlatform::seedConfigured() {
    TestFiles::WriteFile(programDir + QStringLiteral("/result.txt"), "seed\n");
    presetSetting(Qlk::kSetting, Qlk::Key::JavaFileFolder(0), QStringLiteral("/src"));
}

// A value whose write failed is read back as written, as the real store
// keeps it in memory; it reaches the file with the next write that succeeds.
QString FakeStore::readSetting(const QString& section, const QString& key) {
    for (qsizetype i = f.m_unsaved.size() - 1; i >= 0; --i)
        if (f.m_unsaved[i].section == section && f.m_unsaved[i].key == key) return f.m_unsaved[i].value;
    return f.m_store->read(section, key);
}

bool FakeStore::writeSetting(const QString& section, const QString& key, const QString& value) {
    f.writes.append({section, key, value});
    f.events << QStringLiteral("write:") + key;
    if (!f.storeWritable) {
        f.m_unsaved.append({section, key, value});
        if (f.batchDepth == 0) return false;
        f.m_batchFailed = true;
        return true;
    }
    for (const FakePlatform::Write& w : std::exchange(f.m_unsaved, {}))
        f.m_store->write(w.section, w.key, w.value);
    return f.m_store->write(section, key, value);
}

void FakeStore::beginSettingsBatch() {
    ++f.batchDepth;
    f.m_store->beginBatch();
}

bool FakeStore::endSettingsBatch() {
    if (f.batchDepth > 0) --f.batchDepth;
    const bool written = f.m_store->endBatch();
    if (f.batchDepth > 0) return true;
    const bool failed = f.m_batchFailed;
    f.m_batchFailed = false;
    return written && !failed;
}

QString FakeStore::unreadableStore() { return UnreadableStore(*f.m_store, f.dataFolder); }

void FakeStore::removeStaleTemporaryFiles() {
    f.events << QStringLiteral("cleanup");
    AtomicFile::removeStale(QFileInfo(f.m_store->path()).absolutePath(), 10 * 60);
    AtomicFile::removeStale(f.dataFolder, 10 * 60);
}

QString FakeStore::settingsPath() const { return f.m_store->path(); }
QString FakeStore::lastSettingsError() const {
    return f.storeWritable ? f.m_store->lastError() : QStringLiteral("Permission denied");
}

QString FakeFiles::windowsFolder() { return f.dataFolder; }
QString FakeFiles::programFolder() { return f.programDir; }

bool FakeFiles::fileExists(const QString& path) { return FileRules::Exists(path); }
bool FakeFiles::isProgramFile(const QString& path) { return FileRules::IsProgramFile(path); }

bool FakeFiles::copyFile(const QString& from, const QString& to, QString* error, const CopyRules& rules) {
    return FileRules::CopyReplacing(from, to, error, rules);
}

FileStamp FakeFiles::fileStamp(const QString& path) { return FileRules::Stamp(path); }

bool FakeFiles::readFile(const QString& path, qint64 offset, qint64 maxBytes, QByteArray* data,
                         QString* error) {
    if (f.unreadable.contains(path)) {
        data->clear();
        if (error) *error = QStringLiteral("Permission denied");
        return false;
    }
    return FileRules::ReadRange(path, offset, maxBytes, data, error);
}

QString FakeFiles::shortPath(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return QString();
    if (!folder.contains(u' ')) return folder;
    return FileRules::AliasFor(folder, f.root() + QStringLiteral("/aliases"));
}

// Folders are made only inside the fake's temporary folder: a test that
// says yes to a folder elsewhere gets the failure instead.
bool FakeFiles::makeFolder(const QString& path, QString* error) {
    f.events << QStringLiteral("mkdir:") + path;
    if (!QDir::cleanPath(path).startsWith(f.root() + u'/')) {
        if (error) *error = QStringLiteral("Permission denied");
        return false;
    }
    return FileRules::MakeFolder(path, error);
}

QString FakeFiles::homeFolder() { return f.home; }

bool FakePlatform::recordStart(const QString& commandLine, Started::Via via, QString* error) {
    events << QStringLiteral("start:") + commandLine;
    if (!startSucceeds) {
        if (error) *error = QStringLiteral("No such file or directory");
        return false;
    }
    started.append({commandLine, via});
    return true;
}

bool FakePrograms::startWithArguments(const QString& commandLine, const QStringList& extraArgs,
                                      QString* error, std::function<void(ExitStatus)> onEarlyFailure) {
    const QString shown = extraArgs.isEmpty() ? commandLine : commandLine + u' ' + extraArgs.join(u' ');
    f.events << QStringLiteral("start:") + shown;
    if (!f.startSucceeds) {
        if (error) *error = QStringLiteral("No such file or directory");
        return false;
    }
    f.started.append({shown, FakePlatform::Started::Program, extraArgs, std::move(onEarlyFailure)});
    return true;
}

qint64 FakePrograms::monotonicMs() { return f.clockMs; }

bool FakePlatform::endEarly(int index, ExitStatus status) {
    if (index < 0 || index >= started.size() || !started[index].onEarlyFailure) return false;
    started[index].onEarlyFailure(status);
    return true;
}

// Looks on the test's own PATH, as the real platform does.
bool FakePrograms::foundOnPath(const QString& commandLine) {
    return ProcessRules::ProgramOnPath(commandLine);
}

FakeRun::FakeRun(FakePlatform& fake) : f(fake) {
    m_grace.setSingleShot(true);
    connect(&m_grace, &QTimer::timeout, this, [this] {
        if (alive()) signal(9);
    });
}

bool FakeRun::start(const QString& commandLine, QString* error) {
    // A command line that cannot start leaves the live run alone.
    if (f.startSucceeds && f.runState.live()) {
        f.runSignals << 9;
        f.events << QStringLiteral("signal:9");
    }
    if (!f.recordStart(commandLine, FakePlatform::Started::Run, error)) return false;
    m_grace.stop();
    const quint64 serial = f.runState.serial + 1;
    f.runState = RunInfo();
    f.runState.serial = serial;
    f.runState.phase = RunInfo::Running;
    f.runState.pid = 1000 + qint64(serial);
    f.runState.inputOpen = true;
    f.runState.startedMs = f.clockMs;
    f.runInput.clear();
    emit changed();
    return true;
}

RunInfo FakeRun::info() { return f.runState; }
qint64 FakeRun::readFileLimit() { return f.runState.fileLimit; }

RunInput FakeRun::inputRoom(qint64 bytes) {
    return !f.runState.inputOpen ? RunInput::Closed : bytes > f.inputRoom ? RunInput::Full : RunInput::Takes;
}

bool FakeRun::write(const QByteArray& data) {
    if (inputRoom(data.size()) != RunInput::Takes) return false;
    f.runInput += data;
    f.events << QStringLiteral("input:") + QString::fromUtf8(data);
    return true;
}

void FakeRun::closeInput() {
    f.runState.inputOpen = false;
    f.events << QStringLiteral("input-closed");
}

void FakeRun::signal(int signal) {
    f.events << QStringLiteral("signal:%1").arg(signal);
    f.runSignals << signal;
    if (!alive()) return;
    f.runState.stopSent = true;
    if (signal == 9) {
        f.groupLingers = false;
        if (f.runState.live()) f.killRun(9);
    } else if (signal == 15 && !f.ignoresTerm && f.runState.live()) {
        f.endRun(143);
    }
}

void FakeRun::stop(int graceMs) {
    if (!alive()) return;
    signal(15);
    if (!m_grace.isActive()) m_grace.start(graceMs);
}

bool FakeRun::alive() { return f.runState.live() || f.groupLingers; }

RunActivity FakeRun::activity() { return f.runState.live() ? f.activity : RunActivity(); }

void FakePlatform::endRun(int exitCode) {
    runState.phase = RunInfo::Exited;
    runState.exitCode = exitCode;
    runState.endedMs = clockMs;
    runState.inputOpen = false;
    emit m_run.changed();
}

void FakePlatform::killRun(int signal) {
    runState.phase = RunInfo::Signalled;
    runState.signal = signal;
    runState.endedMs = clockMs;
    runState.inputOpen = false;
    emit m_run.changed();
}

bool FakeFiles::appendToFile(const QString& path, const QByteArray& data, QString* error) {
    f.events << QStringLiteral("append:") + QString::fromUtf8(data);
    return RunProcess::appendTo(path, data, error);
}

void FakeDesktop::beep() {
    ++f.beeps;
    f.events << QStringLiteral("beep");
}

MsgResult FakeDesktop::messageBox(QWidget*, const QString& text, const QString& title, MsgIcon icon,
                                  MsgButtons buttons) {
    const FakePlatform::Box box{text, title, icon, buttons, DefaultButton(buttons)};
    f.boxes.append(box);
    f.events << QStringLiteral("box:") + title;
    if (f.onBox) f.onBox(box);
    if (!f.answers.isEmpty()) return f.answers.dequeue();
    return buttons == MsgButtons::YesNo ? MsgResult::Yes : MsgResult::Ok;
}

void FakeDesktop::setTopmost(QWidget*, bool on) {
    f.topmostCalls << on;
    f.events << (on ? QStringLiteral("topmost:on") : QStringLiteral("topmost:off"));
}

void FakeDesktop::showHelp(QWidget*, const QString& helpFile, int context) {
    f.helpCalls << context;
    f.events << QStringLiteral("help:%1:%2").arg(helpFile).arg(context);
}

QString FakeDesktop::openFileDialog(QWidget*, const QString& title) {
    f.dialogTitles << title;
    return f.chosenFiles.isEmpty() ? QString() : f.chosenFiles.dequeue();
}

bool FakeDesktop::claimSingleInstance() { return !f.otherCopyRunning; }
ScreenMetrics FakeDesktop::screen() { return f.metrics; }

QStringList FakeFiles::volumes() { return f.volumeList; }

FakeScope::FakeScope() : fake(std::make_unique<FakePlatform>()), m_installed(*fake) {
    Qlk::S = Qlk::SharedSettings();
    Qlk::ResetWriteFailureNotice();
}

FakeScope::~FakeScope() { Qlk::S = Qlk::SharedSettings(); }

bool FakeApplet::start(const QString& commandLine, QString* error) {
    return f.recordStart(commandLine, FakePlatform::Started::Applet, error);
}

void FakeApplet::stop(int) {
    ++f.appletStops;
    f.events << QStringLiteral("applet-stop");
}

void FakeCompileServer::start() { ++f.compileServerStarts; }
void FakeCompileServer::stop() { ++f.compileServerStops; }
void FakeCompileServer::hold(bool hold) { f.compileServerHeld = hold; }
