// The settings dialog with the real main window: opened by start-up, by the
// settings button and menu item, and by a browser button; what its apply
// changes on the main window.
#include "FakePlatform.h"
#include "app/frmExection.h"
#include "dialogs/Options.h"
#include "dialogs/frmOptions.h"
#include "settings/Qlk.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace Qlk;

namespace {
frmOptions* Dialog() { return qobject_cast<frmOptions*>(Options::Current()); }
void Flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
}  // namespace

class TestOptionsWindow : public QObject {
    Q_OBJECT
private slots:
    void firstStartOpensTheDialogAndApplyingWritesOnlyTheFolder() {
        FakeScope fake;
        fake->installProgramFiles();
        QTemporaryDir java;
        frmExection w(fake.console);
        QVERIFY(w.Form_Load());
        QCOMPARE(fake->boxes.value(0).title, QStringLiteral("ﾌｫﾙﾀﾞ選択"));
        frmOptions* d = Dialog();
        QVERIFY(d && d->isVisible());
        QCOMPARE(d->SSTab1->currentIndex(), 0);
        // Everything start-up read after it built the dialog shows in it.
        QCOMPARE(d->txtEditPath[0]->text(), S.WindowsFolder + QStringLiteral("notepad.exe"));
        QCOMPARE(d->txtEditPath[1]->text(), S.WindowsFolder + QStringLiteral("notepad.exe"));
        QCOMPARE(d->Label7->text().trimmed(), QStringLiteral("10"));
        QVERIFY(!d->cmdApply->isEnabled());

        fake->writes.clear();
        d->txtFolderPath[0]->setText(java.path());
        d->cmdOK->click();
        Flush();
        QVERIFY(!Options::Current());
        QCOMPARE(fake->writes.size(), 1);
        QCOMPARE(fake->storedValue(kSetting, QStringLiteral("JavaFileFolder0")), java.path());
        QCOMPARE(w.optPath[0]->toolTip(), java.path());
        QCOMPARE(w.optPath[1]->toolTip(), QStringLiteral("設定ナシ"));
        QCOMPARE(S.JavaEdit, S.WindowsFolder + QStringLiteral("notepad.exe"));
        QCOMPARE(S.RecentNumber, QStringLiteral("10"));
        QCOMPARE(w.cmbName->count(), 10);
    }

    void settingsReadAfterTheDialogWasBuiltAreNotLostOnApply() {
        FakeScope fake;
        fake->installProgramFiles();
        fake->presetSetting(kRecent, QStringLiteral("Number"), QStringLiteral("5"));
        fake->presetSetting(kSetting, QStringLiteral("Html"), QStringLiteral(".htm"));
        fake->presetSetting(kSetting, QStringLiteral("Browser0"), QStringLiteral("/opt/web"));
        frmExection w(fake.console);
        QVERIFY(w.Form_Load());
        frmOptions* d = Dialog();
        QVERIFY(d);
        QCOMPARE(d->HScroll1->value(), 5);
        QVERIFY(d->optHtml[0]->isChecked());
        QCOMPARE(d->txtBrowserPath[0]->text(), QStringLiteral("/opt/web"));
        fake->writes.clear();
        d->txtFolderPath[1]->setText(QStringLiteral("/java"));
        d->cmdApply->click();
        QCOMPARE(fake->writes.size(), 1);
        QCOMPARE(S.RecentNumber, QStringLiteral("5"));
        QCOMPARE(S.HtmlExtension, QStringLiteral(".htm"));
        QCOMPARE(S.Browser[0], QStringLiteral("/opt/web"));
        QCOMPARE(w.cmdBrowser[0]->toolTip(), QStringLiteral("/opt/web"));
    }

    void defaultHistorySizeBuildsTheDialogHidden() {
        FakeScope fake;
        fake->installProgramFiles();
        fake->presetSetting(kSetting, QStringLiteral("JavaFileFolder2"), QStringLiteral("/java"));
        frmExection w(fake.console);
        QVERIFY(w.Form_Load());
        QVERIFY(fake->boxes.isEmpty());
        frmOptions* d = Dialog();
        QVERIFY(d && !d->isVisible());
        QCOMPARE(d->Label7->text().trimmed(), QStringLiteral("10"));

        // The settings button shows that same dialog, unchanged.
        d->txtFolderPath[0]->setText(QStringLiteral("typed"));
        w.cmdSetting->click();
        QCOMPARE(Dialog(), d);
        QVERIFY(d->isVisible());
        QCOMPARE(d->txtFolderPath[0]->text(), QStringLiteral("typed"));
        d->HScroll1->setValue(3);
        d->cmdOK->click();
        Flush();
        QCOMPARE(fake->storedValue(kRecent, QStringLiteral("Number")), QStringLiteral("3"));
        QCOMPARE(w.cmbName->count(), 3);
        QCOMPARE(w.optPath[0]->toolTip(), QStringLiteral("typed"));

        // The menu item builds it afresh.
        w.mnuSetting->trigger();
        QVERIFY(Dialog() && Dialog()->isVisible());
        QCOMPARE(Dialog()->txtFolderPath[0]->text(), QStringLiteral("typed"));
        QCOMPARE(Dialog()->Label7->text(), QStringLiteral(" 3"));
    }

    void browserButtonOpensTheBrowserPage() {
        FakeScope fake;
        fake->installProgramFiles();
        fake->presetSetting(kSetting, QStringLiteral("JavaFileFolder0"), QStringLiteral("/java"));
        fake->presetSetting(kRecent, QStringLiteral("Number"), QStringLiteral("10"));
        frmExection w(fake.console);
        QVERIFY(w.Form_Load());
        QVERIFY(!Options::Current());
        w.cmdBrowser[1]->click();
        QCOMPARE(fake->beeps, 1);
        QCOMPARE(fake->boxes.value(0).title, QStringLiteral("ﾌﾞﾗｳｻﾞの設定"));
        QVERIFY(Dialog() && Dialog()->isVisible());
        QCOMPARE(Dialog()->SSTab1->currentIndex(), 2);
    }
};

QTEST_MAIN(TestOptionsWindow)
#include "tst_optionswindow.moc"
