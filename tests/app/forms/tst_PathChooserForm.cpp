#include "app/forms/PathChooserForm.h"
#include "fakes/FakeDrives.h"
#include "fakes/FakePrompter.h"
#include "fakes/TempFolder.h"
#ifdef Q_OS_WIN
#include "fakes/WineDrive.h"
#include "platform/SystemDrives.h"
#endif

#include <QDir>
#include <QTest>

using namespace quillmere;
using quillmere::test::FakeDrives;
using quillmere::test::FakePrompter;
using quillmere::test::TempFolder;

namespace {

const QString cdRom = QStringLiteral("CD-ROM drive - can't write");
const QString floppy = QStringLiteral("Floppy drive - I think you meant something else");
const QString removable = QStringLiteral("Removable drive - did you mean something else?");
const QString unknown = QStringLiteral("The drive type cannot be determined");

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// A machine whose drives are folders of a temporary folder, with the current folder on c.
class Machine {
public:
    Machine() {
        addDrive("c", "c: [System]", DriveFixed);
        addDrive("d", "d: [Data]", DriveFixed);
        addDrive("e", "e: [Disc]", DriveCdRom);
        addDrive("a", "a:", DriveRemovable);
        addDrive("b", "b:", DriveRemovable);
        addDrive("f", "f: [Stick]", DriveRemovable);
        addDrive("n", "n: [\\\\server\\share]", DriveRemote);
        addDrive("r", "r: [RAM]", DriveRamDisk);
        addDrive("u", "u:", DriveUnknown);
        addDrive("x", "x:", DriveNoRootDir);
        addDrive("o", "o:", 7);
        working = folder.subfolder(QStringLiteral("c/work"));
        QDir::setCurrent(working);
    }
    ~Machine() { QDir::setCurrent(previousCurrent); }

    QString drivePath(const char* path) const { return folder.filePath(QLatin1String(path)); }
    int driveIndex(const char* letter) const {
        const QList<Drive> list = const_cast<FakeDrives&>(drives).list();
        for (int i = 0; i < list.size(); ++i) {
            if (list.at(i).name.startsWith(QLatin1String(letter)))
                return i;
        }
        return -1;
    }

    TempFolder folder;
    FakeDrives drives;
    FakePrompter prompter;
    Module1 module;
    QString working;

private:
    void addDrive(const char* folderName, const char* name, int type) {
        drives.add(folder.subfolder(QLatin1String(folderName)) + QLatin1Char('/'),
                   QLatin1String(name), type);
    }
    QString previousCurrent = QDir::currentPath();
};

} // namespace

