// What the user reads and hears of a control: tooltips show folder and
// browser names as typed, and the name box and the history size keep their
// accessible names while their values change.
#include "FakePlatform.h"
#include "app/frmExection.h"
#include "dialogs/MainWindowFace.h"
#include "dialogs/frmOptions.h"
#include "settings/Qlk.h"
#include "widgets/PlainToolTips.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTextDocument>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>

using namespace Qlk;

namespace {

// What a tooltip's rich text shows on screen.
QString Rendered(const QString& richText) {
    QTextDocument doc;
    doc.setHtml(richText);
    return doc.toPlainText();
}

// Asks the widget for its tooltip as the mouse resting on it does.
void Hover(QWidget* w) {
    const QPoint at = w->rect().center();
    QHelpEvent event(QEvent::ToolTip, at, w->mapToGlobal(at));
    QApplication::sendEvent(w, &event);
}

class NoMainWindow : public MainWindowFace {
public:
    QWidget* mainWindow() override { return nullptr; }
};

}  // namespace

class TestReadout : public QObject {
    Q_OBJECT
private slots:
    void tooltipTextShownAsTyped_data();
    void tooltipTextShownAsTyped();
    void nameBoxKeepsItsName_data();
    void nameBoxKeepsItsName();
    void historySizeIsReadOut_data();
    void historySizeIsReadOut();
};

void TestReadout::tooltipTextShownAsTyped_data() {
    QTest::addColumn<bool>("browser");
    QTest::addColumn<QString>("text");
    QTest::newRow("bold markup in a folder") << false << QStringLiteral("/home/u/<b>java</b>");
    QTest::newRow("a tag alone") << false << QStringLiteral("<br>");
    QTest::newRow("entity") << false << QStringLiteral("/src/a&amp;b");
    QTest::newRow("spaces kept") << false << QStringLiteral("/home/u/My  Java  Files");
    QTest::newRow("line break kept") << false << QStringLiteral("<i>one</i>\ntwo");
    QTest::newRow("plain folder") << false << QStringLiteral("/src/two");
    QTest::newRow("browser name with markup") << true << QStringLiteral("<font color=red>Web</font>");
    QTest::newRow("browser path with quotes") << true << QStringLiteral("\"/opt/web\" <x> & 'y'");
}

void TestReadout::tooltipTextShownAsTyped() {
    QFETCH(bool, browser);
    QFETCH(QString, text);
    FakeScope fake;
    fake->seedConfigured();
    frmExection form(fake.console);
    QVERIFY(form.Form_Load());
    QToolButton* button = browser ? form.cmdBrowser[1] : form.optPath[1];
    if (browser)
        form.setBrowserTooltip(1, text);
    else
        form.setFolderTooltip(1, text);
    // The widget keeps the plain text (what assistive tools read) ...
    QCOMPARE(button->toolTip(), text);
    // ... and the tooltip on screen shows it as typed.
    QCOMPARE(Rendered(PlainToolTips::Literal(text)), text);
    Hover(button);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), PlainToolTips::Literal(text));
    QVERIFY(Qt::mightBeRichText(QToolTip::text()));  // so Qt renders the escaped form
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
}

void TestReadout::nameBoxKeepsItsName_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("empty") << QString();
    QTest::newRow("a class") << QStringLiteral("Hello");
    QTest::newRow("markup") << QStringLiteral("<b>x");
    QTest::newRow("Japanese") << QStringLiteral("クラス");
}

void TestReadout::nameBoxKeepsItsName() {
    QFETCH(QString, typed);
    FakeScope fake;
    fake->seedConfigured();
    frmExection form(fake.console);
    QVERIFY(form.Form_Load());
    form.cmbName->setEditText(typed);
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(form.cmbName);
    QVERIFY(box);
    QCOMPARE(box->role(), QAccessible::ComboBox);
    QCOMPARE(box->text(QAccessible::Name), QStringLiteral("クラス名"));
    QCOMPARE(box->text(QAccessible::Value), typed);
    QVERIFY(box->state().editable && box->state().expandable);
    // Its list and its edit field, whose text is what was typed.
    QCOMPARE(box->childCount(), 2);
    QCOMPARE(box->child(0)->object(), form.cmbName->view());
    QAccessibleInterface* edit = box->child(1);
    QCOMPARE(edit->object(), form.cmbName->lineEdit());
    QCOMPARE(box->indexOfChild(edit), 1);
    QVERIFY(edit->textInterface());
    QCOMPARE(edit->textInterface()->text(0, edit->textInterface()->characterCount()), typed);
    QCOMPARE(edit->parent(), box);
    QVERIFY(box->actionInterface()->actionNames().contains(QAccessibleActionInterface::showMenuAction()));
}

void TestReadout::historySizeIsReadOut_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("moveTo");  // -1: the bar is not moved
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("stored size") << QStringLiteral("10") << -1 << QStringLiteral("10") << QVariant(10.0);
    QTest::newRow("moved down to none") << QStringLiteral("10") << 0 << QStringLiteral("0") << QVariant(0.0);
    QTest::newRow("moved to the top") << QStringLiteral("5") << 99 << QStringLiteral("99") << QVariant(99.0);
    QTest::newRow("stored text that is no number")
        << QStringLiteral("many") << -1 << QStringLiteral("many") << QVariant();
}

void TestReadout::historySizeIsReadOut() {
    QFETCH(QString, stored);
    QFETCH(int, moveTo);
    QFETCH(QString, text);
    QFETCH(QVariant, value);
    FakeScope fake;
    S.RecentNumber = stored;
    NoMainWindow face;
    frmOptions dialog(&face);
    if (moveTo >= 0) dialog.HScroll1->setValue(moveTo);
    QAccessibleInterface* label = QAccessible::queryAccessibleInterface(dialog.Label7);
    QVERIFY(label);
    QCOMPARE(label->text(QAccessible::Name), QStringLiteral("履歴数の値"));
    QCOMPARE(label->text(QAccessible::Value), text);
    QVERIFY(label->textInterface());
    QCOMPARE(label->textInterface()->characterCount(), int(text.size()));
    QCOMPARE(label->textInterface()->text(0, -1), text);
    QVERIFY(label->valueInterface());
    QCOMPARE(label->valueInterface()->currentValue(), value);
    QCOMPARE(label->valueInterface()->minimumValue(), QVariant(0));
    QCOMPARE(label->valueInterface()->maximumValue(), QVariant(99));
}

QTEST_MAIN(TestReadout)
#include "tst_readout.moc"
