// Start-up and shut-down of the main window, its panels and always-on-top.
#include "FakePlatform.h"
#include "OnExit.h"
#include "TestFiles.h"
#include "app/frmExection.h"
#include "settings/Placement.h"
#include "settings/Qlk.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <ctime>

using namespace Qlk;

using namespace TestFiles;

namespace {

// A fake with the result file beside the program, as installed.
void Install(FakePlatform& fake) { WriteFile(fake.programDir + QStringLiteral("/result.txt"), "seed\n"); }

}  // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void freshStore();
    void storedKeyEdgeCases_data();
    void storedKeyEdgeCases();
    void compileServerFollowsItsKey_data();
    void compileServerFollowsItsKey();
    void secondCopyEndsWithoutWriting();
    void unreadableStoreEndsWithoutWriting_data();
    void unreadableStoreEndsWithoutWriting();
    void leftoversRemovedOnlyByTheRunningCopy_data();
    void leftoversRemovedOnlyByTheRunningCopy();
    void missingResultFileEndsWithoutWriting();
    void failedResultCopyNamesBothPaths();
    void helpFileAndDefaultEditorBesideProgram();
    void shutDownWritesWindowState();
    void shutDownAtDenseScreenScalesPosition();
    void exitWritesNothing();
    void panelHeights();
    void alwaysOnTopCalls();
};

void TestStartup::freshStore() {
    FakeScope fake;
    Install(*fake);
    frmExection form(fake.console);
    QVERIFY(form.Form_Load());

    // The folder message comes with a beep, before anything else is shown.
    QCOMPARE(fake->beeps, 1);
    QCOMPARE(fake->boxes.size(), 1);
    QCOMPARE(fake->boxes[0].title, QStringLiteral("ﾌｫﾙﾀﾞ選択"));
    QCOMPARE(fake->boxes[0].text,
             QStringLiteral("コンパイルしたい Javaﾌｧｲﾙ(*.java) が置いてある\nフォルダ を選択してください"));
    QCOMPARE(fake->boxes[0].icon, MsgIcon::Information);
    QCOMPARE(fake->boxes[0].buttons, MsgButtons::Ok);

    // Defaults live in memory only.
    QCOMPARE(S.WindowsFolder, fake->dataFolder);
    QCOMPARE(S.JavaEdit, fake->dataFolder + QStringLiteral("notepad.exe"));
    QCOMPARE(S.HtmlEdit, fake->dataFolder + QStringLiteral("notepad.exe"));
    QCOMPARE(S.HtmlExtension, QStringLiteral(".html"));
    QCOMPARE(S.RecentNumber, QStringLiteral("10"));
    QVERIFY(fake->writes.isEmpty());

    // Ten empty history lines, an empty name box, tooltips for unset things.
    QCOMPARE(form.cmbName->count(), 10);
    QCOMPARE(form.cmbName->currentText(), QString());
    for (int i = 0; i < 3; ++i) QCOMPARE(form.optPath[i]->toolTip(), kNotSet);
    for (int j = 0; j < 2; ++j) QCOMPARE(form.cmdBrowser[j]->toolTip(), kNotSet);
    QVERIFY(form.cmdSetting->toolTip().isEmpty());

    // The result file was seeded and its stamp recorded.
    const QString result = fake->dataFolder + QStringLiteral("result.txt");
    QVERIFY(QFile::exists(result));
    QCOMPARE(S.ResultFileTime, fake->files().fileStamp(result));

    // Design state: first folder, both panels, not on top, centred.
    QVERIFY(form.optPath[0]->isChecked());
    QVERIFY(form.mnuSelectBrowser->isChecked() && form.mnuSelectPath->isChecked());
    QVERIFY(!form.mnuBefore->isChecked());
    QCOMPARE(fake->topmostCalls, QList<bool>{false});
    const FormTwips t = GetForm(&form);
    QCOMPARE(t.Height, 4330.0);
    QCOMPARE(t.Left, (fake->metrics.width - t.Width) / 2);
    QVERIFY(form.isVisible());
    // The second folder and browser buttons got the first one's picture.
    QCOMPARE(form.optPath[2]->icon().cacheKey(), form.optPath[0]->icon().cacheKey());
    QCOMPARE(form.cmdBrowser[1]->icon().cacheKey(), form.cmdBrowser[0]->icon().cacheKey());
}