class TestPathChooserForm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void driveRule_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("moves");
        QTest::addColumn<QString>("warning");
        QTest::newRow("0 unknown") << 0 << QStringLiteral("u:") << false << unknown;
        QTest::newRow("1 no root dir") << 1 << QStringLiteral("x:") << true << QString();
        QTest::newRow("2 removable a") << 2 << QStringLiteral("a:") << false << floppy;
        QTest::newRow("2 removable b") << 2 << QStringLiteral("b: [Disk]") << false << floppy;
        QTest::newRow("2 removable A") << 2 << QStringLiteral("A:") << false << floppy;
        QTest::newRow("2 removable e") << 2 << QStringLiteral("e:") << false << removable;
        QTest::newRow("2 removable volume")
            << 2 << QStringLiteral("/media/stick") << false << removable;
        QTest::newRow("3 fixed") << 3 << QStringLiteral("c:") << true << QString();
        QTest::newRow("4 remote") << 4 << QStringLiteral("n:") << true << QString();
        QTest::newRow("5 CD-ROM") << 5 << QStringLiteral("d:") << false << cdRom;
        QTest::newRow("6 RAM disk") << 6 << QStringLiteral("r:") << true << QString();
        QTest::newRow("7 other") << 7 << QStringLiteral("o:") << false << QString();
        QTest::newRow("-1 other") << -1 << QStringLiteral("o:") << false << QString();
    }
    void driveRule() {
        QFETCH(int, type);
        QFETCH(QString, name);
        QFETCH(bool, moves);
        QFETCH(QString, warning);
        const DriveRuleResult result = applyDriveRule(type, name);
        QCOMPARE(result.moves, moves);
        QCOMPARE(result.warning, warning);
    }

    void emptyStartOpensOnTheCurrentFolder() {
        Machine machine;
        PathChooserForm chooser(machine.module, machine.drives, machine.prompter);
        chooser.initData(QString());
        QCOMPARE(chooser.selectedDrive(), machine.driveIndex("c"));
        QCOMPARE(chooser.currentFolder(), machine.working);
        chooser.ok();
        QCOMPARE(chooser.chosenPath(), std::optional<QString>(native(machine.working)));
    }

    void startFolderOnAnotherDrive() {
        Machine machine;
        const QString data = machine.folder.subfolder(QStringLiteral("d/Data"));
        PathChooserForm chooser(machine.module, machine.drives, machine.prompter);
        chooser.initData(native(data));
        QCOMPARE(chooser.selectedDrive(), machine.driveIndex("d"));
        QCOMPARE(chooser.currentFolder(), data);
        chooser.ok();
        QCOMPARE(chooser.chosenPath(), std::optional<QString>(native(data)));
        QCOMPARE(machine.prompter.log(), QStringList());
    }

    void startFolderThatDoesNotExistOpensOnTheCurrentFolder() {
        Machine machine;
        PathChooserForm chooser(machine.module, machine.drives, machine.prompter);
        chooser.initData(machine.drivePath("d/gone"));
        QCOMPARE(chooser.currentFolder(), machine.working);
        QCOMPARE(chooser.selectedDrive(), machine.driveIndex("c"));
    }

    void placementRunsTheRuleWithTheFlagItFinds() {
        Machine machine;
        const QString onDisc = machine.folder.subfolder(QStringLiteral("e/setup"));
        machine.module.checkDriveType = true;
        PathChooserForm chooser(machine.module, machine.drives, machine.prompter);
        chooser.initData(onDisc);
        QCOMPARE(machine.prompter.log(), QStringList{cdRom});
        // The folder is placed whatever the rule did.
        QCOMPARE(chooser.currentFolder(), onDisc);
    }

    void unsuitableDrivesWarnAndStay_data() {
        QTest::addColumn<QString>("letter");
        QTest::addColumn<QString>("warning");
        QTest::newRow("CD-ROM") << QStringLiteral("e") << cdRom;
        QTest::newRow("floppy a") << QStringLiteral("a") << floppy;
        QTest::newRow("floppy b") << QStringLiteral("b") << floppy;
        QTest::newRow("removable f") << QStringLiteral("f") << removable;
        QTest::newRow("unknown") << QStringLiteral("u") << unknown;
    }
    void unsuitableDrivesWarnAndStay() {
        QFETCH(QString, letter);
        QFETCH(QString, warning);
        Machine machine;
        machine.module.checkDriveType = true;
        PathChooserForm chooser(machine.module, machine.drives, machine.prompter);
        chooser.initData(QString());
        const int drive = machine.driveIndex(qPrintable(letter));
        chooser.changeDrive(drive);
        QCOMPARE(machine.prompter.log(), QStringList{warning});
        QCOMPARE(chooser.selectedDrive(), drive);
        QCOMPARE(chooser.currentFolder(), machine.working);
        chooser.ok();
        QCOMPARE(chooser.chosenPath(), std::optional<QString>(native(machine.working)));
    }

    void suitableDrivesMoveTheDirectoryList_data() {
        QTest::addColumn<QString>("letter");
        QTest::newRow("fixed") << QStringLiteral("d");
        QTest::newRow("remote") << QStringLiteral("n");
        QTest::newRow("RAM disk") << QStringLiteral("r");
        QTest::newRow("no root dir") << QStringLiteral("x");
    }
    void suitableDrivesMoveTheDirectoryList() {
        QFETCH(QString, letter);
        Machine machine;
        machine.module.checkDriveType = true;
        PathChooserForm chooser(machine.module, machine.drives, machine.prompter);
        chooser.changeDrive(machine.driveIndex(qPrintable(letter)));
        QCOMPARE(machine.prompter.log(), QStringList());
        QCOMPARE(chooser.currentFolder(), machine.drivePath(qPrintable(letter)));
        // The root of a drive comes back with its closing separator.
        chooser.ok();
        QCOMPARE(chooser.chosenPath(),
                 std::optional<QString>(
                     native(machine.drivePath(qPrintable(letter)) + QLatin1Char('/'))));
    }

    void otherTypesNeitherMoveNorWarn() {
        Machine machine;
        machine.module.checkDriveType = true;
        PathChooserForm chooser(machine.module, machine.drives, machine.prompter);
        chooser.changeDrive(machine.driveIndex("o"));
        QCOMPARE(machine.prompter.log(), QStringList());
        QCOMPARE(chooser.currentFolder(), machine.working);
        QCOMPARE(chooser.selectedDrive(), machine.driveIndex("o"));
    }

    void withoutTheCheckEveryDriveIsFollowed() {
        Machine machine;
        PathChooserForm chooser(machine.module, machine.drives, machine.prompter);
        chooser.changeDrive(machine.driveIndex("e"));
        QCOMPARE(machine.prompter.log(), QStringList());
        QCOMPARE(chooser.currentFolder(), machine.drivePath("e"));
    }

    void eachDriveKeepsItsFolder() {
        Machine machine;
        const QString data = machine.folder.subfolder(QStringLiteral("d/Data"));
        PathChooserForm chooser(machine.module, machine.drives, machine.prompter);
        chooser.initData(data);
        chooser.changeDrive(machine.driveIndex("c"));
        QCOMPARE(chooser.currentFolder(), machine.working);
        chooser.changeDrive(machine.driveIndex("d"));
        QCOMPARE(chooser.currentFolder(), data);
    }

    void unreadableDriveIsReported() {
        Machine machine;
        machine.drives.add(machine.drivePath("z") + QLatin1Char('/'), QStringLiteral("z:"),
                           DriveFixed);
        PathChooserForm chooser(machine.module, machine.drives, machine.prompter);
        chooser.changeDrive(machine.driveIndex("z"));
        QCOMPARE(machine.prompter.log(),
                 QStringList{QStringLiteral("The drive z: cannot be read")});
        QCOMPARE(chooser.currentFolder(), machine.working);
    }

    void directoryListShowsThePathDownAndTheSubFolders() {
        Machine machine;
        const QString current = machine.folder.subfolder(QStringLiteral("c/one/two"));
        for (const char* name : {"c/one/two/b", "c/one/two/A", "c/one/two/c"})
            machine.folder.subfolder(QLatin1String(name));
        machine.folder.write(QStringLiteral("c/one/two/file.txt"), "");
        PathChooserForm chooser(machine.module, machine.drives, machine.prompter);
        chooser.initData(current);

        const QList<PathChooserForm::FolderEntry> entries = chooser.folderEntries();
        QStringList labels;
        QList<int> depths;
        for (const auto& entry : entries) {
            labels << entry.label;
            depths << entry.depth;
        }
        QCOMPARE(labels, (QStringList{native(machine.drivePath("c")), QStringLiteral("one"),
                                      QStringLiteral("two"), QStringLiteral("A"),
                                      QStringLiteral("b"), QStringLiteral("c")}));
        QCOMPARE(depths, (QList<int>{0, 1, 2, 3, 3, 3}));
        QCOMPARE(entries.at(1).path, machine.drivePath("c/one"));
        QCOMPARE(entries.at(3).path, machine.drivePath("c/one/two/A"));
        QCOMPARE(chooser.currentEntry(), 2);
    }

    void onlyAnOpenedFolderIsTheAnswer() {
        Machine machine;
        machine.folder.subfolder(QStringLiteral("c/work/sub"));
        PathChooserForm chooser(machine.module, machine.drives, machine.prompter);
        chooser.initData(QString());
        // Highlighting "sub" changes nothing here; opening it does.
        chooser.ok();
        QCOMPARE(chooser.chosenPath(), std::optional<QString>(native(machine.working)));
        chooser.openFolder(machine.drivePath("c/work/sub"));
        chooser.ok();
        QCOMPARE(chooser.chosenPath(),
                 std::optional<QString>(native(machine.drivePath("c/work/sub"))));
        chooser.openFolder(machine.drivePath("c"));
        chooser.ok();
        QCOMPARE(chooser.chosenPath(),
                 std::optional<QString>(native(machine.drivePath("c") + QLatin1Char('/'))));
    }

    void openingAFolderOfAnotherVolumeSelectsIt() {
        Machine machine;
        const QString mount = machine.folder.subfolder(QStringLiteral("c/mnt"));
        machine.drives.add(mount + QLatin1Char('/'), QStringLiteral("/mnt"), DriveRemote);
        PathChooserForm chooser(machine.module, machine.drives, machine.prompter);
        chooser.openFolder(mount);
        QCOMPARE(chooser.selectedDrive(), machine.drives.list().size() - 1);
        QCOMPARE(chooser.folderEntries().constFirst().path, mount);
    }

