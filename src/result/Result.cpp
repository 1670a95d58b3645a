// The one result window: loaded when first shown, destroyed when closed.
#include "Result.h"

#include "frmResultText.h"

#include <QPointer>

namespace Result {

namespace {
QPointer<QWidget> g_main;
QPointer<frmResultText> g_window;
}  // namespace

Hub* Windows() {
    static Hub hub;
    return &hub;
}

void SetMainWindow(QWidget* mainWindow) { g_main = mainWindow; }

void Show() {
    // A window closed a moment ago waits for its deletion; it is not reused.
    if (g_window && g_window->unloaded()) delete g_window.data();
    if (!g_window) {
        g_window = new frmResultText(g_main);
        emit Windows()->made(g_window);
        g_window->Form_Load();
    }
    g_window->show();
    g_window->raise();
    g_window->ShownForRun();
}

void Close() {
    if (g_window) g_window->close();
}

QWidget* Current() { return g_window; }

void Discard() { delete g_window.data(); }

}  // namespace Result

// The hub's meta-object code is compiled here, where frmResultText is
// complete. In the build's shared moc unit the type of made()'s argument
// would be tested while incomplete and defined by a later moc file in the
// same unit, which gcc 16 warns of (-Wsfinae-incomplete).
#include "moc_Result.cpp"
