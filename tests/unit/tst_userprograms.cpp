// The editors and browsers the settings name, as the commands start them: a
// bare name found on PATH starts, the file in a folder with a space is one
// argument, and a program that fails soon after its start is reported once.
#include "FakePlatform.h"
#include "TestFiles.h"
#include "run/BrowserCommand.h"
#include "run/RunCommands.h"
#include "settings/Qlk.h"
#include "sources/SourceCommands.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qlk;

namespace {

// A small file, with `mode` when one is given.
void Touch(const QString& path, QFile::Permissions mode = {}) { TestFiles::WriteFile(path, "x\n", mode); }

using TestFiles::kExecutable;

}  // namespace

class TestUserPrograms : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeScope> fake;
    QTemporaryDir tmp;  // its path has no space
    QString folder;     // the source folder, with a space
    QString bin;        // on PATH

    FakePlatform& F() { return **fake; }

    // Runs one command on Hello in the source folder; `setting` is the
    // editor or browser it uses. Returns the file it should open.
    QString Run(const QString& command, const QString& setting) {
        CommandContext c;
        c.selectedFolder = 0;
        c.name = QStringLiteral("Hello");
        c.addRecent = [] {};
        c.showResult = [] {};
        c.openOptions = [](int) {};
        S.JavaEdit = S.HtmlEdit = S.Browser[0] = S.Browser[1] = setting;
        const bool java = command.endsWith(QStringLiteral("java"));
        const QString file = folder + (java ? QStringLiteral("/Hello.java") : QStringLiteral("/Hello.html"));
        if (command.startsWith(QStringLiteral("new"))) QFile::remove(file);  // no overwrite question
        if (command == QStringLiteral("browser 1")) Run::Browser(0, c);
        if (command == QStringLiteral("browser 2")) Run::Browser(1, c);
        if (command == QStringLiteral("open java")) Sources::OpenJava(c);
        if (command == QStringLiteral("open html")) Sources::OpenHtml(c);
        if (command == QStringLiteral("new java")) Sources::MakeNew(QStringLiteral(".java"), c);
        if (command == QStringLiteral("new html")) Sources::MakeNew(QStringLiteral(".html"), c);
        if (command == QStringLiteral("compile")) Run::Execute(RunKind::Compile, c, fake->console);
        return file;
    }

private slots:
    void initTestCase() {
        bin = tmp.path() + QStringLiteral("/bin");
        Touch(bin + QStringLiteral("/qlkview"), kExecutable);
        qputenv("PATH", QFile::encodeName(bin) + ":/usr/bin:/bin");
    }
    void init() {
        fake = std::make_unique<FakeScope>();
        F().installProgramFiles();
        Touch(F().programDir + QStringLiteral("/temp.java"));
        Touch(F().programDir + QStringLiteral("/temp.html"));
        folder = F().root() + QStringLiteral("/My Java");
        Touch(folder + QStringLiteral("/Hello.java"));
        Touch(folder + QStringLiteral("/Hello.html"));
        Touch(folder + QStringLiteral("/Hello.class"));
        S.JavaFileFolder[0] = folder;
        S.HtmlExtension = QStringLiteral(".html");
        F().answers.clear();
    }
    void cleanup() { fake.reset(); }

    // Which setting starts, and how the file reaches it.
    void starts_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("setting");  // {B}: the PATH folder, {R}: the test root
        QTest::addColumn<bool>("starts");
        const QStringList commands{"browser 1", "browser 2", "open java",
                                   "open html", "new java",  "new html"};
        for (const QString& c : commands) {
            QTest::addRow("%s: bare name on PATH", qPrintable(c)) << c << "qlkview" << true;
            QTest::addRow("%s: bare name with its own option", qPrintable(c))
                << c << "qlkview --new-window" << true;
            QTest::addRow("%s: full path", qPrintable(c)) << c << "{B}/qlkview" << true;
        }
        // Browsers are checked before their start; an editor is tried and its
        // failed start reported.
        QTest::newRow("browser 1: bare name not on PATH") << "browser 1"
                                                          << "qlk-no-such-browser" << false;
        QTest::newRow("browser 2: missing file") << "browser 2"
                                                 << "{R}/gone/browser" << false;
    }
    void starts() {
        QFETCH(QString, command);
        QFETCH(QString, setting);
        QFETCH(bool, starts);
        setting.replace(QStringLiteral("{B}"), bin).replace(QStringLiteral("{R}"), F().root());
        const QString file = Run(command, setting);
        if (!starts) {
            QVERIFY(F().started.isEmpty());
            QCOMPARE(F().boxes.size(), 1);
            QCOMPARE(F().boxes[0].title, QStringLiteral("ﾌﾞﾗｳｻﾞが見つかりません"));
            QCOMPARE(F().boxes[0].text,
                     setting + QStringLiteral(" が見つかりません。\n\nもう一度設定し直してください。"));
            return;
        }
        QVERIFY2(F().boxes.isEmpty(), qPrintable(F().boxes.value(0).text));
        QCOMPARE(F().started.size(), 1);
        // The setting's command line, then the file as one argument.
        QCOMPARE(F().started[0].extraArgs, QStringList{file});
        QCOMPARE(F().started[0].commandLine, setting + u' ' + file);
        QCOMPARE(F().started[0].via, FakePlatform::Started::Program);
    }

    // A program that fails soon after its start: one critical box with the
    // command line and the status; the run scripts are not watched.
    void earlyFailure_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("firstLine");  // "" when nothing is reported
        QTest::addColumn<QString>("said");       // its standard error output
        QTest::newRow("editor, exit code 4")
            << "open java" << 4 << 0 << "次のコマンドが終了コード 4 で終了しました。"
            << "";
        QTest::newRow("new html, exit code 1")
            << "new html" << 1 << 0 << "次のコマンドが終了コード 1 で終了しました。"
            << "";
        QTest::newRow("browser, killed")
            << "browser 1" << 0 << 9 << "次のコマンドがシグナル 9 で終了しました。"
            << "";
        QTest::newRow("editor that said why")
            << "open java" << 1 << 0 << "次のコマンドが終了コード 1 で終了しました。"
            << "notepad.exe: テキストエディタが見つかりません";
        QTest::newRow("compile script") << "compile" << 1 << 0 << ""
                                        << "";
    }
    void earlyFailure() {
        QFETCH(QString, command);
        QFETCH(int, code);
        QFETCH(int, signal);
        QFETCH(QString, firstLine);
        QFETCH(QString, said);
        const QString setting = QStringLiteral("qlkview -w");
        const QString file = Run(command, setting);
        QCOMPARE(F().started.size(), 1);
        QVERIFY(F().boxes.isEmpty());
        QCOMPARE(F().endEarly(0, ExitStatus{code, signal, said}), !firstLine.isEmpty());
        if (firstLine.isEmpty()) {
            QVERIFY(F().boxes.isEmpty());
            return;
        }
        QCOMPARE(F().boxes.size(), 1);
        QCOMPARE(F().boxes[0].title, QStringLiteral("Quenlark ｴﾗｰ"));
        QCOMPARE(F().boxes[0].icon, MsgIcon::Critical);
        QCOMPARE(F().boxes[0].buttons, MsgButtons::Ok);
        QCOMPARE(F().boxes[0].text, firstLine + u'\n' + setting + u' ' + file +
                                        (said.isEmpty() ? QString() : QStringLiteral("\n\n") + said));
    }
};

QTEST_MAIN(TestUserPrograms)
#include "tst_userprograms.moc"
