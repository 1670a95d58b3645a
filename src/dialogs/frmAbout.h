// The version box: program name, version line, what the program is for and
// who wrote it, with one button that closes it.
#pragma once

#include <QDialog>
#include <QIcon>

class QGroupBox;
class QLabel;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // Centres and scales the box, sets its caption, the version line and the
    // picture (the icon the main window has now).
    void Form_Load(const QIcon& mainWindowIcon);
    void cmdOK_Click();

    // "ﾊﾞｰｼﾞｮﾝ " followed by major.minor.revision in plain decimal.
    static QString VersionLine(int major, int minor, int revision);

    // Controls, named as the box defines them.
    QPushButton* cmdOK;
    QGroupBox* Frame1;
    QLabel* Label6;
    QLabel* Label4;
    QLabel* Label3;
    QLabel* Label2;
    QLabel* Image1;
    QLabel* Label5;
    QLabel* Label1;
    QLabel* lblTitle;
    QLabel* lblVersion;
};
