// Editors that draw in a terminal: which ones need a terminal, and which
// terminal runs them with what command line.
#include "sources/TerminalEditor.h"

#include <QtTest>

class TestTerminalEditor : public QObject {
    Q_OBJECT
private slots:
    void needsTerminal_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");  // the setting's own
        QTest::addColumn<bool>("needs");
        for (const char* editor : {"vi", "vim", "nvim", "nano", "micro", "joe", "jed", "kak"})
            QTest::addRow("%s", editor) << QString::fromLatin1(editor) << QStringList() << true;
        QTest::newRow("behind a path") << "/usr/local/bin/nvim" << QStringList() << true;
        QTest::newRow("an alternative's real name") << "/usr/bin/vim.basic" << QStringList() << true;
        QTest::newRow("emacs -nw") << "emacs" << QStringList{"-nw"} << true;
        QTest::newRow("emacsclient -t") << "emacsclient" << QStringList{"-t"} << true;
        QTest::newRow("emacs in its own window") << "emacs" << QStringList() << false;
        QTest::newRow("a GUI editor") << "/usr/bin/gedit" << QStringList() << false;
        QTest::newRow("already in a terminal") << "x-terminal-emulator" << QStringList{"-e", "vim"} << false;
    }

    void needsTerminal() {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(bool, needs);
        QCOMPARE(TerminalEditor::NeedsTerminal(program, args), needs);
    }

    void terminalCommand_data() {
        QTest::addColumn<QStringList>("present");   // terminals a start would find
        QTest::addColumn<QString>("variable");      // $TERMINAL
        QTest::addColumn<QStringList>("expected");  // the terminal, then its arguments

        const QStringList editor{"/opt/My Tools/vim", "+3", "/home/u/My Java/Bad.java"};
        auto line = [&](const QString& terminal, const QString& option) {
            return QStringList{terminal, option} + editor;
        };
        const QStringList all{"x-terminal-emulator", "kitty", "gnome-terminal", "konsole",
                              "xfce4-terminal",      "xterm"};
        QTest::newRow("the desktop's terminal first") << all << "kitty" << line("x-terminal-emulator", "-e");
        QTest::newRow("then $TERMINAL") << all.mid(1) << "kitty" << line("kitty", "-e");
        QTest::newRow("$TERMINAL that is not there")
            << QStringList{"xterm"} << "kitty" << line("xterm", "-e");
        QTest::newRow("gnome-terminal takes --") << all.mid(2) << "" << line("gnome-terminal", "--");
        QTest::newRow("xfce4-terminal takes -x") << all.mid(4) << "" << line("xfce4-terminal", "-x");
        QTest::newRow("no terminal at all") << QStringList() << "kitty" << QStringList{QString()};
    }

    void terminalCommand() {
        QFETCH(QStringList, present);
        QFETCH(QString, variable);
        QFETCH(QStringList, expected);
        const TerminalEditor::Command command =
            TerminalEditor::InTerminal(QStringLiteral("/opt/My Tools/vim"),
                                       {QStringLiteral("+3"), QStringLiteral("/home/u/My Java/Bad.java")},
                                       variable, [&](const QString& name) { return present.contains(name); });
        QCOMPARE(QStringList{command.program} + command.arguments, expected);
    }
};

QTEST_GUILESS_MAIN(TestTerminalEditor)
#include "tst_terminaleditor.moc"
