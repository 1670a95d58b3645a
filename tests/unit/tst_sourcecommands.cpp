// The new-file and open commands of the main window's menu, run against the
// fake platform with real files in a temporary folder.
#include "FakePlatform.h"
#include "TestFiles.h"
#include "app/frmExection.h"
#include "result/Result.h"
#include "result/frmResultText.h"
#include "settings/Qlk.h"
#include "sources/SourceCommands.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>

#include <sys/stat.h>
#include <unistd.h>

using Qlk::S;

using namespace TestFiles;

namespace {

const QString kJavaTemplate = QStringLiteral("class Template {}\n");
const QString kHtmlTemplate = QStringLiteral("<html>html</html>\n");
const QString kHtmTemplate = QStringLiteral("<html>htm</html>\n");

QString NotFoundText(const QString& path, bool java) {
    return path +
           QStringLiteral(
               "\n\nが見つかりません。\n\n移動または削除、もしくはパスの選択が\n"
               "間違っている可能性があります。\n\n") +
           (java ? QStringLiteral("もう一度確かめて見た後、実行してください。")
                 : QStringLiteral("もう一度確かめた後、実行してください。"));
}

}  // namespace

class TestSourceCommands : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeScope> fake;
    std::unique_ptr<frmExection> w;
    QString folder;  // the first configured source folder, with a space

    // Selects one folder button, or none (-1), which the exclusive group
    // only allows while it is not exclusive.
    void select(int index) {
        w->optPathGroup->setExclusive(false);
        for (QToolButton* b : w->optPath) b->setChecked(false);
        w->optPathGroup->setExclusive(true);
        if (index >= 0) w->optPath[index]->setChecked(true);
        QCOMPARE(w->SelectedFolder(), index);
    }

