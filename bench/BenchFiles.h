// File helpers of the benchmarks: a file a benchmark cannot write or read
// would make every figure after it meaningless, so it ends the run instead.
#pragma once

#include <QFile>
#include <cstdio>
#include <cstdlib>

// Opens `f` or ends the benchmark with the reason.
inline void OpenOrExit(QFile& f, QIODevice::OpenMode mode) {
    if (f.open(mode)) return;
    std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(f.fileName()), qPrintable(f.errorString()));
    std::exit(1);
}

// Replaces the file with `bytes`, or ends the benchmark.
inline void WriteWhole(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    OpenOrExit(f, QIODevice::WriteOnly | QIODevice::Truncate);
    if (f.write(bytes) == bytes.size() && f.flush()) return;
    std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(f.errorString()));
    std::exit(1);
}
