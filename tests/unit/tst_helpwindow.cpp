// The help viewer: what it shows for the shipped help file and for one that
// is missing, at every topic; and the shipped help names every menu item and
// key the program's windows have.
#include "FakePlatform.h"
#include "app/HelpNames.h"
#include "app/frmExection.h"
#include "result/LearnerHints.h"
#include "result/Result.h"
#include "settings/Qlk.h"
#include "widgets/HelpWindow.h"

#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QShortcut>
#include <QTest>

namespace {

QStringList Names(const auto& list) {
    QStringList out;
    for (const char* name : list) out << QString::fromUtf8(name);
    return out;
}

}  // namespace

class TestHelpWindow : public QObject {
    Q_OBJECT
private slots:
    void shownText_data();
    void shownText();
    void namesEveryMenuItemAndKey();
    void listsTheHintsThatFire();
};

void TestHelpWindow::shownText_data() {
    QTest::addColumn<QString>("file");  // "" for the shipped help file
    QTest::addColumn<int>("context");
    QTest::addColumn<QString>("shown");  // a line the viewer must show
    const QString contents = QStringLiteral("Quenlark ヘルプ");
    for (int context = 0; context <= 5; ++context)
        QTest::addRow("shipped file, topic %d", context) << QString() << context << contents;
    QTest::newRow("missing file") << QStringLiteral("/nonexistent/Quenlark.hlp") << 1
                                  << QStringLiteral(
                                         "ヘルプファイル「/nonexistent/Quenlark.hlp」が見つかりません。");
    QTest::newRow("a folder in its place")
        << QStringLiteral("/") << 0 << QStringLiteral("ヘルプファイル「/」が見つかりません。");
}

void TestHelpWindow::shownText() {
    QFETCH(QString, file);
    QFETCH(int, context);
    QFETCH(QString, shown);
    if (file.isEmpty()) file = qEnvironmentVariable("QLK_DATA_DIR") + QStringLiteral("/Quenlark.hlp");
    HelpWindow help;
    help.showTopic(file, context);
    QVERIFY(help.isVisible());
    QVERIFY2(help.shownText().contains(shown), qPrintable(help.shownText().left(200)));
    // A second topic of the same file keeps the window and its text.
    help.showTopic(file, 4);
    QVERIFY(help.shownText().contains(shown));
}

void TestHelpWindow::namesEveryMenuItemAndKey() {
    // What the windows have is in the list ...
    FakeScope fake;
    Qlk::S.WindowsFolder = fake->dataFolder;
    frmExection form(fake.console);
    Result::Show();
    auto* result = qobject_cast<QMainWindow*>(Result::Current());
    QVERIFY(result);
    QList<QAction*> actions = form.menuBar()->actions() + result->menuBar()->actions() + result->actions();
    QStringList captions, keys;
    static const QRegularExpression decoration(QStringLiteral("\\(&.\\)|&|\\.\\.\\.$"));  // "設定(&S)..."
    for (qsizetype i = 0; i < actions.size(); ++i) {  // submenus' items are added as they are met
        if (actions[i]->menu()) actions += actions[i]->menu()->actions();
        if (!actions[i]->text().isEmpty()) captions << actions[i]->text().remove(decoration);
        if (!actions[i]->shortcut().isEmpty()) keys << actions[i]->shortcut().toString();
    }
    for (const QShortcut* s : form.findChildren<QShortcut*>()) keys << s->key().toString();
    keys.replaceInStrings(QStringLiteral("Pause"), QStringLiteral("Break"));  // as the keyboard says
    const QStringList items = Names(HelpNames::kMenuItems), keyNames = Names(HelpNames::kKeys);
    for (const QString& caption : captions) QVERIFY2(items.contains(caption), qPrintable(caption));
    for (const QString& key : keys) QVERIFY2(keyNames.contains(key), qPrintable(key));
    QVERIFY(captions.size() >= 16 && keys.size() >= 8);
    Result::Discard();
    // ... and the help names everything in the list.
    HelpWindow help;
    help.showTopic(qEnvironmentVariable("QLK_DATA_DIR") + QStringLiteral("/Quenlark.hlp"), 0);
    for (const QString& name : items + keyNames + Names(HelpNames::kTopics))
        QVERIFY2(help.shownText().contains(name), qPrintable(name));
}

// The help's list of hints is the hint table's: no hint it does not name,
// nothing it promises that no rule gives.
void TestHelpWindow::listsTheHintsThatFire() {
    QFile file(qEnvironmentVariable("QLK_DATA_DIR") + QStringLiteral("/Quenlark.hlp"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString help = QString::fromUtf8(file.readAll());
    const qsizetype from = help.indexOf(QStringLiteral("<h2 id=\"hints\">"));
    QVERIFY(from >= 0);
    const QString section = help.mid(from, help.indexOf(QStringLiteral("<h2"), from + 1) - from);
    static const QRegularExpression item(QStringLiteral("<li>(.*?)</li>"),
                                         QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    QStringList listed;
    for (const QRegularExpressionMatch& m : item.globalMatch(section)) {
        QString text = m.captured(1).remove(tag).simplified();
        text.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"));
        listed << text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    }
    QCOMPARE(listed, LearnerHints::HelpItems());
}

QTEST_MAIN(TestHelpWindow)
#include "tst_helpwindow.moc"
