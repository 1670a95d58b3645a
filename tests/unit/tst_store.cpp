// The settings store and the value forms of its keys.
#include "FakePlatform.h"
#include "TestFiles.h"
#include "platform/IniStore.h"
#include "settings/Qlk.h"

#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace Qlk;

class TestStore : public QObject {
    Q_OBJECT
private slots:
    void valuesReadBackExactly_data();
    void valuesReadBackExactly();
    void absentKeysReadEmpty();
    void handEditedValuesReadAsText();
    void fileIsPrivateAndReplacedWhole();
    void unwritableStoreIsReportedOnce();
    void failedWriteStaysInMemory();
    void unreadableStoreIsNamed_data();
    void unreadableStoreIsNamed();
    void numberTextReading_data();
    void numberTextReading();
    void numberTextWriting();
    void countAndIndexForms();
    void writeChangesOnlyItsKey_data();
    void writeChangesOnlyItsKey();
    void batchWritesOnce();
    void staleTemporaryFiles_data();
    void staleTemporaryFiles();
};

void TestStore::valuesReadBackExactly_data() {
    QTest::addColumn<QString>("value");
    QTest::newRow("empty") << QString();
    QTest::newRow("index text") << QStringLiteral(" 0");
    QTest::newRow("surrounding spaces") << QStringLiteral("  a b  ");
    QTest::newRow("commas") << QStringLiteral("a, b,c");
    QTest::newRow("quotes") << QStringLiteral("\"quoted\" and \"");
    QTest::newRow("backslashes") << QStringLiteral("C:\\java\\src\\");
    QTest::newRow("japanese") << QStringLiteral("設定ナシ／ﾌｫﾙﾀﾞ　全角");
    QTest::newRow("line breaks and tabs") << QStringLiteral("one\ntwo\r\n\tthree");
    QTest::newRow("control characters") << QStringLiteral(
        "a\x01"
        "b\x7f");
    QTest::newRow("comment marks") << QStringLiteral("; not a comment # either");
    QTest::newRow("equals and brackets") << QStringLiteral("[x]=y=z");
    QTest::newRow("escape lookalike") << QStringLiteral("\\x41\\n");
}

void TestStore::valuesReadBackExactly() {
    QFETCH(QString, value);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quenlark.ini"));
    {
        IniStore store(path);
        QVERIFY(store.write(QStringLiteral("setting"), QStringLiteral("Key"), value));
        QVERIFY(store.write(QStringLiteral("setting"), QStringLiteral("Next"), QStringLiteral("after")));
        QCOMPARE(store.read(QStringLiteral("setting"), QStringLiteral("Key")), value);
    }
    IniStore reopened(path);
    QCOMPARE(reopened.read(QStringLiteral("setting"), QStringLiteral("Key")), value);
    QCOMPARE(reopened.read(QStringLiteral("setting"), QStringLiteral("Next")), QStringLiteral("after"));
}

void TestStore::absentKeysReadEmpty() {
    QTemporaryDir dir;
    IniStore store(dir.filePath(QStringLiteral("none/Quenlark.ini")));
    QCOMPARE(store.read(QStringLiteral("setting"), QStringLiteral("JavaEdit")), QString());
    QVERIFY(store.write(QStringLiteral("recent"), QStringLiteral("0"), QStringLiteral("Hello")));
    QCOMPARE(store.read(QStringLiteral("setting"), QStringLiteral("0")), QString());
    QCOMPARE(store.read(QStringLiteral("recent"), QStringLiteral("0")), QStringLiteral("Hello"));
}

void TestStore::handEditedValuesReadAsText() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quenlark.ini"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(
        "; edited by hand\n[setting]\n  JavaEdit = /usr/bin/gedit, --new-window  \n"
        "Browser0=C:\\Program Files\\b.exe\nbroken line\n[recent]\nNumber=12abc\n");
    f.close();
    IniStore store(path);
    QCOMPARE(store.read(QStringLiteral("setting"), QStringLiteral("JavaEdit")),
             QStringLiteral("/usr/bin/gedit, --new-window"));
    QCOMPARE(store.read(QStringLiteral("setting"), QStringLiteral("Browser0")),
             QStringLiteral("C:\\Program Files\\b.exe"));
    QCOMPARE(store.read(QStringLiteral("recent"), QStringLiteral("Number")), QStringLiteral("12abc"));

    // A hand-written key that starts with "[" keeps a value ending in "]"
    // when the file is written again, instead of becoming a section header.
    IniStore::Sections odd;
    odd[QStringLiteral("setting")][QStringLiteral("[k")] = QStringLiteral("v]");
    QCOMPARE(IniStore::parse(IniStore::serialize(odd)), odd);
}

