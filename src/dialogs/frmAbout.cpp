#include "frmAbout.h"

#include "settings/Placement.h"
#include "widgets/Fonts.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

using namespace Qlk;

namespace {

const QString kAppName = QStringLiteral("Quenlark");

// The box as defined, in twips, with these differences: the Japanese font
// found here has wider Latin letters and taller lines than the one the box
// was drawn for, so a one-line label is 270 twips high (its middle where the
// definition has it), the title 600; the title, the version line and the
// notice of rights are wider; and the description takes five lines, not
// four, so it, the frame and the box are 525 twips taller and the button
// 525 lower.
const double kGrow = 525;
const double kInnerWidth = 4335;
const double kInnerHeight = 3735 + kGrow;
const QRectF kOK{1440, 3240 + kGrow, 1455, 375};
const QRectF kFrame1{120, 840, 4095, 2295 + kGrow};
const QRectF kLabel6{480, 315, 2040, 270};
const QRectF kLabel4{840, 555, 2415, 270};
const QRectF kLabel3{360, 1320, 3615, 855 + kGrow};
const QRectF kLabel2{840, 915, 2625, 270};
const QRectF kImage1{600, 120, 495, 495};
const QRectF kLabel5{1560, 555, 1050, 270};
const QRectF kLabel1{960, 960, 60, 180};
const QRectF kTitle{1207.5, 22.5, 1890, 600};
const QRectF kVersion{3120, 435, 1110, 270};

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRectF& twips) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setAccessibleName(text.isEmpty() ? QLatin1String(name) : text);
    PlaceControl(label, twips);
    return label;
}

}  // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    // A fixed dialog border: no maximise or minimise button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setModal(false);
    setFont(Fonts::PGothic(9));

    // Created in the box's own control order.
    cmdOK = new QPushButton(QStringLiteral("ＯＫ"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setAccessibleName(QStringLiteral("ＯＫ"));
    cmdOK->setDefault(true);
    PlaceControl(cmdOK, kOK);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setAccessibleName(QStringLiteral("作者"));
    PlaceControl(Frame1, kFrame1);

    Label6 = MakeLabel(Frame1, "Label6", QStringLiteral("© 2026 Quenlark開発者"), kLabel6);
    Label4 = MakeLabel(Frame1, "Label4", QStringLiteral("Quenlark開発者 (ｸｴﾝﾗｰｸ)"), kLabel4);
    Label3 = MakeLabel(
        Frame1, "Label3",
        QStringLiteral("　このソフトは、JavaプログラミングにJDK(Java Development Kit)を使っている人が"
                       "MS-DOSからではなく、ボタン一つでコンパイルや実行が出来ることを目的としています。"),
        kLabel3);
    Label3->setWordWrap(true);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2 = MakeLabel(Frame1, "Label2", QStringLiteral("E-mail: dev@quenlark.invalid"), kLabel2);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAccessibleName(QStringLiteral("アイコン"));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PlaceControl(Image1, kImage1);

    Label5 = MakeLabel(this, "Label5", QStringLiteral("ｸｴﾝﾗｰｸ"), kLabel5);
    Label1 = MakeLabel(this, "Label1", QString(), kLabel1);

    lblTitle = MakeLabel(this, "lblTitle", kAppName, kTitle);
    lblTitle->setFont(Fonts::PGothic(20.25, true));

    lblVersion = MakeLabel(this, "lblVersion", QStringLiteral("version 2.0.0"), kVersion);

    InitForm(this, FormTwips{0, 0, kInnerWidth + kFrameX, kInnerHeight + kPlainFrameY, kFrameX, kPlainFrameY},
             true);
}

QString frmAbout::VersionLine(int major, int minor, int revision) {
    return QStringLiteral("ﾊﾞｰｼﾞｮﾝ %1.%2.%3").arg(major).arg(minor).arg(revision);
}

void frmAbout::Form_Load(const QIcon& mainWindowIcon) {
    CenterForm(this);
    ScaleForm(this);
    setWindowTitle(kAppName + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));
    lblVersion->setText(VersionLine(QLK_VERSION_MAJOR, QLK_VERSION_MINOR, QLK_VERSION_REVISION));
    lblVersion->setAccessibleName(lblVersion->text());
    setWindowIcon(mainWindowIcon);
    Image1->setPixmap(mainWindowIcon.pixmap(32, 32));
}

void frmAbout::cmdOK_Click() { close(); }
