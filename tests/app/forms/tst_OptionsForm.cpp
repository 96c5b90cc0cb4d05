#include "app/forms/OptionsForm.h"
#include "app/settings/StoredSettings.h"
#include "fakes/FakePrompter.h"
#include "fakes/FakeRegistry.h"
#include "fakes/TempFolder.h"

#include <QTest>

using namespace quillmere;
using quillmere::test::FakePrompter;
using quillmere::test::FakeRegistry;
using quillmere::test::TempFolder;

namespace {

QString written(const char* name, const QString& value) {
    return settingName(name) + QLatin1Char('=') + value;
}

const QString sortHint = QStringLiteral(
    "If data in the main list has changed, automaically sort it when exiting the program. With "
    "this option checked, \"Save on exit\" is enabled since it wouldn't do much good to sort "
    "without saving.");
const QString saveHint = QStringLiteral(
    "If data has changed, automatically save without prompting when exiting the program.");
const QString queueHint = QStringLiteral(
    "Imail must be installed on the local machine in order to enable this option. Once "
    "url-domain-bl.txt has been edited, the Imail queue manager must be restarted for changes to "
    "take effect.");
const QString imailHint = QStringLiteral("The path where the file, url-domain-bl.txt can be "
                                         "found. Generally, this is the Imail root folder.");
const QString dataHint = QStringLiteral(
    "The path where this program's domain tracking data is stored. This option exists in case the "
    "Quillmere is installed on another machine in the network.");
const QString importHint = QStringLiteral("The default location to look for freshly-downloaded "
                                          "blacklist files. This parameter is optional.");

struct Options {
    Options() {
        module.settings.regRoot = settingsKey();
        module.settings.imailInstalled = true;
        module.settings.imailPath = QStringLiteral("/srv/imail");
        module.settings.dataPath = QStringLiteral("/opt/quillmere/URLdata");
        module.settings.importPath = QStringLiteral("/home/admin/downloads");
    }

    Module1 module;
    FakeRegistry registry;
    FakePrompter prompter;
};

// The chooser as a script: records what the Options dialog did, in order, and answers.
class ScriptedChooser final : public FolderChooser {
public:
    ScriptedChooser(Module1& module, std::optional<QString> answer)
        : m_module(module)
        , m_answer(std::move(answer)) {}

    void open(const QString& caption) override {
        steps << QStringLiteral("open %1 on %2").arg(caption, m_module.lastChosenPath);
    }
    void initData(const QString& startFolder) override {
        steps << QStringLiteral("initData on %1, check %2")
                     .arg(startFolder)
                     .arg(m_module.checkDriveType);
    }
    // No answer: closed from the window frame.
    std::optional<QString> showModal() override {
        steps << QStringLiteral("show, check %1").arg(m_module.checkDriveType);
        return m_answer;
    }

    QStringList steps;

private:
    Module1& m_module;
    std::optional<QString> m_answer;
};

} // namespace