void TestStore::fileIsPrivateAndReplacedWhole() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cfg/Quenlark.ini"));
    IniStore store(path);
    QVERIFY(store.write(QStringLiteral("setting"), QStringLiteral("A"), QStringLiteral("1")));
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 0777), 0600);
    const ino_t first = st.st_ino;
    QVERIFY(store.write(QStringLiteral("setting"), QStringLiteral("A"), QStringLiteral("2")));
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    // A new file renamed into place, never the old one rewritten in place.
    QVERIFY(st.st_ino != first);
    QCOMPARE(int(st.st_mode & 0777), 0600);
    QCOMPARE(QDir(dir.filePath(QStringLiteral("cfg"))).entryList(QDir::Files),
             QStringList{QStringLiteral("Quenlark.ini")});
}

void TestStore::unwritableStoreIsReportedOnce() {
    FakeScope fake;
    fake->storeWritable = false;
    WriteSetting(kSetting, QStringLiteral("FormBefore"), QStringLiteral("True"));
    WriteSetting(kSetting, QStringLiteral("ShowPath"), QStringLiteral("True"));
    QCOMPARE(fake->boxes.size(), 1);
    QCOMPARE(fake->boxes[0].title, QStringLiteral("Quenlark ｴﾗｰ"));
    QVERIFY(fake->boxes[0].text.contains(fake->store().settingsPath()));
    QVERIFY(fake->boxes[0].text.contains(QStringLiteral("Permission denied")));

    // A real store in a folder that cannot be created reports the reason.
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    IniStore store(dir.filePath(QStringLiteral("file/sub/Quenlark.ini")));
    QVERIFY(!store.write(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v")));
    QVERIFY(!store.lastError().isEmpty());
    QCOMPARE(store.read(QStringLiteral("s"), QStringLiteral("k")), QStringLiteral("v"));
}

// A store file or data folder that is there but cannot be read is named
// with the reason, and the store file is never written over; one that is not
// there yet is no fault.
void TestStore::unreadableStoreIsNamed_data() {
    QTest::addColumn<QString>("make");  // what stands where the file or folder belongs
    QTest::addColumn<bool>("fileNamed");
    QTest::addColumn<bool>("folderNamed");
    QTest::newRow("both yet to be made") << QString() << false << false;
    QTest::newRow("a folder in the file's place") << QStringLiteral("file is a folder") << true << false;
    QTest::newRow("the file a link to itself") << QStringLiteral("file loops") << true << false;
    QTest::newRow("the data folder a link to itself") << QStringLiteral("folder loops") << false << true;
}

void TestStore::unreadableStoreIsNamed() {
    QFETCH(QString, make);
    QFETCH(bool, fileNamed);
    QFETCH(bool, folderNamed);
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("config")),
                  data = dir.filePath(QStringLiteral("data"));
    const QString path = config + QStringLiteral("/Quenlark.ini");
    QVERIFY(QDir().mkpath(config));
    if (make == QStringLiteral("file is a folder")) QVERIFY(QDir().mkpath(path));
    if (make == QStringLiteral("file loops")) QVERIFY(QFile::link(path, path));
    if (make == QStringLiteral("folder loops")) QVERIFY(QFile::link(data, data));
    IniStore store(path);
    const QString problems = UnreadableStore(store, data + u'/');
    QCOMPARE(problems.contains(path + QStringLiteral("\n理由: ")), fileNamed);
    QCOMPARE(problems.contains(data + QStringLiteral("\n理由: ")), folderNamed);
    QCOMPARE(problems.isEmpty(), !fileNamed && !folderNamed);
    QVERIFY(!problems.endsWith(QStringLiteral("理由: ")));
    if (!fileNamed) return;
    // What stands there stays as it was.
    const QFileInfo before(path);
    QVERIFY(!store.write(QStringLiteral("setting"), QStringLiteral("A"), QStringLiteral("2")));
    QCOMPARE(QFileInfo(path).isDir(), before.isDir());
    QCOMPARE(QFileInfo(path).isSymLink(), before.isSymLink());
}

// A value whose write failed is what the running program reads back, and it
// reaches the file with the next write that succeeds: the real store and the
// tests' fake alike.
void TestStore::failedWriteStaysInMemory() {
    const QString a = QStringLiteral("A"), b = QStringLiteral("B");
    {
        QTemporaryDir dir;
        const QString blocker = dir.filePath(QStringLiteral("file"));
        TestFiles::Touch(blocker);
        IniStore store(dir.filePath(QStringLiteral("file/sub/Quenlark.ini")));
        QVERIFY(!store.write(kSetting, a, QStringLiteral("1")));
        QCOMPARE(store.read(kSetting, a), QStringLiteral("1"));
        QVERIFY(QFile::remove(blocker));
        QVERIFY(store.write(kSetting, b, QStringLiteral("2")));
        IniStore reread(store.path());
        QCOMPARE(reread.read(kSetting, a), QStringLiteral("1"));
        QCOMPARE(reread.read(kSetting, b), QStringLiteral("2"));
    }
    {
        FakeScope fake;
        fake->presetSetting(kSetting, a, QStringLiteral("0"));
        fake->storeWritable = false;
        WriteSetting(kSetting, a, QStringLiteral("1"));
        QCOMPARE(ReadSetting(kSetting, a), QStringLiteral("1"));
        QCOMPARE(fake->storedValue(kSetting, a), QStringLiteral("0"));
        fake->storeWritable = true;
        WriteSetting(kSetting, b, QStringLiteral("2"));
        QCOMPARE(fake->storedValue(kSetting, a), QStringLiteral("1"));
        QCOMPARE(fake->storedValue(kSetting, b), QStringLiteral("2"));
    }
}

void TestStore::numberTextReading_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("integer") << QStringLiteral("1440") << 1440.0;
    QTest::newRow("trailing text") << QStringLiteral("12abc") << 12.0;
    QTest::newRow("leading space and fraction") << QStringLiteral(" 3.5") << 3.5;
    QTest::newRow("not a number") << QStringLiteral("abc") << 0.0;
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("negative") << QStringLiteral("-120") << -120.0;
    QTest::newRow("blanks inside") << QStringLiteral("1 2 3") << 123.0;
    QTest::newRow("exponent") << QStringLiteral("1.5E3x") << 1500.0;
    QTest::newRow("dangling exponent") << QStringLiteral("7e") << 7.0;
    QTest::newRow("second point ends") << QStringLiteral("1.2.3") << 1.2;
    QTest::newRow("lone sign") << QStringLiteral("-") << 0.0;
    QTest::newRow("overflow") << QStringLiteral("1e999") << 0.0;
    QTest::newRow("fraction written on a dense screen") << QStringLiteral("1718.4") << 1718.4;
}