void TestStartup::storedKeyEdgeCases_data() {
    QTest::addColumn<QStringList>("preset");  // key=value pairs in section "setting" ("recent/" for history)
    QTest::addColumn<bool>("onTop");
    QTest::addColumn<int>("selected");
    QTest::addColumn<double>("height");
    QTest::addColumn<int>("slotCount");
    QTest::newRow("flag in lower case") << QStringList{"FormBefore=true"} << false << 0 << 4330.0 << 10;
    QTest::newRow("flag exact") << QStringList{"FormBefore=True"} << true << 0 << 4330.0 << 10;
    QTest::newRow("index without space") << QStringList{"SelectedFolder=1"} << false << 0 << 4330.0 << 10;
    QTest::newRow("third folder") << QStringList{"SelectedFolder= 2"} << false << 2 << 4330.0 << 10;
    QTest::newRow("index out of range") << QStringList{"SelectedFolder= 3"} << false << 0 << 4330.0 << 10;
    QTest::newRow("browser panel alone") << QStringList{"ShowBrowser=False"} << false << 0 << 4330.0 << 10;
    QTest::newRow("browser panel hidden")
        << QStringList{"ShowBrowser=False", "ShowPath=True"} << false << 0 << 3480.0 << 10;
    QTest::newRow("both panels hidden")
        << QStringList{"ShowBrowser=False", "ShowPath=False"} << false << 0 << 2760.0 << 10;
    QTest::newRow("panel flag not exact")
        << QStringList{"ShowBrowser=false", "ShowPath=FALSE"} << false << 0 << 4330.0 << 10;
    QTest::newRow("history size text") << QStringList{"recent/Number=abc"} << false << 0 << 4330.0 << 0;
    QTest::newRow("history size three") << QStringList{"recent/Number=3"} << false << 0 << 4330.0 << 3;
    QTest::newRow("history size huge") << QStringList{"recent/Number=99999999"} << false << 0 << 4330.0 << 99;
    QTest::newRow("history size negative") << QStringList{"recent/Number=-4"} << false << 0 << 4330.0 << 0;
}

void TestStartup::storedKeyEdgeCases() {
    QFETCH(QStringList, preset);
    QFETCH(bool, onTop);
    QFETCH(int, selected);
    QFETCH(double, height);
    QFETCH(int, slotCount);
    FakeScope fake;
    Install(*fake);
    fake->presetSetting(kSetting, QStringLiteral("JavaFileFolder1"), QStringLiteral("/src/two"));
    for (const QString& pair : preset) {
        QString key = pair.section(u'=', 0, 0);
        const QString section = key.startsWith(QStringLiteral("recent/")) ? kRecent : kSetting;
        key.remove(QStringLiteral("recent/"));
        fake->presetSetting(section, key, pair.section(u'=', 1));
    }
    frmExection form(fake.console);
    QVERIFY(form.Form_Load());
    QVERIFY(fake->boxes.isEmpty());  // a folder is configured
    QCOMPARE(form.optPath[1]->toolTip(), QStringLiteral("/src/two"));
    QCOMPARE(form.mnuBefore->isChecked(), onTop);
    QCOMPARE(fake->topmostCalls, QList<bool>{onTop});
    QCOMPARE(form.SelectedFolder(), selected);
    QCOMPARE(GetForm(&form).Height, height);
    QCOMPARE(form.cmbName->count(), slotCount);
    QVERIFY(fake->writes.isEmpty());
}

// The compile server starts only once the window shows, unless the store
// says "False" (exactly, as every flag); it ends with the window.
void TestStartup::compileServerFollowsItsKey_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("starts");
    QTest::newRow("absent") << QString() << 1;
    QTest::newRow("off") << "False" << 0;
    QTest::newRow("not exact") << "false" << 1;
}

void TestStartup::compileServerFollowsItsKey() {
    QFETCH(QString, value);
    QFETCH(int, starts);
    FakeScope fake;
    Install(*fake);
    if (!value.isNull()) fake->presetSetting(kSetting, QStringLiteral("CompileServer"), value);
    frmExection form(fake.console);
    QVERIFY(form.Form_Load());
    QCOMPARE(fake->compileServerStarts, 0);  // not before the window is up
    QTest::qWait(1500);
    QCOMPARE(fake->compileServerStarts, starts);
    form.Form_Unload();
    QCOMPARE(fake->compileServerStops, 1);
}

