#include "Fonts.h"

#include <QStringList>

namespace Fonts {

namespace {
QFont Make(const QStringList& families, double points, bool bold, bool fixed) {
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(points);
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
