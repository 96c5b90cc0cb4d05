#include "app/settings/StoredSettings.h"
#include "fakes/Controls.h"
#include "fakes/FakeDrives.h"
#include "fakes/FakePrompter.h"
#include "fakes/FakeRegistry.h"
#include "fakes/TempFolder.h"
#include "gui/dialogs/OptionsDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace quillmere;
using quillmere::test::control;
using quillmere::test::DesignScale;
using quillmere::test::FakeDrives;
using quillmere::test::FakePrompter;
using quillmere::test::FakeRegistry;
using quillmere::test::TempFolder;

namespace {

const QString imailHint = QStringLiteral("The path where the file, url-domain-bl.txt can be "
                                         "found. Generally, this is the Imail root folder.");
const QString dataHint = QStringLiteral(
    "The path where this program's domain tracking data is stored. This option exists in case the "
    "Quillmere is installed on another machine in the network.");

struct Fixture {
    Fixture() {
        AppSettings& settings = module.settings;
        settings.regRoot = settingsKey();
        settings.imailInstalled = true;
        settings.imailPath = folder.subfolder(QStringLiteral("imail"));
        settings.dataPath = folder.subfolder(QStringLiteral("data"));
        settings.importPath = QString();
        drives.add(folder.path() + QLatin1Char('/'), QStringLiteral("c:"), DriveFixed);
    }

    TempFolder folder;
    Module1 module;
    FakeRegistry registry;
    FakePrompter prompter;
    FakeDrives drives;
};

// Runs once the next modal window is up.
void whenModal(std::function<void(QWidget*)> user) {
    QTimer::singleShot(0, qApp, [user] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        user(modal);
    });
}

} // namespace

class TestOptionsDialog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void layoutAndCaptions() {
        Fixture fixture;
        OptionsDialog dialog(fixture.module, fixture.registry, fixture.prompter, fixture.drives);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Options"));
        // The design, or a larger copy of it where the texts would not fit.
        const DesignScale design(dialog, QSize(312, 312));
        QVERIFY2(design.isDesign(),
                 qPrintable(QStringLiteral("%1 x %2").arg(dialog.width()).arg(dialog.height())));
        QCOMPARE(control<QGroupBox>(dialog, "Frame1")->title(), QStringLiteral("Paths"));
        QCOMPARE(control<QGroupBox>(dialog, "Frame2")->title(), QStringLiteral("Switches"));
        QCOMPARE(control<QGroupBox>(dialog, "Frame2")->geometry(), design(QRect(8, 112, 297, 89)));
        QCOMPARE(control<QLineEdit>(dialog, "txtImailPath")->geometry(),
                 design(QRect(112, 16, 161, 19)));
        QCOMPARE(control<QLineEdit>(dialog, "txtDataPath")->geometry(),
                 design(QRect(112, 40, 161, 19)));
        QCOMPARE(control<QPushButton>(dialog, "cmdImportChoose")->geometry(),
                 design(QRect(272, 64, 17, 19)));
        QCOMPARE(control<QCheckBox>(dialog, "CheckQueue")->geometry(),
                 design(QRect(8, 64, 17, 21)));
        QCOMPARE(control<QLabel>(dialog, "Label6")->geometry(), design(QRect(8, 208, 297, 73)));
        QCOMPARE(control<QPushButton>(dialog, "cmdOK")->geometry(),
                 design(QRect(168, 280, 65, 25)));
        QCOMPARE(control<QPushButton>(dialog, "cmdCancel")->geometry(),
                 design(QRect(240, 280, 65, 25)));

