// The one result window: loaded when first shown, destroyed when closed.
#include "Result.h"

#include "frmResultText.h"

#include <QPointer>

namespace Result {

namespace {
QPointer<QWidget> g_main;
QPointer<frmResultText> g_window;
std::function<void(const QString&, int, QWidget*)> g_opener;
}  // namespace

void SetMainWindow(QWidget* mainWindow) { g_main = mainWindow; }

void SetLineOpener(std::function<void(const QString&, int, QWidget*)> opener) {
    g_opener = std::move(opener);
}

void Show() {
    // A window closed a moment ago waits for its deletion; it is not reused.
    if (g_window && g_window->unloaded()) delete g_window.data();
    if (!g_window) {
        g_window = new frmResultText(g_main);
        g_window->openLine = g_opener;
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
