// The median of a benchmark's samples, shared by the benchmarks.
#pragma once

#include <QList>
#include <algorithm>

inline double Median(QList<double> v) {
    std::sort(v.begin(), v.end());
    const qsizetype n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}
