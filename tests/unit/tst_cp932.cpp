// CP932 decoding of the result file, whole and in pieces.
#include "result/Cp932Decoder.h"

#include <QtTest>

class TestCp932 : public QObject {
    Q_OBJECT
private slots:
    void decodes_data();
    void decodes();
    void anySplitGivesTheSameText();
};

void TestCp932::decodes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii with control bytes")
        << QByteArray::fromHex("1a1c7f5c7e0a") << QStringLiteral("\x1a\x1c\x7f\\~\n");
    QTest::newRow("hiragana") << QByteArray::fromHex("82b182f182c982bf82cd") << QStringLiteral("こんにちは");
    QTest::newRow("trail in ascii range") << QByteArray::fromHex("8340835e") << QStringLiteral("ァタ");
    QTest::newRow("half-width katakana") << QByteArray::fromHex("bab3cbdf") << QStringLiteral("ｺｳﾋﾟ");
    QTest::newRow("vendor characters") << QByteArray::fromHex("87408160") << QStringLiteral("①～");
    QTest::newRow("lead without trail") << QByteArray::fromHex("8120") << QStringLiteral("\ufffd ");
    QTest::newRow("bytes of no character")
        << QByteArray::fromHex("80a0fdff") << QStringLiteral("\ufffd\ufffd\ufffd\ufffd");
    QTest::newRow("unassigned pair") << QByteArray::fromHex("85404142") << QStringLiteral("\ufffdAB");
}

void TestCp932::decodes() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    Cp932Decoder decoder;
    QCOMPARE(decoder.decode(bytes), text);
}

void TestCp932::anySplitGivesTheSameText() {
    const QByteArray bytes = QByteArray::fromHex("486582b182f10a8340835ebab38740817f7a");
    Cp932Decoder whole;
    const QString expected = whole.decode(bytes);
    for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
        Cp932Decoder pieces;
        QString text = pieces.decode(bytes.left(cut));
        text += pieces.decode(bytes.mid(cut));
        QCOMPARE(text, expected);
    }
}

QTEST_GUILESS_MAIN(TestCp932)
#include "tst_cp932.moc"
