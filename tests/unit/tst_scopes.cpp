// The scope objects tests install their platform and globals with: each
// puts back what was there before, on every way out of its block.
#include "FakePlatform.h"
#include "OnExit.h"
#include "settings/Qlk.h"

#include <QTest>

using namespace Qlk;

class TestScopes : public QObject {
    Q_OBJECT
private slots:
    void platformScopesNestAndPutBackTheOneBefore() {
        FakePlatform outer, inner;
        {
            const PlatformScope first(outer);
            QCOMPARE(&P(), &outer);
            // A block left early, as a failing check leaves its test.
            [&] {
                const PlatformScope second(inner);
                if (&P() == &inner) return;
                QFAIL("the inner platform was not installed");
            }();
            QCOMPARE(&P(), &outer);
            {
                FakeScope fake;
                QCOMPARE(&P(), fake.fake.get());
                S.JavaEdit = QStringLiteral("/e");
            }
            QCOMPARE(&P(), &outer);
            QVERIFY(S.JavaEdit.isEmpty());  // the fake's settings went with it
        }
    }

    void onExitRunsOnEveryWayOut() {
        int undone = 0;
        auto leave = [&](bool early) {
            const OnExit undo([&] { ++undone; });
            if (early) return;
            ++undone;
        };
        leave(true);
        QCOMPARE(undone, 1);
        leave(false);
        QCOMPARE(undone, 3);
    }
};

QTEST_MAIN(TestScopes)
#include "tst_scopes.moc"
