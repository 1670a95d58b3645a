// Access to the result window: at most one, loaded when first shown.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace Result {

void SetMainWindow(QWidget* mainWindow);
// How the window opens a source at a line (1 = the first).
void SetLineOpener(std::function<void(const QString& file, int line, QWidget* window)> opener);
// Shows the window, loading it first when it is not loaded.
void Show();
// Closes the window through its own close step, if it is loaded.
void Close();
QWidget* Current();
// Destroys the window without its close step (program end by the menu).
void Discard();

}  // namespace Result
