// The version box for the main window: loaded when first shown, at most one,
// destroyed when closed.
#include "About.h"

#include "frmAbout.h"

#include <QPointer>

namespace About {

namespace {
QPointer<frmAbout> g_box;
}

void Show(QWidget* mainWindow) {
    if (!g_box) {
        g_box = new frmAbout();
        g_box->setAttribute(Qt::WA_DeleteOnClose);
        g_box->Form_Load(mainWindow ? mainWindow->windowIcon() : QIcon());
    }
    g_box->setWindowState(g_box->windowState() & ~Qt::WindowMinimized);
    g_box->show();
    g_box->raise();
    g_box->activateWindow();
}

QWidget* Current() { return g_box; }

void Discard() { delete g_box.data(); }

}  // namespace About
