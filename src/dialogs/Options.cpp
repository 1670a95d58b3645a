#include "Options.h"

#include "frmOptions.h"

#include <QPointer>
#include <QTabWidget>

namespace Options {

namespace {
MainWindowFace* g_main = nullptr;
QPointer<frmOptions> g_dialog;

// The dialog, built (hidden, its load step run) when it does not exist.
frmOptions* Built() {
    if (!g_dialog) g_dialog = new frmOptions(g_main);
    return g_dialog;
}
}  // namespace

void SetMainWindow(MainWindowFace* face) { g_main = face; }

void Show(int page) {
    frmOptions* dialog = Built();
    if (page >= 0 && page < dialog->SSTab1->count()) dialog->SSTab1->setCurrentIndex(page);
    if (dialog->isMinimized())
        dialog->showNormal();
    else
        dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void SetLabel7(const QString& text) { Built()->SetLabel7(text); }

QWidget* Current() { return g_dialog; }

void Discard() { delete g_dialog.data(); }

}  // namespace Options
