// Quenlark's start: the display, the Japanese texts, the platform, the main
// window, and the shut-down on logout.
#include "app/FirstPaintProbe.h"
#include "app/frmExection.h"
#include "platform/DisplayChoice.h"
#include "platform/ProcessRules.h"
#include "platform/QtPlatform.h"
#include "platform/RunProcess.h"
#include "run/RunConsole.h"
#include "settings/Qlk.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <vector>

int main(int argc, char* argv[]) {
    EnsurePrivateRuntimeDir();
    // X11 for Quenlark alone, through its own arguments (see DisplayChoice.h).
    QList<QByteArray> args;
    for (int i = 0; i < argc; ++i) args << QByteArray(argv[i]);
    args = WithDisplayPlatform(args, qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"));
    std::vector<char*> qtArgv;
    for (QByteArray& arg : args) qtArgv.push_back(arg.data());
    qtArgv.push_back(nullptr);
    int qtArgc = int(args.size());
    QApplication app(qtArgc, qtArgv.data());
    QApplication::setApplicationName(QStringLiteral("Quenlark"));
    // Standard buttons and dialogs in Japanese.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    // What Quenlark starts and then leaves behind comes back to it, to be
    // reaped (each run has its own supervisor besides).
    ProcessRules::AdoptOrphans();
    QtPlatform platform;
    const Qlk::PlatformScope installed(platform);
    int result = 0;
    {
        Run::Console console;
        frmExection main(console);
        FirstPaintProbe::InstallIfAsked(&main);
        // Logout or shutdown: the run stops and the program shuts down as
        // when its window is closed.
        RunProcess::watchTerminationSignals([&main, &console] {
            console.StopForExit();
            main.close();
            QApplication::quit();
        });
        if (main.Form_Load()) result = app.exec();
    }
    return result;
}
