// The store's key table against what the program really writes: a whole
// session touches only keys the table names, and the table names each key
// once.
#include "FakePlatform.h"
#include "TestFiles.h"
#include "app/frmExection.h"
#include "dialogs/Options.h"
#include "dialogs/frmOptions.h"
#include "result/Result.h"
#include "settings/Qlk.h"
#include "settings/StoreKeys.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace Qlk;

namespace {
void Flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

QString Name(const StoreKey& k) { return k.section + u'/' + k.key; }
}  // namespace

class TestStoreKeys : public QObject {
    Q_OBJECT
private slots:
    void tableNamesEachKeyOnce();
    void fullSessionWritesOnlyTableKeys();
};

void TestStoreKeys::tableNamesEachKeyOnce() {
    QSet<QString> seen;
    for (const StoreKey& k : AllStoreKeys()) {
        QVERIFY2(!k.key.isEmpty(), qPrintable(Name(k)));
        QVERIFY2(!seen.contains(Name(k)), qPrintable(Name(k)));
        seen << Name(k);
    }
    // The numbered keys keep the forms stored files already have.
    QVERIFY(seen.contains(QStringLiteral("setting/JavaFileFolder2")));
    QVERIFY(seen.contains(QStringLiteral("setting/BrowserName1")));
    QVERIFY(seen.contains(QStringLiteral("recent/98")));
    QVERIFY(!seen.contains(QStringLiteral("recent/99")));
}

// Start-up, every command, the settings dialog with every value changed, the
// result window, and shut-down.
void TestStoreKeys::fullSessionWritesOnlyTableKeys() {
    FakeScope fake;
    fake->installProgramFiles();
    QTemporaryDir java;
    QVERIFY(java.isValid());
    fake->presetSetting(kSetting, Key::JavaFileFolder(0), java.path());
    {
        frmExection w(fake.console);
        QVERIFY(w.Form_Load());
        w.cmbName->setEditText(QStringLiteral("Hello"));
        for (QPushButton* run : w.cmdExection) run->click();
        for (QToolButton* browser : w.cmdBrowser) browser->click();
        Flush();
        for (QAction* item : {w.mnuJavaMake, w.mnuHtmlMake, w.mnuOpenJava, w.mnuOpenHtml, w.mnuShowResult})
            item->trigger();
        for (QAction* toggle : {w.mnuBefore, w.mnuSelectBrowser, w.mnuSelectPath}) toggle->trigger();
        w.optPath[1]->click();

        Options::Show(0);
        auto* d = qobject_cast<frmOptions*>(Options::Current());
        QVERIFY(d);
        for (int i = 0; i < kFolderCount; ++i) {
            const QString folder = java.filePath(QStringLiteral("f%1").arg(i));
            QVERIFY(QDir().mkpath(folder));
            d->txtFolderPath[i]->setText(folder);
        }
        for (QLineEdit* box : d->txtEditPath) box->setText(QStringLiteral("/usr/bin/edit"));
        for (int j = 0; j < kBrowserCount; ++j) {
            d->txtBrowserPath[j]->setText(QStringLiteral("/usr/bin/web%1").arg(j));
            d->txtBrowserName[j]->setText(QStringLiteral("Web %1").arg(j));
        }
        d->HScroll1->setValue(12);
        d->optHtml[0]->click();
        d->cmdOK->click();
        Flush();

        // A compile in the chosen folder fills the larger history.
        TestFiles::Touch(java.filePath(QStringLiteral("f1/Other.java")));
        w.cmbName->setEditText(QStringLiteral("Other"));
        w.RunButton(RunKind::Compile)->click();
        Result::Show();
        w.Form_Unload();
    }
    Flush();

    QSet<QString> table;
    for (const StoreKey& k : AllStoreKeys()) table << Name(k);
    QSet<QString> written;
    for (const FakePlatform::Write& write : fake->writes) {
        const QString name = Name({write.section, write.key});
        QVERIFY2(table.contains(name), qPrintable(name + QStringLiteral(" is written but not in the table")));
        written << name;
    }
    // The session reached every kind of key: otherwise the check above
    // proves little.
    for (const QString& expected :
         {QStringLiteral("setting/JavaFileFolder2"), QStringLiteral("setting/HtmlEdit"),
          QStringLiteral("setting/BrowserName1"), QStringLiteral("setting/Html"),
          QStringLiteral("recent/Number"), QStringLiteral("recent/11"),
          QStringLiteral("setting/frmExectionTop"), QStringLiteral("setting/ShowPath"),
          QStringLiteral("setting/SelectedFolder"), QStringLiteral("setting/ResultWidth"),
          QStringLiteral("setting/ResultFormBefore")})
        QVERIFY2(written.contains(expected), qPrintable(expected));
}

QTEST_MAIN(TestStoreKeys)
#include "tst_storekeys.moc"
