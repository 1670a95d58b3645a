// What the benchmarks share when what they measure is not there: a file they
// cannot write or read, a server that did not start, a window that never
// showed the text. A figure measured then would be of something else, so the
// benchmark says "not measured: " and why, and ends with status 1.
#pragma once

#include <QFile>
#include <QString>
#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void NotMeasured(const QString& why) {
    std::fflush(stdout);
    std::printf("not measured: %s\n", qPrintable(why));
    std::fflush(stdout);
    std::exit(1);
}

// Opens `f` or ends the benchmark with the reason.
inline void OpenOrExit(QFile& f, QIODevice::OpenMode mode) {
    if (f.open(mode)) return;
    NotMeasured(QStringLiteral("cannot open %1: %2").arg(f.fileName(), f.errorString()));
}

// Replaces the file with `bytes`, or ends the benchmark.
inline void WriteWhole(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    OpenOrExit(f, QIODevice::WriteOnly | QIODevice::Truncate);
    if (f.write(bytes) == bytes.size() && f.flush()) return;
    NotMeasured(QStringLiteral("cannot write %1: %2").arg(path, f.errorString()));
}
