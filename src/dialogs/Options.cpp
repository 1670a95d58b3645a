// Placeholder until the settings dialog lands: nothing to show yet.
#include "Options.h"

namespace Options {
void SetMainWindow(MainWindowFace*) {}
void Show(int) {}
void SetLabel7(const QString&) {}
QWidget* Current() { return nullptr; }
void Discard() {}
}  // namespace Options
