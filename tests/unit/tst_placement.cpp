// Centring and scaling on the twip model, with a fake screen of 15 or 12
// twips per pixel.
#include "FakePlatform.h"
#include "settings/Placement.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>

using namespace Qlk;

Q_DECLARE_METATYPE(Qlk::FormTwips)

namespace {

// A window of the shape the scaled windows have: an inner area of
// 6000 x 3000 twips, a frame of 120 across and 690 down, a button, a frame
// holding a label, a combo box, a drive list and a window of its own.
struct Sample {
    QWidget form;
    QPushButton* button;
    QGroupBox* frame;
    QWidget* inner;
    QComboBox* combo;
    QWidget* drives;
    QWidget* owned;       // a window owned by the form
    QWidget* ownedChild;  // a control on that window

    Sample() {
        button = new QPushButton(&form);
        PlaceControl(button, {300, 150, 1395, 375});
        frame = new QGroupBox(&form);
        PlaceControl(frame, {23, 2880, 1656, 735});
        inner = new QWidget(frame);
        PlaceControl(inner, {120, 185, 450, 450});
        combo = new QComboBox(&form);
        PlaceControl(combo, {23, 0, 1680, 300}, ControlKind::ComboBox);
        drives = new QWidget(&form);
        PlaceControl(drives, {1000, 1000, 2000, 315}, ControlKind::DriveList);
        owned = new QWidget(&form, Qt::Window);
        ownedChild = new QWidget(owned);
        PlaceControl(ownedChild, {600, 600, 600, 600});
        form.setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));
        InitForm(&form, FormTwips{0, 0, 6120, 3690, 120, 690}, true);
    }
};

}  // namespace