class TestOptionsForm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loadCopiesTheSettings() {
        Options options;
        options.module.settings.exitSave = 1;
        options.module.settings.restartQueue = 1;
        OptionsForm form(options.module, options.registry, options.prompter);
        form.load();
        QVERIFY(!form.cancelled());
        QCOMPARE(form.pathText(PathField::ImailRoot), QStringLiteral("/srv/imail"));
        QCOMPARE(form.pathText(PathField::TrackingData), QStringLiteral("/opt/quillmere/URLdata"));
        QCOMPARE(form.pathText(PathField::DefaultImport), QStringLiteral("/home/admin/downloads"));
        QCOMPARE(form.saveSwitch(), 1);
        QCOMPARE(form.sortSwitch(), 0);
        QCOMPARE(form.queueSwitch(), 1);
        QVERIFY(form.saveEnabled());
        QVERIFY(form.queueEnabled());
        QCOMPARE(form.hint(), QString());
    }

    void sortOnAtLoadForcesSaveOn() {
        Options options;
        options.module.settings.exitSort = 1;
        OptionsForm form(options.module, options.registry, options.prompter);
        form.load();
        QCOMPARE(form.sortSwitch(), 1);
        QCOMPARE(form.saveSwitch(), 1);
        QVERIFY(!form.saveEnabled());
        QCOMPARE(options.module.prevExitSave, 0);

        form.setSaveSwitch(0);
        QCOMPARE(form.saveSwitch(), 1);

        form.setSortSwitch(0);
        QCOMPARE(form.saveSwitch(), 0);
        QVERIFY(form.saveEnabled());
    }

    void okAtOnceStoresSaveOnWithSort() {
        Options options;
        options.module.settings.exitSort = 1;
        OptionsForm form(options.module, options.registry, options.prompter);
        form.load();
        QVERIFY(form.ok());
        QCOMPARE(options.registry.values().value(settingName(valueName::exitSave)),
                 QStringLiteral("1"));
        QCOMPARE(options.module.settings.exitSave, 1);
    }

    void uncheckingSortGivesSaveItsValueBack_data() {
        QTest::addColumn<int>("save");
        QTest::newRow("save off") << 0;
        QTest::newRow("save on") << 1;
    }
    void uncheckingSortGivesSaveItsValueBack() {
        QFETCH(int, save);
        Options options;
        OptionsForm form(options.module, options.registry, options.prompter);
        form.load();
        form.setSaveSwitch(static_cast<std::int16_t>(save));
        form.setSortSwitch(1);
        QCOMPARE(form.saveSwitch(), 1);
        QVERIFY(!form.saveEnabled());
        QCOMPARE(options.module.prevExitSave, save);
        form.setSortSwitch(0);
        QCOMPARE(form.saveSwitch(), save);
        QVERIFY(form.saveEnabled());
    }

    void queueSwitchOffAndDisabledWithoutImail() {
        Options options;
        options.module.settings.imailInstalled = false;
        options.module.settings.restartQueue = 1;
        OptionsForm form(options.module, options.registry, options.prompter);
        form.load();
        QCOMPARE(form.queueSwitch(), 0);
        QVERIFY(!form.queueEnabled());
        form.setQueueSwitch(1);
        QCOMPARE(form.queueSwitch(), 0);
        QVERIFY(form.ok());
        QCOMPARE(options.registry.values().value(settingName(valueName::restartQueue)),
                 QStringLiteral("0"));
        QCOMPARE(options.module.settings.restartQueue, 0);
    }

    void hints_data() {
        QTest::addColumn<HintControl>("control");
        QTest::addColumn<QString>("hint");
        QTest::newRow("Label3") << HintControl::Label3 << sortHint;
        QTest::newRow("CheckSort") << HintControl::CheckSort << sortHint;
        QTest::newRow("Label4") << HintControl::Label4 << saveHint;
        QTest::newRow("CheckSave") << HintControl::CheckSave << saveHint;
        QTest::newRow("Label5") << HintControl::Label5 << queueHint;
        QTest::newRow("CheckQueue") << HintControl::CheckQueue << queueHint;
        QTest::newRow("Label1") << HintControl::Label1 << imailHint;
        QTest::newRow("Label7") << HintControl::Label7 << dataHint;
        QTest::newRow("Label2") << HintControl::Label2 << importHint;
    }
    void hints() {
        QFETCH(HintControl, control);
        QFETCH(QString, hint);
        Options options;
        OptionsForm form(options.module, options.registry, options.prompter);
        form.load();
        form.mouseMovedOver(control);
        QCOMPARE(form.hint(), hint);
        // Nothing clears it but a path field losing the focus or the empty frame.
        form.setSortSwitch(1);
        QCOMPARE(form.hint(), hint);
    }

    void focusedFieldHintComesBackOverTheSwitchesFrame() {
        Options options;
        OptionsForm form(options.module, options.registry, options.prompter);
        form.load();
        form.pathFieldGotFocus(PathField::TrackingData);
        QCOMPARE(form.hint(), dataHint);
        form.mouseMovedOver(HintControl::Label1);
        QCOMPARE(form.hint(), imailHint);
        form.mouseMovedOver(HintControl::Frame2);
        QCOMPARE(form.hint(), dataHint);

        form.pathFieldLostFocus();
        QCOMPARE(form.hint(), QString());
        form.mouseMovedOver(HintControl::CheckQueue);
        QCOMPARE(form.hint(), queueHint);
        form.mouseMovedOver(HintControl::Frame2);
        QCOMPARE(form.hint(), QString());
    }

    void focusMovingBetweenFields() {
        Options options;
        OptionsForm form(options.module, options.registry, options.prompter);
        form.load();
        form.pathFieldGotFocus(PathField::ImailRoot);
        form.pathFieldLostFocus();
        form.pathFieldGotFocus(PathField::DefaultImport);
        form.mouseMovedOver(HintControl::Label4);
        form.mouseMovedOver(HintControl::Frame2);
        QCOMPARE(form.hint(), importHint);
    }

    void okWritesTheSixValuesThenTheSettings() {
        Options options;
        OptionsForm form(options.module, options.registry, options.prompter);
        form.load();
        form.setPathText(PathField::ImailRoot, QStringLiteral("/mnt/imail server"));
        form.setPathText(PathField::TrackingData, QStringLiteral(" /srv/data "));
        form.setSaveSwitch(1);
        form.setQueueSwitch(1);
        QVERIFY(form.ok());

        QCOMPARE(
            options.registry.changes(),
            (QStringList{written(valueName::imailPath, QStringLiteral("/mnt/imail server")),
                         written(valueName::dataPath, QStringLiteral(" /srv/data ")),
                         written(valueName::importPath, QStringLiteral("/home/admin/downloads")),
                         written(valueName::exitSave, QStringLiteral("1")),
                         written(valueName::exitSort, QStringLiteral("0")),
                         written(valueName::restartQueue, QStringLiteral("1"))}));
        const AppSettings& settings = options.module.settings;
        QCOMPARE(settings.imailPath, QStringLiteral("/mnt/imail server"));
        QCOMPARE(settings.dataPath, QStringLiteral(" /srv/data "));
        QCOMPARE(settings.importPath, QStringLiteral("/home/admin/downloads"));
        QCOMPARE(settings.exitSave, 1);
        QCOMPARE(settings.exitSort, 0);
        QCOMPARE(settings.restartQueue, 1);
        QVERIFY(!form.cancelled());
        QCOMPARE(options.prompter.log(), QStringList());
    }

    void okWithEmptyFieldsStoresEmptyStrings() {
        Options options;
        OptionsForm form(options.module, options.registry, options.prompter);
        form.load();
        for (PathField field :
             {PathField::ImailRoot, PathField::TrackingData, PathField::DefaultImport})
            form.setPathText(field, QString());
        QVERIFY(form.ok());
        QCOMPARE(options.registry.changes().size(), 6);
        for (const char* name : {valueName::imailPath, valueName::dataPath, valueName::importPath})
            QCOMPARE(options.registry.values().value(settingName(name), QStringLiteral("missing")),
                     QString());
        QCOMPARE(options.module.settings.imailPath, QString());
    }

    void cancelStoresNothing() {
        Options options;
        options.module.lastChosenPath = QStringLiteral("/tmp");
        OptionsForm form(options.module, options.registry, options.prompter);
        form.load();
        form.setPathText(PathField::ImailRoot, QStringLiteral("/elsewhere"));
        form.setSortSwitch(1);
        form.cancel();
        QVERIFY(form.cancelled());
        QCOMPARE(options.module.lastChosenPath, QString());
        QCOMPARE(options.registry.changes(), QStringList());
        QCOMPARE(options.module.settings.imailPath, QStringLiteral("/srv/imail"));
        QCOMPARE(options.module.settings.exitSort, 0);
    }

    void failedWriteIsReportedAndTakenBack() {
        Options options;
        options.registry.set(settingName(valueName::imailPath), QStringLiteral("/srv/imail"));
        options.registry.set(settingName(valueName::dataPath), QStringLiteral("/old/data"));
        options.registry.failWriteOf(settingName(valueName::exitSave));
        const QMap<QString, QString> before = options.registry.values();
        OptionsForm form(options.module, options.registry, options.prompter);
        form.load();
        form.setPathText(PathField::ImailRoot, QStringLiteral("/new/imail"));
        form.setPathText(PathField::TrackingData, QStringLiteral("/new/data"));
        form.setSaveSwitch(1);

        QVERIFY(!form.ok());
        QCOMPARE(options.prompter.log(),
                 QStringList{QStringLiteral("Could not write the registry value "
                                            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere\\"
                                            "exitSave. No setting was changed.")});
        QCOMPARE(options.registry.values(), before);
        QCOMPARE(options.registry.changes().mid(4),
                 (QStringList{written(valueName::imailPath, QStringLiteral("/srv/imail")),
                              written(valueName::dataPath, QStringLiteral("/old/data")),
                              QLatin1Char('-') + settingName(valueName::importPath)}));
        const AppSettings& settings = options.module.settings;
        QCOMPARE(settings.imailPath, QStringLiteral("/srv/imail"));
        QCOMPARE(settings.dataPath, QStringLiteral("/opt/quillmere/URLdata"));
        QCOMPARE(settings.exitSave, 0);
        QVERIFY(!form.cancelled());

        // The dialog is still open: OK works once the registry takes the writes.
        options.registry = FakeRegistry();
        QVERIFY(form.ok());
        QCOMPARE(settings.exitSave, 1);
        QCOMPARE(settings.imailPath, QStringLiteral("/new/imail"));
    }

    void failedRestoreIsReportedByName() {
        Options options;
        options.registry.failChangesAfter(2);
        OptionsForm form(options.module, options.registry, options.prompter);
        form.load();
        QVERIFY(!form.ok());
        QCOMPARE(options.prompter.log(),
                 QStringList{QStringLiteral(
                     "Could not write the registry value "
                     "HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere\\importPath. The "
                     "values written before it could not be restored: imailPath, dataPath.")});
        QCOMPARE(options.module.settings.importPath, QStringLiteral("/home/admin/downloads"));
    }

    void chooserIsOpenedAsTheFieldSays_data() {
        QTest::addColumn<PathField>("field");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("fieldText");
        QTest::addColumn<bool>("checkDriveType");
        QTest::newRow("Imail root") << PathField::ImailRoot << QStringLiteral("Imail root folder")
                                    << QStringLiteral("/srv/imail") << true;
        QTest::newRow("tracking data")
            << PathField::TrackingData << QStringLiteral("Tracking data folder")
            << QStringLiteral("/opt/quillmere/URLdata") << true;
        QTest::newRow("import") << PathField::DefaultImport
                                << QStringLiteral("Default import folder")
                                << QStringLiteral("/home/admin/downloads") << false;
    }
    void chooserIsOpenedAsTheFieldSays() {
        QFETCH(PathField, field);
        QFETCH(QString, caption);
        QFETCH(QString, fieldText);
        QFETCH(bool, checkDriveType);
        Options options;
        // What the previous use left behind.
        options.module.checkDriveType = !checkDriveType;
        OptionsForm form(options.module, options.registry, options.prompter);
        form.load();
        ScriptedChooser chooser(options.module, QString());
        form.chooseFolder(field, chooser);
        QCOMPARE(chooser.steps,
                 (QStringList{
                     QStringLiteral("open %1 on ").arg(caption),
                     QStringLiteral("initData on %1, check %2").arg(fieldText).arg(!checkDriveType),
                     QStringLiteral("show, check %1").arg(checkDriveType)}));
        // Cancel in the chooser: the field stays and nothing is said.
        QCOMPARE(form.pathText(field), fieldText);
        QCOMPARE(options.prompter.log(), QStringList());
    }

    void chosenFolderFillsTheField_data() {
        QTest::addColumn<PathField>("field");
        QTest::newRow("tracking data") << PathField::TrackingData;
        QTest::newRow("import") << PathField::DefaultImport;
    }
    void chosenFolderFillsTheField() {
        QFETCH(PathField, field);
        Options options;
        OptionsForm form(options.module, options.registry, options.prompter);
        form.load();
        ScriptedChooser chooser(options.module, QStringLiteral("/srv/new"));
        form.chooseFolder(field, chooser);
        QCOMPARE(form.pathText(field), QStringLiteral("/srv/new"));
        // Only OK stores it.
        QCOMPARE(options.module.settings.dataPath, QStringLiteral("/opt/quillmere/URLdata"));
        QCOMPARE(options.module.settings.importPath, QStringLiteral("/home/admin/downloads"));
        QCOMPARE(options.registry.changes(), QStringList());
    }

    void imailRootIsCheckedForTheList() {
        Options options;
        TempFolder folder;
        const QString without = folder.subfolder(QStringLiteral("empty"));
        folder.write(QStringLiteral("imail/url-domain-bl.txt"), "");
        const QString with = folder.filePath(QStringLiteral("imail"));
        OptionsForm form(options.module, options.registry, options.prompter);
        form.load();

        ScriptedChooser wrong(options.module, without);
        form.chooseFolder(PathField::ImailRoot, wrong);
        QCOMPARE(options.prompter.log(),
                 QStringList{QStringLiteral("url-domain-bl.txt not found in ") + without});
        QCOMPARE(form.pathText(PathField::ImailRoot), QStringLiteral("/srv/imail"));

        ScriptedChooser right(options.module, with);
        form.chooseFolder(PathField::ImailRoot, right);
        QCOMPARE(form.pathText(PathField::ImailRoot), with);
        QCOMPARE(options.prompter.log().size(), 1);
    }

    void chooserClosedFromTheFrameChecksTheFieldsOwnFolderAgain() {
        Options options;
        OptionsForm form(options.module, options.registry, options.prompter);
        form.load();
        ScriptedChooser closed(options.module, std::nullopt);
        form.chooseFolder(PathField::ImailRoot, closed);
        QCOMPARE(options.prompter.log(),
                 QStringList{QStringLiteral("url-domain-bl.txt not found in /srv/imail")});
        QCOMPARE(form.pathText(PathField::ImailRoot), QStringLiteral("/srv/imail"));

        ScriptedChooser closedData(options.module, std::nullopt);
        form.chooseFolder(PathField::TrackingData, closedData);
        QCOMPARE(form.pathText(PathField::TrackingData), QStringLiteral("/opt/quillmere/URLdata"));
        QCOMPARE(options.prompter.log().size(), 1);
    }

    // The folder a chooser hands back is where the next one loads, until Cancel in the Options
    // dialog empties it.
    void aNewChooserLoadsOnTheLastAnswer() {
        Options options;
        OptionsForm form(options.module, options.registry, options.prompter);
        form.load();
        ScriptedChooser chosen(options.module, QStringLiteral("/srv/new"));
        form.chooseFolder(PathField::TrackingData, chosen);
        ScriptedChooser closed(options.module, std::nullopt);
        form.chooseFolder(PathField::DefaultImport, closed);
        QCOMPARE(closed.steps.constFirst(),
                 QStringLiteral("open Default import folder on /srv/new"));
        ScriptedChooser cancelled(options.module, QString());
        form.chooseFolder(PathField::TrackingData, cancelled);
        QCOMPARE(cancelled.steps.constFirst(),
                 QStringLiteral("open Tracking data folder on /home/admin/downloads"));
        QCOMPARE(options.module.lastChosenPath, QString());

        ScriptedChooser again(options.module, QStringLiteral("/srv/again"));
        form.chooseFolder(PathField::TrackingData, again);
        QCOMPARE(options.module.lastChosenPath, QStringLiteral("/srv/again"));
        form.cancel();
        QCOMPARE(options.module.lastChosenPath, QString());
    }
};

QTEST_GUILESS_MAIN(TestOptionsForm)
#include "tst_OptionsForm.moc"
