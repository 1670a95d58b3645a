// The settings dialog against the fake platform: what it loads, what apply
// writes and refreshes, the folder lists, the program pickers, keys and its
// life from build to close.
#include "FakePlatform.h"
#include "TestFiles.h"
#include "app/frmExection.h"
#include "dialogs/Options.h"
#include "dialogs/frmOptions.h"
#include "settings/Qlk.h"
#include "widgets/FolderLists.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

using namespace Qlk;

namespace {

QStringList Items(const QComboBox* combo) {
    QStringList out;
    for (int i = 0; i < combo->count(); ++i) out << combo->itemText(i);
    return out;
}

void Flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

}  // namespace

class TestOptions : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<FakeScope> fake;
    std::unique_ptr<frmExection> main;  // shown, as after start-up
    std::unique_ptr<QSignalSpy> applies;
    QString savedCwd;

    frmOptions* Open(int page = -1) {
        Options::Show(page);
        return qobject_cast<frmOptions*>(Options::Current());
    }
    void StoreSettings() {
        S.WindowsFolder = (*fake)->dataFolder;
        S.JavaFileFolder[0] = QStringLiteral("/src/a");
        S.JavaFileFolder[1] = QStringLiteral("/src/b b");
        S.JavaEdit = QStringLiteral("/usr/bin/edit");
        S.HtmlEdit = QStringLiteral("/usr/bin/hedit");
        S.Browser[0] = QStringLiteral("/opt/web/browse");
        S.BrowserName[1] = QStringLiteral("Second");
        S.HtmlExtension = QStringLiteral(".html");
        S.RecentNumber = QStringLiteral("10");
        S.HelpFilePath = QStringLiteral("/prog/Quenlark.hlp");
    }
    QStringList Tips(QToolButton* const (&buttons)[2]) const {
        return {buttons[0]->toolTip(), buttons[1]->toolTip()};
    }
    QStringList FolderTips() const {
        QStringList tips;
        for (QToolButton* b : main->optPath) tips << b->toolTip();
        return tips;
    }
    int WritesOf(const QString& key) const {
        int n = 0;
        for (const auto& w : (*fake)->writes) n += w.key == key;
        return n;
    }

