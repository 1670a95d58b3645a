// The help viewer: what it shows for the shipped help file and for one that
// is missing, at every topic.
#include "widgets/HelpWindow.h"

#include <QTest>

class TestHelpWindow : public QObject {
    Q_OBJECT
private slots:
    void shownText_data();
    void shownText();
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

QTEST_MAIN(TestHelpWindow)
#include "tst_helpwindow.moc"
