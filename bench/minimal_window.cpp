// The baselines for start-up measurements: the smallest Qt Widgets window,
// empty or (with the argument "label") holding one line of Japanese text,
// reporting when its first paint is done exactly as Quenlark does.
#include "app/FirstPaintProbe.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("minimal"));
    if (argc > 1 && QByteArray(argv[1]) == "label") {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(new QLabel(QStringLiteral("ｺﾝﾊﾟｲﾙ実行")));
    }
    window.resize(120, 290);
    FirstPaintProbe::InstallIfAsked(&window);
    window.show();
    return app.exec();
}
