// Follows result.txt into a text document: watches the file and its folder,
// reads what changed (a slice at a time while a writer floods it, at a pace
// that leaves the window responsive), keeps the shown text bounded, and marks
// its problem lines. Needs no window.
#pragma once

#include "result/ResultMarks.h"
#include "result/ResultReader.h"
#include "result/RunState.h"

#include <QElapsedTimer>
#include <QObject>

class QFileSystemWatcher;
class QTextDocument;
class QTimer;

class ResultFollower : public QObject {
    Q_OBJECT
public:
    // At most this many characters are shown; beyond it the oldest text goes
    // (down to kKeepChars) and a note at the top says so.
    static constexpr int kMaxShownChars = 500000;
    static constexpr int kKeepChars = 350000;
    // The same for lines, which cost the text box more than characters.
    static constexpr int kMaxShownLines = 8000;
    static constexpr int kKeepLines = 5000;
    // A change the file system reports is read this long after the first
    // report, so that a burst of writes is read once.
    static constexpr int kSettleMs = 15;
    static constexpr int kShowsPerSecond = 30;
    static constexpr double kRestFactor = 6;
    static const QString kTrimmedNote;

    ResultFollower(const QString& path, QObject* parent);

    QTextDocument* document() const { return m_document; }
    // Shows the file when it changed since it was last shown. A change the
    // file system reported on the file itself is read even when its stamp
    // looks the same (two rewrites within the file system's clock tick).
    void refresh(bool fileReported = false);
    // The run whose output the file holds.
    void setRun(const RunState& run);
    // Off: the text is shown unmarked (a benchmark's baseline).
    void setMarking(bool on) { m_marking = on; }

    const ResultReader& reader() const { return m_reader; }
    ResultMarks& marks() { return m_marks; }
    const ResultMarks& marks() const { return m_marks; }
    QFileSystemWatcher* watcher() const { return m_watcher; }
    // True while the shown text lacks the start of the output.
    bool trimmed() const { return m_trimmed; }

signals:
    // The text was read afresh.
    void replaced();
    // Text is about to be added at the end, and was.
    void appending();
    void appended();
    // The output of the run that ended is read to its end.
    void finished();

private:
    void show(const ResultReader::Update& update);
    void schedule(bool reported);
    void watch(const FileStamp& stamp);
    void bound();
    void finishIfEnded();

    ResultReader m_reader;
    QTextDocument* m_document;
    ResultMarks m_marks;
    QFileSystemWatcher* m_watcher;
    QTimer* m_settle;
    RunState m_run;
    bool m_fileReported = false;
    bool m_more = false;
    bool m_trimmed = false;
    bool m_marking = true;
    quint64 m_watchedDevice = 0, m_watchedInode = 0;
    quint64 m_finished = 0;      // the run whose output was read to its end
    QElapsedTimer m_sinceShown;  // since the end of the last refresh
    double m_lastCostMs = 0;     // how long the last refresh took
};