void TestStartup::secondCopyEndsWithoutWriting() {
    FakeScope fake;
    Install(*fake);
    fake->otherCopyRunning = true;
    {
        frmExection form(fake.console);
        QVERIFY(!form.Form_Load());
        QVERIFY(!form.isVisible());
    }
    QCOMPARE(fake->events, (QStringList{QStringLiteral("beep"), QStringLiteral("box:おしらせ")}));
    QCOMPARE(fake->boxes[0].text, QStringLiteral("「Quenlark」 はすでに起動しています。"));
    QCOMPARE(fake->boxes[0].icon, MsgIcon::Information);
    QVERIFY(!QFile::exists(fake->dataFolder + QStringLiteral("result.txt")));
}

// A settings file or data folder left unreadable (after a start as another
// user) ends the program with a box that names it, before any first-start
// step or write.
void TestStartup::unreadableStoreEndsWithoutWriting_data() {
    QTest::addColumn<bool>("folder");  // the data folder, else the settings file
    QTest::newRow("settings file") << false;
    QTest::newRow("data folder") << true;
}

void TestStartup::unreadableStoreEndsWithoutWriting() {
    QFETCH(bool, folder);
    QTemporaryDir dir;
    // A link to itself: no user, root neither, can read it.
    const QString store = dir.filePath(QStringLiteral("Quenlark.ini"));
    if (!folder) QVERIFY(QFile::link(store, store));
    FakePlatform fake(store);
    const Qlk::PlatformScope installed(fake);
    Run::Console console;
    S = SharedSettings();
    const OnExit settingsBack([] { S = SharedSettings(); });
    const QString named = folder ? fake.dataFolder.chopped(1) : store;
    if (folder) {
        QVERIFY(QDir(named).removeRecursively());
        QVERIFY(QFile::link(named, named));
    }
    Install(fake);
    {
        frmExection form(console);
        QVERIFY(!form.Form_Load());
        QVERIFY(!form.isVisible());
    }
    QCOMPARE(fake.events, QStringList{QStringLiteral("box:Quenlark ｴﾗｰ")});
    const FakePlatform::Box box = fake.boxes[0];
    QCOMPARE(box.icon, MsgIcon::Critical);
    QVERIFY2(box.text.contains(named + QStringLiteral("\n理由: ")), qPrintable(box.text));
    QVERIFY(box.text.startsWith(QStringLiteral("設定を読めないため、Quenlark を終了します。")));
    QVERIFY(fake.writes.isEmpty());
    QVERIFY(QFileInfo(named).isSymLink());
}

// A user's files beside the store are never touched; the store's own old
// temporary files are removed, but only by the copy that goes on running.
void TestStartup::leftoversRemovedOnlyByTheRunningCopy_data() {
    QTest::addColumn<bool>("otherCopyRunning");
    QTest::newRow("refused second copy") << true;
    QTest::newRow("the one running copy") << false;
}

void TestStartup::leftoversRemovedOnlyByTheRunningCopy() {
    QFETCH(bool, otherCopyRunning);
    FakeScope fake;
    fake->seedConfigured();
    const QString config = QFileInfo(fake->store().settingsPath()).absolutePath() + u'/';
    const QString theirs[] = {config + QStringLiteral("Quenlark.ini.backup"),
                              config + QStringLiteral("Quenlark.ini.old123"),
                              fake->dataFolder + QStringLiteral("result.txt.ABCDEF")};
    const QString ours[] = {config + QStringLiteral(".Quenlark.ini.~quenlark-partial-Ab3dE9xZ"),
                            fake->dataFolder + QStringLiteral(".notepad.exe.~quenlark-partial-0aZ9Yb8X")};
    for (const QString& path : theirs) WriteFile(path, "keep");
    for (const QString& path : ours) {
        WriteFile(path, "partial");
        MakeOld(path);
    }
    fake->otherCopyRunning = otherCopyRunning;
    {
        frmExection form(fake.console);
        QCOMPARE(form.Form_Load(), !otherCopyRunning);
    }
    for (const QString& path : theirs) QVERIFY2(QFile::exists(path), qPrintable(path));
    for (const QString& path : ours) QCOMPARE(QFile::exists(path), otherCopyRunning);
}

void TestStartup::missingResultFileEndsWithoutWriting() {
    FakeScope fake;
    fake->presetSetting(kSetting, QStringLiteral("JavaFileFolder0"), QStringLiteral("/src"));
    {
        frmExection form(fake.console);
        QVERIFY(!form.Form_Load());
    }
    QCOMPARE(fake->beeps, 0);
    QCOMPARE(fake->boxes.size(), 1);
    QCOMPARE(fake->boxes[0].title, QStringLiteral("Quenlark ｴﾗｰ"));
    QCOMPARE(fake->boxes[0].text, QStringLiteral("Windwosﾌｫﾙﾀﾞに 「result.txt」 を作ってください。\n\n"
                                                 "このﾌｧｲﾙは結果を表示するときに使います。"));
    QCOMPARE(fake->boxes[0].icon, MsgIcon::Information);
    QVERIFY(fake->writes.isEmpty());
}

