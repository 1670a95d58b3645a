// The settings dialog: folders, editors, browsers, history size and the
// extension of HTML pages, edited as copies and written on "更新" or "OK".
#pragma once

#include "settings/Settings.h"
#include "settings/StoreKeys.h"

#include <QWidget>

class DirListBox;
class DriveListBox;
class MainWindowFace;
class QAbstractButton;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTabWidget;

class frmOptions : public QWidget {
    Q_OBJECT
public:
    // Builds the dialog hidden and runs its load step.
    explicit frmOptions(MainWindowFace* mainWindow);

    void Form_Load();

    // Handlers, named after their control and event.
    void txtFolderPath_Change(int Index);
    void txtEditPath_Change(int Index);
    void txtBrowserPath_Change(int Index);
    void txtBrowserName_Change(int Index);
    void HScroll1_Change();
    void optHtml_Click(int Index);
    void Drive1_Change();
    void Dir1_Change();
    void cmdSelectEdit_Click(int Index);
    void cmdSelectBrowser_Click(int Index);
    void cmdApply_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();

    // Shows a history size in the label; apply takes it from there.
    void SetLabel7(const QString& text);

    bool extensionChanged() const { return m_extensionChanged; }

    // Controls, named as the dialog defines them.
    QTabWidget* SSTab1;
    QGroupBox* Frame1;
    QGroupBox* Frame2;
    QGroupBox* Frame3;
    QGroupBox* Frame4;
    QGroupBox* Frame5;
    QGroupBox* Frame6;
    QGroupBox* Frame7;
    QGroupBox* Frame8;
    QLabel* Label1[3];
    QLabel* Label2[4];
    QLabel* Label3[4];
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    QPushButton* optFolderPath[Qlk::kFolderCount];
    QButtonGroup* optFolderPathGroup;
    QLineEdit* txtFolderPath[Qlk::kFolderCount];
    DriveListBox* Drive1;
    DirListBox* Dir1;
    QLineEdit* txtEditPath[2];
    QPushButton* cmdSelectEdit[2];
    QLineEdit* txtBrowserName[Qlk::kBrowserCount];
    QLineEdit* txtBrowserPath[Qlk::kBrowserCount];
    QPushButton* cmdSelectBrowser[Qlk::kBrowserCount];
    QScrollBar* HScroll1;
    QRadioButton* optHtml[2];
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    QPushButton* cmdApply;
    QPushButton* cmdHelp;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    QWidget* BuildFolderPage();
    QWidget* BuildEditorPage();
    QWidget* BuildBrowserPage();
    QWidget* BuildOtherPage();
    void FillFromSettings();
    void CheckFolder(int Index);
    void ShowDriveError(const QString& error);
    void MarkChanged();

    MainWindowFace* m_main;
    Qlk::Settings m_edit;  // the settings as the controls show them
    bool m_extensionChanged = false;
};
