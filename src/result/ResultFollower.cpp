// Follows result.txt into the result window's text.
#include "ResultFollower.h"

#include "Cp932Decoder.h"
#include "settings/Qlk.h"

#include <QFileSystemWatcher>
#include <QPlainTextDocumentLayout>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <cmath>

using namespace Qlk;

namespace {

// A source as the hints read it, at most its first 256 KB (far more than a
// learner writes; the window never waits long on a hint): UTF-8, else
// Shift_JIS as Japanese editors save it.
QString SourceText(const QString& path) {
    QByteArray bytes;
    if (!P().files().readFile(path, 0, 256 * 1024, &bytes, nullptr)) return {};
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? Cp932Decoder().decode(bytes) : text;
}

}  // namespace

const QString ResultFollower::kTrimmedNote =
    QStringLiteral("［出力が長いため、前の部分を省略して最後の部分だけを表示しています］");

ResultFollower::ResultFollower(const QString& path, QObject* parent)
    : QObject(parent), m_reader(path), m_document(new QTextDocument(this)), m_marks(m_document) {
    m_document->setDocumentLayout(new QPlainTextDocumentLayout(m_document));
    // The text is replaced and appended to all the time; an undo history
    // would only keep every old copy.
    m_document->setUndoRedoEnabled(false);

    // The file system reports changes at once; the window's timer stays the
    // safety net.
    m_watcher = new QFileSystemWatcher(this);
    m_settle = new QTimer(this);
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettleMs);
    connect(m_settle, &QTimer::timeout, this, [this] {
        const bool fileReported = m_fileReported;
        m_fileReported = false;
        refresh(fileReported);
    });
    m_sinceShown.start();
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, [this] {
        m_fileReported = true;
        schedule(true);
        // Until the refresh every write of a fast writer would only wake the
        // window again; the refresh watches the file anew.
        m_watcher->removePath(m_reader.path());
    });
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { schedule(true); });
    watch(P().files().fileStamp(m_reader.path()));
}

void ResultFollower::setRun(const RunState& run) {
    m_run = run;
    finishIfEnded();
}

void ResultFollower::refresh(bool fileReported) {
    const FileStamp T = P().files().fileStamp(m_reader.path());  // T: the result file's stamp now
    watch(T);
    const bool same = T == S.ResultFileTime;
    // The same stamp is read again when the file system reported a change
    // the reader has not seen; a late report of a write already read changes
    // nothing.
    if (same && !m_more && !(fileReported && T.exists && !m_reader.unchanged(T))) return finishIfEnded();
    QElapsedTimer cost;
    cost.start();
    // Output that goes on after a finished text whose last line had no
    // break yet is read whole again, so that its lines stay where they are.
    const bool whole = (same && !m_more) || m_marks.finishedMidLine();
    const ResultReader::Update update = m_reader.read(T, whole);
    show(update);
    S.ResultFileTime = T;
    m_lastCostMs = cost.nsecsElapsed() / 1e6;
    m_sinceShown.start();
    // A fast writer's output is taken a slice at a time, with the other
    // events served in between.
    m_more = update.more;
    if (m_more) schedule(false);
    finishIfEnded();
}

// A change after a quiet moment is shown after the settle time. While output
// streams in, the text is brought up to date at most kShowsPerSecond times a
// second, as much as a screen can show, and a refresh that took c ms is
// followed by kRestFactor * c ms for everything else, so that a flood of
// output takes only a small share of the processor.
void ResultFollower::schedule(bool reported) {
    if (m_settle->isActive()) return;
    const double since = m_sinceShown.nsecsElapsed() / 1e6;
    double wait = kRestFactor * m_lastCostMs - since;
    if (reported) wait = std::max({wait, 1000.0 / kShowsPerSecond - m_lastCostMs - since, double(kSettleMs)});
    m_settle->setInterval(std::max(0, int(std::ceil(wait))));
    m_settle->start();
}

// Once a run has ended and its output is read to the end, the last line is
// read too.
void ResultFollower::finishIfEnded() {
    if (!m_run.ended() || m_run.serial == m_finished || m_more) return;
    // Output written just before the end may not have been read yet.
    const FileStamp T = P().files().fileStamp(m_reader.path());  // T: the result file's stamp now
    if (!(T == S.ResultFileTime)) return refresh(false);
    m_finished = m_run.serial;
    if (m_marking) m_marks.finish(m_reader.lines());
    emit finished();
}

// Keeps the watches on the data folder and on the file that is there now; a
// file that a writer replaced or deleted and re-created is watched anew.
void ResultFollower::watch(const FileStamp& stamp) {
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

void ResultFollower::show(const ResultReader::Update& update) {
    if (update.kind == ResultReader::Update::Replace) {
        m_trimmed = update.trimmed;
        // The document's own setPlainText: the text box's would give the new
        // text the format at its cursor, the colour of a selected error.
        m_document->setPlainText(m_trimmed ? kTrimmedNote + u'\n' + update.text : update.text);
        ProblemLines::Folder folder;
        folder.path = m_run.folder;
        folder.fileExists = [](const QString& path) {
            return P().files().fileStamp(path).exists;
        };  // "*" as named
        folder.files = [path = m_run.folder] { return P().files().fileNames(path); };
        folder.source = [](const QString& path) { return SourceText(path); };
        m_marks.replaced(m_marking ? update : ResultReader::Update(), m_trimmed ? 1 : 0, std::move(folder));
        // A text read whole after its run ended is finished once read to its
        // end. Finishing it here would take a last line still being written
        // (by a writer that is not a run) for a whole one, and every line
        // after it would be counted one too early.
        if (!m_run.live) m_finished = 0;
        if (m_trimmed) bound();
        emit replaced();
        return;
    }
    if (update.text.isEmpty() && update.redo == 0) return;
    emit appending();
    // The text starts at the line that was unfinished, in the last block.
    const int first = m_document->blockCount() - 1;
    // Positions count UTF-16 units, as `redo` does (a cursor's moves would
    // count characters of two halves once).
    QTextCursor end(m_document);
    end.movePosition(QTextCursor::End);
    end.setPosition(end.position() - int(update.redo), QTextCursor::KeepAnchor);
    // Plain, whatever the line above was marked as.
    end.insertText(update.text, QTextCharFormat());
    if (m_marking) m_marks.appended(update, first);
    bound();
    emit appended();
}

// Drops the oldest text, whole lines where it can, once the text grows past
// its bound in characters or in lines, and puts the note at the top.
void ResultFollower::bound() {
    QTextDocument* doc = m_document;
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
    // The block that becomes the first under the note keeps what it shows.
    const QTextBlock kept = doc->findBlock(cut);
    const int state = kept.userState();
    const auto* mark = static_cast<const LineMark*>(kept.userData());
    LineMark* keptMark = mark ? new LineMark(*mark) : nullptr;
    QTextCursor c(doc);
    c.beginEditBlock();
    c.setPosition(0);
    c.setPosition(cut, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    c.insertText(kTrimmedNote + u'\n');
    c.endEditBlock();
    QTextBlock note = doc->begin();
    note.setUserState(-1);
    note.setUserData(nullptr);
    QTextBlock top = note.next();
    top.setUserState(state);
    top.setUserData(keptMark);
    m_trimmed = true;
    if (m_marking) m_marks.trimmed();
}
