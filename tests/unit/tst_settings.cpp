// The settings as one value: what loading gives for a fresh and a filled
// store, and the keys saving writes (those that differ, the extension once
// chosen, nothing else), in one rewrite with one signal.
#include "FakePlatform.h"
#include "settings/Qlk.h"
#include "settings/Settings.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qlk;

namespace {

// Every field of the value, as "name=value", to compare whole values.
QStringList Fields(const Settings& s) {
    QStringList out;
    for (int i = 0; i < kFolderCount; ++i)
        out << QStringLiteral("JavaFileFolder%1=").arg(i) + s.JavaFileFolder[i];
    out << QStringLiteral("JavaEdit=") + s.JavaEdit << QStringLiteral("HtmlEdit=") + s.HtmlEdit;
    for (int j = 0; j < kBrowserCount; ++j)
        out << QStringLiteral("Browser%1=").arg(j) + s.Browser[j]
            << QStringLiteral("BrowserName%1=").arg(j) + s.BrowserName[j];
    out << QStringLiteral("Html=") + s.HtmlExtension << QStringLiteral("Number=") + s.RecentNumber
        << QStringLiteral("CompileServer=") + FlagText(s.CompileServer);
    return out;
}

}  // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void load_data();
    void load();
    void save_data();
    void save();
};

void TestSettings::load_data() {
    QTest::addColumn<QStringList>("stored");    // "section/key=value"
    QTest::addColumn<QStringList>("expected");  // fields that differ from a fresh store's
    QTest::addColumn<bool>("sizeUnset");
    QTest::newRow("fresh store") << QStringList{} << QStringList{} << true;
    QTest::newRow("every value stored")
        << QStringList{"setting/JavaFileFolder1=/a b",
                       "setting/JavaEdit=/e",
                       "setting/HtmlEdit=/h",
                       "setting/Browser1=/w",
                       "setting/BrowserName0=W",
                       "setting/Html=.htm",
                       "recent/Number=abc",
                       "setting/CompileServer=False"}
        << QStringList{"JavaFileFolder1=/a b", "JavaEdit=/e", "HtmlEdit=/h", "Browser1=/w",
                       "BrowserName0=W",       "Html=.htm",   "Number=abc",  "CompileServer=False"}
        << false;
    QTest::newRow("only \"False\" turns the server off")
        << QStringList{"setting/CompileServer=false", "recent/Number=0"} << QStringList{"Number=0"} << false;
}

void TestSettings::load() {
    QFETCH(QStringList, stored);
    QFETCH(QStringList, expected);
    QFETCH(bool, sizeUnset);
    FakeScope fake;
    for (const QString& line : stored)
        fake->presetSetting(line.section(u'/', 0, 0), line.section(u'/', 1).section(u'=', 0, 0),
                            line.section(u'=', 1));
    bool unset = !sizeUnset;
    const Settings loaded = LoadSettings(QStringLiteral("/data/"), &unset);
    QStringList fresh{"JavaFileFolder0=",
                      "JavaFileFolder1=",
                      "JavaFileFolder2=",
                      "JavaEdit=/data/notepad.exe",
                      "HtmlEdit=/data/notepad.exe",
                      "Browser0=",
                      "BrowserName0=",
                      "Browser1=",
                      "BrowserName1=",
                      "Html=.html",
                      "Number=10",
                      "CompileServer=True"};
    for (const QString& field : expected)
        for (QString& f : fresh)
            if (f.section(u'=', 0, 0) == field.section(u'=', 0, 0)) f = field;
    QCOMPARE(Fields(loaded), fresh);
    QCOMPARE(unset, sizeUnset);
    QVERIFY(fake->writes.isEmpty());  // defaults are never written back
}

void TestSettings::save_data() {
    QTest::addColumn<QStringList>("edits");  // "field=value" on a copy of the shared settings
    QTest::addColumn<bool>("extensionChosen");
    QTest::addColumn<QStringList>("written");  // keys, in order
    QTest::addColumn<QList<int>>("folders");   // the folders the change names
    QTest::addColumn<bool>("size");
    QTest::newRow("nothing differs") << QStringList{} << false << QStringList{} << QList<int>{} << false;
    QTest::newRow("the extension once chosen, even unchanged")
        << QStringList{} << true << QStringList{"Html"} << QList<int>{} << false;
    QTest::newRow("an extension not chosen is not written")
        << QStringList{"Html=.htm"} << false << QStringList{} << QList<int>{} << false;
    QTest::newRow("every value, in the dialog's order")
        << QStringList{"Number=7",           "BrowserName1=B", "Browser0=/b",
                       "HtmlEdit=/h",        "JavaEdit=/e",    "JavaFileFolder2=",
                       "JavaFileFolder0=/x", "Html=.htm",      "CompileServer=False"}
        << true << QStringList{"JavaFileFolder0", "JavaFileFolder2", "JavaEdit", "HtmlEdit",
                               "Browser0",        "BrowserName1",    "Number",   "Html"}
        << QList<int>{0, 2} << true;
}

void TestSettings::save() {
    QFETCH(QStringList, edits);
    QFETCH(bool, extensionChosen);
    QFETCH(QStringList, written);
    QFETCH(QList<int>, folders);
    QFETCH(bool, size);
    FakeScope fake;
    S.JavaFileFolder[2] = QStringLiteral("/old");
    S.JavaEdit = S.HtmlEdit = QStringLiteral("/data/notepad.exe");
    S.HtmlExtension = QStringLiteral(".html");
    S.RecentNumber = QStringLiteral("10");
    Settings edited = S;
    for (const QString& edit : edits) {
        const QString field = edit.section(u'=', 0, 0), value = edit.section(u'=', 1);
        for (int i = 0; i < kFolderCount; ++i)
            if (field == QStringLiteral("JavaFileFolder%1").arg(i)) edited.JavaFileFolder[i] = value;
        for (int j = 0; j < kBrowserCount; ++j) {
            if (field == QStringLiteral("Browser%1").arg(j)) edited.Browser[j] = value;
            if (field == QStringLiteral("BrowserName%1").arg(j)) edited.BrowserName[j] = value;
        }
        if (field == QStringLiteral("JavaEdit")) edited.JavaEdit = value;
        if (field == QStringLiteral("HtmlEdit")) edited.HtmlEdit = value;
        if (field == QStringLiteral("Html")) edited.HtmlExtension = value;
        if (field == QStringLiteral("Number")) edited.RecentNumber = value;
        if (field == QStringLiteral("CompileServer")) edited.CompileServer = false;
    }
    QSignalSpy applied(Changes(), &SettingsSignals::applied);
    const int rewrites = fake->storeRewrites();
    const SettingsChange change = SaveSettings(edited, extensionChosen);

    QStringList keys;
    for (const FakePlatform::Write& w : fake->writes) {
        keys << w.key;
        QCOMPARE(fake->storedValue(w.section, w.key), w.value);
    }
    QCOMPARE(keys, written);
    QCOMPARE(fake->storeRewrites(), rewrites + (written.isEmpty() ? 0 : 1));
    QCOMPARE(applied.count(), 1);
    for (int i = 0; i < kFolderCount; ++i) QCOMPARE(change.folder[i], folders.contains(i));
    QCOMPARE(change.recentNumber, size);
    // The shared settings hold what was written; a value that is never
    // written (the compile server) is not taken either.
    Settings expected = edited;
    if (!extensionChosen) expected.HtmlExtension = QStringLiteral(".html");
    expected.CompileServer = true;
    QCOMPARE(Fields(S), Fields(expected));
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
