// Access to the result window: at most one, loaded when first shown.
#pragma once

#include <QObject>
#include <QString>

class QWidget;
class frmResultText;

namespace Result {

// Tells who connects the result window (the run's console, the editor) of
// every window made.
class Hub : public QObject {
    Q_OBJECT
signals:
    void made(frmResultText* window);
};
Hub* Windows();

void SetMainWindow(QWidget* mainWindow);
// Shows the window, loading it first when it is not loaded.
void Show();
// Closes the window through its own close step, if it is loaded.
void Close();
QWidget* Current();
// Destroys the window without its close step (program end by the menu).
void Discard();

}  // namespace Result
