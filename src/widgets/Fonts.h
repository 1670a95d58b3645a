// Fonts asked for by their Japanese names, with fallbacks found on Linux.
//
// Sizes are points at 96 pixels per inch, the density the twip layouts are
// drawn for. Where Qt reports another density (high-DPI scaling off on a
// 120-dpi screen) the scaled windows keep their 96-dpi pixel size, and so
// does their text: the font gets the pixel size it has at 96, not a larger
// one that the scaled controls could not hold.
#pragma once

#include <QFont>

namespace Fonts {

// "ＭＳ Ｐゴシック" (proportional) at the given point size.
QFont PGothic(double points, bool bold = false);
// "ＭＳ ゴシック" (fixed pitch) at the given point size.
QFont Gothic(double points);

}  // namespace Fonts
