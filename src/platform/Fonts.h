// Fonts asked for by their Japanese names, with fallbacks found on Linux.
#pragma once

#include <QFont>

namespace Fonts {

// "ＭＳ Ｐゴシック" (proportional) at the given point size.
QFont PGothic(double points, bool bold = false);
// "ＭＳ ゴシック" (fixed pitch) at the given point size.
QFont Gothic(double points);

}  // namespace Fonts
