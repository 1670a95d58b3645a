// Window geometry that comes back where it was: the main window's place and
// the result window's place and size, closed and opened again several times,
// on a screen of the design density and on a denser one; and a store written
// at the design density read as it stands.
#include "FakePlatform.h"
#include "app/frmExection.h"
#include "result/Result.h"
#include "result/frmResultText.h"
#include "settings/Placement.h"
#include "settings/Qlk.h"

#include <QFile>
#include <QtTest>

using namespace Qlk;

namespace {

// One life of a window: opened from the store, perhaps moved and resized by
// the user, closed; returns the pixel geometry it had when it closed.
QRect MainWindowLife(const QRect& userMoves) {
    Run::Console console;
    frmExection form(console);
    if (!form.Form_Load()) return {};
    if (!userMoves.isNull()) form.move(userMoves.topLeft());
    const QRect shown(form.pos(), form.size());
    form.Form_Unload();
    return shown;
}

QRect ResultWindowLife(const QRect& userMoves) {
    Result::Show();
    auto* w = static_cast<frmResultText*>(Result::Current());
    if (!userMoves.isNull()) {
        w->move(userMoves.topLeft());
        w->resize(userMoves.size());
    }
    QCoreApplication::processEvents();
    const QRect shown(w->pos(), w->size());
    Result::Close();
    QCoreApplication::processEvents();
    return shown;
}

}  // namespace

class TestGeometry : public QObject {
    Q_OBJECT
private slots:
    void closeAndReopenKeepsGeometry_data();
    void closeAndReopenKeepsGeometry();
    void designDensityStoreReadsAsStored_data();
    void designDensityStoreReadsAsStored();
};

void TestGeometry::closeAndReopenKeepsGeometry_data() {
    QTest::addColumn<bool>("resultWindow");
    QTest::addColumn<double>("twipsPerPixel");
    QTest::addColumn<QRect>("userMoves");  // pixels; null: left where it opened
    for (const double tpp : {15.0, 12.0}) {
        const QByteArray at = " at " + QByteArray::number(tpp);
        QTest::newRow("main, centred" + at) << false << tpp << QRect();
        QTest::newRow("main, moved" + at) << false << tpp << QRect(QPoint(331, 217), QSize());
        QTest::newRow("main, near the corner" + at) << false << tpp << QRect(QPoint(3, 1), QSize());
        QTest::newRow("result, design place" + at) << true << tpp << QRect();
        QTest::newRow("result, moved and resized" + at) << true << tpp << QRect(50, 60, 600, 300);
        QTest::newRow("result, odd pixels" + at) << true << tpp << QRect(333, 77, 641, 259);
    }
}

void TestGeometry::closeAndReopenKeepsGeometry() {
    QFETCH(bool, resultWindow);
    QFETCH(double, twipsPerPixel);
    QFETCH(QRect, userMoves);
    FakeScope fake;
    fake->seedConfigured();
    fake->metrics = ScreenMetrics{twipsPerPixel * 1600, twipsPerPixel * 1200, twipsPerPixel, twipsPerPixel};
    S.WindowsFolder = fake->dataFolder;
    auto life = resultWindow ? ResultWindowLife : MainWindowLife;

    const QRect first = life(userMoves);
    QVERIFY(!first.isEmpty());
    if (!userMoves.isNull()) {
        QCOMPARE(first.topLeft(), userMoves.topLeft());
        if (resultWindow) QCOMPARE(first.size(), userMoves.size());
    }
    // Each later life opens where the one before closed, unmoved.
    for (int again = 1; again <= 3; ++again) QCOMPARE(life(QRect()), first);
}

void TestGeometry::designDensityStoreReadsAsStored_data() {
    QTest::addColumn<bool>("resultWindow");
    QTest::addColumn<QStringList>("stored");  // Left, Top[, Width, Height]
    QTest::addColumn<QRectF>("twips");        // Left, Top, Width, Height; width 0: not checked
    QTest::newRow("main, whole") << false << QStringList{"1500", "3000"} << QRectF(1500, 3000, 0, 0);
    QTest::newRow("main, fractions") << false << QStringList{"1718.4", "960.6"}
                                     << QRectF(1718.4, 960.6, 0, 0);
    QTest::newRow("result, whole") << true << QStringList{"1500", "3000", "9000", "3000"}
                                   << QRectF(1500, 3000, 9000, 3000);
    QTest::newRow("result, fractions")
        << true << QStringList{"1718.4", "960.6", "8880", "2310.2"} << QRectF(1718.4, 960.6, 8880, 2310.2);
}

void TestGeometry::designDensityStoreReadsAsStored() {
    QFETCH(bool, resultWindow);
    QFETCH(QStringList, stored);
    QFETCH(QRectF, twips);
    FakeScope fake;
    fake->seedConfigured();
    S.WindowsFolder = fake->dataFolder;
    const QString prefix = resultWindow ? QStringLiteral("Result") : QStringLiteral("frmExection");
    fake->presetSetting(kSetting, prefix + QStringLiteral("Left"), stored[0]);
    fake->presetSetting(kSetting, prefix + QStringLiteral("Top"), stored[1]);
    if (resultWindow) {
        fake->presetSetting(kSetting, prefix + QStringLiteral("Width"), stored[2]);
        fake->presetSetting(kSetting, prefix + QStringLiteral("Height"), stored[3]);
        Result::Show();
        const FormTwips f = GetForm(Result::Current());
        QCOMPARE(f.Left, twips.x());
        QCOMPARE(f.Top, twips.y());
        QCOMPARE(f.Width, twips.width());
        QCOMPARE(f.Height, twips.height());
        Result::Discard();
    } else {
        frmExection form(fake.console);
        QVERIFY(form.Form_Load());
        QCOMPARE(GetForm(&form).Left, twips.x());
        QCOMPARE(GetForm(&form).Top, twips.y());
    }
}

QTEST_MAIN(TestGeometry)
#include "tst_geometry.moc"