private slots:
    void init() {
        savedCwd = QDir::currentPath();
        fake = std::make_unique<FakeScope>();
        StoreSettings();
        main = std::make_unique<frmExection>(fake->console);
        main->show();
        applies = std::make_unique<QSignalSpy>(Changes(), &SettingsSignals::applied);
    }
    void cleanup() {
        Options::Discard();
        applies.reset();
        main.reset();
        fake.reset();
        QDir::setCurrent(savedCwd);
    }

    void loadFillsControlsAndWritesNothing() {
        frmOptions* d = Open();
        QVERIFY(d && d->isVisible());
        QCOMPARE(d->windowTitle(), QStringLiteral("設定"));
        QStringList captions;
        for (int i = 0; i < 4; ++i) captions << d->SSTab1->tabText(i);
        QCOMPARE(captions, (QStringList{QStringLiteral("Javaﾌｫﾙﾀﾞ選択"), QStringLiteral("エディタ選択"),
                                        QStringLiteral("ブラウザ選択"), QStringLiteral("その他\u3000")}));
        QCOMPARE(d->SSTab1->currentIndex(), 0);
        QCOMPARE(d->txtFolderPath[1]->text(), QStringLiteral("/src/b b"));
        QCOMPARE(d->txtFolderPath[2]->text(), QString());
        QCOMPARE(d->txtEditPath[1]->text(), QStringLiteral("/usr/bin/hedit"));
        QCOMPARE(d->txtBrowserPath[0]->text(), QStringLiteral("/opt/web/browse"));
        QCOMPARE(d->txtBrowserName[1]->text(), QStringLiteral("Second"));
        QVERIFY(d->optFolderPath[0]->isChecked());
        QVERIFY(d->optHtml[1]->isChecked());
        QVERIFY(!d->extensionChanged());
        QCOMPARE(d->HScroll1->value(), 10);
        QVERIFY(!d->cmdOK->isEnabled());
        QVERIFY(!d->cmdApply->isEnabled());
        for (QPushButton* b : d->findChildren<QPushButton*>())
            QVERIFY2(!b->isDefault() && !b->autoDefault(), qPrintable(b->objectName()));
        for (QWidget* w : d->findChildren<QWidget*>()) {
            if (w->objectName().isEmpty() || w->objectName().startsWith(QStringLiteral("qt_"))) continue;
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
        }

        d->cmdCancel->click();
        Flush();
        QVERIFY(!Options::Current());
        QVERIFY((*fake)->writes.isEmpty());
        QCOMPARE(applies->count(), 0);
    }

    void editAndUndoWritesNothingButResetsBrowserTooltips() {
        frmOptions* d = Open();
        d->txtEditPath[0]->setText(S.JavaEdit + u'x');
        d->txtEditPath[0]->setText(S.JavaEdit);
        QVERIFY(d->cmdOK->isEnabled() && d->cmdApply->isEnabled());
        d->cmdApply->click();
        QVERIFY((*fake)->writes.isEmpty());
        // Name, else path, else "設定ナシ".
        QCOMPARE(applies->count(), 1);
        QCOMPARE(Tips(main->cmdBrowser),
                 (QStringList{QStringLiteral("/opt/web/browse"), QStringLiteral("Second")}));
        QVERIFY(!d->cmdOK->isEnabled() && !d->cmdApply->isEnabled());
        QVERIFY(d->isVisible());

        d->txtBrowserPath[0]->clear();
        d->cmdApply->click();
        QCOMPARE(Tips(main->cmdBrowser), (QStringList{QStringLiteral("設定ナシ"), QStringLiteral("Second")}));
    }

    void eachChangedBoxWritesItsOwnKey_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("key");
        QTest::newRow("java editor") << "txtEditPath0"
                                     << "JavaEdit";
        QTest::newRow("html editor") << "txtEditPath1"
                                     << "HtmlEdit";
        QTest::newRow("browser 1") << "txtBrowserPath0"
                                   << "Browser0";
        QTest::newRow("browser 2") << "txtBrowserPath1"
                                   << "Browser1";
        QTest::newRow("name 1") << "txtBrowserName0"
                                << "BrowserName0";
        QTest::newRow("name 2") << "txtBrowserName1"
                                << "BrowserName1";
        QTest::newRow("folder 3") << "txtFolderPath2"
                                  << "JavaFileFolder2";
    }
    void eachChangedBoxWritesItsOwnKey() {
        QFETCH(QString, box);
        QFETCH(QString, key);
        frmOptions* d = Open();
        auto* edit = d->findChild<QLineEdit*>(box);
        QVERIFY(edit);
        const QString value = QStringLiteral(" C:\\odd \"path\", 名前 ");
        edit->setText(value);
        d->cmdOK->click();
        QCOMPARE((*fake)->writes.size(), 1);
        QCOMPARE((*fake)->writes[0].key, key);
        QCOMPARE((*fake)->storedValue(kSetting, key), value);
        Flush();
        QVERIFY(!Options::Current());
    }

    void clearingAFolderWritesEmptyAndNotSetTooltip() {
        frmOptions* d = Open();
        d->txtFolderPath[1]->clear();
        d->txtFolderPath[2]->setText(QStringLiteral("/new"));
        d->cmdApply->click();
        QCOMPARE((*fake)->storedValue(kSetting, QStringLiteral("JavaFileFolder1")), QString());
        QCOMPARE(WritesOf(QStringLiteral("JavaFileFolder1")), 1);
        QCOMPARE(WritesOf(QStringLiteral("JavaFileFolder0")), 0);
        QCOMPARE(S.JavaFileFolder[1], QString());
        // Only the changed folders' tooltips are set; the first one's was never.
        QCOMPARE(FolderTips(), (QStringList{QString(), QStringLiteral("設定ナシ"), QStringLiteral("/new")}));
    }

    void historySizeReloadsSlotsKeepingTheNameBoxText() {
        for (int k = 0; k < 9; ++k)
            if (k != 3) (*fake)->presetSetting(kRecent, QString::number(k), QString(QChar(u'A' + k)));
        main->cmbName->addItems({QStringLiteral("old1"), QStringLiteral("old2")});
        main->cmbName->setEditText(QStringLiteral("Typed"));
        frmOptions* d = Open();
        QCOMPARE(d->Label7->text(), QStringLiteral(" 10"));
        d->HScroll1->setValue(7);
        QCOMPARE(d->Label7->text(), QStringLiteral(" 7"));
        QVERIFY(d->cmdApply->isEnabled());
        d->cmdApply->click();
        QCOMPARE((*fake)->storedValue(kRecent, QStringLiteral("Number")), QStringLiteral("7"));
        QCOMPARE(S.RecentNumber, QStringLiteral("7"));
        const QStringList expected{"A", "B", "C", "", "E", "F", "G"};
        QCOMPARE(Items(main->cmbName), expected);
        QCOMPARE(S.Recent, expected);
        QCOMPARE(main->cmbName->currentText(), QStringLiteral("Typed"));
        // Slots above the new size stay in the store.
        QCOMPARE((*fake)->storedValue(kRecent, QStringLiteral("8")), QStringLiteral("I"));
    }

    void historySizeWrittenOnlyWhenItChanged_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QList<int>>("moves");
        QTest::addColumn<int>("bar");          // where the bar stands after loading
        QTest::addColumn<QString>("written");  // "Number" after apply; "" = not written
        QTest::newRow("zero stays") << "0" << QList<int>{} << 0 << "";
        QTest::newRow("ten stays") << "10" << QList<int>{} << 10 << "";
        QTest::newRow("not a number") << "abc" << QList<int>{} << 0 << "";
        QTest::newRow("negative") << "-3" << QList<int>{} << 0 << "";
        QTest::newRow("away and back") << "5" << QList<int>{6, 5} << 5 << "";
        QTest::newRow("moved") << "5" << QList<int>{0} << 5 << "0";
        // The bar cannot show it: clamped like the history clamps it.
        QTest::newRow("above the range") << "150" << QList<int>{} << 99 << "99";
    }
    void historySizeWrittenOnlyWhenItChanged() {
        QFETCH(QString, stored);
        QFETCH(QList<int>, moves);
        QFETCH(int, bar);
        QFETCH(QString, written);
        S.RecentNumber = stored;
        main->cmbName->addItem(QStringLiteral("kept"));
        frmOptions* d = Open();
        QCOMPARE(d->HScroll1->value(), bar);
        QVERIFY(!d->cmdApply->isEnabled());
        for (int v : moves) d->HScroll1->setValue(v);
        d->txtFolderPath[2]->setText(QStringLiteral("/x"));
        d->cmdApply->click();
        QCOMPARE((*fake)->storedValue(kRecent, QStringLiteral("Number")), written);
        QCOMPARE(S.RecentNumber, written.isEmpty() ? stored : written);
        QCOMPARE(main->cmbName->count(), written.isEmpty() ? 1 : ClampRecentCount(written));
    }

    void labelSetFromOutsideStaysUntilTheBarMoves() {
        // The dialog built before the size was known, then told "10".
        S.RecentNumber.clear();
        Options::SetLabel7(QStringLiteral("10"));
        auto* d = qobject_cast<frmOptions*>(Options::Current());
        QVERIFY(d && !d->isVisible());
        S.RecentNumber = QStringLiteral("10");
        QCOMPARE(d->Label7->text(), QStringLiteral("10"));
        QCOMPARE(d->HScroll1->value(), 0);
        Options::Show();
        QCOMPARE(Options::Current(), d);
        d->txtFolderPath[2]->setText(QStringLiteral("/x"));
        d->cmdApply->click();
        QCOMPARE(WritesOf(QStringLiteral("Number")), 0);
        d->HScroll1->setValue(3);
        QCOMPARE(d->Label7->text(), QStringLiteral(" 3"));
    }

    void extensionFlag_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QString>("written");  // "" = not written
        QTest::newRow("htm then html again") << ".html" << QStringList{"htm", "html"} << ".html";
        QTest::newRow("html to htm") << ".html" << QStringList{"htm"} << ".htm";
        QTest::newRow("htm to html") << ".htm" << QStringList{"html"} << ".html";
        QTest::newRow("same as stored") << ".htm" << QStringList{} << "";
        QTest::newRow("odd stored value, html shown") << "html" << QStringList{} << "";
    }
    void extensionFlag() {
        QFETCH(QString, stored);
        QFETCH(QStringList, clicks);
        QFETCH(QString, written);
        S.HtmlExtension = stored;
        frmOptions* d = Open();
        QCOMPARE(d->optHtml[0]->isChecked(), stored == QStringLiteral(".htm"));
        for (const QString& c : clicks) (c == QStringLiteral("htm") ? d->optHtml[0] : d->optHtml[1])->click();
        d->txtFolderPath[2]->setText(QStringLiteral("/x"));
        d->cmdApply->click();
        QCOMPARE((*fake)->storedValue(kSetting, QStringLiteral("Html")), written);
        QCOMPARE(S.HtmlExtension, written.isEmpty() ? stored : written);
        // Once set, the flag writes the extension on every apply.
        (*fake)->writes.clear();
        d->txtFolderPath[2]->setText(QStringLiteral("/y"));
        d->cmdApply->click();
        QCOMPARE(WritesOf(QStringLiteral("Html")), written.isEmpty() ? 0 : 1);
    }

    void helpOpensTheTopicOfThePageShown() {
        frmOptions* d = Open();
        for (int page = 0; page < 4; ++page) {
            d->SSTab1->setCurrentIndex(page);
            d->cmdHelp->click();
        }
        QCOMPARE((*fake)->helpCalls, (QList<int>{1, 2, 3, 4}));
        QVERIFY((*fake)->events.last().startsWith(QStringLiteral("help:/prog/Quenlark.hlp:")));
    }

    void directoryListWritesIntoTheSelectedFolderBox() {
        QTemporaryDir tmp;
        const QString root = tmp.path();
        for (const char* sub : {"src", "src/Beta", "src/alpha", "src/.hidden", "other"})
            QDir(root).mkpath(sub);
        TestFiles::Touch(root + QStringLiteral("/src/file.txt"));
        QDir::setCurrent(root + QStringLiteral("/src"));
        frmOptions* d = Open();
        QCOMPARE(d->Dir1->path(), root + QStringLiteral("/src"));
        // Ancestors, the folder itself, then its visible subfolders by name.
        QStringList lines;
        for (int i = 0; i < d->Dir1->count(); ++i) lines << d->Dir1->item(i)->text();
        QCOMPARE(lines.mid(lines.size() - 3), (QStringList{"src", "alpha", "Beta"}));
        QCOMPARE(lines.first(), QStringLiteral("/"));
        QVERIFY(d->txtFolderPath[0]->text() == S.JavaFileFolder[0]);  // starting writes nothing

        d->optFolderPath[2]->click();
        QVERIFY(d->txtFolderPath[0]->text() == S.JavaFileFolder[0]);  // choosing a button copies nothing
        // Enter opens the current line.
        d->Dir1->setCurrentRow(d->Dir1->count() - 1);
        QTest::keyClick(d->Dir1, Qt::Key_Return);
        QCOMPARE(d->txtFolderPath[2]->text(), root + QStringLiteral("/src/Beta"));
        QCOMPARE(d->txtFolderPath[0]->text(), S.JavaFileFolder[0]);
        QCOMPARE(d->txtFolderPath[1]->text(), S.JavaFileFolder[1]);
        QVERIFY(d->cmdApply->isEnabled());

        // A double-click on an ancestor goes up; with ﾊﾟｽ２ selected it lands there.
        d->optFolderPath[1]->click();
        QListWidgetItem* up = d->Dir1->findItems(QDir(root).dirName(), Qt::MatchExactly).value(0);
        QVERIFY(up);
        d->Dir1->scrollToItem(up);
        const QRect r = d->Dir1->visualItemRect(up);
        QTest::mouseClick(d->Dir1->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(d->Dir1->path(), root + QStringLiteral("/src/Beta"));  // a click only selects
        // ... as the list tells the user, shown and read out.
        QVERIFY(d->Dir1->toolTip().contains(QStringLiteral("ダブルクリック")));
        QCOMPARE(d->Dir1->accessibleDescription(), d->Dir1->toolTip());
        QTest::mouseDClick(d->Dir1->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(d->txtFolderPath[1]->text(), root);
        QCOMPARE(d->txtFolderPath[2]->text(), root + QStringLiteral("/src/Beta"));
        QVERIFY((*fake)->boxes.isEmpty());
    }

    void unreadableVolumeIsReportedAndTheDriveListReturns() {
        QTemporaryDir tmp;
        const QString vol = tmp.path() + QStringLiteral("/vol");
        const QString missing = tmp.path() + QStringLiteral("/gone");
        QDir().mkpath(vol + QStringLiteral("/inside"));
        QDir().mkpath(tmp.path() + QStringLiteral("/work"));
        QDir::setCurrent(tmp.path() + QStringLiteral("/work"));
        (*fake)->volumeList = {QStringLiteral("/"), vol, missing};
        frmOptions* d = Open();
        QCOMPARE(d->Drive1->drive(), QStringLiteral("/"));

        // A readable volume: its folder goes at once into the selected box.
        d->Drive1->setCurrentIndex(1);
        QCOMPARE(d->Dir1->path(), vol);
        QCOMPARE(d->txtFolderPath[0]->text(), vol);

        d->Dir1->openItem(d->Dir1->item(d->Dir1->count() - 1));
        QCOMPARE(d->txtFolderPath[0]->text(), vol + QStringLiteral("/inside"));

        // An unreadable one: the critical box with the system's text, then
        // back to the directory list's volume; nothing else changes.
        d->Drive1->setCurrentIndex(2);
        QCOMPARE((*fake)->boxes.size(), 1);
        const auto box = (*fake)->boxes[0];
        QCOMPARE(box.title, QStringLiteral("Quenlark ｴﾗｰ"));
        QCOMPARE(box.icon, MsgIcon::Critical);
        QCOMPARE(box.buttons, MsgButtons::Ok);
        QCOMPARE(box.text, missing + QStringLiteral(": ") + QString::fromLocal8Bit(strerror(ENOENT)));
        QCOMPARE(d->Drive1->drive(), vol);
        QCOMPARE(d->Dir1->path(), vol + QStringLiteral("/inside"));
        QCOMPARE(d->txtFolderPath[0]->text(), vol + QStringLiteral("/inside"));

        // Each volume keeps the folder last shown on it.
        d->Drive1->setCurrentIndex(0);
        QCOMPARE(d->Dir1->path(), tmp.path() + QStringLiteral("/work"));
        QCOMPARE((*fake)->boxes.size(), 1);
    }

    void programPickers() {
        frmOptions* d = Open();
        (*fake)->chosenFiles << QStringLiteral("/opt/ed it/editor") << QString()
                             << QStringLiteral("/opt/b/web");
        d->cmdSelectEdit[1]->click();
        QCOMPARE(d->txtEditPath[1]->text(), QStringLiteral("/opt/ed it/editor"));
        d->cmdSelectEdit[0]->click();  // cancelled
        QCOMPARE(d->txtEditPath[0]->text(), S.JavaEdit);
        d->cmdSelectBrowser[1]->click();
        QCOMPARE(d->txtBrowserPath[1]->text(), QStringLiteral("/opt/b/web"));
        QCOMPARE(d->txtBrowserName[1]->text(), QStringLiteral("Second"));
        QCOMPARE((*fake)->dialogTitles,
                 (QStringList{QStringLiteral("ｴﾃﾞｨﾀ選択(Javaﾌｧｲﾙ表示)"),
                              QStringLiteral("ｴﾃﾞｨﾀ選択(Javaﾌｧｲﾙ表示)"), QStringLiteral("ﾌﾞﾗｳｻﾞ選択")}));
        QVERIFY((*fake)->writes.isEmpty());
    }

    void builtOnceShownAgainUnchangedAndBuiltAfreshAfterClose() {
        frmOptions* d = Open();
        d->txtFolderPath[2]->setText(QStringLiteral("typed"));
        d->SSTab1->setCurrentIndex(3);
        QCOMPARE(Open(), d);
        QCOMPARE(d->txtFolderPath[2]->text(), QStringLiteral("typed"));
        QCOMPARE(d->SSTab1->currentIndex(), 3);
        QCOMPARE(Open(2), d);
        QCOMPARE(d->SSTab1->currentIndex(), 2);

        d->close();  // the close box
        Flush();
        QVERIFY(!Options::Current());
        QVERIFY((*fake)->writes.isEmpty());
        frmOptions* again = Open();
        QCOMPARE(again->txtFolderPath[2]->text(), QString());
        QCOMPARE(again->SSTab1->currentIndex(), 0);

        Options::Discard();
        QVERIFY(!Options::Current());
        QVERIFY((*fake)->writes.isEmpty());
    }

    void applyThenCancelKeepsWhatWasApplied() {
        frmOptions* d = Open();
        d->txtBrowserName[0]->setText(QStringLiteral("Web"));
        d->txtBrowserPath[0]->setText(QStringLiteral("/usr/bin/web"));
        d->txtEditPath[0]->setText(QStringLiteral("/usr/bin/edit"));
        d->txtFolderPath[1]->setText(QStringLiteral("/src"));
        const int rewrites = (*fake)->storeRewrites();
        d->cmdApply->click();
        QCOMPARE((*fake)->storeRewrites(), rewrites + 1);  // one apply, one rewrite
        QCOMPARE((*fake)->storedValue(kSetting, QStringLiteral("JavaFileFolder1")), QStringLiteral("/src"));
        d->txtBrowserName[0]->setText(QStringLiteral("Lost"));
        d->cmdCancel->click();
        Flush();
        QCOMPARE(S.BrowserName[0], QStringLiteral("Web"));
        QCOMPARE((*fake)->storedValue(kSetting, QStringLiteral("BrowserName0")), QStringLiteral("Web"));
        QCOMPARE(main->cmdBrowser[0]->toolTip(), QStringLiteral("Web"));
        QCOMPARE(WritesOf(QStringLiteral("BrowserName0")), 1);
    }

    // A folder box written from the home folder applies as the path it
    // stands for; a changed folder that is not there may be made, else it is
    // stored as typed. Apply goes on either way.
    void foldersOnApply_data() {
        QTest::addColumn<QString>("before");  // the third folder as stored; {H} home, {R} the test's folder
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("present");  // "folder" or "file" made there first, or ""
        QTest::addColumn<int>("answer");       // to the question; -1: no question
        QTest::addColumn<QString>("applied");  // shown and stored
        QTest::addColumn<bool>("made");        // a folder is there afterwards
        const int yes = int(MsgResult::Yes), no = int(MsgResult::No);
        // clang-format off
        QTest::newRow("~/ missing, yes: made") << "" << "~/java2" << "" << yes << "{H}/java2" << true;
        QTest::newRow("~/ missing, no: stored all the same") << "" << "~/java2" << "" << no << "{H}/java2" << false;
        QTest::newRow("~ alone, there") << "" << "~" << "folder" << -1 << "{H}" << true;
        QTest::newRow("another user's ~ stays as typed") << "" << "~bob/java" << "" << -1 << "~bob/java" << false;
        QTest::newRow("unchanged: no question") << "{R}/gone" << "{R}/gone" << "" << -1 << "{R}/gone" << false;
        QTest::newRow("a file in the way: the failure is told") << "" << "{R}/java" << "file" << yes << "{R}/java" << false;
        // clang-format on
    }
    void foldersOnApply() {
        QFETCH(QString, before);
        QFETCH(QString, typed);
        QFETCH(QString, present);
        QFETCH(int, answer);
        QFETCH(QString, applied);
        QFETCH(bool, made);
        FakePlatform& f = **fake;
        auto place = [&](QString text) {
            return text.replace(QStringLiteral("{H}"), f.home).replace(QStringLiteral("{R}"), f.root());
        };
        const QString path = place(applied);
        if (present == u"folder") QVERIFY(QDir().mkpath(path));
        if (present == u"file") TestFiles::WriteFile(path, "x");
        S.JavaFileFolder[2] = place(before);
        frmOptions* d = Open();
        if (answer >= 0) f.answers.enqueue(MsgResult(answer));
        d->txtFolderPath[2]->setText(place(typed) + u'x');  // changed, so the apply is live
        d->txtFolderPath[2]->setText(place(typed));
        d->cmdOK->click();  // the apply, then the close

        QCOMPARE(S.JavaFileFolder[2], path);
        QCOMPARE(f.storedValue(kSetting, QStringLiteral("JavaFileFolder2")),
                 place(before) == path ? QString() : path);
        QCOMPARE(QFileInfo(path).isDir(), made);
        const bool failed = answer == int(MsgResult::Yes) && !made;
        QCOMPARE(f.boxes.size(), answer < 0 ? 0 : failed ? 2 : 1);
        if (answer >= 0) {
            QCOMPARE(f.boxes[0].text,
                     QStringLiteral("フォルダ «") + path + QStringLiteral("» はありません。作りますか？"));
            QCOMPARE(f.boxes[0].defaultButton, MsgResult::No);
        }
        if (failed)
            QVERIFY2(f.boxes[1].text.contains(QStringLiteral("Not a directory")),
                     qPrintable(f.boxes[1].text));
        Flush();
        QVERIFY(!Options::Current());
    }

    // A folder stored from the home folder is read as the path at start-up.
    void storedHomeFolderIsReadAsThePath() {
        (*fake)->presetSetting(kSetting, QStringLiteral("JavaFileFolder1"), QStringLiteral("~/java"));
        (*fake)->presetSetting(kSetting, QStringLiteral("JavaFileFolder2"), QStringLiteral("~bob/java"));
        const Settings loaded = LoadSettings((*fake)->dataFolder);
        QCOMPARE(loaded.JavaFileFolder[1], (*fake)->home + QStringLiteral("/java"));
        QCOMPARE(loaded.JavaFileFolder[2], QStringLiteral("~bob/java"));
    }

    void keys() {
        frmOptions* d = Open();
        d->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(d));
        // Enter in a box applies nothing.
        d->txtFolderPath[2]->setFocus();
        QTest::keyClicks(d->txtFolderPath[2], QStringLiteral("/typed"));
        QTest::keyClick(d->txtFolderPath[2], Qt::Key_Return);
        QVERIFY((*fake)->writes.isEmpty());
        QVERIFY(d->cmdApply->isEnabled());
        // Enter on the focused button presses it.
        d->cmdApply->setFocus();
        QTest::keyClick(d->cmdApply, Qt::Key_Return);
        QCOMPARE((*fake)->storedValue(kSetting, QStringLiteral("JavaFileFolder2")), QStringLiteral("/typed"));
        QVERIFY(Options::Current());
        // Esc is "ｷｬﾝｾﾙ".
        d->txtFolderPath[1]->setFocus();
        QTest::keyClicks(d->txtFolderPath[1], QStringLiteral("zz"));
        QTest::keyClick(d->txtFolderPath[1], Qt::Key_Escape);
        Flush();
        QVERIFY(!Options::Current());
        QCOMPARE(WritesOf(QStringLiteral("JavaFileFolder1")), 0);
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
