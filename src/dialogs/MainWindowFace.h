// The narrow face of the main window that the settings dialog sees: the
// window whose icon it takes and whose first showing it waits for. What the
// dialog applies reaches the main window through the settings' own signal.
#pragma once

class QWidget;

class MainWindowFace {
public:
    virtual ~MainWindowFace() = default;
    virtual QWidget* mainWindow() = 0;
};
