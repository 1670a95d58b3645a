#include "app/FirstPaintProbe.h"
#include "app/frmExection.h"
#include "platform/QtPlatform.h"
#include "platform/RunProcess.h"
#include "run/RunConsole.h"
#include "settings/Qlk.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char* argv[]) {
    ensurePrivateRuntimeDir();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quenlark"));
    // Standard buttons and dialogs in Japanese.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    QtPlatform platform;
    Qlk::SetPlatform(&platform);
    int result = 0;
    {
        frmExection main;
        FirstPaintProbe::InstallIfAsked(&main);
        // Logout or shutdown: the run stops and the program shuts down as
        // when its window is closed.
        RunProcess::watchTerminationSignals([&main] {
            Run::Console::instance()->StopForExit();
            main.close();
            QApplication::quit();
        });
        if (main.Form_Load()) result = app.exec();
    }
    Qlk::SetPlatform(nullptr);
    return result;
}
