#include "Fonts.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

namespace Fonts {

namespace {
// The point size that has the pixel size of `points` at 96 dpi on the
// density Qt reports for the primary screen.
double DesignPoints(double points) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96;
    return dpi > 0 && dpi != 96 ? points * 96 / dpi : points;
}

QFont Make(const QStringList& families, double points, bool bold, bool fixed) {
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(DesignPoints(points));
    font.setBold(bold);
    font.setFixedPitch(fixed);
    font.setStyleHint(fixed ? QFont::Monospace : QFont::SansSerif);
    return font;
}
}  // namespace

QFont PGothic(double points, bool bold) {
    return Make({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic"),
                 QStringLiteral("IPAexGothic"), QStringLiteral("VL PGothic")},
                points, bold, false);
}

QFont Gothic(double points) {
    return Make({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("IPAGothic"),
                 QStringLiteral("VL Gothic"), QStringLiteral("Noto Sans CJK JP")},
                points, false, true);
}

}  // namespace Fonts
