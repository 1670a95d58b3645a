// A settings write reaches the disk before it takes the store's place: the
// new file's bytes are synced before it is renamed over the store, and then
// the folder that holds it. Every fsync of this program is looked at here
// (this file's own fsync stands in front of the C library's).
#include "FakePlatform.h"
#include "settings/Qlk.h"

#include <QFileInfo>
#include <QTest>

#include <dlfcn.h>
#include <unistd.h>

namespace {

struct Synced {
    QString path;         // what the descriptor named when it was synced
    QString storeBefore;  // the store's value of the key written, then
};
QList<Synced> g_synced;
QString g_storePath;

}  // namespace

extern "C" int fsync(int fd) {
    using Fsync = int (*)(int);
    static const auto real = reinterpret_cast<Fsync>(::dlsym(RTLD_NEXT, "fsync"));
    if (!g_storePath.isEmpty()) {
        char target[4096];
        const ssize_t n = ::readlink(QByteArray("/proc/self/fd/" + QByteArray::number(fd)).constData(),
                                     target, sizeof target - 1);
        g_synced << Synced{n > 0 ? QString::fromLocal8Bit(target, n) : QString(),
                           IniStore(g_storePath).read(Qlk::kSetting, Qlk::Key::JavaEdit)};
    }
    return real(fd);
}

class TestStoreSync : public QObject {
    Q_OBJECT
private slots:
    void writeIsSyncedBeforeItReplacesTheStore() {
        FakeScope fake;
        g_storePath = fake->store().settingsPath();
        Qlk::WriteSetting(Qlk::kSetting, Qlk::Key::JavaEdit, QStringLiteral("/usr/bin/new"));
        const QList<Synced> synced = g_synced;
        g_storePath.clear();
        g_synced.clear();

        QCOMPARE(fake->storedValue(Qlk::kSetting, Qlk::Key::JavaEdit), QStringLiteral("/usr/bin/new"));
        const QString folder = QFileInfo(fake->store().settingsPath()).absolutePath();
        bool file = false, folderAfter = false;
        for (const Synced& s : synced) {
            if (QFileInfo(s.path).absolutePath() == folder && s.storeBefore.isEmpty()) file = true;
            if (s.path == folder && file) folderAfter = true;
        }
        QVERIFY2(file, "the new file was not synced before it replaced the store");
        QVERIFY2(folderAfter, "the store's folder was not synced after the new file");
    }
};

QTEST_MAIN(TestStoreSync)
#include "tst_storesync.moc"
