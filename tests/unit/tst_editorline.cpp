// Opening a source at a line: the editors' command lines, the default
// editor script that takes "+LINE FILE", and the test that tells an old
// shipped copy of that script from one the user changed.
#include "TestFiles.h"
#include "sources/EditorLine.h"
#include "sources/ShippedEditor.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestFiles;

namespace {

// The script as the build puts it beside the program.
const QString kScript = QStringLiteral(QLK_TEST_DATA "/../../data/notepad.exe");

}  // namespace

class TestEditorLine : public QObject {
    Q_OBJECT
private slots:
    void commandLines_data();
    void commandLines();
    void earlierShippedCopies();
    void defaultEditorTakesALine_data();
    void defaultEditorTakesALine();
    void defaultEditorFailsInJapanese();
};

void TestEditorLine::commandLines_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("line");
    QTest::addColumn<QStringList>("expected");  // FILE stands for the file

    const QStringList plus{"+3", "FILE"};
    for (const char* editor : {"vi", "vim", "nvim", "gvim", "nano", "emacs", "emacsclient", "gedit", "pluma",
                               "xed", "micro", "joe", "jed", "kak"})
        QTest::addRow("%s", editor) << QStringLiteral("/usr/bin/") + QLatin1String(editor) << QStringList()
                                    << 3 << plus;
    for (const char* editor : {"mousepad", "kate", "kwrite"})
        QTest::addRow("%s", editor) << QString::fromLatin1(editor) << QStringList() << 3
                                    << QStringList{"--line", "3", "FILE"};
    for (const char* editor : {"code", "codium"})
        QTest::addRow("%s", editor) << QString::fromLatin1(editor) << QStringList() << 3
                                    << QStringList{"-g", "FILE:3"};
    for (const char* editor : {"subl", "geany"})
        QTest::addRow("%s", editor) << QString::fromLatin1(editor) << QStringList() << 3
                                    << QStringList{"FILE:3"};
    QTest::newRow("gnome-text-editor")
        << "/usr/bin/gnome-text-editor" << QStringList() << 3 << QStringList{"FILE"};
    QTest::newRow("default editor") << "/home/u/.local/share/Quenlark/notepad.exe" << QStringList() << 42
                                    << QStringList{"+42", "FILE"};
    QTest::newRow("editor path with a space") << "/opt/My Editors/gedit" << QStringList() << 3 << plus;
    QTest::newRow("an alternative's real name") << "/usr/bin/vim.basic" << QStringList() << 3 << plus;
    QTest::newRow("the setting's own arguments first")
        << "code" << QStringList{"--wait"} << 7 << QStringList{"--wait", "-g", "FILE:7"};
    QTest::newRow("no line") << "vim" << QStringList() << 0 << QStringList{"FILE"};
    QTest::newRow("unknown program") << "/usr/local/bin/leafpad" << QStringList{"-x"} << 3
                                     << QStringList{"-x", "FILE"};
    QTest::newRow("an editor's -e is its own")
        << "vim" << QStringList{"-e"} << 3 << QStringList{"-e", "+3", "FILE"};
    QTest::newRow("x-terminal-emulator -e vim") << "/usr/bin/x-terminal-emulator" << QStringList{"-e", "vim"}
                                                << 3 << QStringList{"-e", "vim", "+3", "FILE"};
    QTest::newRow("xterm -e nano") << "xterm" << QStringList{"-e", "nano"} << 3
                                   << QStringList{"-e", "nano", "+3", "FILE"};
    QTest::newRow("gnome-terminal -- vim with options")
        << "gnome-terminal" << QStringList{"--wait", "--", "/usr/bin/vim", "-p"} << 5
        << QStringList{"--wait", "--", "/usr/bin/vim", "-p", "+5", "FILE"};
    QTest::newRow("xfce4-terminal -x micro")
        << "xfce4-terminal" << QStringList{"-x", "micro"} << 3 << QStringList{"-x", "micro", "+3", "FILE"};
    QTest::newRow("a terminal around an editor without lines")
        << "x-terminal-emulator" << QStringList{"-e", "gnome-text-editor"} << 3
        << QStringList{"-e", "gnome-text-editor", "FILE"};
    QTest::newRow("a terminal with nothing after -e")
        << "xterm" << QStringList{"-e"} << 3 << QStringList{"-e", "FILE"};
}

void TestEditorLine::commandLines() {
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    QFETCH(int, line);
    QFETCH(QStringList, expected);
    const QString file = QStringLiteral("/home/u/My Java/Bad Name.java");
    expected.replaceInStrings(QStringLiteral("FILE"), file);
    QCOMPARE(EditorLine::Arguments(program, args, file, line), expected);
}

void TestEditorLine::earlierShippedCopies() {
    const QByteArray first = ReadFile(QStringLiteral(QLK_TEST_DATA "/notepad-1.exe"));
    const QByteArray current = ReadFile(kScript);
    QVERIFY(!first.isEmpty() && !current.isEmpty());
    QVERIFY(ShippedEditor::IsEarlierShippedCopy(first));
    QVERIFY(!ShippedEditor::IsEarlierShippedCopy(current));  // nothing to refresh
    QByteArray edited = first;
    edited.replace("gedit kate", "kate gedit");
    QVERIFY(!ShippedEditor::IsEarlierShippedCopy(edited));
    QVERIFY(!ShippedEditor::IsEarlierShippedCopy(first + '\n'));
    QVERIFY(!ShippedEditor::IsEarlierShippedCopy(QByteArray(first).replace("\n", "\r\n")));
    QVERIFY(!ShippedEditor::IsEarlierShippedCopy(QByteArray()));
}