void TestStore::numberTextReading() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(Val(text), value);
}

void TestStore::numberTextWriting() {
    QCOMPARE(NumberText(1440), QStringLiteral("1440"));
    QCOMPARE(NumberText(1234.5), QStringLiteral("1234.5"));
    QCOMPARE(NumberText(2148.0 * 12 / 15), QStringLiteral("1718.4"));
    QCOMPARE(NumberText(0), QStringLiteral("0"));
    QCOMPARE(NumberText(-0.0), QStringLiteral("0"));
    QCOMPARE(NumberText(-300), QStringLiteral("-300"));
    QCOMPARE(NumberText(1e8), QStringLiteral("100000000"));
    // Written text reads back as the same single-precision number.
    for (double v : {0.1, 1718.4, 33333.3, 7.25e6}) QCOMPARE(float(Val(NumberText(v))), float(v));
}

void TestStore::countAndIndexForms() {
    QCOMPARE(IndexText(0), QStringLiteral(" 0"));
    QCOMPARE(IndexText(2), QStringLiteral(" 2"));
    QCOMPARE(FlagText(true), QStringLiteral("True"));
    QCOMPARE(FlagText(false), QStringLiteral("False"));
    QCOMPARE(CountValue(u"10"), 10);
    QCOMPARE(CountValue(u"2.5"), 2);  // ties go to the even neighbour
    QCOMPARE(CountValue(u"3.5"), 4);
    QCOMPARE(CountValue(u"99999"), 32767);
    QCOMPARE(CountValue(u"-99999"), -32768);
    QCOMPARE(ClampRecentCount(u"abc"), 0);
    QCOMPARE(ClampRecentCount(u"-5"), 0);
    QCOMPARE(ClampRecentCount(u"150"), 99);
    QCOMPARE(ClampRecentCount(u" 7"), 7);
}

