#include "fakes/Controls.h"
#include "fakes/FakeDrives.h"
#include "fakes/FakePrompter.h"
#include "fakes/TempFolder.h"
#include "gui/dialogs/PathChooserDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QListView>
#include <QPushButton>
#include <QTest>

using namespace quillmere;
using quillmere::test::control;
using quillmere::test::FakeDrives;
using quillmere::test::FakePrompter;
using quillmere::test::TempFolder;

namespace {

struct Fixture {
    Fixture() {
        drives.add(folder.subfolder(QStringLiteral("c")) + QLatin1Char('/'), QStringLiteral("c:"),
                   DriveFixed);
        drives.add(folder.subfolder(QStringLiteral("e")) + QLatin1Char('/'),
                   QStringLiteral("e: [Disc]"), DriveCdRom);
        start = folder.subfolder(QStringLiteral("c/Imail"));
        module.lastChosenPath = QDir::toNativeSeparators(start);
    }

    TempFolder folder;
    FakeDrives drives;
    FakePrompter prompter;
    Module1 module;
    QString start;
};

} // namespace

class TestPathChooserDialog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opensOnTheStartFolderWithFocusInTheDirectoryList() {
        Fixture fixture;
        PathChooserDialog chooser(fixture.module, fixture.drives, fixture.prompter);
        QCOMPARE(chooser.windowTitle(), QStringLiteral("Choose Path"));
        QCOMPARE(chooser.size(), QSize(232, 183));
        QCOMPARE(control<QComboBox>(chooser, "Drive1")->geometry(), QRect(8, 16, 201, 21));
        QCOMPARE(control<QListView>(chooser, "Dir1")->geometry(), QRect(8, 40, 201, 96));
        QCOMPARE(control<QPushButton>(chooser, "cmdOK")->geometry(), QRect(64, 152, 73, 25));
        QCOMPARE(control<QPushButton>(chooser, "cmdCancel")->text(), QStringLiteral("Cancel"));
        QCOMPARE(control<QComboBox>(chooser, "Drive1")->currentText(), QStringLiteral("c:"));
        auto* list = control<QListView>(chooser, "Dir1");
        QCOMPARE(list->currentIndex().data().toString().trimmed(), QStringLiteral("Imail"));

        chooser.show();
        QVERIFY(QTest::qWaitForWindowActive(&chooser));
        QCOMPARE(QApplication::focusWidget(), list);
        QStringList visited;
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, (QStringList{QStringLiteral("cmdCancel"), QStringLiteral("cmdOK"),
                                       QStringLiteral("Drive1"), QStringLiteral("Dir1")}));
    }

    void unsuitableDriveWarnsAndTheListStays() {
        Fixture fixture;
        fixture.module.checkDriveType = true;
        PathChooserDialog chooser(fixture.module, fixture.drives, fixture.prompter);
        chooser.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chooser));
        auto* drives = control<QComboBox>(chooser, "Drive1");
        drives->setCurrentIndex(1);
        Q_EMIT drives->activated(1);
        QCOMPARE(fixture.prompter.log(), QStringList{QStringLiteral("CD-ROM drive - can't write")});
        QCOMPARE(drives->currentText(), QStringLiteral("e: [Disc]"));
        QCOMPARE(control<QListView>(chooser, "Dir1")->currentIndex().data().toString().trimmed(),
                 QStringLiteral("Imail"));
        QTest::mouseClick(control<QPushButton>(chooser, "cmdOK"), Qt::LeftButton);
        QCOMPARE(chooser.chosenPath(), std::optional(QDir::toNativeSeparators(fixture.start)));
    }

    // Each row: the control that has the focus when Enter is pressed; whether the chooser stays
    // open, and its answer ("start": the start folder, "none": no answer yet).
    void enterPressesTheFocusedButtonOnly_data() {
        QTest::addColumn<QByteArray>("focused");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("answer");
        QTest::newRow("OK") << QByteArray("cmdOK") << false << QStringLiteral("start");
        QTest::newRow("Cancel") << QByteArray("cmdCancel") << false << QString();
        QTest::newRow("directory list") << QByteArray("Dir1") << true << QStringLiteral("none");
    }
    void enterPressesTheFocusedButtonOnly() {
        QFETCH(QByteArray, focused);
        QFETCH(bool, open);
        QFETCH(QString, answer);
        Fixture fixture;
        PathChooserDialog chooser(fixture.module, fixture.drives, fixture.prompter);
        chooser.show();
        QVERIFY(QTest::qWaitForWindowActive(&chooser));
        auto* control = chooser.findChild<QWidget*>(QLatin1String(focused));
        QVERIFY(control);
        control->setFocus(Qt::TabFocusReason);
        QTest::keyClick(control, Qt::Key_Return);
        QCOMPARE(chooser.isVisible(), open);
        if (answer == QStringLiteral("none"))
            QCOMPARE(chooser.chosenPath(), std::nullopt);
        else
            QCOMPARE(chooser.chosenPath(),
                     std::optional(answer == QStringLiteral("start")
                                       ? QDir::toNativeSeparators(fixture.start)
                                       : answer));
    }

    void cancelEmptiesTheAnswerAndTheFrameKeepsIt() {
        Fixture fixture;
        {
            PathChooserDialog chooser(fixture.module, fixture.drives, fixture.prompter);
            chooser.show();
            QVERIFY(QTest::qWaitForWindowActive(&chooser));
            QTest::keyClick(&chooser, Qt::Key_Escape);
            QVERIFY(chooser.isVisible());
            chooser.close();
            QCOMPARE(chooser.chosenPath(), std::nullopt);
        }
        PathChooserDialog chooser(fixture.module, fixture.drives, fixture.prompter);
        chooser.show();
        QTest::mouseClick(control<QPushButton>(chooser, "cmdCancel"), Qt::LeftButton);
        QCOMPARE(chooser.chosenPath(), std::optional(QString()));
        QVERIFY(!chooser.isVisible());
    }
};

QTEST_MAIN(TestPathChooserDialog)
#include "tst_PathChooserDialog.moc"
