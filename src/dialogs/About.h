// The version box.
#pragma once

class QWidget;

namespace About {

// Shows the version box modeless, loading it first when it is not open.
void Show(QWidget* mainWindow);
QWidget* Current();
void Discard();

}  // namespace About
