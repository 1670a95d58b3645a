// The real platform's message box: its buttons, the one Enter presses, and
// text shown as typed. The box is driven from inside its own loop and always
// closed.
#include "platform/QtPlatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <functional>

Q_DECLARE_METATYPE(MsgButtons)
Q_DECLARE_METATYPE(MsgResult)

namespace {

struct Seen {
    QStringList buttons;
    QString defaultButton;
    Qt::TextFormat format = Qt::AutoText;
    QString text;
};

// Shows a box and answers it with Enter once it is up; reports what the box
// looked like.
MsgResult ShowAndPressEnter(MsgButtons buttons, const QString& text, Seen* seen) {
    QtPlatform platform;
    std::function<void()> drive = [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            QTimer::singleShot(20, drive);  // not up yet
            return;
        }
        for (QAbstractButton* b : box->buttons()) seen->buttons << b->text();
        seen->buttons.sort();
        if (QPushButton* d = box->defaultButton()) seen->defaultButton = d->text();
        seen->format = box->textFormat();
        seen->text = box->text();
        QTest::keyClick(box, Qt::Key_Return);
        // A box that ignored the key would hang the test: close it anyway.
        QTimer::singleShot(500, box, [box] {
            if (box->isVisible()) box->reject();
        });
    };
    QTimer::singleShot(0, drive);
    return platform.desktop().messageBox(nullptr, text, QStringLiteral("title"), MsgIcon::Exclamation,
                                         buttons);
}

}  // namespace

class TestMessageBox : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // Enter never answers a question with "yes"; a plain notice is closed by
    // it as OK.
    void enterPressesTheDefault_data() {
        QTest::addColumn<MsgButtons>("buttons");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("defaultButton");
        QTest::addColumn<MsgResult>("answer");
        QTest::newRow("yes/no") << MsgButtons::YesNo << QStringList{"&No", "&Yes"} << "&No" << MsgResult::No;
        QTest::newRow("ok/cancel") << MsgButtons::OkCancel << QStringList{"Cancel", "OK"} << "OK"
                                   << MsgResult::Ok;
        QTest::newRow("ok") << MsgButtons::Ok << QStringList{"OK"} << "OK" << MsgResult::Ok;
    }
    void enterPressesTheDefault() {
        QFETCH(MsgButtons, buttons);
        QFETCH(QStringList, shown);
        QFETCH(QString, defaultButton);
        QFETCH(MsgResult, answer);
        Seen seen;
        QCOMPARE(ShowAndPressEnter(buttons, QStringLiteral("question"), &seen), answer);
        QCOMPARE(seen.buttons, shown);
        QCOMPARE(seen.defaultButton, defaultButton);
        QCOMPARE(DefaultButton(buttons), answer);  // what the fake records
    }

    // A path or name with markup in it is shown as typed.
    void textIsPlain() {
        Seen seen;
        const QString text = QStringLiteral("/home/u/<b>x</b>/A.java\n\n はすでに存在しています。");
        ShowAndPressEnter(MsgButtons::YesNo, text, &seen);
        QCOMPARE(seen.format, Qt::PlainText);
        QCOMPARE(seen.text, text);
    }
};

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
