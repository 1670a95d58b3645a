// The browser buttons: their three checks, the messages, the command line
// and the history, against the fake platform.
#include "FakePlatform.h"
#include "run/RunCommands.h"
#include "settings/Qlk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qlk;

namespace {

void Touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
}

}  // namespace

class TestBrowser : public QObject {
    Q_OBJECT
private:
    QStringList calls;  // "options:<page>", "recent"

    CommandContext Context(int folder, const QString& name) {
        CommandContext c;
        c.selectedFolder = folder;
        c.name = name;
        c.addRecent = [this] { calls << QStringLiteral("recent"); };
        c.openOptions = [this](int page) { calls << QStringLiteral("options:%1").arg(page); };
        return c;
    }

private slots:
    void init() { calls.clear(); }

    void notConfiguredLeadsToTheBrowserPage() {
        FakeScope fake;
        QTemporaryDir tmp;
        S.JavaFileFolder[0] = tmp.path();
        Touch(tmp.path() + QStringLiteral("/Hello.html"));
        S.Browser[1] = tmp.path() + QStringLiteral("/web2");
        Touch(S.Browser[1]);
        fake->onBox = [this](const FakePlatform::Box&) { calls << QStringLiteral("box"); };

        Run::Browser(0, Context(0, QStringLiteral("Hello")));
        QCOMPARE(fake->beeps, 1);
        QCOMPARE(fake->boxes.size(), 1);
        QCOMPARE(fake->boxes[0].title, QStringLiteral("ﾌﾞﾗｳｻﾞの設定"));
        QCOMPARE(fake->boxes[0].text,
                 QStringLiteral("ブラウザが設定されていません。\n\n設定してからもう一度実行してください。"));
        QCOMPARE(fake->boxes[0].icon, MsgIcon::Exclamation);
        QCOMPARE(fake->boxes[0].buttons, MsgButtons::Ok);
        QCOMPARE(calls, (QStringList{"box", "options:2"}));
        QVERIFY(fake->started.isEmpty());

        // Browser 2 is configured and starts.
        calls.clear();
        Run::Browser(1, Context(0, QStringLiteral("Hello")));
        QCOMPARE(fake->started.size(), 1);
        QCOMPARE(calls, QStringList{"recent"});
    }

    void missingProgram_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("ok opens the page") << int(MsgResult::Ok) << QStringList{"options:2"};
        QTest::newRow("cancel does nothing") << int(MsgResult::Cancel) << QStringList{};
    }
    void missingProgram() {
        QFETCH(int, answer);
        QFETCH(QStringList, expected);
        FakeScope fake;
        QTemporaryDir tmp;
        S.JavaFileFolder[0] = tmp.path();
        Touch(tmp.path() + QStringLiteral("/Hello.html"));
        S.Browser[0] = tmp.path() + QStringLiteral("/gone/web browser");
        fake->answers << MsgResult(answer);

        Run::Browser(0, Context(0, QStringLiteral("Hello")));
        QCOMPARE(fake->beeps, 0);
        QCOMPARE(fake->boxes.size(), 1);
        QCOMPARE(fake->boxes[0].title, QStringLiteral("ﾌﾞﾗｳｻﾞが見つかりません"));
        QCOMPARE(fake->boxes[0].text,
                 S.Browser[0] + QStringLiteral(" が見つかりません。\n\nもう一度設定し直してください。"));
        QCOMPARE(fake->boxes[0].buttons, MsgButtons::OkCancel);
        QCOMPARE(calls, expected);
        QVERIFY(fake->started.isEmpty());
    }

    void missingPage_data() {
        QTest::addColumn<int>("folder");
        QTest::addColumn<QString>("present");
        QTest::newRow("only the .htm page") << 0 << "Hello.htm";
        QTest::newRow("no folder selected") << -1 << "Hello.html";
        QTest::newRow("folder not set") << 2 << "Hello.html";
    }
    void missingPage() {
        QFETCH(int, folder);
        QFETCH(QString, present);
        FakeScope fake;
        QTemporaryDir tmp;
        S.JavaFileFolder[0] = tmp.path();
        S.HtmlExtension = QStringLiteral(".htm");
        Touch(tmp.path() + u'/' + present);
        S.Browser[0] = tmp.path() + QStringLiteral("/web");
        Touch(S.Browser[0]);

        Run::Browser(0, Context(folder, QStringLiteral("Hello")));
        QCOMPARE(fake->beeps, 0);
        QCOMPARE(fake->boxes.size(), 1);
        QCOMPARE(fake->boxes[0].title, QStringLiteral("htmlﾌｧｲﾙが見つかりません"));
        QCOMPARE(fake->boxes[0].text, QStringLiteral("Hello.html が見つかりません。\n\n"
                                                     "移動または削除、もしくはJavaﾌｧｲﾙがあるﾌｫﾙﾀﾞの設定が\n"
                                                     "間違っている可能性があります。\n\n"
                                                     "もう一度確かめてみてください。"));
        QCOMPARE(fake->boxes[0].buttons, MsgButtons::Ok);
        QVERIFY(calls.isEmpty());
        QVERIFY(fake->started.isEmpty());
    }

    void startsTheBrowserWithThePageThenRecords() {
        FakeScope fake;
        QTemporaryDir tmp;
        S.JavaFileFolder[1] = tmp.path() + QStringLiteral("/java");
        Touch(S.JavaFileFolder[1] + QStringLiteral("/Hello.html"));
        S.Browser[0] = tmp.path() + QStringLiteral("/my browser/web");
        Touch(S.Browser[0]);
        fake->onBox = [](const FakePlatform::Box&) { QFAIL("no box expected"); };

        Run::Browser(0, Context(1, QStringLiteral("Hello")));
        QCOMPARE(fake->started.size(), 1);
        QCOMPARE(fake->started[0].commandLine,
                 S.Browser[0] + u' ' + S.JavaFileFolder[1] + QStringLiteral("/Hello.html"));
        QCOMPARE(fake->started[0].style, WindowStyle::NormalFocus);
        QCOMPARE(calls, QStringList{"recent"});
        QCOMPARE(fake->beeps, 0);
    }

    void failedStartIsReportedAndNotRecorded() {
        FakeScope fake;
        QTemporaryDir tmp;
        S.JavaFileFolder[0] = tmp.path();
        Touch(tmp.path() + QStringLiteral("/Hello.html"));
        S.Browser[0] = tmp.path() + QStringLiteral("/web");
        Touch(S.Browser[0]);
        fake->startSucceeds = false;

        Run::Browser(0, Context(0, QStringLiteral("Hello")));
        QCOMPARE(fake->boxes.size(), 1);
        QVERIFY(fake->boxes[0].text.startsWith(S.Browser[0]));
        QVERIFY(fake->boxes[0].text.contains(QStringLiteral("No such file or directory")));
        QVERIFY(calls.isEmpty());
    }
};

QTEST_MAIN(TestBrowser)
#include "tst_browser.moc"
