// The settings store and the value forms of its keys.
#include "FakePlatform.h"
#include "platform/IniStore.h"
#include "settings/Qlk.h"

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
    void numberTextReading_data();
    void numberTextReading();
    void numberTextWriting();
    void countAndIndexForms();
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
    QVERIFY(fake->boxes[0].text.contains(fake->settingsPath()));
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

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
