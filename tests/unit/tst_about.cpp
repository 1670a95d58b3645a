// The version box: what it shows, where, and that there is one at most.
#include "FakePlatform.h"
#include "dialogs/About.h"
#include "dialogs/frmAbout.h"
#include "settings/Placement.h"

#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTest>

using namespace Qlk;

namespace {

QIcon Plain(Qt::GlobalColor color) {
    QPixmap pixmap(32, 32);
    pixmap.fill(color);
    return QIcon(pixmap);
}

void DeleteClosed() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

}  // namespace

class TestAbout : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { About::Discard(); }

    // Caption, version line and description after the load step.
    void texts() {
        FakeScope fake;
        frmAbout box;
        box.Form_Load(Plain(Qt::red));
        QCOMPARE(box.windowTitle(), QStringLiteral("Quenlarkのﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(box.lblVersion->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 2.0.1"));
        QCOMPARE(frmAbout::VersionLine(12, 0, 305), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 12.0.305"));
        QCOMPARE(box.lblTitle->text(), QStringLiteral("Quenlark"));
        QCOMPARE(box.Label3->text(),
                 QStringLiteral(
                     "　このソフトは、JavaプログラミングにJDK(Java Development Kit)を使っている人が"
                     "MS-DOSからではなく、ボタン一つでコンパイルや実行が出来ることを目的としています。"));
        QCOMPARE(box.cmdOK->text(), QStringLiteral("ＯＫ"));
        QVERIFY(box.Label1->text().isEmpty());
        QVERIFY(box.Label6->text().contains(QStringLiteral("Quenlark")));
        QVERIFY(!box.isModal());
        // A fixed dialog border without maximise and minimise buttons.
        QVERIFY(!(box.windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
        QCOMPARE(box.minimumSize(), box.maximumSize());
        // Every control can be found by assistive technology.
        for (QWidget* c : box.findChildren<QWidget*>())
            QVERIFY2(!c->accessibleName().isEmpty(), qPrintable(c->objectName()));
    }

    // Centred first, then scaled: at 12 twips per pixel the corner stays
    // where centring put the unscaled box, and every control is scaled.
    void placement_data() {
        QTest::addColumn<double>("tpp");
        QTest::newRow("15") << 15.0;
        QTest::newRow("12") << 12.0;
    }
    void placement() {
        QFETCH(double, tpp);
        FakeScope fake;
        fake->metrics = ScreenMetrics{1280 * tpp, 1024 * tpp, tpp, tpp};
        frmAbout box;
        const FormTwips before = GetForm(&box);
        QList<QPair<QWidget*, QRectF>> controls;
        for (QWidget* c : box.findChildren<QWidget*>())
            if (!ControlTwips(c).isNull()) controls.append({c, ControlTwips(c)});
        QCOMPARE(controls.size(), 11);

        box.Form_Load(Plain(Qt::red));

        const FormTwips t = GetForm(&box);
        QCOMPARE(t.Left, (1280 * tpp - before.Width) / 2);
        QCOMPARE(t.Top, (1024 * tpp - before.Height) / 2);
        QCOMPARE(t.ScaleWidth(), before.ScaleWidth() * tpp / 15);
        QCOMPARE(t.Width - t.ScaleWidth(), kFrameX);
        QCOMPARE(t.Height - t.ScaleHeight(), kPlainFrameY);
        for (const auto& [c, r] : controls) {
            const QRectF expected(r.x() * tpp / 15, r.y() * tpp / 15, r.width() * tpp / 15,
                                  r.height() * tpp / 15);
            QCOMPARE(ControlTwips(c), expected);
        }
        // On screen the places of the definition, in 96-dpi pixels.
        QCOMPARE(box.Image1->geometry(), QRect(40, 8, 33, 33));
        QCOMPARE(box.Frame1->geometry().topLeft(), QPoint(8, 56));
        QCOMPARE(box.cmdOK->geometry().size(), QSize(97, 25));
    }

    // At the design density nothing is cut off: each label holds its text in
    // the font it is drawn with, every control lies inside its container,
    // and the button lies below the frame.
    void nothingClipped() {
        FakeScope fake;
        frmAbout box;
        box.Form_Load(Plain(Qt::red));
        for (QLabel* label : box.findChildren<QLabel*>()) {
            if (label->text().isEmpty()) continue;
            const QRect r = label->geometry();
            const QFontMetrics fm(label->font());
            if (label->wordWrap()) {
                QVERIFY2(label->heightForWidth(r.width()) <= r.height(), qPrintable(label->objectName()));
            } else {
                QVERIFY2(fm.horizontalAdvance(label->text()) <= r.width(), qPrintable(label->objectName()));
                QVERIFY2(fm.height() <= r.height() + 1, qPrintable(label->objectName()));
            }
        }
        for (QWidget* c : box.findChildren<QWidget*>()) {
            if (ControlTwips(c).isNull()) continue;
            QVERIFY2(c->parentWidget()->rect().contains(c->geometry()), qPrintable(c->objectName()));
        }
        QVERIFY(box.cmdOK->geometry().top() > box.Frame1->geometry().bottom());
        QVERIFY(!box.lblTitle->geometry().intersects(box.lblVersion->geometry()));
        QVERIFY(!box.lblTitle->geometry().intersects(box.Image1->geometry()));
    }

    // One box at most; a second command shows it again without loading it;
    // OK closes and destroys it; the next showing loads afresh and takes the
    // icon the main window has then.
    void oneBoxAtMost() {
        FakeScope fake;
        QWidget main;
        main.setWindowIcon(Plain(Qt::red));

        About::Show(&main);
        auto* box = qobject_cast<frmAbout*>(About::Current());
        QVERIFY(box);
        QVERIFY(box->isVisible());
        QCOMPARE(box->Image1->pixmap().toImage(), Plain(Qt::red).pixmap(32, 32).toImage());
        box->lblVersion->setText(QStringLiteral("marked"));
        main.setWindowIcon(Plain(Qt::blue));

        About::Show(&main);
        QCOMPARE(About::Current(), box);
        QCOMPARE(box->lblVersion->text(), QStringLiteral("marked"));
        QCOMPARE(box->Image1->pixmap().toImage(), Plain(Qt::red).pixmap(32, 32).toImage());

        box->cmdOK->click();
        DeleteClosed();
        QVERIFY(!About::Current());

        About::Show(&main);
        box = qobject_cast<frmAbout*>(About::Current());
        QVERIFY(box);
        QCOMPARE(box->lblVersion->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 2.0.1"));
        QCOMPARE(box->Image1->pixmap().toImage(), Plain(Qt::blue).pixmap(32, 32).toImage());
        // Closing it with the window's close box destroys it the same way.
        box->close();
        DeleteClosed();
        QVERIFY(!About::Current());
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
