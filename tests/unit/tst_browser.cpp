// The browser buttons: their three checks, the messages, the command line
// and the history, against the fake platform.
#include "FakePlatform.h"
#include "TestFiles.h"
#include "run/BrowserCommand.h"
#include "run/RunCommands.h"
#include "settings/Qlk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qlk;

using namespace TestFiles;

class TestBrowser : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<FakeScope> fake;
    std::unique_ptr<QTemporaryDir> tmp;
    QStringList calls;  // what the command asked of the window, with the boxes, in order

    // Folder 1 holds Hello.html; browser 1 lies under a folder with a space.
    void Setup() {
        fake.reset();
        fake = std::make_unique<FakeScope>();
        tmp = std::make_unique<QTemporaryDir>();
        calls.clear();
        S.JavaFileFolder[0] = tmp->path() + QStringLiteral("/java");
        Touch(S.JavaFileFolder[0] + QStringLiteral("/Hello.html"));
        S.Browser[0] = tmp->path() + QStringLiteral("/my browser/web");
        Touch(S.Browser[0]);
        (*fake)->onBox = [this](const FakePlatform::Box& box) {
            calls << QStringLiteral("box:") + box.title;
        };
    }
    void Click(int index, int folder = 0, const QString& name = QStringLiteral("Hello")) {
        CommandContext c;
        c.selectedFolder = folder;
        c.name = name;
        c.addRecent = [this] { calls << QStringLiteral("recent"); };
        c.openOptions = [this](int page) { calls << QStringLiteral("options:%1").arg(page); };
        Run::Browser(index, c);
    }
    FakePlatform& F() { return **fake; }

private slots:
    void notConfiguredLeadsToTheBrowserPage() {
        Setup();
        S.Browser[1] = S.Browser[0];
        S.Browser[0].clear();
        Click(0);
        QCOMPARE(F().beeps, 1);
        QCOMPARE(calls, (QStringList{"box:ﾌﾞﾗｳｻﾞの設定", "options:2"}));
        QCOMPARE(F().boxes[0].text,
                 QStringLiteral("ブラウザが設定されていません。\n\n設定してからもう一度実行してください。"));
        QCOMPARE(F().boxes[0].icon, MsgIcon::Exclamation);
        QCOMPARE(F().boxes[0].buttons, MsgButtons::Ok);
        QVERIFY(F().started.isEmpty());
        // Browser 2 is configured and starts.
        calls.clear();
        Click(1);
        QCOMPARE(F().started.size(), 1);
        QCOMPARE(calls, QStringList{"recent"});
    }

    void missingProgram_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("ok opens the page")
            << int(MsgResult::Ok) << QStringList{"box:ﾌﾞﾗｳｻﾞが見つかりません", "options:2"};
        QTest::newRow("cancel does nothing")
            << int(MsgResult::Cancel) << QStringList{"box:ﾌﾞﾗｳｻﾞが見つかりません"};
    }
    void missingProgram() {
        QFETCH(int, answer);
        QFETCH(QStringList, expected);
        Setup();
        QFile::remove(S.Browser[0]);
        F().answers << MsgResult(answer);
        Click(0);
        QCOMPARE(F().beeps, 0);
        QCOMPARE(calls, expected);
        QCOMPARE(F().boxes[0].text,
                 S.Browser[0] + QStringLiteral(" が見つかりません。\n\nもう一度設定し直してください。"));
        QCOMPARE(F().boxes[0].buttons, MsgButtons::OkCancel);
        QVERIFY(F().started.isEmpty());
    }

    void missingPage_data() {
        QTest::addColumn<int>("folder");
        QTest::addColumn<QString>("name");
        QTest::newRow("only the .htm page") << 0 << "Page";
        QTest::newRow("no folder selected") << -1 << "Hello";
        QTest::newRow("folder not set") << 2 << "Hello";
    }
    void missingPage() {
        QFETCH(int, folder);
        QFETCH(QString, name);
        Setup();
        S.HtmlExtension = QStringLiteral(".htm");
        Touch(S.JavaFileFolder[0] + QStringLiteral("/Page.htm"));
        Click(0, folder, name);
        QCOMPARE(F().beeps, 0);
        QCOMPARE(calls, QStringList{"box:htmlﾌｧｲﾙが見つかりません"});
        QCOMPARE(F().boxes[0].text,
                 name + QStringLiteral(".html が見つかりません。\n\n"
                                       "移動または削除、もしくはJavaﾌｧｲﾙがあるﾌｫﾙﾀﾞの設定が\n"
                                       "間違っている可能性があります。\n\n"
                                       "もう一度確かめてみてください。"));
        QCOMPARE(F().boxes[0].buttons, MsgButtons::Ok);
        QVERIFY(F().started.isEmpty());
    }

    void startsTheBrowserWithThePageThenRecords() {
        Setup();
        Click(0);
        QCOMPARE(F().started.size(), 1);
        QCOMPARE(F().started[0].commandLine,
                 S.Browser[0] + u' ' + S.JavaFileFolder[0] + QStringLiteral("/Hello.html"));
        QCOMPARE(F().started[0].style, WindowStyle::NormalFocus);
        QCOMPARE(calls, QStringList{"recent"});
        QCOMPARE(F().beeps, 0);
    }

    void failedStartIsReportedAndNotRecorded() {
        Setup();
        F().startSucceeds = false;
        Click(0);
        QCOMPARE(F().boxes.size(), 1);
        QVERIFY(F().boxes[0].text.startsWith(S.Browser[0]));
        QVERIFY(F().boxes[0].text.contains(QStringLiteral("No such file or directory")));
        QVERIFY(!calls.contains(QStringLiteral("recent")));
    }
};

QTEST_MAIN(TestBrowser)
#include "tst_browser.moc"
