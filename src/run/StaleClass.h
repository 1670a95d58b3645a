// Tells when a run button would run an old class: one older than its
// source, or one whose last compile in this session failed, so the result
// window can say so above the output.
#pragma once

#include "platform/Platform.h"

#include <QSet>
#include <QString>
#include <QStringList>

namespace Run::Stale {

enum class Why {
    Fresh,          // the class is as new as its source, or there is nothing to compare
    Older,          // the source was changed after the class was made
    CompileFailed,  // the last compile of the source failed: the class is from an earlier one
};

// The rule for a class file and its source.
Why Judge(const FileStamp& classFile, const FileStamp& source, bool lastCompileFailed);

// The line the result window shows for `path` (a class's path in its
// folder, without extension: "Hello", "jp/example/Hello"); "" when Fresh.
QString Notice(Why why, const QString& path);

// The classes a page's `code` attributes name, as paths in the page's folder
// without extension ("Hello.class" and "Hello" give "Hello",
// "jp.example.Hello.class" gives "jp/example/Hello"), in order, once each.
QStringList AppletClasses(const QString& page);

// The compiles of this session, as far as the stale rule needs them: kept by
// the run's console, which sees every compile.
class Compiles {
public:
    // A compile of `source` (a path) was started as the run with `serial`.
    void started(const QString& source, quint64 serial);
    // Takes the outcome of the compile started last from the run's state: an
    // exit code 0 is a good compile; any other end failed, and so did a
    // compile still running when a new run `replaced` it (one still running
    // otherwise is settled later).
    void settle(const RunInfo& run, bool replaced);
    bool lastFailed(const QString& source) const;

private:
    QSet<QString> m_failed;  // sources whose last compile failed
    QString m_pending;       // the source of the compile started last, until settled
    quint64 m_pendingSerial = 0;
};

// The notices for running the classes `paths` of `folder`.
QStringList Notices(const QString& folder, const QStringList& paths, const Compiles& compiles);

}  // namespace Run::Stale
