#include "app/StartupSequence.h"
#include "app/forms/OptionsForm.h"
#include "app/settings/StoredSettings.h"
#include "fakes/FakePrompter.h"
#include "fakes/FakeRegistry.h"
#include "fakes/TempFolder.h"

#include <QDir>
#include <QTest>

using namespace quillmere;
using quillmere::test::FakePrompter;
using quillmere::test::FakeRegistry;
using quillmere::test::TempFolder;

namespace {

const QString noInstallFolder = QStringLiteral("Couldn't find install folder - please reinstall");
const QString fileMissing =
    QStringLiteral("The file url-domain-bl.txt could not be found in the folder set as the Imail "
                   "root. Please re-select.");
const QString thanksWithImail =
    QStringLiteral("Thanks for installing the Quillmere for Imail. At the next prompt, please "
                   "confirm that your Imail root folder has been properly detected.");
const QString thanksWithoutImail = QStringLiteral(
    "Thanks for installing the Quillmere for Imail. Imail does not appear to be installed on this "
    "machine. The URL blacklist can still be managed as long as the Imail root folder is "
    "accessible on a mapped network drive. At the next prompt, set the location of the Imail root "
    "folder. If the Quillmere is installed on the Imail machine, set the tracking data path to "
    "match the one on the server.");

QString oldVersionWarning(const QString& version) {
    return QStringLiteral("Warning: Anti-spam filtering associated with the file that this program "
                          "was designed to manage is available in Imail version 8.xx+. This "
                          "machine has version ") +
           version + QStringLiteral(" installed.");
}

class RecordingWindows final : public StartupWindows {
public:
    void showLoadingWindow() override { shown << QStringLiteral("frmLoad"); }
    void createAndShowMainWindow() override { shown << QStringLiteral("frmMain"); }
    QStringList shown;
};

// One start of the program on a registry and a folder of Imail roots.
class Start {
public:
    Start() {
        registry.set(settingName(valueName::installPath), installPath);
        registry.set(settingName(valueName::dataPath), folder.subfolder(QStringLiteral("URLdata")));
    }

    QString imailRootWithList() const {
        folder.write(QStringLiteral("imail/url-domain-bl.txt"), "a.example\r\n");
        return folder.filePath(QStringLiteral("imail"));
    }
    void installImail(const QString& topDir, const std::optional<QString>& version) {
        registry.set(imailTopDirName(), topDir);
        if (version)
            registry.set(imailVersionName(), *version);
        else
            registry.failReadOf(imailVersionName());
    }

    // The user in the Options dialog, as the dialog's own logic sees it.
    void optionsThen(std::function<void(OptionsForm&)> user) {
        prompter.onNextOptionsDialog([this, user] {
            OptionsForm form(module, registry, prompter);
            form.load();
            user(form);
            return form.cancelled();
        });
    }

    StartupResult run() {
        StartupSequence sequence(module, registry, prompter, windows);
        const StartupResult result = sequence.run();
        if (!prompter.allAnswersUsed())
            QTest::qFail("the Options dialog was not shown as scripted", __FILE__, __LINE__);
        return result;
    }

    TempFolder folder;
    const QString installPath = QDir::toNativeSeparators(QStringLiteral("/opt/quillmere"));
    FakeRegistry registry;
    FakePrompter prompter;
    RecordingWindows windows;
    Module1 module;
};

const QStringList bothWindows{QStringLiteral("frmLoad"), QStringLiteral("frmMain")};
const QString optionsDialog = QStringLiteral("[Options]");

} // namespace

class TestStartupSequence : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void normalStartShowsNoMessage() {
        Start start;
        const QString root = start.imailRootWithList();
        start.registry.set(settingName(valueName::imailPath), root);
        start.registry.set(settingName(valueName::importPath), QStringLiteral("/srv/downloads"));
        start.registry.set(imailTopDirName(), QStringLiteral("/srv/imail"));

