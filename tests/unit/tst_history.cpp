// The class-name history in the name box: loading, recording, resizing, and
// the one clamp of its size.
#include "FakePlatform.h"
#include "settings/History.h"
#include "settings/Qlk.h"

#include <QComboBox>
#include <QtTest>

using namespace Qlk;

namespace {

QStringList Items(const QComboBox& box) {
    QStringList out;
    for (int i = 0; i < box.count(); ++i) out << box.itemText(i);
    return out;
}

QStringList SlotWrites(const FakePlatform& fake) {
    QStringList keys;
    for (const auto& w : fake.writes)
        if (w.section == kRecent) keys << w.key;
    return keys;
}

// Stores the slots, then loads them the way start-up does.
void Load(FakePlatform& fake, QComboBox& box, const QString& number, const QStringList& names) {
    for (int i = 0; i < names.size(); ++i) fake.presetSetting(kRecent, QString::number(i), names[i]);
    S.RecentNumber = number;
    LoadRecent(&box);
}

QStringList Padded(QStringList names, int n) {
    while (names.size() < n) names << QString();
    return names;
}

}  // namespace

class TestHistory : public QObject {
    Q_OBJECT
private slots:
    void clampOfTheSize_data();
    void clampOfTheSize();
    void load_data();
    void load();
    void record_data();
    void record();
    void recordRewritesEverySlotInOrder();
    void recordAfterResizeLooksOnlyAtTheCurrentSlots();
};

void TestHistory::clampOfTheSize_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    // The common cases are covered with the store's value forms; these are
    // the ones past 16 bits and the rounding.
    QTest::newRow("top of the range") << "99" << 99;
    QTest::newRow("far above 16 bits") << "1e9" << 99;
    QTest::newRow("past 16 bits") << "70000" << 99;
    QTest::newRow("below 16 bits") << "-70000" << 0;
    QTest::newRow("tie rounds to even, down") << "2.5" << 2;
    QTest::newRow("tie rounds to even, up") << "3.5" << 4;
}

void TestHistory::clampOfTheSize() {
    QFETCH(QString, text);
    QFETCH(int, count);
    QCOMPARE(ClampRecentCount(text), count);
}

void TestHistory::load_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("text");
    QTest::newRow("fresh store") << "10" << QStringList() << Padded({}, 10) << "";
    QTest::newRow("names and gaps") << "4" << QStringList{"A", "", "C"} << QStringList{"A", "", "C", ""}
                                    << "A";
    QTest::newRow("empty newest slot") << "3" << QStringList{"", "B"} << QStringList{"", "B", ""} << "";
    QTest::newRow("keys past the count are not read")
        << "2" << QStringList{"A", "B", "C"} << QStringList{"A", "B"} << "A";
    QTest::newRow("zero slots") << "0" << QStringList{"A"} << QStringList() << "";
    QTest::newRow("size beyond the clamp") << "500" << QStringList{"A"} << Padded({"A"}, 99) << "A";
}

void TestHistory::load() {
    QFETCH(QString, number);
    QFETCH(QStringList, stored);
    QFETCH(QStringList, items);
    QFETCH(QString, text);
    FakeScope fake;
    QComboBox box;
    box.setEditable(true);
    Load(*fake, box, number, stored);
    QCOMPARE(Items(box), items);
    QCOMPARE(S.Recent, items);
    QCOMPARE(box.currentText(), text);
    QVERIFY(fake->writes.isEmpty());
}