// The file as it was read, what someone else made of it while the program
// ran (empty: nothing), one write, and the whole file after it.
void TestStore::writeChangesOnlyItsKey_data() {
    QTest::addColumn<QByteArray>("atStart");
    QTest::addColumn<QByteArray>("editedMeanwhile");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");
    // clang-format off
    QTest::newRow("comments and unknown lines kept")
        << QByteArray("; mine\n[setting]\n# note\nbroken line\nA=1\n\n[recent]\n0=x\n") << QByteArray()
        << "B" << "2" << QByteArray("; mine\n[setting]\n# note\nbroken line\nA=1\nB=2\n\n[recent]\n0=x\n");
    QTest::newRow("value changed in place, spacing of others kept")
        << QByteArray("[setting]\n  A = 1 \nB=old\nC=3") << QByteArray()
        << "B" << "new" << QByteArray("[setting]\n  A = 1 \nB=new\nC=3");
    QTest::newRow("hand-added key survives")
        << QByteArray("[setting]\nA=1\n") << QByteArray("[setting]\nA=1\nHand=typed while running\n")
        << "A" << "2" << QByteArray("[setting]\nA=2\nHand=typed while running\n");
    QTest::newRow("hand-changed value survives")
        << QByteArray("[setting]\nA=1\nB=1\n") << QByteArray("[setting]\nA=1\nB=by hand, longer\n")
        << "A" << "2" << QByteArray("[setting]\nA=2\nB=by hand, longer\n");
    QTest::newRow("file deleted meanwhile") << QByteArray("[setting]\nA=1\n") << QByteArray("<deleted>")
        << "B" << "2" << QByteArray("[setting]\nB=2\n");
    QTest::newRow("last of repeated keys, across repeated sections")
        << QByteArray("[setting]\nA=1\n[recent]\nA=r\n[setting]\nA=2\n; end\n") << QByteArray()
        << "A" << "3" << QByteArray("[setting]\nA=1\n[recent]\nA=r\n[setting]\nA=3\n; end\n");
    QTest::newRow("line ends kept") << QByteArray("[setting]\r\nA=1\r\n") << QByteArray()
        << "B" << "2" << QByteArray("[setting]\r\nA=1\r\nB=2\r\n");
    QTest::newRow("new section at the end, unterminated last line")
        << QByteArray("[recent]\n0=x") << QByteArray() << "A" << " 1"
        << QByteArray("[recent]\n0=x\n\n[setting]\nA=\" 1\"\n");
    QTest::newRow("bytes that are not UTF-8 kept") << QByteArray("[setting]\nX=\xff\xfe\n") << QByteArray()
        << "A" << "1" << QByteArray("[setting]\nX=\xff\xfe\nA=1\n");
    // clang-format on
}

