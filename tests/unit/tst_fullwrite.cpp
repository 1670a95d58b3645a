// Writes that fail part-way, on a full file system or past the file-size
// limit, leave every file whole, say so, and spoil nothing for later writes.
#include "FakePlatform.h"
#include "TestFiles.h"
#include "platform/FileRules.h"
#include "platform/IniStore.h"
#include "settings/Qlk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

using namespace Qlk;

namespace {

const QByteArray kStore = "; kept by hand\n[setting]\nJavaFileFolder0=/home/me/java\n\n[recent]\n0=Hello\n";
const QByteArray kSource = "public class Hello {\n" + QByteArray(600, ' ') + "// the user's work\n}\n";
const qsizetype kBig = 256 * 1024;

// Every write here must fail whole and say so; the result has a bit set
// for each that claimed success or gave no reason.
int TryWrites(const QString& folder, const QString& sources) {
    int wrong = 0;
    {
        FakePlatform fake(folder + QStringLiteral("/Quenlark.ini"));
        const PlatformScope installed(fake);
        {
            const SettingsBatch batch;
            WriteSetting(kSetting, QStringLiteral("Big"), QString(kBig, u'x'));
            WriteSetting(kSetting, QStringLiteral("ShowPath"), QStringLiteral("True"));
        }
        WriteSetting(kSetting, QStringLiteral("ShowBrowser"), QStringLiteral("True"));  // told once
        if (fake.boxes.size() != 1 ||
            !fake.boxes[0].text.startsWith(QStringLiteral("設定を保存できません。")) ||
            fake.boxes[0].text.endsWith(
                QStringLiteral("\n\n\nこのまま使えますが、変更した設定は次回の起動時には残りません。")))
            wrong |= 1;
    }
    QString error;
    if (FileRules::CopyReplacing(sources + QStringLiteral("/big.java"),
                                 folder + QStringLiteral("/Hello.java"), &error) ||
        error.isEmpty())
        wrong |= 2;
    error.clear();
    Files::CopyRules missing;
    missing.onlyWhenMissing = true;
    if (FileRules::CopyReplacing(sources + QStringLiteral("/big.java"),
                                 folder + QStringLiteral("/result.txt"), &error, missing) ||
        error.isEmpty())
        wrong |= 4;
    error.clear();
    Files::CopyRules named;
    named.placeholder = QStringLiteral("%CLASSNAME%");
    named.replacement = QStringLiteral("Hello");
    if (FileRules::CopyReplacing(sources + QStringLiteral("/temp.java"),
                                 folder + QStringLiteral("/Hello.java"), &error, named) ||
        error.isEmpty())
        wrong |= 8;
    return wrong;
}

// Runs TryWrites in a child, with its file-size limit lowered when asked
// (and SIGXFSZ ignored, so a write past it fails instead of killing).
int InChild(const QString& folder, const QString& sources, rlim_t sizeLimit) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (sizeLimit > 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{sizeLimit, sizeLimit};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(100);
        }
        const int wrong = TryWrites(folder, sources);
        ::_exit(wrong);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 200 + WTERMSIG(status);
}

// Fills the file system of `folder` to the last byte.
void Fill(const QString& folder) {
    QFile filler(folder + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size()) {
    }
    while (filler.write("f", 1) == 1) {
    }
}

}  // namespace

class TestFullWrite : public QObject {
    Q_OBJECT
private slots:
    void failedWritesLeaveFilesWhole_data();
    void failedWritesLeaveFilesWhole();
};

void TestFullWrite::failedWritesLeaveFilesWhole_data() {
    QTest::addColumn<bool>("smallFileSystem");
    QTest::newRow("write cut off by the file-size limit") << false;
    QTest::newRow("full file system") << true;
}

void TestFullWrite::failedWritesLeaveFilesWhole() {
    QFETCH(bool, smallFileSystem);
    QTemporaryDir sources, dir;
    const QString folder = dir.filePath(QStringLiteral("target"));
    QVERIFY(QDir().mkpath(folder));
    TestFiles::WriteFile(sources.filePath(QStringLiteral("big.java")), QByteArray(kBig, 'b'));
    TestFiles::WriteFile(sources.filePath(QStringLiteral("temp.java")),
                         QByteArray(kBig, 't') + "class %CLASSNAME% {}\n");

    bool mounted = false;
    if (smallFileSystem) {
        const QByteArray target = QFile::encodeName(folder);
        if (::mount("tmpfs", target.constData(), "tmpfs", 0, "size=128k,mode=0700") != 0)
            QSKIP(
                "mounting a small file system needs root or CAP_SYS_ADMIN; the file-size row covers the "
                "rest");
        mounted = true;
    }
    auto unmount = qScopeGuard([&] {
        if (mounted) ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
    });
    TestFiles::WriteFile(folder + QStringLiteral("/Quenlark.ini"), kStore);
    TestFiles::WriteFile(folder + QStringLiteral("/Hello.java"), kSource);
    if (smallFileSystem) Fill(folder);

    QCOMPARE(InChild(folder, sources.path(), smallFileSystem ? 0 : 4096), 0);

    QCOMPARE(TestFiles::ReadFile(folder + QStringLiteral("/Quenlark.ini"), "<missing>"), kStore);
    QCOMPARE(TestFiles::ReadFile(folder + QStringLiteral("/Hello.java"), "<missing>"), kSource);
    QVERIFY(!QFile::exists(folder + QStringLiteral("/result.txt")));
    QStringList expected{QStringLiteral("Hello.java"), QStringLiteral("Quenlark.ini")};
    if (smallFileSystem) expected << QStringLiteral("filler");
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
             expected);

    // With room again, the next write lands and keeps the hand-made line.
    QFile::remove(folder + QStringLiteral("/filler"));
    IniStore store(folder + QStringLiteral("/Quenlark.ini"));
    QVERIFY2(store.write(kSetting, QStringLiteral("ShowPath"), QStringLiteral("True")),
             qPrintable(store.lastError()));
    QVERIFY(TestFiles::ReadFile(folder + QStringLiteral("/Quenlark.ini"), "<missing>")
                .startsWith("; kept by hand\n"));
    QCOMPARE(IniStore(store.path()).read(kRecent, QStringLiteral("0")), QStringLiteral("Hello"));
}

QTEST_GUILESS_MAIN(TestFullWrite)
#include "tst_fullwrite.moc"
