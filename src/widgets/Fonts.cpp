#include "Fonts.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

namespace Fonts {

namespace {

// The first of the wanted families that is installed. Looked up once per
// kind: asking the font matcher for a missing family on every control costs
// more than the whole rest of start-up.
QString Resolve(const QStringList& families) {
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : families)
        if (installed.contains(family)) return family;
    return QString();
}

// The point size that has the pixel size of `points` at 96 dpi on the
// density Qt reports for the primary screen.
double DesignPoints(double points) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96;
    return dpi > 0 && dpi != 96 ? points * 96 / dpi : points;
}

QFont Make(const QString& family, double points, bool bold, bool fixed) {
    QFont font;
    if (!family.isEmpty()) font.setFamily(family);
    font.setPointSizeF(DesignPoints(points));
    font.setBold(bold);
    font.setFixedPitch(fixed);
    font.setStyleHint(fixed ? QFont::Monospace : QFont::SansSerif);
    return font;
}

}  // namespace

QFont PGothic(double points, bool bold) {
    static const QString family =
        Resolve({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("Noto Sans CJK JP"),
                 QStringLiteral("IPAPGothic"), QStringLiteral("IPAexGothic"), QStringLiteral("VL PGothic")});
    return Make(family, points, bold, false);
}

QFont Gothic(double points) {
    static const QString family = Resolve(
        {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("Noto Sans Mono CJK JP"),
         QStringLiteral("IPAGothic"), QStringLiteral("VL Gothic"), QStringLiteral("Noto Sans CJK JP")});
    return Make(family, points, false, true);
}

}  // namespace Fonts
