// Placeholder until the result window lands.
#include "ResultWindow.h"

namespace Result {
void SetMainWindow(QWidget*) {}
void Show() {}
void Close() {}
QWidget* Current() { return nullptr; }
void Discard() {}
}  // namespace Result
