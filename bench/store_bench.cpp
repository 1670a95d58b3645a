// Cost of one recorded class name with the largest history (99 slots) on the
// real store, on the disk that holds the temporary folder. Run offscreen:
//   QT_QPA_PLATFORM=offscreen build/bench/store_bench [runs]
// Prints the median and the range of the time AddRecent takes, and how many
// times the store file was rewritten for it.
#include "Median.h"
#include "platform/QtPlatform.h"
#include "settings/History.h"
#include "settings/Qlk.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace Qlk;

int main(int argc, char* argv[]) {
    QTemporaryDir root;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root.filePath(QStringLiteral("data"))));
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 21;

    QtPlatform platform;
    SetPlatform(&platform);
    S.RecentNumber = QStringLiteral("99");
    QComboBox box;
    box.setEditable(true);
    LoadRecent(&box);
    QList<double> ms;
    QList<int> rewrites;
    for (int i = 0; i < runs + 1; ++i) {
        box.setEditText(QStringLiteral("Name%1").arg(i));
        const int before = platform.settingsRewrites();
        QElapsedTimer t;
        t.start();
        AddRecent(&box);
        if (i == 0) continue;  // the first run warms the caches
        ms << t.nsecsElapsed() / 1e6;
        rewrites << platform.settingsRewrites() - before;
    }
    std::sort(ms.begin(), ms.end());
    std::sort(rewrites.begin(), rewrites.end());
    std::printf(
        "AddRecent, 99 slots, %d runs: median %.2f ms (min %.2f, max %.2f), rewrites of the store "
        "per call %d to %d\n",
        int(ms.size()), Median(ms), ms.front(), ms.back(), rewrites.front(), rewrites.back());
    SetPlatform(nullptr);
    return 0;
}
