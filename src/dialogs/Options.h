// Access to the settings dialog for the rest of the program: it is built on
// first use, exists at most once and is destroyed when closed.
#pragma once

#include <QString>

class MainWindowFace;
class QWidget;

namespace Options {

// The main window the dialog refreshes on apply.
void SetMainWindow(MainWindowFace* face);
// Shows the dialog modeless, building it first; page 0 to 3 selects that
// page, -1 leaves the page as it is.
void Show(int page = -1);
// Sets the history-size label, building the dialog hidden if needed.
void SetLabel7(const QString& text);
// The dialog when it exists, else null.
QWidget* Current();
// Destroys the dialog without applying anything (program end).
void Discard();

}  // namespace Options
