// The shipped scripts and the Applet API of the JDK they find: compile.bat and
// applet.bat add our own API to a JDK that has none (26 and later, told by the
// release file beside the linked javac or java), and leave every other JDK as
// it is; what the learner reads when something is missing.
#include "TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using TestFiles::ReadFile;
using TestFiles::WriteFile;

namespace {

const QString kScripts = QStringLiteral(QLK_TEST_DATA "/../../data/");
const QByteArray kPatch = "--patch-module java.desktop=";
const QByteArray kExports = "--add-exports java.desktop/java.applet=ALL-UNNAMED";

// A JDK of the test's own: javac and java say how they were called (java ends
// with FAKE_JAVA_STATUS unless it got our API), reached from PATH through
// two links, as update-alternatives leaves them.
class FakeJdk {
public:
    FakeJdk() {
        const QByteArray tool =
            "#!/bin/sh\necho \"$(basename \"$0\") $*\"\n"
            "case \"$*\" in *--patch-module*) exit 0 ;; esac\nexit ${FAKE_JAVA_STATUS:-0}\n";
        const QString alternatives = m_dir.filePath(QStringLiteral("alternatives"));
        QDir().mkpath(path());
        QDir().mkpath(alternatives);
        for (const char* name : {"java", "javac"}) {
            WriteFile(jdk() + QStringLiteral("/bin/") + name, tool, true);
            QFile::link(jdk() + QStringLiteral("/bin/") + name, alternatives + u'/' + QLatin1String(name));
            QFile::link(alternatives + u'/' + QLatin1String(name), path() + u'/' + QLatin1String(name));
        }
        // What the scripts use besides the JDK, and nothing more on PATH.
        for (const char* name : {"readlink", "iconv", "mkdir", "rm", "grep", "head", "basename"})
            QFile::link(QStandardPaths::findExecutable(QLatin1String(name)),
                        path() + u'/' + QLatin1String(name));
        WriteFile(programs() + QStringLiteral("/quenlark-viewer.jar"));
        WriteFile(api());
        WriteFile(sources() + QStringLiteral("/Hello.java"), "public class Hello {}\n");
    }

    QString jdk() const { return m_dir.filePath(QStringLiteral("jvm/jdk")); }
    QString path() const { return m_dir.filePath(QStringLiteral("bin")); }
    QString programs() const { return m_dir.filePath(QStringLiteral("programs")); }
    QString api() const { return programs() + QStringLiteral("/quenlark-applet-api.jar"); }
    QString sources() const { return m_dir.filePath(QStringLiteral("src")); }

    // Runs the shipped script as Quenlark does; gives what it wrote into result.txt.
    QByteArray run(const QString& script, const QStringList& env = {}) const {
        QProcess p;
        QProcessEnvironment e;
        e.insert(QStringLiteral("PATH"), path());
        e.insert(QStringLiteral("HOME"), m_dir.path());
        e.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
        e.insert(QStringLiteral("QUENLARK_PROGRAMS"), programs());
        for (const QString& pair : env) e.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
        p.setProcessEnvironment(e);
        const QString argument = script == u"compile.bat"  ? QStringLiteral("Hello.java")
                                 : script == u"applet.bat" ? QStringLiteral("Hello.html")
                                                           : QStringLiteral("Hello");
        p.start(QStringLiteral("/bin/sh"), {kScripts + script, sources(), argument});
        if (!p.waitForFinished(10000)) return "<script did not end>";
        return ReadFile(m_dir.filePath(QStringLiteral("data/Quenlark/result.txt")), "<no result.txt>");
    }

private:
    QTemporaryDir m_dir;
};

}  // namespace

class TestAppletApi : public QObject {
    Q_OBJECT

private slots:
    void releaseFileDecides_data();
    void releaseFileDecides();
    void whatTheLearnerReads_data();
    void whatTheLearnerReads();
};

