// The program picker of the real platform: its title and filter captions,
// executables only under the first filter, everything under the second, and
// a cancel that returns nothing. The dialog is driven from inside its own
// loop and always closed.
#include "TestFiles.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

QStringList Shown(QFileDialog* dialog) {
    auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
    QStringList names;
    if (!view) return names;
    const QModelIndex root = view->rootIndex();
    for (int r = 0; r < view->model()->rowCount(root); ++r)
        names << view->model()->index(r, 0, root).data().toString();
    names.sort();
    return names;
}

void Make(const QString& path, QFile::Permissions mode) { TestFiles::WriteFile(path, "#!/bin/sh\n", mode); }

}  // namespace

class TestFileDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void picksAnExecutableOrNothing() {
        QTemporaryDir tmp;
        const QString saved = QDir::currentPath();
        QDir::setCurrent(tmp.path());
        QDir(tmp.path()).mkdir(QStringLiteral("sub"));
        Make(tmp.path() + QStringLiteral("/tool"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        Make(tmp.path() + QStringLiteral("/notes.txt"), QFile::ReadOwner | QFile::WriteOwner);

        QtPlatform platform;
        QStringList firstFilter, secondFilter, backToFirst, captions;
        QString title;
        bool accept = true;
        std::function<void()> drive = [&] {
            QFileDialog* dialog = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible()) dialog = d;
            if (!dialog) {
                QTimer::singleShot(20, drive);  // not up yet
                return;
            }
            title = dialog->windowTitle();
            if (auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
                for (int i = 0; i < combo->count(); ++i) captions << combo->itemText(i);
            (void)QTest::qWaitFor([&] { return Shown(dialog).contains(QStringLiteral("tool")); }, 5000);
            firstFilter = Shown(dialog);
            // The user picks the second filter, then the first again.
            auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            QTest::keyClick(combo, Qt::Key_Down);
            (void)QTest::qWaitFor([&] { return Shown(dialog).contains(QStringLiteral("notes.txt")); }, 5000);
            secondFilter = Shown(dialog);
            QTest::keyClick(combo, Qt::Key_Up);
            (void)QTest::qWaitFor([&] { return !Shown(dialog).contains(QStringLiteral("notes.txt")); }, 5000);
            backToFirst = Shown(dialog);
            if (accept) {
                // The user types the name and presses Enter.
                auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                name->setText(QStringLiteral("tool"));
                QTest::keyClick(name, Qt::Key_Return);
            } else {
                dialog->reject();
            }
        };

        QTimer::singleShot(50, drive);
        const QString chosen = platform.desktop().openFileDialog(nullptr, QStringLiteral("ﾌﾞﾗｳｻﾞ選択"));
        QCOMPARE(title, QStringLiteral("ﾌﾞﾗｳｻﾞ選択"));
        QCOMPARE(captions,
                 (QStringList{QStringLiteral("実行ﾌｧｲﾙ(*.exe)"), QStringLiteral("すべてのﾌｧｲﾙ(*.*)")}));
        QCOMPARE(firstFilter, (QStringList{QStringLiteral("sub"), QStringLiteral("tool")}));
        QCOMPARE(secondFilter,
                 (QStringList{QStringLiteral("notes.txt"), QStringLiteral("sub"), QStringLiteral("tool")}));
        QCOMPARE(backToFirst, firstFilter);
        QCOMPARE(chosen, tmp.path() + QStringLiteral("/tool"));

        accept = false;
        QTimer::singleShot(50, drive);
        QCOMPARE(platform.desktop().openFileDialog(nullptr, QStringLiteral("ｴﾃﾞｨﾀ選択(Javaﾌｧｲﾙ表示)")),
                 QString());
        QCOMPARE(title, QStringLiteral("ｴﾃﾞｨﾀ選択(Javaﾌｧｲﾙ表示)"));
        QDir::setCurrent(saved);
    }
};

QTEST_MAIN(TestFileDialog)
#include "tst_filedialog.moc"