void TestStartup::failedResultCopyNamesBothPaths() {
    FakeScope fake;
    fake->seedConfigured();
    // The data folder is a file, so nothing can be created in it.
    QDir(fake->dataFolder).removeRecursively();
    WriteFile(fake->dataFolder.chopped(1), "not a folder");
    {
        frmExection form(fake.console);
        QVERIFY(!form.Form_Load());
    }
    QCOMPARE(fake->boxes.size(), 1);
    const QString text = fake->boxes[0].text;
    QVERIFY(text.contains(fake->programDir + QStringLiteral("/result.txt")));
    QVERIFY(text.contains(fake->dataFolder + QStringLiteral("result.txt")));
    QVERIFY(text.contains(QStringLiteral("理由: ")) && !text.endsWith(QStringLiteral("理由: ")));
    QCOMPARE(fake->boxes[0].icon, MsgIcon::Critical);
    QVERIFY(fake->writes.isEmpty());

    // A folder where result.txt belongs is not a result file, nor replaced.
    FakeScope second;
    second->seedConfigured();
    QVERIFY(QDir().mkpath(second->dataFolder + QStringLiteral("result.txt/inside")));
    {
        frmExection form(second.console);
        QVERIFY(!form.Form_Load());
    }
    QCOMPARE(second->boxes.size(), 1);
    QVERIFY(second->boxes[0].text.contains(QStringLiteral("理由: ")) &&
            !second->boxes[0].text.endsWith(QStringLiteral("理由: ")));
    QVERIFY(QFileInfo(second->dataFolder + QStringLiteral("result.txt/inside")).isDir());
}

