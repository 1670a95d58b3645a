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
QString FakePlatform::readSetting(const QString& section, const QString& key) {
    for (qsizetype i = m_unsaved.size() - 1; i >= 0; --i)
        if (m_unsaved[i].section == section && m_unsaved[i].key == key) return m_unsaved[i].value;
    return m_store->read(section, key);
}

bool FakePlatform::writeSetting(const QString& section, const QString& key, const QString& value) {
    writes.append({section, key, value});
    events << QStringLiteral("write:") + key;
    if (!storeWritable) {
        m_unsaved.append({section, key, value});
        if (batchDepth == 0) return false;
        m_batchFailed = true;
        return true;
    }
    for (const Write& w : std::exchange(m_unsaved, {})) m_store->write(w.section, w.key, w.value);
    return m_store->write(section, key, value);
}

void FakePlatform::beginSettingsBatch() {
    ++batchDepth;
    m_store->beginBatch();
}

bool FakePlatform::endSettingsBatch() {
    if (batchDepth > 0) --batchDepth;
    const bool written = m_store->endBatch();
    if (batchDepth > 0) return true;
    const bool failed = m_batchFailed;
    m_batchFailed = false;
    return written && !failed;
}

void FakePlatform::removeStaleTemporaryFiles() {
    events << QStringLiteral("cleanup");
    AtomicFile::removeStale(QFileInfo(m_store->path()).absolutePath(), 10 * 60);
    AtomicFile::removeStale(dataFolder, 10 * 60);
}

QString FakePlatform::settingsPath() const { return m_store->path(); }
QString FakePlatform::lastSettingsError() const {
    return storeWritable ? m_store->lastError() : QStringLiteral("Permission denied");
}

bool FakePlatform::fileExists(const QString& path) { return FileRules::Exists(path); }
bool FakePlatform::isProgramFile(const QString& path) { return FileRules::IsProgramFile(path); }

bool FakePlatform::copyFile(const QString& from, const QString& to, QString* error, const CopyRules& rules) {
    return FileRules::CopyReplacing(from, to, error, rules);
}

FileStamp FakePlatform::fileStamp(const QString& path) { return FileRules::Stamp(path); }

bool FakePlatform::readFile(const QString& path, qint64 offset, qint64 maxBytes, QByteArray* data,
                            QString* error) {
    if (unreadable.contains(path)) {
        data->clear();
        if (error) *error = QStringLiteral("Permission denied");
        return false;
    }
    return FileRules::ReadRange(path, offset, maxBytes, data, error);
}

QString FakePlatform::shortPath(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return QString();
    if (!folder.contains(u' ')) return folder;
    return FileRules::AliasFor(folder, m_dir.path() + QStringLiteral("/aliases"));
}

// Folders are made only inside the fake's temporary folder: a test that
// says yes to a folder elsewhere gets the failure instead.
bool FakePlatform::makeFolder(const QString& path, QString* error) {
    events << QStringLiteral("mkdir:") + path;
    if (!QDir::cleanPath(path).startsWith(m_dir.path() + u'/')) {
        if (error) *error = QStringLiteral("Permission denied");
        return false;
    }
    return FileRules::MakeFolder(path, error);
}

bool FakePlatform::startProcess(const QString& commandLine, WindowStyle style, QString* error) {
    events << QStringLiteral("start:") + commandLine;
    if (!startSucceeds) {
        if (error) *error = QStringLiteral("No such file or directory");
        return false;
    }
    started.append({commandLine, style});
    return true;
}

bool FakePlatform::startWithArguments(const QString& commandLine, const QStringList& extraArgs,
                                      WindowStyle style, QString* error,
                                      std::function<void(ExitStatus)> onEarlyFailure) {
    const QString shown = extraArgs.isEmpty() ? commandLine : commandLine + u' ' + extraArgs.join(u' ');
    events << QStringLiteral("start:") + shown;
    if (!startSucceeds) {
        if (error) *error = QStringLiteral("No such file or directory");
        return false;
    }
    started.append({shown, style, extraArgs, std::move(onEarlyFailure)});
    return true;
}

