// The narrow face of the main window through which the settings dialog
// refreshes it after an apply.
#pragma once

#include <QString>

class QComboBox;
class QWidget;

class MainWindowFace {
public:
    virtual ~MainWindowFace() = default;
    virtual void setFolderTooltip(int index, const QString& text) = 0;
    virtual void setBrowserTooltip(int index, const QString& text) = 0;
    virtual QComboBox* nameBox() = 0;
    virtual QWidget* mainWindow() = 0;
};