private slots:
    void init() {
        fake = std::make_unique<FakeScope>();
        FakePlatform& f = **fake;
        WriteFile(f.programDir + QStringLiteral("/temp.java"), kJavaTemplate.toUtf8());
        WriteFile(f.programDir + QStringLiteral("/temp.html"), kHtmlTemplate.toUtf8());
        WriteFile(f.programDir + QStringLiteral("/temp.htm"), kHtmTemplate.toUtf8());
        folder = f.root() + QStringLiteral("/my sources");
        QDir().mkpath(folder);
        S.JavaFileFolder[0] = folder;
        S.JavaFileFolder[1] = f.root() + QStringLiteral("/second/");
        QDir().mkpath(S.JavaFileFolder[1]);
        S.JavaEdit = QStringLiteral("/opt/java edit");
        S.HtmlEdit = QStringLiteral("/opt/htmledit");
        S.HtmlExtension = QStringLiteral(".html");
        w = std::make_unique<frmExection>(fake->console);
        select(0);
    }
    void cleanup() {
        w.reset();
        fake.reset();
    }

    // Each kind of new file: its template, its target, its editor; the name
    // and the folder used exactly as given.
    void newFileFromTemplate_data() {
        QTest::addColumn<bool>("java");
        QTest::addColumn<QString>("htmlExtension");
        QTest::addColumn<int>("folderIndex");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("relTarget");  // below the test root
        // clang-format off
        QTest::newRow("java") << true << ".htm" << 0 << "Hello" << "/my sources/Hello.java";
        QTest::newRow("html") << false << ".html" << 0 << "Hello" << "/my sources/Hello.html";
        QTest::newRow("htm") << false << ".htm" << 0 << "Hello" << "/my sources/Hello.htm";
        QTest::newRow("name ends in .java") << true << ".html" << 0 << "Hello.java" << "/my sources/Hello.java.java";
        QTest::newRow("folder ends in /") << false << ".html" << 1 << " Page" << "/second// Page.html";
        QTest::newRow("empty name") << true << ".html" << 0 << "" << "/my sources/.java";
        // clang-format on
    }
    void newFileFromTemplate() {
        QFETCH(bool, java);
        QFETCH(QString, htmlExtension);
        QFETCH(int, folderIndex);
        QFETCH(QString, name);
        QFETCH(QString, relTarget);
        FakePlatform& f = **fake;
        S.HtmlExtension = htmlExtension;
        select(folderIndex);
        w->cmbName->setEditText(name);

        if (java)
            w->mnuJavaMake_Click();
        else
            w->mnuHtmlMake_Click();

        const QString target = f.root() + relTarget;
        const QString content = java                                      ? kJavaTemplate
                                : htmlExtension == QStringLiteral(".htm") ? kHtmTemplate
                                                                          : kHtmlTemplate;
        QCOMPARE(QString::fromUtf8(ReadFile(target, "<missing>")), content);
        QVERIFY(f.boxes.isEmpty());  // no question when the file is new
        QCOMPARE(f.beeps, 0);
        QCOMPARE(f.started.size(), 1);
        QCOMPARE(f.started[0].commandLine, (java ? S.JavaEdit : S.HtmlEdit) + u' ' + target);  // unquoted
        QCOMPARE(f.started[0].via, FakePlatform::Started::Program);
        QCOMPARE(S.HtmlExtension, htmlExtension);
        // The new name is not recorded in the history.
        QVERIFY(f.writes.isEmpty());
        QCOMPARE(w->cmbName->count(), 0);
    }

    // No folder button on, or the selected one not configured.
    void newFileWithoutFolder() {
        FakePlatform& f = **fake;
        w->cmbName->setEditText(QStringLiteral("Hello"));
        for (int index : {-1, 2}) {
            f.boxes.clear();
            select(index);
            w->mnuJavaMake_Click();
            w->mnuHtmlMake_Click();
            QCOMPARE(f.boxes.size(), 2);
            for (const auto& box : f.boxes) {
                QCOMPARE(box.text,
                         QStringLiteral("パスの設定がありません。\n設定した後、もう一度実行してください。"));
                QCOMPARE(box.title, QStringLiteral("設定がありません"));
                QCOMPARE(box.icon, MsgIcon::Exclamation);
                QCOMPARE(box.buttons, MsgButtons::Ok);
            }
        }
        QCOMPARE(f.beeps, 0);
        QVERIFY(f.started.isEmpty());
        QVERIFY(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    // An existing file: the question; No leaves it and starts nothing, Yes
    // replaces it and opens the editor.
    void overwriteQuestion() {
        FakePlatform& f = **fake;
        const QString target = folder + QStringLiteral("/Hello.java");
        WriteFile(target, "my work\n");
        w->cmbName->setEditText(QStringLiteral("Hello"));

        f.answers.enqueue(MsgResult::No);
        w->mnuJavaMake_Click();
        QCOMPARE(f.boxes.size(), 1);
        QCOMPARE(f.boxes[0].text,
                 target + QStringLiteral("\n\n はすでに存在しています。\n\n上書きしてもよろしいですか？"));
        QCOMPARE(f.boxes[0].title, QStringLiteral("ﾌｧｲﾙが存在しています"));
        QCOMPARE(f.boxes[0].icon, MsgIcon::Exclamation);
        QCOMPARE(f.boxes[0].buttons, MsgButtons::YesNo);
        QCOMPARE(f.boxes[0].defaultButton, MsgResult::No);  // Enter keeps the user's file
        QCOMPARE(ReadFile(target, "<missing>"), QByteArray("my work\n"));
        QVERIFY(f.started.isEmpty());

        f.answers.enqueue(MsgResult::Yes);
        w->mnuJavaMake_Click();
        QCOMPARE(f.boxes.size(), 2);
        QCOMPARE(QString::fromUtf8(ReadFile(target, "<missing>")), kJavaTemplate);
        QCOMPARE(f.started.size(), 1);
        QCOMPARE(f.beeps, 0);

        // A name starting with a point hides the file from the file test, but
        // it is the user's all the same: asked about, not replaced unasked.
        WriteFile(folder + QStringLiteral("/.java"), "notes\n");
        w->cmbName->setEditText(QString());
        f.answers.enqueue(MsgResult::No);
        w->mnuJavaMake_Click();
        QCOMPARE(f.boxes.size(), 3);
        QCOMPARE(ReadFile(folder + QStringLiteral("/.java"), "<missing>"), QByteArray("notes\n"));
        QCOMPARE(f.started.size(), 1);
    }

    // A copy that fails tells the user why, starts no editor and leaves an
    // existing file byte for byte.
    void failedCopy_data() {
        QTest::addColumn<QString>("failure");
        QTest::newRow("template missing") << "template";
        QTest::newRow("folder missing") << "folder";
        QTest::newRow("target is a folder") << "directory";
        QTest::newRow("folder read-only") << "readonly";
    }
    void failedCopy() {
        QFETCH(QString, failure);
        FakePlatform& f = **fake;
        QString target = folder + QStringLiteral("/Hello.java");
        const QByteArray original("keep me \xe3\x81\x82\n");
        if (failure == QStringLiteral("template")) {
            WriteFile(target, original);
            QFile::remove(f.programDir + QStringLiteral("/temp.java"));
        } else if (failure == QStringLiteral("folder")) {
            S.JavaFileFolder[0] = f.root() + QStringLiteral("/gone");
            target = S.JavaFileFolder[0] + QStringLiteral("/Hello.java");
        } else if (failure == QStringLiteral("directory")) {
            QDir().mkpath(target + QStringLiteral("/inside"));
        } else {
            if (::geteuid() == 0) QSKIP("the superuser may write into a read-only folder");
            WriteFile(target, original);
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        }
        w->cmbName->setEditText(QStringLiteral("Hello"));
        w->mnuJavaMake_Click();
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QVERIFY(f.started.isEmpty());
        const auto& box = f.boxes.constLast();
        QCOMPARE(box.title, QStringLiteral("Quenlark ｴﾗｰ"));
        QCOMPARE(box.icon, MsgIcon::Critical);
        QCOMPARE(box.buttons, MsgButtons::Ok);
        QVERIFY2(box.text.contains(target), qPrintable(box.text));
        QVERIFY2(box.text.contains(f.programDir + QStringLiteral("/temp.java")), qPrintable(box.text));
        // The reason names the file it belongs to, and the system's words.
        const QString reason = box.text.section(QStringLiteral("理由: "), 1);
        const QString failed =
            failure == QStringLiteral("template") ? f.programDir + QStringLiteral("/temp.java") : target;
        QVERIFY2(reason.startsWith(failed + QStringLiteral(": ")), qPrintable(box.text));
        QVERIFY2(reason.size() > failed.size() + 3, qPrintable(box.text));
        if (failure == QStringLiteral("directory")) {
            QVERIFY(QFileInfo(target + QStringLiteral("/inside")).isDir());
        } else if (failure != QStringLiteral("folder")) {
            QCOMPARE(ReadFile(target, "<missing>"), original);
        }
        // Nothing is left behind beside the target.
        const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        QVERIFY2(left.size() <= 1, qPrintable(left.join(u',')));
    }

    // The editor cannot be started: a clear message, and the program goes on.
    void failedEditorStart() {
        FakePlatform& f = **fake;
        f.startSucceeds = false;
        w->cmbName->setEditText(QStringLiteral("Hello"));
        w->mnuJavaMake_Click();
        WriteFile(folder + QStringLiteral("/Page.html"), "x");
        w->cmbName->setEditText(QStringLiteral("Page"));
        w->mnuOpenHtml_Click();
        QCOMPARE(f.boxes.size(), 2);
        const QString lines[2] = {QStringLiteral("/opt/java edit ") + folder + QStringLiteral("/Hello.java"),
                                  QStringLiteral("/opt/htmledit ") + folder + QStringLiteral("/Page.html")};
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(f.boxes[i].title, QStringLiteral("Quenlark ｴﾗｰ"));
            QCOMPARE(f.boxes[i].icon, MsgIcon::Critical);
            QVERIFY2(f.boxes[i].text.contains(lines[i]), qPrintable(f.boxes[i].text));
            QVERIFY(f.boxes[i].text.contains(QStringLiteral("No such file or directory")));
        }
        QCOMPARE(f.beeps, 0);
        QVERIFY(f.writes.isEmpty());
    }

    // An editor that draws in a terminal, with no terminal at all: the
    // failed start says what to install (the starts in a terminal: the
    // end-to-end test).
    void terminalEditorWithoutTerminal() {
        FakePlatform& f = **fake;
        const QString bin = f.root() + QStringLiteral("/bin");
        WriteFile(bin + QStringLiteral("/vim"), "#!/bin/sh\n", true);
        const QByteArray path = qgetenv("PATH"), variable = qgetenv("TERMINAL");
        qputenv("PATH", QFile::encodeName(bin));
        qunsetenv("TERMINAL");
        S.JavaEdit = QStringLiteral("vim");
        w->cmbName->setEditText(QStringLiteral("Hello"));
        w->mnuJavaMake_Click();
        qputenv("PATH", path);
        if (!variable.isNull()) qputenv("TERMINAL", variable);
        QVERIFY(f.started.isEmpty());
        QCOMPARE(f.boxes.size(), 1);
        QCOMPARE(
            f.boxes[0].text,
            QStringLiteral("エディタを起動できませんでした。\n\nvim ") + folder +
                QStringLiteral("/Hello.java\n\n理由: 端末で動くエディタを開くための端末が見つかりません。"
                               "x-terminal-emulator (例: xterm) をインストールしてください。"));
    }

    // A problem line opens the file it names, taken literally, from the
    // selected folder even before any run, and always by an absolute path.
    void problemLineOpensItsOwnFile() {
        FakePlatform& f = **fake;
        S.WindowsFolder = f.dataFolder;
        WriteFile(f.dataFolder + QStringLiteral("result.txt"), "Bad.java:3: error: x\n1 error\n");
        WriteFile(folder + QStringLiteral("/Bad.java"), "class Bad {}\n");
        WriteFile(folder + QStringLiteral("/-e.java"), "class E {}\n");
        Result::Show();
        auto* result = static_cast<frmResultText*>(Result::Current());
        result->Timer1_Timer();
        result->mnuNext->trigger();
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(folder);
        Sources::OpenJavaAtLine(QStringLiteral("-e.java"), 4, w.get());           // relative: no folder
        Sources::OpenJavaAtLine(folder + QStringLiteral("/*.java"), 5, w.get());  // no file named "*.java"
        Sources::OpenJavaAtLine(folder + QStringLiteral("/x/../-e.java"), 7, w.get());
        QDir::setCurrent(cwd);
        QStringList opened;
        for (const auto& s : f.started) opened << s.extraArgs.join(u'|');
        QCOMPARE(opened,
                 QStringList({folder + QStringLiteral("/Bad.java"), folder + QStringLiteral("/-e.java")}));
        QCOMPARE(f.boxes.size(), 2);
        QVERIFY(f.boxes[0].text.startsWith(QStringLiteral("-e.java\n\nが見つかりません。")));
        Result::Discard();
    }

    // Opening: which path is looked for, and what the user hears and sees.
    void open_data() {
        QTest::addColumn<bool>("java");
        QTest::addColumn<int>("folderIndex");
        QTest::addColumn<QString>("htmlExtension");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("existing");   // file created below the test root, "" for none
        QTest::addColumn<QString>("lookedFor");  // path in the message, "" when the editor starts
        // clang-format off
        QTest::newRow("java found") << true << 0 << ".html" << "Hello" << "/my sources/Hello.java" << "";
        QTest::newRow("java missing") << true << 0 << ".html" << "Hello" << "" << "/my sources/Hello.java";
        QTest::newRow("java, no folder button") << true << -1 << ".html" << "Hello" << "" << "!/Hello.java";
        QTest::newRow("java, unset folder") << true << 2 << ".html" << "Hello" << "" << "!/Hello.java";
        QTest::newRow("htm found") << false << 0 << ".htm" << "Page" << "/my sources/Page.htm" << "";
        QTest::newRow("htm, only .html there") << false << 0 << ".htm" << "Page" << "/my sources/Page.html"
                                               << "/my sources/Page.htm";
        QTest::newRow("html, no folder: from the root") << false << -1 << ".html" << "no-such-page-here" << ""
                                                        << "!/no-such-page-here.html";
        QTest::newRow("folder ends in /") << true << 1 << ".html" << "Hello" << "/second/Hello.java" << "";
        QTest::newRow("empty name, no file") << true << 0 << ".html" << "" << "" << "/my sources/.java";
        // clang-format on
    }
    void open() {
        QFETCH(bool, java);
        QFETCH(int, folderIndex);
        QFETCH(QString, htmlExtension);
        QFETCH(QString, name);
        QFETCH(QString, existing);
        QFETCH(QString, lookedFor);
        FakePlatform& f = **fake;
        S.HtmlExtension = htmlExtension;
        select(folderIndex);
        w->cmbName->setEditText(name);
        if (!existing.isEmpty()) WriteFile(f.root() + existing, "source");

        if (java)
            w->mnuOpenJava_Click();
        else
            w->mnuOpenHtml_Click();

        if (lookedFor.isEmpty()) {
            const QString folderUsed = S.JavaFileFolder[folderIndex];
            QCOMPARE(f.boxes.size(), 0);
            QCOMPARE(f.beeps, 0);
            QCOMPARE(f.started.size(), 1);
            QCOMPARE(f.started[0].commandLine, (java ? S.JavaEdit : S.HtmlEdit) + u' ' + folderUsed + u'/' +
                                                   name + (java ? QStringLiteral(".java") : htmlExtension));
            QCOMPARE(f.started[0].via, FakePlatform::Started::Program);
        } else {
            const QString path = lookedFor.startsWith(u'!') ? lookedFor.mid(1) : f.root() + lookedFor;
            QVERIFY(f.started.isEmpty());
            QCOMPARE(f.beeps, 1);
            QCOMPARE(f.events.first(), QStringLiteral("beep"));  // the beep comes before the box
            QCOMPARE(f.boxes.size(), 1);
            QCOMPARE(f.boxes[0].text, NotFoundText(path, java));
            QCOMPARE(f.boxes[0].title, QStringLiteral("ﾌｧｲﾙが見つかりません"));
            QCOMPARE(f.boxes[0].icon, MsgIcon::Exclamation);
            QCOMPARE(f.boxes[0].buttons, MsgButtons::Ok);
        }
        QVERIFY(f.writes.isEmpty());
    }

    // A template's placeholder becomes the typed name wherever it stands; a
    // template without it is copied byte for byte.
    void placeholder_data() {
        QTest::addColumn<QByteArray>("templateText");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("created");
        // clang-format off
        QTest::newRow("class name") << QByteArray("public class %CLASSNAME% {}\n") << "Hello"
                                    << QByteArray("public class Hello {}\n");
        QTest::newRow("every occurrence") << QByteArray("%CLASSNAME%.class %CLASSNAME%%CLASSNAME%") << "App"
                                          << QByteArray("App.class AppApp");
        QTest::newRow("japanese name") << QByteArray("class %CLASSNAME% {}") << "\u30af\u30e9\u30b9"
                                       << QByteArray("class \xe3\x82\xaf\xe3\x83\xa9\xe3\x82\xb9 {}");
        QTest::newRow("without it, bytes kept") << QByteArray("\xff\xfe%CLASS% %CLASSNAME\r\n\0end", 26) << "Hello"
                                                << QByteArray("\xff\xfe%CLASS% %CLASSNAME\r\n\0end", 26);
        QTest::newRow("other case is not it") << QByteArray("%classname%") << "Hello" << QByteArray("%classname%");
        // clang-format on
    }
    void placeholder() {
        QFETCH(QByteArray, templateText);
        QFETCH(QString, name);
        QFETCH(QByteArray, created);
        FakePlatform& f = **fake;
        WriteFile(f.programDir + QStringLiteral("/temp.java"), templateText);
        w->cmbName->setEditText(name);
        w->mnuJavaMake_Click();
        QCOMPARE(ReadFile(folder + u'/' + name + QStringLiteral(".java"), "<missing>"), created);
        QCOMPARE(f.started.size(), 1);
    }

    // Replacing a file keeps its mode; a new file gets the template's
    // permission bits less the umask.
    void modes_data() {
        QTest::addColumn<int>("templateMode");
        QTest::addColumn<int>("existingMode");  // -1: no file yet
        QTest::addColumn<int>("mask");
        QTest::addColumn<int>("mode");
        QTest::newRow("private file replaced") << 0644 << 0600 << 022 << 0600;
        QTest::newRow("executable file replaced") << 0644 << 0755 << 077 << 0755;
        QTest::newRow("new file, usual umask") << 0644 << -1 << 022 << 0644;
        QTest::newRow("new file, private umask") << 0664 << -1 << 077 << 0600;
        QTest::newRow("new file, executable template") << 0755 << -1 << 027 << 0750;
    }
    void modes() {
        QFETCH(int, templateMode);
        QFETCH(int, existingMode);
        QFETCH(int, mask);
        QFETCH(int, mode);
        FakePlatform& f = **fake;
        const QByteArray templ = QFile::encodeName(f.programDir + QStringLiteral("/temp.java"));
        QCOMPARE(::chmod(templ.constData(), mode_t(templateMode)), 0);
        const QString target = folder + QStringLiteral("/Hello.java");
        if (existingMode >= 0) {
            WriteFile(target, "old\n");
            QCOMPARE(::chmod(QFile::encodeName(target).constData(), mode_t(existingMode)), 0);
        }
        w->cmbName->setEditText(QStringLiteral("Hello"));
        const mode_t before = ::umask(mode_t(mask));
        w->mnuJavaMake_Click();
        ::umask(before);
        QCOMPARE(QString::fromUtf8(ReadFile(target, "<missing>")), kJavaTemplate);
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(target).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 07777), mode);
    }

    // The shipped templates give files that name the typed class; the Java
    // source compiles and runs as it is.
    void shippedTemplatesWork() {
        FakePlatform& f = **fake;
        f.installProgramFiles();
        w->cmbName->setEditText(QStringLiteral("Hello"));
        for (const QString& extension : {QStringLiteral(".html"), QStringLiteral(".htm")}) {
            S.HtmlExtension = extension;
            w->mnuHtmlMake_Click();
            const QByteArray page = ReadFile(folder + QStringLiteral("/Hello") + extension, "<missing>");
            QVERIFY2(page.contains("code=\"Hello.class\"") && !page.contains("CLASSNAME%"), page.constData());
        }
        w->mnuJavaMake_Click();
        const QByteArray source = ReadFile(folder + QStringLiteral("/Hello.java"), "<missing>");
        QVERIFY2(source.contains("public class Hello {") && !source.contains("CLASSNAME%"),
                 source.constData());

        if (QStandardPaths::findExecutable(QStringLiteral("javac")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("java")).isEmpty())
            QSKIP("no JDK (javac and java) on PATH");
        QProcess javac;
        javac.setWorkingDirectory(folder);
        javac.setProcessChannelMode(QProcess::MergedChannels);
        javac.start(QStringLiteral("javac"),
                    {QStringLiteral("-encoding"), QStringLiteral("UTF-8"), QStringLiteral("Hello.java")});
        QVERIFY(javac.waitForFinished(120000));
        QVERIFY2(javac.exitCode() == 0, javac.readAll().constData());
        QProcess java;
        java.setWorkingDirectory(folder);
        java.start(QStringLiteral("java"),
                   {QStringLiteral("-cp"), QStringLiteral("."), QStringLiteral("Hello")});
        QVERIFY(java.waitForFinished(120000));
        QCOMPARE(java.exitCode(), 0);
        QCOMPARE(java.readAllStandardOutput(), QByteArray("Hello\n"));
    }
};

QTEST_MAIN(TestSourceCommands)
#include "tst_sourcecommands.moc"