        QCOMPARE(start.run(), StartupResult::MainWindowShown);
        QCOMPARE(start.prompter.log(), QStringList());
        QCOMPARE(start.windows.shown, bothWindows);
        QCOMPARE(start.registry.changes(), QStringList());
        const AppSettings& settings = start.module.settings;
        QCOMPARE(settings.regRoot,
                 QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere\\"));
        QVERIFY(settings.imailInstalled);
        QCOMPARE(settings.imailPath, root);
        QCOMPARE(settings.dataPath, start.folder.filePath(QStringLiteral("URLdata")));
        QCOMPARE(settings.importPath, QStringLiteral("/srv/downloads"));
        QCOMPARE(settings.installPath, start.installPath);
    }

    void withoutTheKeyOnlyTheReinstallMessage_data() {
        QTest::addColumn<bool>("imailInstalled");
        QTest::newRow("Imail installed") << true;
        QTest::newRow("no Imail") << false;
    }
    void withoutTheKeyOnlyTheReinstallMessage() {
        QFETCH(bool, imailInstalled);
        FakeRegistry registry;
        if (imailInstalled)
            registry.set(imailTopDirName(), QStringLiteral("/srv/imail"));
        FakePrompter prompter;
        RecordingWindows windows;
        Module1 module;
        StartupSequence sequence(module, registry, prompter, windows);

        QCOMPARE(sequence.run(), StartupResult::Ended);
        QCOMPARE(prompter.log(), QStringList{noInstallFolder});
        QCOMPARE(prompter.shown().constFirst().title, QStringLiteral("Imail Quillmere"));
        QCOMPARE(prompter.shown().constFirst().buttons, PromptButtons::Ok);
        QCOMPARE(windows.shown, QStringList());
        QCOMPARE(registry.changes(), QStringList());
    }

    void unreadableInstallPathEndsTheProgram() {
        Start start;
        start.registry.set(settingName(valueName::imailPath), start.imailRootWithList());
        start.registry.failReadOf(settingName(valueName::installPath));
        QCOMPARE(start.run(), StartupResult::Ended);
        QCOMPARE(start.prompter.log(), QStringList{noInstallFolder});
        QCOMPARE(start.windows.shown, QStringList());
    }

    // A settings file that cannot be read is not taken for a first run, which would store answers
    // over it.
    void unreadableSettingsStoreEndsTheProgram() {
        Start start;
        start.registry.set(settingName(valueName::imailPath), start.imailRootWithList());
        start.registry.setProblem(
            QStringLiteral("Cannot read the settings file /x/registry.ini: line 3 is neither a "
                           "[section] nor a name=value line"));
        QCOMPARE(start.run(), StartupResult::Ended);
        QCOMPARE(start.prompter.log(),
                 QStringList{QStringLiteral(
                     "Cannot read the settings file /x/registry.ini: line 3 is neither a "
                     "[section] nor a name=value line\nThe program ends; the file is left as it "
                     "is.")});
        QCOMPARE(start.windows.shown, QStringList());
        QCOMPARE(start.registry.changes(), QStringList());
    }

