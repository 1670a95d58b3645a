// Placeholder until the version box lands.
#include "About.h"

namespace About {
void Show(QWidget*) {}
QWidget* Current() { return nullptr; }
void Discard() {}
}  // namespace About