void TestHistory::record_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("after");  // empty: nothing may change
    QTest::newRow("new name goes first")
        << "10" << QStringList{"A", "B", "C"} << "D" << Padded({"D", "A", "B", "C"}, 10);
    QTest::newRow("present name keeps its place")
        << "10" << QStringList{"A", "B", "C"} << "B" << QStringList();
    QTest::newRow("present in the last slot") << "3" << QStringList{"A", "B", "C"} << "C" << QStringList();
    QTest::newRow("case matters") << "10" << QStringList{"A", "B"} << "b" << Padded({"b", "A", "B"}, 10);
    QTest::newRow("spaces are part of the name")
        << "4" << QStringList{"A", "B"} << " A" << QStringList{" A", "A", "B", ""};
    QTest::newRow("empty name matches an empty slot") << "10" << QStringList{"A"} << "" << QStringList();
    QTest::newRow("empty name in a full history")
        << "3" << QStringList{"A", "B", "C"} << "" << QStringList{"", "A", "B"};
    QTest::newRow("full history drops the oldest")
        << "3" << QStringList{"A", "B", "C"} << "D" << QStringList{"D", "A", "B"};
    QTest::newRow("one slot records nothing") << "1" << QStringList{"A"} << "D" << QStringList();
    QTest::newRow("no slots record nothing") << "0" << QStringList() << "D" << QStringList();
    QTest::newRow("negative size records nothing") << "-3" << QStringList() << "D" << QStringList();
}

void TestHistory::record() {
    QFETCH(QString, number);
    QFETCH(QStringList, before);
    QFETCH(QString, name);
    QFETCH(QStringList, after);
    FakeScope fake;
    QComboBox box;
    box.setEditable(true);
    Load(*fake, box, number, before);
    const QStringList itemsBefore = Items(box);
    fake->writes.clear();

    box.setEditText(name);
    AddRecent(&box);

    QCOMPARE(box.currentText(), name);  // the name box keeps the name either way
    if (after.isEmpty()) {
        QCOMPARE(Items(box), itemsBefore);
        QVERIFY(fake->writes.isEmpty());
        return;
    }
    QCOMPARE(S.Recent, after);
    QCOMPARE(Items(box), after);
    for (int i = 0; i < after.size(); ++i) QCOMPARE(fake->storedValue(kRecent, QString::number(i)), after[i]);
}

void TestHistory::recordRewritesEverySlotInOrder() {
    FakeScope fake;
    QComboBox box;
    box.setEditable(true);
    fake->presetSetting(kRecent, QStringLiteral("7"), QStringLiteral("beyond"));
    Load(*fake, box, QStringLiteral("5"), {QStringLiteral("A")});
    fake->writes.clear();
    box.setEditText(QStringLiteral("B"));
    AddRecent(&box);
    QCOMPARE(SlotWrites(*fake), (QStringList{"0", "1", "2", "3", "4"}));
    // Keys past the count stay as they were.
    QCOMPARE(fake->storedValue(kRecent, QStringLiteral("7")), QStringLiteral("beyond"));

    // The largest history costs one rewrite of the store, not one a slot.
    S.RecentNumber = QStringLiteral("99");
    const int rewrites = fake->storeRewrites();
    box.setEditText(QStringLiteral("C"));
    AddRecent(&box);
    QCOMPARE(fake->storeRewrites(), rewrites + 1);
    QCOMPARE(fake->storedValue(kRecent, QStringLiteral("0")), QStringLiteral("C"));
    QCOMPARE(fake->storedValue(kRecent, QStringLiteral("2")), QStringLiteral("A"));
    QCOMPARE(fake->storedValue(kRecent, QStringLiteral("98")), QString());
}

// The history may hold more entries than the current size (a resize that
// kept an extra entry); only slots 0 to N - 1 count when a name is looked up
// or recorded.
void TestHistory::recordAfterResizeLooksOnlyAtTheCurrentSlots() {
    FakeScope fake;
    QComboBox box;
    box.setEditable(true);
    Load(*fake, box, QStringLiteral("2"), {"A", "B"});
    S.Recent << QString();
    box.setEditText(QString());
    AddRecent(&box);
    QCOMPARE(S.Recent, (QStringList{"", "A"}));
    QCOMPARE(Items(box), (QStringList{"", "A"}));
    QCOMPARE(SlotWrites(*fake), (QStringList{"0", "1"}));
}

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