// Each row: the JDK's release file (null: none), the test hook, and whether
// both scripts add our API to it.
void TestAppletApi::releaseFileDecides_data() {
    QTest::addColumn<QByteArray>("release");
    QTest::addColumn<QString>("hook");
    QTest::addColumn<bool>("ours");
    const QByteArray head = "IMPLEMENTOR=\"Debian\"\nJAVA_RUNTIME_VERSION=\"26+35-Debian-1\"\n";
    QTest::newRow("17.0.15") << head + "JAVA_VERSION=\"17.0.15\"\nLIBC=\"gnu\"\n" << QString() << false;
    QTest::newRow("21") << QByteArray("JAVA_VERSION=\"21\"\n") << QString() << false;
    QTest::newRow("25.0.1") << QByteArray("JAVA_VERSION=\"25.0.1\"") << QString() << false;
    QTest::newRow("26-ea") << head + "JAVA_VERSION=\"26-ea\"\n" << QString() << true;
    QTest::newRow("27") << QByteArray("JAVA_VERSION=\"27\"\n") << QString() << true;
    QTest::newRow("1.8.0_402") << QByteArray("JAVA_VERSION=\"1.8.0_402\"\n") << QString() << false;
    QTest::newRow("no release file") << QByteArray() << QString() << false;
    QTest::newRow("garbled") << QByteArray("JAVA_VERSION=\"twenty-six\"\n\xff\xfe\0\n", 30) << QString()
                             << false;
    QTest::newRow("version out of range")
        << QByteArray("JAVA_VERSION=\"99999999999999999999\"\n") << QString() << false;
    QTest::newRow("17, ours forced") << QByteArray("JAVA_VERSION=\"17.0.15\"\n")
                                     << QStringLiteral("QUENLARK_APPLET_API=ours") << true;
}

void TestAppletApi::releaseFileDecides() {
    QFETCH(QByteArray, release);
    QFETCH(QString, hook);
    QFETCH(bool, ours);
    FakeJdk jdk;
    if (!release.isNull()) WriteFile(jdk.jdk() + QStringLiteral("/release"), release);
    for (const char* script : {"compile.bat", "applet.bat"}) {
        const QByteArray out =
            jdk.run(QLatin1String(script), hook.isEmpty() ? QStringList() : QStringList{hook});
        const QByteArray tool = script[0] == 'c' ? "javac " : "java ";
        const QByteArray patch = kPatch + QFile::encodeName(jdk.api()) + ' ' + kExports + ' ';
        QVERIFY2(
            out.startsWith(tool) && out.count(patch) == (ours ? 1 : 0) && out.count(kPatch) == (ours ? 1 : 0),
            (script + QByteArray(": ") + out).constData());
    }
}

// Each row: the script, how the machine differs, and what result.txt says.
void TestAppletApi::whatTheLearnerReads_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QByteArray>("says");
    for (const char* script : {"compile.bat", "apli.bat", "applet.bat"})
        QTest::newRow((script + QByteArray(", no JDK")).constData())
            << QString::fromLatin1(script) << "no JDK" << QByteArray("sudo apt install default-jdk");
    QTest::newRow("applet.bat, JDK 27 without our API")
        << "applet.bat"
        << "no API jar" << QByteArray("Quenlark の Applet API (");
    QTest::newRow("compile.bat, JDK 27 without our API") << "compile.bat"
                                                         << "no API jar" << QByteArray("javac -g -J");
    QTest::newRow("applet.bat, a JDK that says nothing and has no API")
        << "applet.bat"
        << "viewer exits 78" << kExports + " -jar ";
}

void TestAppletApi::whatTheLearnerReads() {
    QFETCH(QString, script);
    QFETCH(QString, setup);
    QFETCH(QByteArray, says);
    FakeJdk jdk;
    QStringList env;
    if (setup == u"no JDK") {
        QVERIFY(QFile::remove(jdk.path() + QStringLiteral("/java")) &&
                QFile::remove(jdk.path() + QStringLiteral("/javac")));
    } else if (setup == u"no API jar") {
        WriteFile(jdk.jdk() + QStringLiteral("/release"), "JAVA_VERSION=\"27\"\n");
        QVERIFY(QFile::remove(jdk.api()));
    } else {
        env << QStringLiteral("FAKE_JAVA_STATUS=78");
    }
    const QByteArray out = jdk.run(script, env);
    QVERIFY2(out.contains(says), out.constData());
}

QTEST_MAIN(TestAppletApi)
#include "tst_appletapi.moc"
