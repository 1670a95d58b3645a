#include "frmAbout.h"

#include "platform/Fonts.h"
#include "settings/Placement.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

using namespace Qlk;

namespace {

const QString kAppName = QStringLiteral("Quenlark");
const double kInnerWidth = 4335;
const double kInnerHeight = 3735;

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
    PlaceControl(cmdOK, {1440, 3240, 1455, 375});
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setAccessibleName(QStringLiteral("作者"));
    PlaceControl(Frame1, {120, 840, 4095, 2295});

    Label6 = MakeLabel(Frame1, "Label6", QStringLiteral("© 2026 Quenlark開発者"), {480, 360, 1905, 180});
    Label4 = MakeLabel(Frame1, "Label4", QStringLiteral("Quenlark開発者 (ｸｴﾝﾗｰｸ)"), {840, 600, 2415, 180});
    Label3 = MakeLabel(Frame1, "Label3",
                       QStringLiteral("　このソフトは、JavaプログラミングにJDK(Java Development Kit)を使っている人が"
                                      "MS-DOSからではなく、ボタン一つでコンパイルや実行が出来ることを目的としています。"),
                       {360, 1320, 3615, 855});
    Label3->setWordWrap(true);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2 = MakeLabel(Frame1, "Label2", QStringLiteral("E-mail: dev@quenlark.invalid"), {840, 960, 2625, 180});

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAccessibleName(QStringLiteral("アイコン"));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PlaceControl(Image1, {600, 120, 495, 495});

    Label5 = MakeLabel(this, "Label5", QStringLiteral("ｸｴﾝﾗｰｸ"), {1560, 600, 1050, 180});
    Label1 = MakeLabel(this, "Label1", QString(), {960, 960, 60, 180});

    lblTitle = MakeLabel(this, "lblTitle", kAppName, {1320, 120, 1665, 405});
    lblTitle->setFont(Fonts::PGothic(20.25, true));

    lblVersion = MakeLabel(this, "lblVersion", QStringLiteral("version 2.0.0"), {3120, 480, 945, 180});

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
