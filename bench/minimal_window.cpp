// The baseline for start-up measurements: the smallest Qt Widgets window,
// reporting when its first paint is done exactly as Quenlark does.
#include "app/FirstPaintProbe.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("minimal"));
    window.resize(120, 290);
    FirstPaintProbe::InstallIfAsked(&window);
    window.show();
    return app.exec();
}