class TestPlacement : public QObject {
    Q_OBJECT

private slots:
    // The window keeps its frame and scales its inner area; controls scale
    // by X across and Y down, each product divided by 15 unrounded.
    void scaleForm_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::newRow("15 (96 dpi)") << 15.0 << 15.0;
        QTest::newRow("12 (120 dpi)") << 12.0 << 12.0;
        QTest::newRow("12 across, 15 down") << 12.0 << 15.0;
    }
    void scaleForm() {
        QFETCH(double, x);
        QFETCH(double, y);
        FakeScope fake;
        fake->metrics.twipsPerPixelX = x;
        fake->metrics.twipsPerPixelY = y;
        Sample s;
        const QFont fontBefore = s.button->font();

        ScaleForm(&s.form);

        const FormTwips t = GetForm(&s.form);
        QCOMPARE(t.Width, 120 + 6000 * x / 15);
        QCOMPARE(t.Height, 690 + 3000 * y / 15);
        QCOMPARE(t.ScaleWidth(), 6000 * x / 15);
        QCOMPARE(t.Left, 0.0);
        QCOMPARE(t.Top, 0.0);
        QCOMPARE(ControlTwips(s.button), QRectF(300 * x / 15, 150 * y / 15, 1395 * x / 15, 375 * y / 15));
        QCOMPARE(ControlTwips(s.frame), QRectF(23 * x / 15, 2880 * y / 15, 1656 * x / 15, 735 * y / 15));
        QCOMPARE(ControlTwips(s.inner), QRectF(120 * x / 15, 185 * y / 15, 450 * x / 15, 450 * y / 15));
        // A drive list keeps its height; a combo box and a control of another
        // window are left alone.
        QCOMPARE(ControlTwips(s.drives), QRectF(1000 * x / 15, 1000 * y / 15, 2000 * x / 15, 315));
        QCOMPARE(ControlTwips(s.combo), QRectF(23, 0, 1680, 300));
        QCOMPARE(ControlTwips(s.ownedChild), QRectF(600, 600, 600, 600));
        QCOMPARE(s.button->font(), fontBefore);
        // On screen: the layout keeps its pixel size at any density.
        QCOMPARE(s.button->geometry(), QRect(20, 10, 93, 25));
        QCOMPARE(s.form.size(), QSize(400, 200));
        QCOMPARE(s.combo->geometry(), QRect(qRound(23 / x), 0, qRound(1680 / x), qRound(300 / y)));
    }

    // The example of a 6000 x 3000 inner area at 12 twips per pixel, and
    // values no step may round (23 x 12 / 15 is 18.4, not 18).
    void scaleFormExample() {
        FakeScope fake;
        fake->metrics.twipsPerPixelX = 12;
        fake->metrics.twipsPerPixelY = 12;
        Sample s;
        ScaleForm(&s.form);
        QCOMPARE(GetForm(&s.form).Width, 4920.0);
        QCOMPARE(GetForm(&s.form).Height, 3090.0);
        QCOMPARE(ControlTwips(s.button).left(), 240.0);
        QCOMPARE(ControlTwips(s.frame).left(), 18.4);
        QCOMPARE(ControlTwips(s.inner).top(), 148.0);
        // A later call scales the size the window has then: the result
        // window at each load, or a height a hidden panel changed.
        SetFormHeight(&s.form, 2760);
        ScaleForm(&s.form);
        QCOMPARE(GetForm(&s.form).Height, 690 + (2760 - 690) * 12.0 / 15);
        QCOMPARE(ControlTwips(s.button).left(), 192.0);
    }

    // Centring on the whole screen, without rounding; a window larger than
    // the screen gets a negative position. Scaling afterwards keeps the
    // corner where centring put it.
    void centerForm_data() {
        QTest::addColumn<double>("tpp");
        QTest::addColumn<double>("formWidth");
        QTest::addColumn<double>("formHeight");
        QTest::newRow("15, small") << 15.0 << 4455.0 << 4080.0;
        QTest::newRow("12, small") << 12.0 << 4455.0 << 4081.0;
        QTest::newRow("15, wider and taller than the screen") << 15.0 << 20001.0 << 16000.0;
    }
    void centerForm() {
        QFETCH(double, tpp);
        QFETCH(double, formWidth);
        QFETCH(double, formHeight);
        FakeScope fake;
        fake->metrics = ScreenMetrics{1280 * tpp, 1024 * tpp, tpp, tpp};
        QWidget form;
        InitForm(&form, FormTwips{100, 100, formWidth, formHeight, 120, 345}, true);

        CenterForm(&form);
        FormTwips t = GetForm(&form);
        QCOMPARE(t.Left, (1280 * tpp - formWidth) / 2);
        QCOMPARE(t.Top, (1024 * tpp - formHeight) / 2);
        QCOMPARE(t.Width, formWidth);
        QCOMPARE(form.pos(), QPoint(qRound(t.Left / tpp), qRound(t.Top / tpp)));
        if (formWidth > 1280 * tpp) QVERIFY(t.Left < 0 && t.Top < 0 && form.x() < 0 && form.y() < 0);

        const double left = t.Left, top = t.Top;
        ScaleForm(&form);
        t = GetForm(&form);
        QCOMPARE(t.Left, left);
        QCOMPARE(t.Top, top);
    }

    // Each one-measure setter changes its own measure, in twips and on the
    // screen, and leaves the other three where they were.
    void setOneMeasure_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<FormTwips>("expected");
        const double v = 2400;
        QTest::newRow("left") << 0 << FormTwips{v, 450, 6120, 3690, 120, 690};
        QTest::newRow("top") << 1 << FormTwips{300, v, 6120, 3690, 120, 690};
        QTest::newRow("width") << 2 << FormTwips{300, 450, v, 3690, 120, 690};
        QTest::newRow("height") << 3 << FormTwips{300, 450, 6120, v, 120, 690};
    }
    void setOneMeasure() {
        QFETCH(int, which);
        QFETCH(FormTwips, expected);
        FakeScope fake;
        fake->metrics.twipsPerPixelX = 15;
        fake->metrics.twipsPerPixelY = 15;
        QWidget form;
        InitForm(&form, FormTwips{300, 450, 6120, 3690, 120, 690}, false);
        void (*const setters[])(QWidget*, double) = {SetFormLeft, SetFormTop, SetFormWidth, SetFormHeight};
        setters[which](&form, 2400);

        const FormTwips t = GetForm(&form);
        QCOMPARE(t.Left, expected.Left);
        QCOMPARE(t.Top, expected.Top);
        QCOMPARE(t.Width, expected.Width);
        QCOMPARE(t.Height, expected.Height);
        QCOMPARE(form.geometry().topLeft(), QPoint(qRound(expected.Left / 15), qRound(expected.Top / 15)));
        QCOMPARE(form.width(), qRound(expected.ScaleWidth() / 15));
    }

    // The result window's first place beside the main window (122 x 289
    // pixels), the result window being 498 x 219 pixels, in twips at 15.
    void placeBeside_data() {
        QTest::addColumn<QPointF>("main");
        QTest::addColumn<QSizeF>("screen");
        QTest::addColumn<QPointF>("at");
        const QSizeF xga(15360, 11520), svga(12000, 9000), vga(9600, 7200);
        QTest::newRow("left half: right") << QPointF(1000, 1000) << xga << QPointF(2830, 1000);
        QTest::newRow("right edge: left") << QPointF(13530, 1000) << xga << QPointF(6060, 1000);
        QTest::newRow("centred: below") << QPointF(6765, 3595) << xga << QPointF(6765, 7925);
        QTest::newRow("low: right, moved up") << QPointF(1000, 9000) << xga << QPointF(2830, 8235);
        QTest::newRow("800x600, high: below, moved left")
            << QPointF(5085, 500) << svga << QPointF(4530, 4830);
        QTest::newRow("640x480, low: above") << QPointF(3885, 3300) << vga << QPointF(2130, 15);
        QTest::newRow("640x480, centred: the design place")
            << QPointF(3885, 1435) << vga << QPointF(2145, 6375);
    }
    void placeBeside() {
        QFETCH(QPointF, main);
        QFETCH(QSizeF, screen);
        QFETCH(QPointF, at);
        const QSizeF window(7470, 3285);
        const QPointF got =
            PlaceBeside(QRectF(main, QSizeF(1830, 4330)), window, screen, QPointF(2145, 6375));
        QCOMPARE(got, at);
    }
};

QTEST_MAIN(TestPlacement)
#include "tst_placement.moc"
