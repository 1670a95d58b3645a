// The store survives the program being killed at any moment while it writes:
// the file always parses, and every key holds its old or its new value.
#include "TestFiles.h"
#include "platform/AtomicFile.h"
#include "platform/IniStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <ctime>

namespace {

const int kKeys = 12;
const QString kSection = QStringLiteral("setting");

QString Key(int k) { return QStringLiteral("Key%1").arg(k); }
// A value that names its round and is long enough to span several writes.
QString Value(int round, int k) {
    return QStringLiteral("r%1 k%2 %3").arg(round).arg(k).arg(QString(200, QChar(u'あ' + k)));
}

int RoundOf(const QString& value) { return value.section(u' ', 0, 0).mid(1).toInt(); }

// Writes every key round after round until killed, going on exactly where an
// earlier, killed writer stopped.
int Writer(const QString& path) {
    IniStore store(path);
    // The random moment of the kill counts from here, not from a start-up
    // that a sanitizer build or a busy machine makes slow.
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    int round = RoundOf(store.read(kSection, Key(0)));
    int k = 1;
    while (k < kKeys && RoundOf(store.read(kSection, Key(k))) == round) ++k;
    if (k == kKeys || round == 0) {
        ++round;
        k = 0;
    }
    for (;; ++round, k = 0)
        for (; k < kKeys; ++k)
            if (!store.write(kSection, Key(k), Value(round, k))) return 2;
}

}  // namespace

class TestCrashSafety : public QObject {
    Q_OBJECT
private slots:
    void killedWriterLeavesOldOrNewValues();
};

void TestCrashSafety::killedWriterLeavesOldOrNewValues() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quenlark.ini"));
    int killedMidRun = 0;
    for (int attempt = 0; attempt < 150; ++attempt) {
        QProcess writer;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QLK_CRASH_WRITER"), path);
        writer.setProcessEnvironment(env);
        writer.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(writer.waitForStarted());
        QVERIFY(writer.waitForReadyRead(30000));
        QThread::usleep(QRandomGenerator::global()->bounded(2000, 30000));
        ::kill(pid_t(writer.processId()), SIGKILL);
        QVERIFY(writer.waitForFinished());
        if (writer.exitStatus() == QProcess::CrashExit) ++killedMidRun;

        QFile file(path);
        if (!file.exists()) continue;  // killed before the first write landed
        QVERIFY(file.open(QIODevice::ReadOnly));
        const IniStore::Sections sections = IniStore::parse(file.readAll());
        // Writes go key by key, round by round: reading the rounds back in
        // key order gives a run of round r+1 followed by a run of round r.
        int first = -1, previous = -1;
        for (int k = 0; k < kKeys; ++k) {
            const QString value = sections.value(kSection).value(Key(k));
            if (value.isEmpty()) {
                QVERIFY2(first <= 1, "a key lost its value");
                previous = 0;
                continue;
            }
            const int round = RoundOf(value);
            QCOMPARE(value, Value(round, k));
            if (first < 0) first = round;
            QVERIFY2(round == first || round == first - 1,
                     qPrintable(QStringLiteral("key %1 round %2 first %3").arg(k).arg(round).arg(first)));
            QVERIFY(previous < 0 || round <= previous);
            previous = round;
        }
    }
    QVERIFY(killedMidRun > 100);
    // Temporary files of killed writes are recognisably the store's own, and
    // the start-up clean-up removes them once they are old.
    const QStringList all = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : all) {
        if (name == QStringLiteral("Quenlark.ini")) continue;
        QVERIFY2(AtomicFile::isTemporaryName(name), qPrintable(name));
        TestFiles::MakeOld(dir.filePath(name));
    }
    AtomicFile::removeStale(dir.path(), 600);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("Quenlark.ini")});
}

int main(int argc, char* argv[]) {
    const QString writerPath = qEnvironmentVariable("QLK_CRASH_WRITER");
    if (!writerPath.isEmpty()) return Writer(writerPath);
    QCoreApplication app(argc, argv);
    TestCrashSafety test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crashsafety.moc"
