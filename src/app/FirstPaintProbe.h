// For start-up benchmarks only: when QLK_EXIT_AFTER_FIRST_PAINT is set, the
// program prints the monotonic clock (ns) once its window has been painted
// for the first time, and ends.
#pragma once

class QWidget;

namespace FirstPaintProbe {
void InstallIfAsked(QWidget* window);
}