void TestStore::writeChangesOnlyItsKey() {
    QFETCH(QByteArray, atStart);
    QFETCH(QByteArray, editedMeanwhile);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quenlark.ini"));
    TestFiles::WriteFile(path, atStart);
    IniStore store(path);
    if (editedMeanwhile == "<deleted>") {
        QVERIFY(QFile::remove(path));
    } else if (!editedMeanwhile.isEmpty()) {
        // As an editor saves: a new file in the old one's place.
        TestFiles::ReplaceFile(path, editedMeanwhile);
    }
    QVERIFY(store.write(QStringLiteral("setting"), key, value));
    QCOMPARE(TestFiles::ReadFile(path, "<missing>"), after);
    QCOMPARE(IniStore(path).read(QStringLiteral("setting"), key), value);
    // What the program reads afterwards is the file as it now is.
    QCOMPARE(store.read(QStringLiteral("setting"), key), value);
    if (editedMeanwhile.contains("Hand"))
        QCOMPARE(store.read(QStringLiteral("setting"), QStringLiteral("Hand")),
                 QStringLiteral("typed while running"));
}

// A handler's keys reach the disk in one rewrite, when the outermost batch
// ends, and a failure then is reported once.
void TestStore::batchWritesOnce() {
    FakeScope fake;
    {
        const SettingsBatch outer;
        WriteSetting(kSetting, QStringLiteral("A"), QStringLiteral("1"));
        {
            const SettingsBatch inner;
            WriteSetting(kSetting, QStringLiteral("B"), QStringLiteral("2"));
        }
        QCOMPARE(fake->storeRewrites(), 0);
        QCOMPARE(fake->storedValue(kSetting, QStringLiteral("B")), QString());
        QCOMPARE(ReadSetting(kSetting, QStringLiteral("B")), QStringLiteral("2"));
    }
    QCOMPARE(fake->storeRewrites(), 1);
    QCOMPARE(fake->storedValue(kSetting, QStringLiteral("A")), QStringLiteral("1"));
    QCOMPARE(fake->storedValue(kSetting, QStringLiteral("B")), QStringLiteral("2"));

    fake->storeWritable = false;
    for (int round = 0; round < 2; ++round) {
        const SettingsBatch batch;
        WriteSetting(kSetting, QStringLiteral("A"), QStringLiteral("x"));
        WriteSetting(kSetting, QStringLiteral("B"), QStringLiteral("y"));
        QCOMPARE(fake->boxes.size(), qMin(round, 1));  // told when the batch ends, and only once
    }
    QCOMPARE(fake->boxes.size(), 1);
    QVERIFY(fake->boxes[0].text.startsWith(QStringLiteral("設定を保存できません。")));
}

// Start-up removes only the store's own temporary files, and only old ones.
void TestStore::staleTemporaryFiles_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("old");
    QTest::addColumn<bool>("removed");
    // clang-format off
    QTest::newRow("a user's backup") << "Quenlark.ini.backup" << true << false;
    QTest::newRow("a user's numbered copy") << "Quenlark.ini.old123" << true << false;
    QTest::newRow("six letters after the name") << "Quenlark.ini.Ab12Cd" << true << false;
    QTest::newRow("ours, old") << ".Quenlark.ini.~quenlark-partial-Ab3dE9xZ" << true << true;
    QTest::newRow("ours, of a copy") << ".result.txt.~quenlark-partial-00000000" << true << true;
    QTest::newRow("ours, still being written") << ".Quenlark.ini.~quenlark-partial-Ab3dE9xZ" << false << false;
    QTest::newRow("marker with a longer tail") << ".Quenlark.ini.~quenlark-partial-Ab3dE9xZ1" << true << false;
    QTest::newRow("marker without a name") << "..~quenlark-partial-Ab3dE9xZ" << true << false;
    // clang-format on
}

void TestStore::staleTemporaryFiles() {
    QFETCH(QString, name);
    QFETCH(bool, old);
    QFETCH(bool, removed);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    TestFiles::WriteFile(path, "x");
    if (old) TestFiles::MakeOld(path);
    // Opening the store never removes anything.
    IniStore store(dir.filePath(QStringLiteral("Quenlark.ini")));
    QVERIFY(QFile::exists(path));
    QCOMPARE(AtomicFile::removeStale(dir.path(), 600), removed ? 1 : 0);
    QCOMPARE(QFile::exists(path), !removed);
    // The names the writer gives its temporary files are the ones removed.
    QVERIFY(AtomicFile::isTemporaryName(name) || !removed);
}

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