void TestEditorLine::defaultEditorTakesALine_data() {
    QTest::addColumn<QStringList>("onPath");  // programs found on PATH
    QTest::addColumn<QString>("defaultApp");  // what the desktop opens a Java source with
    QTest::addColumn<bool>("display");
    QTest::addColumn<QStringList>("args");  // FILE: a source whose path has a space
    QTest::addColumn<QString>("started");
    QTest::addColumn<QStringList>("received");

    const QStringList file{"FILE"};
    QTest::newRow("a line goes to an editor that takes one")
        << QStringList{"xdg-open", "gedit"} << "" << true << QStringList{"+3", "FILE"} << "gedit"
        << QStringList{"+3", "FILE"};
    QTest::newRow("without a line, the desktop opens it")
        << QStringList{"xdg-open", "gedit"} << "" << true << file << "xdg-open" << file;
    QTest::newRow("the path arrives in words")
        << QStringList{"xdg-open", "gedit"} << "" << true << QStringList{"+3", "WORDS"} << "gedit"
        << QStringList{"+3", "FILE"};
    QTest::newRow("no editor takes a line") << QStringList{"xdg-open", "gnome-text-editor"} << "" << true
                                            << QStringList{"+3", "FILE"} << "xdg-open" << file;
    QTest::newRow("mousepad's own syntax")
        << QStringList{"xdg-open", "mousepad"} << "" << true << QStringList{"+12", "FILE"} << "mousepad"
        << QStringList{"--line", "12", "FILE"};
    QTest::newRow("geany's own syntax") << QStringList{"geany"} << "" << true << QStringList{"+3", "FILE"}
                                        << "geany" << QStringList{"FILE:3"};
    QTest::newRow("the desktop's own editor first")
        << QStringList{"xdg-open", "xdg-mime", "gedit", "kate"} << "org.kde.kate.desktop" << true
        << QStringList{"+3", "FILE"} << "kate" << QStringList{"--line", "3", "FILE"};
    QTest::newRow("a terminal editor last")
        << QStringList{"xdg-open", "x-terminal-emulator", "vim"} << "" << true << QStringList{"+3", "FILE"}
        << "x-terminal-emulator" << QStringList{"-e", "vim", "+3", "FILE"};
    QTest::newRow("a file named like a line") << QStringList{"xdg-open", "gedit"} << "" << true
                                              << QStringList{"+3"} << "xdg-open" << QStringList{"+3"};
}

// The script beside the program, run with stand-ins on PATH that record
// their arguments.
void TestEditorLine::defaultEditorTakesALine() {
    QFETCH(QStringList, onPath);
    QFETCH(QString, defaultApp);
    QFETCH(bool, display);
    QFETCH(QStringList, args);
    QFETCH(QString, started);
    QFETCH(QStringList, received);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString bin = dir.filePath(QStringLiteral("bin"));
    const QString records = dir.filePath(QStringLiteral("records"));
    QVERIFY(QDir().mkpath(bin) && QDir().mkpath(records) && QDir().mkpath(dir.filePath("My Java")));
    const QString file = dir.filePath(QStringLiteral("My Java/Bad Name.java"));
    WriteFile(file, "class Bad {}\n");
    for (const QString& name : onPath) {
        if (name == u"xdg-mime") {
            WriteFile(bin + u'/' + name, "#!/bin/sh\necho '" + defaultApp.toUtf8() + "'\n", true);
            continue;
        }
        WriteFile(bin + u'/' + name,
                  "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$RECORDS/" + name.toUtf8() +
                      "\"\n",
                  true);
    }
    QStringList words;
    for (const QString& a : args) {
        if (a == u"FILE")
            words << file;
        else if (a == u"WORDS")
            words << file.split(u' ');
        else
            words << a;
    }
    received.replaceInStrings(QStringLiteral("FILE"), file);

    QProcess p;
    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"), bin);
    env.insert(QStringLiteral("RECORDS"), records);
    if (display) env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":99"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("/bin/sh"), QStringList{kScript} + words);
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(QFileInfo::exists(records + u'/' + started));
    const QStringList got =
        QString::fromUtf8(ReadFile(records + u'/' + started)).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(got, received);
    QCOMPARE(QDir(records).entryList(QDir::Files), QStringList{started});
}

// The desktop cannot open the source (its editor wants a terminal that is
// not there) and nothing else can: the script says why in Japanese, never
// with xdg-open's own text.
void TestEditorLine::defaultEditorFailsInJapanese() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("Hello.java"));
    WriteFile(file, "class Hello {}\n");
    WriteFile(dir.filePath(QStringLiteral("nano")), "#!/bin/sh\n", true);
    WriteFile(dir.filePath(QStringLiteral("xdg-open")),
              "#!/bin/sh\necho 'xdg-open: x-terminal-emulator: not found' >&2\nexit 4\n", true);
    QProcess p;
    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"), dir.path());
    env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":99"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("/bin/sh"), {kScript, file});
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitCode(), 1);
    const QString errors = QString::fromUtf8(p.readAllStandardError());
    QVERIFY2(!errors.contains(QStringLiteral("xdg-open:")) &&
                 errors.contains(QStringLiteral("端末で動くエディタを開くための端末が見つかりません。")) &&
                 errors.contains(QStringLiteral("(xdg-open) でも開けませんでした (終了コード 4)")),
             qPrintable(errors));
}

QTEST_GUILESS_MAIN(TestEditorLine)
#include "tst_editorline.moc"