        const QList<std::pair<const char*, QString>> labels{
            {"Label1", QStringLiteral("Imail root folder")},
            {"Label7", QStringLiteral("Tracking data path")},
            {"Label2", QStringLiteral("Default import folder")},
            {"Label3", QStringLiteral("  Sort main list on exit")},
            {"Label4", QStringLiteral("  Save on exit")},
            {"Label5", QStringLiteral("  Restart queue manager on exit")},
            {"Label6", QString()},
        };
        for (const auto& [name, text] : labels)
            QCOMPARE(control<QLabel>(dialog, name)->text(), text);
        for (const char* name : {"cmdImailChoose", "cmdDataChoose", "cmdImportChoose"})
            QCOMPARE(control<QPushButton>(dialog, name)->text(), QStringLiteral("..."));
        QCOMPARE(control<QPushButton>(dialog, "cmdImailChoose")->toolTip(),
                 QStringLiteral("Choose folder"));
        QCOMPARE(control<QPushButton>(dialog, "cmdDataChoose")->toolTip(), QString());
        QCOMPARE(control<QCheckBox>(dialog, "CheckSort")->text(), QString());
        QCOMPARE(control<QLineEdit>(dialog, "txtDataPath")->text(),
                 fixture.module.settings.dataPath);
    }

    void opensOnOkAndTabsInOrder() {
        Fixture fixture;
        OptionsDialog dialog(fixture.module, fixture.registry, fixture.prompter, fixture.drives);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdOK"));
        QStringList visited;
        for (int i = 0; i < 11; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited,
                 (QStringList{QStringLiteral("cmdCancel"), QStringLiteral("txtImailPath"),
                              QStringLiteral("txtImportPath"), QStringLiteral("cmdImailChoose"),
                              QStringLiteral("cmdImportChoose"), QStringLiteral("CheckSort"),
                              QStringLiteral("CheckSave"), QStringLiteral("CheckQueue"),
                              QStringLiteral("txtDataPath"), QStringLiteral("cmdDataChoose"),
                              QStringLiteral("cmdOK")}));
    }

    void switchesFollowTheSettingsAndEachOther() {
        Fixture fixture;
        fixture.module.settings.imailInstalled = false;
        fixture.module.settings.restartQueue = 1;
        fixture.module.settings.exitSort = 1;
        OptionsDialog dialog(fixture.module, fixture.registry, fixture.prompter, fixture.drives);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* sort = control<QCheckBox>(dialog, "CheckSort");
        auto* save = control<QCheckBox>(dialog, "CheckSave");
        auto* queue = control<QCheckBox>(dialog, "CheckQueue");
        QVERIFY(sort->isChecked());
        QVERIFY(save->isChecked());
        QVERIFY(!save->isEnabled());
        QVERIFY(!queue->isChecked());
        QVERIFY(!queue->isEnabled());

        QTest::mouseClick(sort, Qt::LeftButton);
        QVERIFY(!sort->isChecked());
        QVERIFY(!save->isChecked());
        QVERIFY(save->isEnabled());
        QTest::mouseClick(save, Qt::LeftButton);
        QTest::mouseClick(sort, Qt::LeftButton);
        QTest::mouseClick(sort, Qt::LeftButton);
        QVERIFY(save->isChecked());
        QVERIFY(save->isEnabled());
        // Clicking a switch's label does not toggle it.
        QTest::mouseClick(control<QLabel>(dialog, "Label3"), Qt::LeftButton);
        QVERIFY(!sort->isChecked());
    }

    void hintsFollowFocusAndMouse() {
        Fixture fixture;
        OptionsDialog dialog(fixture.module, fixture.registry, fixture.prompter, fixture.drives);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* hint = control<QLabel>(dialog, "Label6");

        control<QLineEdit>(dialog, "txtDataPath")->setFocus(Qt::TabFocusReason);
        QCOMPARE(hint->text(), dataHint);
        QTest::mouseMove(control<QLabel>(dialog, "Label1"));
        QTRY_COMPARE(hint->text(), imailHint);
        // A label inside the "Switches" frame shows its own hint, not the frame's.
        QTest::mouseMove(control<QLabel>(dialog, "Label4"));
        QTRY_COMPARE(hint->text(),
                     QStringLiteral("If data has changed, automatically save without prompting "
                                    "when exiting the program."));
        // The empty area of the "Switches" frame, right of the labels.
        auto* switches = control<QGroupBox>(dialog, "Frame2");
        QTest::mouseMove(switches, QPoint(switches->width() - 10, switches->height() - 8));
        QTRY_COMPARE(hint->text(), dataHint);

        control<QPushButton>(dialog, "cmdOK")->setFocus(Qt::TabFocusReason);
        QCOMPARE(hint->text(), QString());
    }

    void okStoresTheFieldsAndCloses() {
        Fixture fixture;
        OptionsDialog dialog(fixture.module, fixture.registry, fixture.prompter, fixture.drives);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClicks(control<QLineEdit>(dialog, "txtImportPath"), QStringLiteral("/srv/in"));
        QTest::mouseClick(control<QCheckBox>(dialog, "CheckQueue"), Qt::LeftButton);
        QTest::mouseClick(control<QPushButton>(dialog, "cmdOK"), Qt::LeftButton);

        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(fixture.registry.values().value(settingName(valueName::importPath)),
                 QStringLiteral("/srv/in"));
        QCOMPARE(fixture.registry.values().value(settingName(valueName::restartQueue)),
                 QStringLiteral("1"));
        QCOMPARE(fixture.module.settings.importPath, QStringLiteral("/srv/in"));
        QCOMPARE(fixture.module.settings.restartQueue, 1);
        QVERIFY(!dialog.cancelled());
    }

    void failedWriteKeepsTheDialogOpen() {
        Fixture fixture;
        fixture.registry.failWriteOf(settingName(valueName::dataPath));
        OptionsDialog dialog(fixture.module, fixture.registry, fixture.prompter, fixture.drives);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(control<QPushButton>(dialog, "cmdOK"), Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        QCOMPARE(fixture.prompter.log(),
                 QStringList{QStringLiteral("Could not write the registry value ") +
                             settingName(valueName::dataPath) +
                             QStringLiteral(". No setting was changed.")});
    }

    void modalShowingAnsweredWithCancel() {
        Fixture fixture;
        OptionsDialog dialog(fixture.module, fixture.registry, fixture.prompter, fixture.drives);
        whenModal([](QWidget* modal) {
            QCOMPARE(modal->objectName(), QStringLiteral("frmOptions"));
            QTest::mouseClick(control<QPushButton>(*modal, "cmdCancel"), Qt::LeftButton);
        });
        dialog.exec();
        QVERIFY(dialog.cancelled());
        QCOMPARE(fixture.registry.changes(), QStringList());
    }

    void closedFromTheFrameIsNoCancel() {
        Fixture fixture;
        OptionsDialog dialog(fixture.module, fixture.registry, fixture.prompter, fixture.drives);
        whenModal([](QWidget* modal) { modal->close(); });
        dialog.exec();
        QVERIFY(!dialog.cancelled());
        QCOMPARE(fixture.registry.changes(), QStringList());
    }

    void escapeDoesNotClose() {
        Fixture fixture;
        OptionsDialog dialog(fixture.module, fixture.registry, fixture.prompter, fixture.drives);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        QCOMPARE(fixture.registry.changes(), QStringList());
    }

    // Each row: the control that has the focus when Enter is pressed; whether the dialog stays
    // open, and whether the settings were stored.
    void enterPressesTheFocusedButtonOnly_data() {
        QTest::addColumn<QByteArray>("focused");
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("stored");
        QTest::newRow("OK") << QByteArray("cmdOK") << false << true;
        QTest::newRow("Cancel") << QByteArray("cmdCancel") << false << false;
        QTest::newRow("text box") << QByteArray("txtImailPath") << true << false;
        QTest::newRow("check box") << QByteArray("CheckSort") << true << false;
    }
    void enterPressesTheFocusedButtonOnly() {
        QFETCH(QByteArray, focused);
        QFETCH(bool, open);
        QFETCH(bool, stored);
        Fixture fixture;
        OptionsDialog dialog(fixture.module, fixture.registry, fixture.prompter, fixture.drives);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* control = dialog.findChild<QWidget*>(QLatin1String(focused));
        QVERIFY(control);
        control->setFocus(Qt::TabFocusReason);
        QTest::keyClick(control, Qt::Key_Return);
        QCOMPARE(dialog.isVisible(), open);
        QCOMPARE(!fixture.registry.changes().isEmpty(), stored);
        QCOMPARE(dialog.cancelled(), focused == "cmdCancel");
    }

    void enterOnAChooseButtonOpensTheChooser() {
        Fixture fixture;
        OptionsDialog dialog(fixture.module, fixture.registry, fixture.prompter, fixture.drives);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* choose = control<QPushButton>(dialog, "cmdDataChoose");
        choose->setFocus(Qt::TabFocusReason);
        QString caption;
        whenModal([&caption](QWidget* chooser) {
            caption = chooser->windowTitle();
            QTest::mouseClick(control<QPushButton>(*chooser, "cmdCancel"), Qt::LeftButton);
        });
        QTest::keyClick(choose, Qt::Key_Return);
        QCOMPARE(caption, QStringLiteral("Tracking data folder"));
        QVERIFY(dialog.isVisible());
    }

    void longPathsShowTheirBeginning() {
        Fixture fixture;
        const QString tail = QStringLiteral("/a-rather-long-folder-name/deeper/still/URLdata");
        fixture.module.settings.imailPath += tail;
        fixture.module.settings.dataPath += tail;
        fixture.module.settings.importPath = fixture.folder.path() + tail;
        OptionsDialog dialog(fixture.module, fixture.registry, fixture.prompter, fixture.drives);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (const char* name : {"txtImailPath", "txtDataPath", "txtImportPath"}) {
            auto* edit = control<QLineEdit>(dialog, name);
            QVERIFY2(edit->text().endsWith(tail), name);
            QVERIFY2(edit->cursorPosition() == 0, name);
        }
    }

    void folderChosenInTheChooserFillsTheField() {
        Fixture fixture;
        const QString target = fixture.folder.subfolder(QStringLiteral("data/archive"));
        OptionsDialog dialog(fixture.module, fixture.registry, fixture.prompter, fixture.drives);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QString caption;
        bool checked = false;
        whenModal([&](QWidget* chooser) {
            caption = chooser->windowTitle();
            checked = fixture.module.checkDriveType;
            auto* list = control<QListView>(*chooser, "Dir1");
            const QModelIndex archive = list->model()->index(list->model()->rowCount() - 1, 0);
            QCOMPARE(archive.data().toString().trimmed(), QStringLiteral("archive"));
            list->scrollTo(archive);
            const QPoint at = list->visualRect(archive).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseClick(control<QPushButton>(*chooser, "cmdOK"), Qt::LeftButton);
        });
        QTest::mouseClick(control<QPushButton>(dialog, "cmdDataChoose"), Qt::LeftButton);

        QCOMPARE(caption, QStringLiteral("Tracking data folder"));
        QVERIFY(checked);
        QCOMPARE(control<QLineEdit>(dialog, "txtDataPath")->text(),
                 QDir::toNativeSeparators(target));
        QCOMPARE(control<QLineEdit>(dialog, "txtDataPath")->cursorPosition(), 0);
        QCOMPARE(fixture.module.settings.dataPath, fixture.folder.filePath(QStringLiteral("data")));
    }

    void highlightedFolderIsNotTheAnswer() {
        Fixture fixture;
        fixture.folder.subfolder(QStringLiteral("data/archive"));
        OptionsDialog dialog(fixture.module, fixture.registry, fixture.prompter, fixture.drives);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        whenModal([&](QWidget* chooser) {
            auto* list = control<QListView>(*chooser, "Dir1");
            const QModelIndex archive = list->model()->index(list->model()->rowCount() - 1, 0);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualRect(archive).center());
            QCOMPARE(list->currentIndex(), archive);
            QTest::mouseClick(control<QPushButton>(*chooser, "cmdOK"), Qt::LeftButton);
        });
        QTest::mouseClick(control<QPushButton>(dialog, "cmdImportChoose"), Qt::LeftButton);
        // The import field was empty: the chooser opened on the current folder and gave it back.
        QCOMPARE(control<QLineEdit>(dialog, "txtImportPath")->text(),
                 QDir::toNativeSeparators(QDir::currentPath()));
        QVERIFY(!fixture.module.checkDriveType);
    }
};

QTEST_MAIN(TestOptionsDialog)
#include "tst_OptionsDialog.moc"
