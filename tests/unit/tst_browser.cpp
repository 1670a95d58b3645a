// The browser buttons: their three checks, the messages, the command line
// and the history, against the fake platform.
#include "FakePlatform.h"
#include "TestFiles.h"
#include "platform/BrowseRequests.h"
#include "platform/ProcessRules.h"
#include "run/BrowserCommand.h"
#include "run/RunCommands.h"
#include "settings/Qlk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qlk;

using namespace TestFiles;

namespace {
// One request to the viewer's socket, as the viewer makes it; the answer.
QByteArray Ask(const QString& socket, const QByteArray& request) {
    const int fd = ProcessRules::UnixSocket(socket, false);
    if (fd < 0) return "no connection";
    [[maybe_unused]] ssize_t n = ::write(fd, request.constData(), size_t(request.size()));
    ::shutdown(fd, SHUT_WR);
    ::fcntl(fd, F_SETFL, O_NONBLOCK);
    QByteArray reply;
    char buffer[256];
    for (int waited = 0; waited < 5000 && !reply.endsWith('\n'); waited += 10) {
        QTest::qWait(10);
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0) reply.append(buffer, n);
    }
    ::close(fd);
    return reply;
}
}  // namespace

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
        QCOMPARE(F().started[0].via, FakePlatform::Started::Program);
        QCOMPARE(calls, QStringList{"recent"});
        QCOMPARE(F().beeps, 0);
    }

    void viewerPages_data();
    void viewerPages();
    void viewerPagesElsewhere();
    void viewerPageLimits_data();
    void viewerPageLimits();
    void viewerSilentClients();

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

// The pages the applet viewer asks Quenlark to show: only what a browser
// should be given, from this user's programs, through a private folder.
void TestBrowser::viewerPages_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QString>("opened");  // "" when refused
    QTest::newRow("http") << QByteArray("http://example.com/a?b=1\n") << "http://example.com/a?b=1";
    QTest::newRow("https, no newline") << QByteArray("https://example.com/") << "https://example.com/";
    QTest::newRow("a file beside the page")
        << QByteArray("file:/home/u/java/next.html\n") << "file:/home/u/java/next.html";
    QTest::newRow("Japanese path") << QByteArray("file:/home/u/授業/次.html\n")
                                   << "file:/home/u/授業/次.html";
    QTest::newRow("javascript") << QByteArray("javascript:alert(1)\n") << "";
    QTest::newRow("a program's scheme") << QByteArray("mailto:a@example.com\n") << "";
    QTest::newRow("http without a host") << QByteArray("http:///etc/passwd\n") << "";
    QTest::newRow("control character") << QByteArray("http://example.com/\x1b[2J\n") << "";
    QTest::newRow("not UTF-8") << QByteArray("http://example.com/\xff\n") << "";
    QTest::newRow("empty") << QByteArray("\n") << "";
    QTest::newRow("too long") << "http://example.com/" + QByteArray(BrowseRequests::kMaxRequest, 'a') + '\n'
                              << "";
    QTest::newRow("a raw line feed, not cut at it")
        << QByteArray("https://example.com/a\nhttps://example.com/b\n") << "";
}

void TestBrowser::viewerPages() {
    QFETCH(QByteArray, request);
    QFETCH(QString, opened);
    QTemporaryDir dir;
    QStringList asked;
    BrowseRequests requests(dir.path() + QStringLiteral("/browse"), [&asked](const QString& address) {
        asked << address;
        return QString();
    });
    QVERIFY(!requests.socketPath().isEmpty());
    struct stat st {};
    QVERIFY(::stat(QFile::encodeName(dir.path() + QStringLiteral("/browse")).constData(), &st) == 0);
    QCOMPARE(st.st_mode & 0077, 0u);
    const QByteArray reply = Ask(requests.socketPath(), request);
    QCOMPARE(asked, opened.isEmpty() ? QStringList() : QStringList{opened});
    QVERIFY2(opened.isEmpty() ? reply.startsWith("NG ") : reply == "OK\n", reply.constData());
}

// A program gets a handful of browsers in a span, then is refused until the
// span has passed; the clock is the test's own.
void TestBrowser::viewerPageLimits_data() {
    QTest::addColumn<int>("asked");
    QTest::addColumn<qint64>("pause");  // before the last request
    QTest::addColumn<int>("opened");
    const int most = BrowseRequests::kStartsPerProgram;
    QTest::newRow("past it, the rest refused") << most + 3 << qint64(0) << most;
    QTest::newRow("again once the span has passed") << most + 1 << BrowseRequests::kSpanMs << most + 1;
    QTest::newRow("not before") << most + 1 << BrowseRequests::kSpanMs - 1 << most;
}

void TestBrowser::viewerPageLimits() {
    QFETCH(int, asked);
    QFETCH(qint64, pause);
    QFETCH(int, opened);
    QTemporaryDir dir;
    QStringList started;
    BrowseRequests requests(dir.path() + QStringLiteral("/browse"), [&started](const QString& address) {
        started << address;
        return QString();
    });
    qint64 now = 1000;
    requests.setClock([&now] { return now; });
    QByteArray last;
    for (int i = 0; i < asked; ++i) {
        if (i == asked - 1) now += pause;
        last = Ask(requests.socketPath(), QStringLiteral("https://example.com/%1\n").arg(i).toUtf8());
    }
    QCOMPARE(started.size(), opened);
    if (opened < asked) QVERIFY2(last.startsWith("NG "), last.constData());
}

// Clients that connect and say nothing fill every place; they are let go,
// and the next request is served.
void TestBrowser::viewerSilentClients() {
    QTemporaryDir dir;
    BrowseRequests requests(dir.path() + QStringLiteral("/browse"), [](const QString&) { return QString(); });
    requests.setPatience(100);
    QVector<int> silent;
    for (int i = 0; i < BrowseRequests::kMaxClients; ++i) {
        silent << ProcessRules::UnixSocket(requests.socketPath(), false);
        QTest::qWait(10);  // taken in as a client
    }
    QCOMPARE(Ask(requests.socketPath(), "https://example.com/\n"), QByteArray("OK\n"));
    for (int fd : silent) ::close(fd);
}

void TestBrowser::viewerPagesElsewhere() {
    QTemporaryDir dir;
    // A browser that cannot start: the viewer is told why.
    BrowseRequests failing(dir.path() + QStringLiteral("/browse"),
                           [](const QString&) { return QStringLiteral("xdg-open が見つかりません"); });
    QCOMPARE(Ask(failing.socketPath(), "https://example.com/\n"),
             QByteArray("NG xdg-open が見つかりません\n"));
    // A folder others can open, or a link, is no place for the socket.
    QVERIFY(QDir().mkpath(dir.path() + QStringLiteral("/open")));
    QFile::setPermissions(dir.path() + QStringLiteral("/open"), QFileDevice::Permissions(0x7777));
    QVERIFY(BrowseRequests(dir.path() + QStringLiteral("/open"), {}).socketPath().isEmpty());
    QVERIFY(QFile::link(dir.path() + QStringLiteral("/browse"), dir.path() + QStringLiteral("/link")));
    QVERIFY(BrowseRequests(dir.path() + QStringLiteral("/link"), {}).socketPath().isEmpty());
}

QTEST_MAIN(TestBrowser)
#include "tst_browser.moc"