    // Each row: a value stored in a form the registry cannot read as a text. It is named, and
    // neither passes for a value never stored nor gives way to a default folder.
    void aValueStoredUnreadablyEndsTheProgram_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("problem");
        QTest::newRow("dataPath of another type")
            << settingName(valueName::dataPath)
            << QStringLiteral("The registry value %1 is stored as REG_MULTI_SZ, which is not a "
                              "text: it must be a REG_SZ string.")
                   .arg(settingName(valueName::dataPath));
        QTest::newRow("Imail's TopDir in the other view")
            << imailTopDirName()
            << QStringLiteral("The registry value %1 is stored only in the 64-bit view.")
                   .arg(imailTopDirName());
    }
    void aValueStoredUnreadablyEndsTheProgram() {
        QFETCH(QString, name);
        QFETCH(QString, problem);
        Start start;
        start.registry.set(settingName(valueName::installPath), QStringLiteral("/opt/tools"));
        start.registry.set(settingName(valueName::imailPath), start.imailRootWithList());
        start.registry.failReadOf(name);
        start.registry.setValueProblem(name, problem);
        QCOMPARE(start.run(), StartupResult::Ended);
        QCOMPARE(start.prompter.log(),
                 QStringList{problem +
                             QStringLiteral("\nThe program ends; the value is left as it is.")});
        QCOMPARE(start.windows.shown, QStringList());
        QCOMPARE(start.registry.changes(), QStringList());
    }

    void missingDataPathBecomesTheInstallFoldersUrlData() {
        Start start;
        start.registry.set(settingName(valueName::installPath),
                           QDir::toNativeSeparators(QStringLiteral("/opt/tools")));
        start.registry.failReadOf(settingName(valueName::dataPath));
        start.registry.set(settingName(valueName::imailPath), start.imailRootWithList());

        QCOMPARE(start.run(), StartupResult::MainWindowShown);
        const QString expected = QDir::toNativeSeparators(QStringLiteral("/opt/tools/URLdata"));
        QCOMPARE(start.module.settings.dataPath, expected);
        QCOMPARE(start.registry.changes(),
                 QStringList{settingName(valueName::dataPath) + QLatin1Char('=') + expected});
        QCOMPARE(start.prompter.log(), QStringList());
        // The folder itself is not created.
        QVERIFY(!QFileInfo::exists(QStringLiteral("/opt/tools/URLdata")));
    }

    void failedWriteOfTheDefaultDataPathIsIgnored() {
        Start start;
        start.registry.failReadOf(settingName(valueName::dataPath));
        start.registry.failWriteOf(settingName(valueName::dataPath));
        start.registry.set(settingName(valueName::imailPath), start.imailRootWithList());

        QCOMPARE(start.run(), StartupResult::MainWindowShown);
        QCOMPARE(start.module.settings.dataPath,
                 start.installPath + QDir::separator() + QStringLiteral("URLdata"));
        QCOMPARE(start.prompter.log(), QStringList());
        QCOMPARE(start.windows.shown, bothWindows);
    }

    void switches_data() {
        QTest::addColumn<std::optional<QString>>("stored");
        QTest::addColumn<int>("value");
        QTest::newRow("1") << std::optional(QStringLiteral("1")) << 1;
        QTest::newRow("0") << std::optional(QStringLiteral("0")) << 0;
        QTest::newRow("missing") << std::optional<QString>() << 0;
        QTest::newRow("yes") << std::optional(QStringLiteral("yes")) << 0;
        QTest::newRow("empty") << std::optional(QString()) << 0;
        QTest::newRow("blanks around 1") << std::optional(QStringLiteral(" 1 ")) << 1;
        QTest::newRow("2") << std::optional(QStringLiteral("2")) << 0;
    }
    void switches() {
        QFETCH(std::optional<QString>, stored);
        QFETCH(int, value);
        for (const char* name :
             {valueName::exitSave, valueName::exitSort, valueName::restartQueue}) {
            Start start;
            start.registry.set(settingName(valueName::imailPath), start.imailRootWithList());
            for (const char* other :
                 {valueName::exitSave, valueName::exitSort, valueName::restartQueue})
                start.registry.set(settingName(other), QStringLiteral("1"));
            if (stored)
                start.registry.set(settingName(name), *stored);
            else
                start.registry.failReadOf(settingName(name));

            QCOMPARE(start.run(), StartupResult::MainWindowShown);
            const AppSettings& settings = start.module.settings;
            const QString which = QLatin1String(name);
            QCOMPARE(settings.exitSave, which == QLatin1String("exitSave") ? value : 1);
            QCOMPARE(settings.exitSort, which == QLatin1String("exitSort") ? value : 1);
            QCOMPARE(settings.restartQueue, which == QLatin1String("restartQueue") ? value : 1);
            QCOMPARE(start.prompter.log(), QStringList());
        }
    }

    void firstRunWithImail_data() {
        QTest::addColumn<std::optional<QString>>("version");
        QTest::addColumn<QString>("greeting");
        QTest::newRow("7.1") << std::optional(QStringLiteral("7.1"))
                             << oldVersionWarning(QStringLiteral("7.1"));
        QTest::newRow("7.15") << std::optional(QStringLiteral("7.15"))
                              << oldVersionWarning(QStringLiteral("7.15"));
        QTest::newRow("8.10") << std::optional(QStringLiteral("8.10")) << thanksWithImail;
        QTest::newRow("9") << std::optional(QStringLiteral("9")) << thanksWithImail;
        QTest::newRow("10.0") << std::optional(QStringLiteral("10.0")) << thanksWithImail;
        // Nothing stands between the fixed words: two blanks before "installed."
        QTest::newRow("unreadable")
            << std::optional<QString>()
            << QStringLiteral("Warning: Anti-spam filtering associated with the file that this "
                              "program was designed to manage is available in Imail version "
                              "8.xx+. This machine has version  installed.");
        QTest::newRow("empty") << std::optional(QString()) << oldVersionWarning(QString());
    }
    void firstRunWithImail() {
        QFETCH(std::optional<QString>, version);
        QFETCH(QString, greeting);
        Start start;
        const QString topDir = start.imailRootWithList();
        start.installImail(topDir, version);
        bool storedBeforeTheDialog = false;
        start.optionsThen([&](OptionsForm& form) {
            storedBeforeTheDialog =
                start.registry.values().value(settingName(valueName::imailPath)) == topDir;
            QCOMPARE(form.pathText(PathField::ImailRoot), topDir);
            QVERIFY(form.ok());
        });

        QCOMPARE(start.run(), StartupResult::MainWindowShown);
        QCOMPARE(start.prompter.log(), (QStringList{greeting, optionsDialog}));
        QVERIFY(storedBeforeTheDialog);
        QCOMPARE(start.registry.changes().constFirst(),
                 settingName(valueName::imailPath) + QLatin1Char('=') + topDir);
        QCOMPARE(start.windows.shown, bothWindows);
        QCOMPARE(start.module.settings.imailPath, topDir);
    }

    void firstRunWithImailCancelledEndsButKeepsTheDetectedFolder() {
        Start start;
        start.installImail(QStringLiteral("/srv/imail"), QStringLiteral("8.10"));
        start.optionsThen([](OptionsForm& form) { form.cancel(); });

        QCOMPARE(start.run(), StartupResult::Ended);
        QCOMPARE(start.prompter.log(), (QStringList{thanksWithImail, optionsDialog}));
        QCOMPARE(start.registry.changes(),
                 QStringList{settingName(valueName::imailPath) + QStringLiteral("=/srv/imail")});
        QCOMPARE(start.windows.shown, QStringList());
    }

    void firstRunWithoutImailCancelledStoresNothing() {
        Start start;
        start.optionsThen([](OptionsForm& form) {
            QCOMPARE(form.pathText(PathField::ImailRoot), QString());
            QVERIFY(!form.queueEnabled());
            form.cancel();
        });

        QCOMPARE(start.run(), StartupResult::Ended);
        QCOMPARE(start.prompter.log(), (QStringList{thanksWithoutImail, optionsDialog}));
        QCOMPARE(start.registry.changes(), QStringList());
        QCOMPARE(start.windows.shown, QStringList());
        QVERIFY(!start.module.settings.imailInstalled);
    }

    void firstRunWithoutImailGoesOnAfterOk() {
        Start start;
        const QString root = start.imailRootWithList();
        start.optionsThen([&](OptionsForm& form) {
            form.setPathText(PathField::ImailRoot, root);
            QVERIFY(form.ok());
        });

        QCOMPARE(start.run(), StartupResult::MainWindowShown);
        QCOMPARE(start.prompter.log(), (QStringList{thanksWithoutImail, optionsDialog}));
        QCOMPARE(start.registry.values().value(settingName(valueName::imailPath)), root);
        QCOMPARE(start.windows.shown, bothWindows);
    }

    void missingFileWithImailOffersTopDir() {
        Start start;
        const QString stored = start.folder.subfolder(QStringLiteral("old-root"));
        start.registry.set(settingName(valueName::imailPath), stored);
        start.installImail(QStringLiteral("/srv/imail"), QStringLiteral("8.10"));
        start.optionsThen([](OptionsForm& form) {
            QCOMPARE(form.pathText(PathField::ImailRoot), QStringLiteral("/srv/imail"));
            form.cancel();
        });

        QCOMPARE(start.run(), StartupResult::Ended);
        QCOMPARE(start.prompter.log(), (QStringList{fileMissing, optionsDialog}));
        QCOMPARE(start.registry.values().value(settingName(valueName::imailPath)), stored);
        QCOMPARE(start.registry.changes(), QStringList());
        QCOMPARE(start.windows.shown, QStringList());
    }

    void missingFileWithoutImailOffersTheStoredFolderAndIsNotCheckedAgain() {
        Start start;
        const QString stored = start.folder.subfolder(QStringLiteral("old-root"));
        start.registry.set(settingName(valueName::imailPath), stored);
        start.optionsThen([&](OptionsForm& form) {
            QCOMPARE(form.pathText(PathField::ImailRoot), stored);
            QVERIFY(form.ok());
        });

        // The load checks the file again, not the start-up.
        QCOMPARE(start.run(), StartupResult::MainWindowShown);
        QCOMPARE(start.prompter.log(), (QStringList{fileMissing, optionsDialog}));
        QCOMPARE(start.windows.shown, bothWindows);
    }

    void aFolderNamedLikeTheListIsNoFile() {
        Start start;
        start.folder.subfolder(QStringLiteral("imail/url-domain-bl.txt"));
        start.registry.set(settingName(valueName::imailPath),
                           start.folder.filePath(QStringLiteral("imail")));
        start.optionsThen([](OptionsForm& form) { form.cancel(); });

        QCOMPARE(start.run(), StartupResult::Ended);
        QCOMPARE(start.prompter.log(), (QStringList{fileMissing, optionsDialog}));
    }

    void optionsClosedFromTheFrameGoesOn() {
        Start start;
        start.optionsThen([](OptionsForm&) {});
        QCOMPARE(start.run(), StartupResult::MainWindowShown);
        QCOMPARE(start.prompter.log(), (QStringList{thanksWithoutImail, optionsDialog}));
        QCOMPARE(start.windows.shown, bothWindows);
    }

    void versionBefore8_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("before");
        QTest::newRow("7.1") << QStringLiteral("7.1") << true;
        QTest::newRow("7.15") << QStringLiteral("7.15") << true;
        QTest::newRow("0") << QStringLiteral("0") << true;
        QTest::newRow("07.9") << QStringLiteral("07.9") << true;
        QTest::newRow("8") << QStringLiteral("8") << false;
        QTest::newRow("8.10") << QStringLiteral("8.10") << false;
        QTest::newRow("08") << QStringLiteral("08") << false;
        QTest::newRow("9") << QStringLiteral("9") << false;
        QTest::newRow("10.0") << QStringLiteral("10.0") << false;
        QTest::newRow("12") << QStringLiteral("12") << false;
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("v8") << QStringLiteral("v8.0") << true;
        QTest::newRow("blank first") << QStringLiteral(" 9") << true;
    }
    void versionBefore8() {
        QFETCH(QString, version);
        QFETCH(bool, before);
        QCOMPARE(isBeforeVersion8(version), before);
    }
};

QTEST_GUILESS_MAIN(TestStartupSequence)
#include "tst_StartupSequence.moc"