#ifdef Q_OS_WIN
    // Each row: a start folder as the Options dialog hands it over (below the test's folder, on
    // C:), the path the directory list shows from the drive's root down, and what OK answers. The
    // machine's own drives: a drive's root ends in its backslash, C:\, and nowhere else.
    void realDrivesAndTheirRoots_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("answer");
        QTest::newRow("the root of C:") << QStringLiteral("C:\\") << QStringLiteral("C:\\");
        QTest::newRow("the root, slash") << QStringLiteral("C:/") << QStringLiteral("C:\\");
        QTest::newRow("a folder") << QStringLiteral("{test}\\one\\two")
                                  << QStringLiteral("{test}\\one\\two");
        QTest::newRow("lower-case letter, slashes, a closing one")
            << QStringLiteral("{test lower}/one/two/") << QStringLiteral("{test}\\one\\two");
        QTest::newRow("dot dot") << QStringLiteral("{test}\\one\\two\\..")
                                 << QStringLiteral("{test}\\one");
    }
    void realDrivesAndTheirRoots() {
        QFETCH(QString, start);
        QFETCH(QString, answer);
        TempFolder folder;
        folder.subfolder(QStringLiteral("one/two"));
        const QString test = native(folder.path());
        QVERIFY2(test.startsWith(QLatin1String("C:\\")), qPrintable(test));
        const auto filled = [&test](QString text) {
            return text.replace(QLatin1String("{test lower}"), QStringLiteral("c") + test.mid(1))
                .replace(QLatin1String("{test}"), test);
        };
        SystemDrives drives;
        FakePrompter prompter;
        Module1 module;
        PathChooserForm chooser(module, drives, prompter);
        chooser.initData(filled(start));

        QCOMPARE(chooser.drives().value(chooser.selectedDrive()).root, QStringLiteral("C:/"));
        const QString shown = filled(answer);
        QStringList path;
        for (const auto& entry : chooser.folderEntries().mid(0, chooser.currentEntry() + 1))
            path << entry.label;
        QCOMPARE(path, QStringList{QStringLiteral("C:\\")} +
                           shown.mid(3).split(QLatin1Char('\\'), Qt::SkipEmptyParts));
        chooser.ok();
        QCOMPARE(chooser.chosenPath(), std::optional<QString>(shown));
        QCOMPARE(prompter.log(), QStringList());
    }

    // The drive rule on the machine's own drive letters, typed by GetDriveTypeA: a CD-ROM drive
    // warns and stays, a fixed one is followed to its root, and C: gets its folder back.
    void realDrivesFollowTheRule() {
        TempFolder folder;
        const QString start = folder.subfolder(QStringLiteral("start"));
        const test::WineDrive disc(QChar(u'Q'), DriveCdRom,
                                   folder.subfolder(QStringLiteral("disc")));
        const test::WineDrive fixed(QChar(u'R'), DriveFixed,
                                    folder.subfolder(QStringLiteral("fixed")));
        if (!disc.unavailable().isEmpty() || !fixed.unavailable().isEmpty())
            QSKIP(qPrintable(disc.unavailable() + fixed.unavailable()));
        SystemDrives drives;
        FakePrompter prompter;
        Module1 module;
        PathChooserForm chooser(module, drives, prompter);
        chooser.initData(native(start));
        module.checkDriveType = true;
        const auto indexOf = [&chooser](const QString& root) {
            for (int i = 0; i < chooser.drives().size(); ++i) {
                if (chooser.drives().at(i).root == root)
                    return i;
            }
            return -1;
        };

        chooser.changeDrive(indexOf(QStringLiteral("Q:/")));
        QCOMPARE(prompter.log(), QStringList{cdRom});
        QCOMPARE(chooser.currentFolder(), QDir::cleanPath(start));
        chooser.changeDrive(indexOf(QStringLiteral("R:/")));
        QCOMPARE(chooser.currentFolder(), QStringLiteral("R:/"));
        chooser.ok();
        QCOMPARE(chooser.chosenPath(), std::optional<QString>(QStringLiteral("R:\\")));
        chooser.changeDrive(indexOf(QStringLiteral("C:/")));
        chooser.ok();
        QCOMPARE(chooser.chosenPath(), std::optional<QString>(native(start)));
        QCOMPARE(prompter.log(), QStringList{cdRom});
    }
#endif

    void cancelAnswersNothing() {
        Machine machine;
        PathChooserForm chooser(machine.module, machine.drives, machine.prompter);
        chooser.initData(machine.working);
        chooser.cancel();
        QCOMPARE(chooser.chosenPath(), std::optional<QString>(QString()));
    }
};

QTEST_GUILESS_MAIN(TestPathChooserForm)
#include "tst_PathChooserForm.moc"