bool FakePlatform::endEarly(int index, ExitStatus status) {
    if (index < 0 || index >= started.size() || !started[index].onEarlyFailure) return false;
    started[index].onEarlyFailure(status);
    return true;
}

// Looks on the test's own PATH, as the real platform does.
bool FakePlatform::foundOnPath(const QString& commandLine) {
    return ProcessRules::ProgramOnPath(commandLine);
}

bool FakePlatform::startRun(const QString& commandLine, QString* error) {
    // A command line that cannot start leaves the live run alone.
    if (startSucceeds && run.live()) {
        runSignals << 9;
        events << QStringLiteral("signal:9");
    }
    if (!startProcess(commandLine, WindowStyle::MinimizedNoFocus, error)) return false;
    const quint64 serial = run.serial + 1;
    run = RunInfo();
    run.serial = serial;
    run.phase = RunInfo::Running;
    run.pid = 1000 + qint64(serial);
    run.inputOpen = true;
    run.startedMs = clockMs;
    runInput.clear();
    if (runListener) runListener();
    return true;
}

bool FakePlatform::writeRunInput(const QByteArray& data) {
    if (runInputRoom(data.size()) != RunInput::Takes) return false;
    runInput += data;
    events << QStringLiteral("input:") + QString::fromUtf8(data);
    return true;
}

void FakePlatform::closeRunInput() {
    run.inputOpen = false;
    events << QStringLiteral("input-closed");
}

void FakePlatform::signalRun(int signal) {
    events << QStringLiteral("signal:%1").arg(signal);
    runSignals << signal;
    if (!runGroupAlive()) return;
    run.stopSent = true;
    if (signal == 9) {
        groupLingers = false;
        if (run.live()) killRun(9);
    } else if (signal == 15 && !ignoresTerm && run.live()) {
        endRun(143);
    }
}

void FakePlatform::endRun(int exitCode) {
    run.phase = RunInfo::Exited;
    run.exitCode = exitCode;
    run.endedMs = clockMs;
    run.inputOpen = false;
    if (runListener) runListener();
}

void FakePlatform::killRun(int signal) {
    run.phase = RunInfo::Signalled;
    run.signal = signal;
    run.endedMs = clockMs;
    run.inputOpen = false;
    if (runListener) runListener();
}

bool FakePlatform::appendToFile(const QString& path, const QByteArray& data, QString* error) {
    events << QStringLiteral("append:") + QString::fromUtf8(data);
    return RunProcess::appendTo(path, data, error);
}

void FakePlatform::beep() {
    ++beeps;
    events << QStringLiteral("beep");
}

MsgResult FakePlatform::messageBox(QWidget*, const QString& text, const QString& title, MsgIcon icon,
                                   MsgButtons buttons) {
    const Box box{text, title, icon, buttons, DefaultButton(buttons)};
    boxes.append(box);
    events << QStringLiteral("box:") + title;
    if (onBox) onBox(box);
    if (!answers.isEmpty()) return answers.dequeue();
    return buttons == MsgButtons::YesNo ? MsgResult::Yes : MsgResult::Ok;
}

void FakePlatform::setTopmost(QWidget*, bool on) {
    topmostCalls << on;
    events << (on ? QStringLiteral("topmost:on") : QStringLiteral("topmost:off"));
}

void FakePlatform::showHelp(QWidget*, const QString& helpFile, int context) {
    helpCalls << context;
    events << QStringLiteral("help:%1:%2").arg(helpFile).arg(context);
}

QString FakePlatform::openFileDialog(QWidget*, const QString& title) {
    dialogTitles << title;
    return chosenFiles.isEmpty() ? QString() : chosenFiles.dequeue();
}

QStringList FakePlatform::volumes() { return volumeList; }

FakeScope::FakeScope() : fake(std::make_unique<FakePlatform>()), m_installed(*fake) {
    Qlk::S = Qlk::SharedSettings();
    Qlk::ResetWriteFailureNotice();
}

FakeScope::~FakeScope() { Qlk::S = Qlk::SharedSettings(); }

bool FakePlatform::startApplet(const QString& commandLine, QString* error) {
    return startProcess(commandLine, WindowStyle::Hidden, error);
}

void FakePlatform::stopApplet() {
    ++appletStops;
    events << QStringLiteral("applet-stop");
}
