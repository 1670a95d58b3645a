// What a command of the main window needs to know at the moment it runs. The
// commands know no window: they get the current folder, the name and the few
// actions they may trigger.
#pragma once

#include <QString>
#include <functional>

class QWidget;

struct CommandContext {
    QWidget* window = nullptr;             // parent for message boxes
    int selectedFolder = -1;               // first selected folder button, -1 for none
    QString name;                          // the name box's text, exactly as typed
    std::function<void()> addRecent;       // records the name in the history
    std::function<void()> showResult;      // shows the result window
    std::function<void(int)> openOptions;  // opens the settings dialog on a page

    // The folder of the selected folder button; empty when none is selected or
    // that folder is not set.
    QString folder() const;
};