void TestStartup::helpFileAndDefaultEditorBesideProgram() {
    FakeScope fake;
    fake->seedConfigured();
    {
        frmExection form(fake.console);
        QVERIFY(form.Form_Load());
        QCOMPARE(S.HelpFilePath, QStringLiteral("Quenlark.hlp"));
        QVERIFY(!QFile::exists(fake->dataFolder + QStringLiteral("notepad.exe")));
        form.mnuHelp_Click();
        QCOMPARE(fake->helpCalls, QList<int>{0});
    }
    WriteFile(fake->programDir + QStringLiteral("/Quenlark.hlp"), "<html></html>");
    WriteFile(fake->programDir + QStringLiteral("/notepad.exe"), "#!/bin/sh\n");
    QFile::setPermissions(fake->programDir + QStringLiteral("/notepad.exe"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    frmExection form(fake.console);
    QVERIFY(form.Form_Load());
    QCOMPARE(S.HelpFilePath, fake->programDir + QStringLiteral("/Quenlark.hlp"));
    const QFileInfo notepad(fake->dataFolder + QStringLiteral("notepad.exe"));
    QVERIFY(notepad.isFile() && notepad.isExecutable());
}

void TestStartup::shutDownWritesWindowState() {
    FakeScope fake;
    fake->seedConfigured();
    fake->presetSetting(kSetting, QStringLiteral("frmExectionLeft"), QStringLiteral("1500"));
    fake->presetSetting(kSetting, QStringLiteral("frmExectionTop"), QStringLiteral("3000"));
    frmExection form(fake.console);
    QVERIFY(form.Form_Load());
    QCOMPARE(GetForm(&form).Left, 1500.0);
    QCOMPARE(GetForm(&form).Top, 3000.0);
    form.optPath[2]->setChecked(true);
    form.mnuBefore_Click();
    form.mnuSelectPath_Click();
    const int rewrites = fake->storeRewrites();
    form.Form_Unload();
    QCOMPARE(fake->storeRewrites(), rewrites + 1);  // the whole state in one rewrite
    QStringList keys;
    for (const auto& w : fake->writes) keys << w.key;
    QCOMPARE(keys, (QStringList{"FormBefore", "SelectedFolder", "ShowBrowser", "ShowPath", "frmExectionTop",
                                "frmExectionLeft"}));
    QCOMPARE(fake->storedValue(kSetting, "FormBefore"), QStringLiteral("True"));
    QCOMPARE(fake->storedValue(kSetting, "SelectedFolder"), QStringLiteral(" 2"));
    QCOMPARE(fake->storedValue(kSetting, "ShowBrowser"), QStringLiteral("True"));
    QCOMPARE(fake->storedValue(kSetting, "ShowPath"), QStringLiteral("False"));
    QCOMPARE(fake->storedValue(kSetting, "frmExectionTop"), QStringLiteral("3000"));
    QCOMPARE(fake->storedValue(kSetting, "frmExectionLeft"), QStringLiteral("1500"));

    // With no folder button selected, the stored selection is left alone.
    FakeScope second;
    second->seedConfigured();
    second->presetSetting(kSetting, QStringLiteral("SelectedFolder"), QStringLiteral(" 1"));
    frmExection other(second.console);
    QVERIFY(other.Form_Load());
    other.optPathGroup->setExclusive(false);
    other.optPath[1]->setChecked(false);
    other.Form_Unload();
    QCOMPARE(second->storedValue(kSetting, "SelectedFolder"), QStringLiteral(" 1"));
}

void TestStartup::shutDownAtDenseScreenScalesPosition() {
    FakeScope fake;
    fake->seedConfigured();
    fake->metrics = ScreenMetrics{12 * 1600, 12 * 1200, 12, 12};
    fake->presetSetting(kSetting, QStringLiteral("frmExectionLeft"), QStringLiteral("2148"));
    fake->presetSetting(kSetting, QStringLiteral("frmExectionTop"), QStringLiteral("3000"));
    frmExection form(fake.console);
    QVERIFY(form.Form_Load());
    QCOMPARE(GetForm(&form).Left, 2685.0);  // stored x 15 / 12
    QCOMPARE(GetForm(&form).Top, 3750.0);
    form.Form_Unload();
    QCOMPARE(fake->storedValue(kSetting, "frmExectionLeft"), QStringLiteral("2148"));
    QCOMPARE(fake->storedValue(kSetting, "frmExectionTop"), QStringLiteral("3000"));
}

void TestStartup::exitWritesNothing() {
    FakeScope fake;
    fake->seedConfigured();
    frmExection form(fake.console);
    QVERIFY(form.Form_Load());
    form.mnuBefore_Click();
    form.mnuEnd_Click();
    form.close();  // the window closing afterwards must not run shut-down
    QVERIFY(fake->writes.isEmpty());
}

void TestStartup::panelHeights() {
    FakeScope fake;
    fake->seedConfigured();
    frmExection form(fake.console);
    QVERIFY(form.Form_Load());
    auto state = [&] {
        return std::make_tuple(GetForm(&form).Height, ControlTwips(form.fmePath).top(),
                               form.fmeBrowser->isVisible(), form.fmePath->isVisible());
    };
    form.mnuSelectBrowser_Click();
    QCOMPARE(state(), std::make_tuple(3480.0, 2040.0, false, true));
    form.mnuSelectPath_Click();
    QCOMPARE(std::get<0>(state()), 2760.0);
    QVERIFY(!form.fmePath->isVisible() && !form.mnuSelectPath->isChecked());
    form.mnuSelectPath_Click();
    QCOMPARE(state(), std::make_tuple(3480.0, 2040.0, false, true));
    form.mnuSelectBrowser_Click();
    QCOMPARE(state(), std::make_tuple(4330.0, 2880.0, true, true));
    form.mnuSelectPath_Click();
    QCOMPARE(std::get<0>(state()), 3600.0);
    form.mnuSelectBrowser_Click();
    form.mnuSelectBrowser_Click();
    QCOMPARE(std::get<0>(state()), 3600.0);
    QVERIFY(form.mnuSelectBrowser->isChecked() && !form.mnuSelectPath->isChecked());
    // The menu item runs the same command with the mark as it stood.
    form.mnuSelectPath->trigger();
    QCOMPARE(state(), std::make_tuple(4330.0, 2880.0, true, true));
    QVERIFY(form.mnuSelectPath->isChecked());
}

void TestStartup::alwaysOnTopCalls() {
    FakeScope fake;
    fake->seedConfigured();
    frmExection form(fake.console);
    QVERIFY(form.Form_Load());
    form.mnuBefore->trigger();
    QVERIFY(form.mnuBefore->isChecked());
    form.mnuBefore->trigger();
    QVERIFY(!form.mnuBefore->isChecked());
    QCOMPARE(fake->topmostCalls, (QList<bool>{false, true, false}));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
