#include "gui/mainwindow/MainWindowFixture.h"

#include <QDir>
#include <QFile>

using namespace quillmere;
using namespace quillmere::test;

namespace {

const QString kJournalFile = QStringLiteral("data/url-domain-log.txt");

} // namespace

// Saving the lists from the main window, the change check at exit, and revert.
class TestMainWindowSaving : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void exitCancelledKeepsTheWindowAndSorts() {
        Harness h({QStringLiteral("b.ex"), QStringLiteral("a.ex")}, {}, {});
        h.module.settings.exitSort = 1;
        QVERIFY(h.open());
        h.type(QStringLiteral("c.ex"));
        h.press("CommandAdd");
        h.prompter.answerNext(PromptAnswer::Cancel);
        QVERIFY(!h.window->close());
        QVERIFY(h.window->isVisible());
        QCOMPARE(h.rows("List1"), (QStringList{QStringLiteral("a.ex"), QStringLiteral("b.ex"),
                                               QStringLiteral("c.ex")}));
        QCOMPARE(h.panel(1), QStringLiteral("modified: main, added"));
        QCOMPARE(h.prompter.shown().size(), 1);
        QCOMPARE(h.folder().read(kMainFile), QByteArray("b.ex\r\na.ex\r\n"));
        QVERIFY(h.launcher.starts().isEmpty());
    }

    void exitAnsweredNoSavesNothing() {
        Harness h({QStringLiteral("a.ex")}, {}, {});
        QVERIFY(h.open());
        h.type(QStringLiteral("b.ex"));
        h.press("CommandAdd");
        h.prompter.answerNext(PromptAnswer::No);
        QVERIFY(h.window->close());
        QCOMPARE(h.prompter.shownTexts(),
                 QStringList{QStringLiteral("Save list modifications before exit?")});
        QCOMPARE(h.folder().read(kMainFile), QByteArray("a.ex\r\n"));
        QVERIFY(!h.folder().exists(kAddedFile));
        QVERIFY(h.launcher.starts().isEmpty());
    }

    void exitWithoutSavingAsksNothing() {
        Harness h({QStringLiteral("a.ex")}, {QStringLiteral("a.ex")}, {});
        h.module.settings.exitSave = 1;
        h.module.settings.restartQueue = 1;
        QVERIFY(h.open());
        h.type(QStringLiteral("b.ex"));
        h.press("CommandAdd");
        QVERIFY(h.item("mnuFileExitNosave")->isEnabled());
        h.item("mnuFileExitNosave")->trigger();
        QVERIFY(!h.window->isVisible());
        QVERIFY(h.prompter.log().isEmpty());
        QCOMPARE(h.folder().read(kMainFile), QByteArray("a.ex\r\n"));
        QCOMPARE(h.folder().read(kAddedFile), QByteArray("a.ex\r\n"));
        QVERIFY(h.launcher.starts().isEmpty());
    }

    void exitSaveAndRestartSwitchesAskNothing() {
        Harness h({QStringLiteral("a.ex")}, {}, {});
        h.module.settings.exitSave = 1;
        h.module.settings.restartQueue = 1;
        QVERIFY(h.open());
        h.type(QStringLiteral("b.ex"));
        h.press("CommandAdd");
        QVERIFY(h.window->close());
        QVERIFY(h.prompter.log().isEmpty());
        QCOMPARE(h.folder().read(kMainFile), QByteArray("a.ex\r\nb.ex\r\n"));
        QCOMPARE(h.launcher.starts(), QStringList{kInstall});
    }

    void closeBoxWithNothingModifiedAsksNothing() {
        Harness h({QStringLiteral("a.ex")}, {}, {});
        QVERIFY(h.open());
        QVERIFY(h.window->close());
        QVERIFY(h.prompter.log().isEmpty());
        QVERIFY(h.launcher.starts().isEmpty());
    }

    // A list its administrator marked read-only is kept as it is: "Save All" says so, naming it,
    // and changes no file.
    void aReadOnlyListIsKeptAsItIs() {
        Harness h({QStringLiteral("a.ex")}, {}, {});
        const QString main = h.folder().filePath(kMainFile);
        const auto readOnly =
            QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
        QVERIFY(QFile::setPermissions(main, readOnly));
        QVERIFY(h.open());
        h.type(QStringLiteral("b.ex"));
        h.press("CommandAdd");
        h.item("mnuFileSave")->trigger();
        QVERIFY(QFile::setPermissions(main, readOnly | QFileDevice::WriteOwner));
        QCOMPARE(h.prompter.shownTexts(),
                 QStringList{QStringLiteral("Cannot save %1: it is read-only, and a read-only list "
                                            "is kept as it is\nNo list file was changed.")
                                 .arg(QDir::toNativeSeparators(main))});
        QCOMPARE(h.folder().read(kMainFile), QByteArray("a.ex\r\n"));
        QVERIFY(!h.folder().exists(kAddedFile));
        QCOMPARE(h.panel(1), QStringLiteral("modified: main, added"));
    }

    void failedSaveAtExitKeepsTheWindowOpen() {
        Harness h({QStringLiteral("a.ex")}, {}, {});
        h.module.settings.exitSave = 1;
        QVERIFY(h.open());
        h.type(QStringLiteral("b.ex"));
        h.press("CommandAdd");
        // The Imail root is gone by the time of the exit; it is never created.
        h.module.settings.imailPath = h.folder().filePath(QStringLiteral("gone"));
        QVERIFY(!h.window->close());
        QVERIFY(h.window->isVisible());
        QCOMPARE(h.prompter.shown().size(), 1);
        QVERIFY2(
            h.prompter.shown()[0].text.startsWith(QStringLiteral("Cannot save ") +
                                                  QDir::toNativeSeparators(h.folder().filePath(
                                                      QStringLiteral("gone/url-domain-bl.txt")))),
            qPrintable(h.prompter.shown()[0].text));
        QVERIFY(h.prompter.shown()[0].text.endsWith(QStringLiteral("\nNo list file was changed.")));
        // The save is one step: the Added list waits with the Main list.
        QCOMPARE(h.panel(1), QStringLiteral("modified: main, added"));
        QVERIFY(!h.folder().exists(kAddedFile));
        QVERIFY(h.launcher.starts().isEmpty());
    }

    void revertRestoresTheFiles() {
        Harness h({QStringLiteral("a.ex"), QStringLiteral("b.ex")}, {QStringLiteral("a.ex")},
                  {QStringLiteral("r.ex")});
        QVERIFY(h.open());
        h.type(QStringLiteral("n.ex"));
        h.press("CommandAdd");
        h.showTab(2);
        h.clickRow("List3", 0);
        h.press("CommandRemRemoved");
        h.showTab(1);
        h.clickRow("List2", 0);
        h.press("CommandRemAdded");
        QCOMPARE(h.panel(1), QStringLiteral("modified: main, added, removed"));

        h.prompter.answerNext(PromptAnswer::Ok);
        h.item("mnuFileRevert")->trigger();
        QCOMPARE(h.prompter.shown().size(), 1);
        QCOMPARE(h.prompter.shown()[0].text, QStringLiteral("Discard changes?"));
        QCOMPARE(h.prompter.shown()[0].title, QStringLiteral("Imail Quillmere"));
        QCOMPARE(h.prompter.shown()[0].buttons, PromptButtons::OkCancel);
        QCOMPARE(h.rows("List1"), (QStringList{QStringLiteral("a.ex"), QStringLiteral("b.ex")}));
        QCOMPARE(h.rows("List2"), QStringList{QStringLiteral("a.ex")});
        QCOMPARE(h.rows("List3"), QStringList{QStringLiteral("r.ex")});
        QCOMPARE(h.panel(1), QString());
        QCOMPARE(h.panel(3), QStringLiteral("2 listed"));
        for (const char* name : {"mnuFileSave", "mnuFileRevert", "mnuFileExitNosave"})
            QVERIFY2(!h.item(name)->isEnabled(), name);
        QCOMPARE(h.tabs()->currentIndex(), 0);
        QVERIFY(h.frameVisible(1));
        QVERIFY(!h.frameVisible(2));
        // Nothing is left to save.
        QVERIFY(h.window->close());
        QCOMPARE(h.prompter.shown().size(), 1);
    }

    void revertCancelledChangesNothing() {
        Harness h({QStringLiteral("a.ex")}, {}, {});
        QVERIFY(h.open());
        h.type(QStringLiteral("n.ex"));
        h.press("CommandAdd");
        h.prompter.answerNext(PromptAnswer::Cancel);
        h.item("mnuFileRevert")->trigger();
        QCOMPARE(h.rows("List1"), (QStringList{QStringLiteral("a.ex"), QStringLiteral("n.ex")}));
        QCOMPARE(h.panel(1), QStringLiteral("modified: main, added"));
        QVERIFY(h.item("mnuFileRevert")->isEnabled());
    }

    void revertWithTheFileGoneEndsWhenOptionsAreCancelled() {
        Harness h({QStringLiteral("a.ex")}, {}, {});
        QVERIFY(h.open());
        h.type(QStringLiteral("n.ex"));
        h.press("CommandAdd");
        QFile::remove(h.folder().filePath(kMainFile));
        h.prompter.answerNext(PromptAnswer::Ok);
        h.prompter.onNextOptionsDialog([] { return true; });
        h.item("mnuFileRevert")->trigger();
        QVERIFY(!h.window->isVisible());
        QCOMPARE(h.prompter.log(),
                 (QStringList{QStringLiteral("Discard changes?"), QStringLiteral("[Options]")}));
        QVERIFY(!h.folder().exists(kMainFile));
        QVERIFY(!h.folder().exists(kAddedFile));
    }

    void saveAllWritesAndLeavesTheItemsEnabled() {
        Harness h({QStringLiteral("b.ex"), QStringLiteral("a.ex")}, {}, {QStringLiteral("r.ex")});
        QVERIFY(h.open());
        h.press("CommandSort");
        h.item("mnuFileSave")->trigger();
        QCOMPARE(h.folder().read(kMainFile), QByteArray("a.ex\r\nb.ex\r\n"));
        QVERIFY(!h.folder().exists(kAddedFile));
        QCOMPARE(h.folder().read(kRemovedFile), QByteArray("r.ex\r\n"));
        QCOMPARE(h.panel(1), QString());
        QVERIFY(h.item("mnuFileSave")->isEnabled());
        QVERIFY(h.item("mnuFileRevert")->isEnabled());
        QVERIFY(h.prompter.log().isEmpty());
        QVERIFY(h.window->close()); // nothing left to ask about
    }

    void journalHoldsTheSavedEditsAndNoRevertedOne() {
        Harness h({QStringLiteral("a.ex"), QStringLiteral("b.ex")}, {}, {});
        QVERIFY(h.open());
        h.type(QStringLiteral("reverted.ex"));
        h.press("CommandAdd");
        h.prompter.answerNext(PromptAnswer::Ok);
        h.item("mnuFileRevert")->trigger();
        h.type(QStringLiteral("n.ex"));
        h.press("CommandAdd");
        h.clickRow("List1", 0);
        h.press("CommandRem");
        h.item("mnuFileRebuild")->trigger();
        h.item("mnuFileSave")->trigger();
        h.item("mnuFileSave")->trigger(); // nothing new: nothing more in the journal

        const QList<QByteArray> lines = h.folder().read(kJournalFile).split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[3].isEmpty());
        const QByteArrayList tails = {"\twindow\tadd\tn.ex\r", "\twindow\tremove\ta.ex\r",
                                      "\twindow\trebuild\t0\t0\t\r"};
        for (int k = 0; k < 3; ++k)
            QVERIFY2(lines[k].endsWith(tails[k]), lines[k].constData());
        QVERIFY(h.prompter.shown().size() == 1); // the revert's question only
    }

    void failedSaveIsReportedAndKeepsTheFlag() {
        Harness h({QStringLiteral("a.ex")}, {}, {});
        QVERIFY(h.open());
        h.type(QStringLiteral("n.ex"));
        h.press("CommandAdd");
        h.module.settings.imailPath = h.folder().filePath(QStringLiteral("gone"));
        h.item("mnuFileSave")->trigger();
        QCOMPARE(h.prompter.shown().size(), 1);
        QVERIFY(h.prompter.shown()[0].text.startsWith(QStringLiteral("Cannot save ")));
        QVERIFY(h.prompter.shown()[0].text.contains(QStringLiteral("url-domain-bl.txt")));
        QCOMPARE(h.panel(1), QStringLiteral("modified: main, added"));
        QVERIFY(!h.folder().exists(kAddedFile));
    }

    // After a merge the window's Main list is a new whole: overwrite or save nothing.
    void saveAfterAnotherWriterFollowingAMerge_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QByteArray>("savedMain");
        QTest::newRow("overwrite") << int(PromptAnswer::Ok) << QByteArray("a.ex\r\nb.ex\r\n");
        QTest::newRow("save nothing")
            << int(PromptAnswer::Cancel) << QByteArray("b.ex\r\nt.ex\r\n");
    }

    void saveAfterAnotherWriterFollowingAMerge() {
        QFETCH(int, answer);
        QFETCH(QByteArray, savedMain);
        Harness h({QStringLiteral("b.ex"), QStringLiteral("a.ex")}, {}, {});
        QVERIFY(h.open());
        h.item("mnuFileRebuild")->trigger();
        h.folder().write(kMainFile, "b.ex\r\nt.ex\r\n");
        h.prompter.answerNext(static_cast<PromptAnswer>(answer));
        h.item("mnuFileSave")->trigger();
        QCOMPARE(h.prompter.shown().size(), 1);
        QCOMPARE(h.prompter.shown()[0].buttons, PromptButtons::OkCancel);
        QCOMPARE(h.prompter.shown()[0].text,
                 QStringLiteral("Changed by another program since the lists were loaded:\n%1\n\n"
                                "The merge made here cannot be applied to them again.\n"
                                "OK: overwrite them with the lists shown here; the other program's "
                                "changes are lost.\n"
                                "Cancel: save nothing; Revert loads the files as they are now.")
                     .arg(QDir::toNativeSeparators(h.folder().filePath(kMainFile))));
        QCOMPARE(h.folder().read(kMainFile), savedMain);
    }

    // A tracking list that could not be read at the load is shown empty; saving it would wipe it.
    void unreadableTrackingListIsNeverWrittenOver() {
        Harness h({QStringLiteral("a.ex")}, {}, {});
        h.folder().subfolder(kAddedFile); // a folder where the Added list's file should be
        QVERIFY(h.open());
        const QString added = QDir::toNativeSeparators(h.folder().filePath(kAddedFile));
        QCOMPARE(h.prompter.shown().size(), 1);
        QCOMPARE(h.prompter.shown()[0].text,
                 QStringLiteral("Cannot read %1: it is a folder, not a file").arg(added));
        h.type(QStringLiteral("n.ex"));
        h.press("CommandAdd");
        h.item("mnuFileSave")->trigger();
        QCOMPARE(h.prompter.shown().size(), 2);
        QCOMPARE(h.prompter.shown()[1].text,
                 QStringLiteral("%1 could not be read when the lists were loaded, so it is not "
                                "overwritten.\nNo list file was changed.")
                     .arg(added));
        QCOMPARE(h.folder().read(kMainFile), QByteArray("a.ex\r\n"));
        QCOMPARE(h.panel(1), QStringLiteral("modified: main, added"));
    }

    // Another program (the command-line tool) saved the files while the window was open. Each
    // row ends with the tab shown during the save and the count panel after it.
    void saveAfterAnotherWriter_data() {
        QTest::addColumn<QByteArray>("theirMain");
        QTest::addColumn<QByteArray>("theirAdded");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QByteArray>("savedMain");
        QTest::addColumn<QByteArray>("savedAdded");
        QTest::addColumn<QString>("panel1");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("panel3");

        // The other program saves once more while the question is open: what it saves then is
        // kept too, and the count shown is the one of the list as it now is.
        QTest::newRow("apply both programs' changes, Added tab")
            << QByteArray("a.ex\r\nt.ex\r\n") << QByteArray("t.ex\r\n") << int(PromptAnswer::Yes)
            << QByteArray("a.ex\r\nt.ex\r\nu.ex\r\nn.ex\r\n")
            << QByteArray("t.ex\r\nu.ex\r\nn.ex\r\n") << QString() << 1
            << QStringLiteral("3 added");
        QTest::newRow("apply both programs' changes, Main tab")
            << QByteArray("a.ex\r\nt.ex\r\n") << QByteArray("t.ex\r\n") << int(PromptAnswer::Yes)
            << QByteArray("a.ex\r\nt.ex\r\nu.ex\r\nn.ex\r\n")
            << QByteArray("t.ex\r\nu.ex\r\nn.ex\r\n") << QString() << 0
            << QStringLiteral("4 listed");
        QTest::newRow("overwrite")
            << QByteArray("a.ex\r\nt.ex\r\n") << QByteArray("t.ex\r\n") << int(PromptAnswer::No)
            << QByteArray("a.ex\r\nn.ex\r\n") << QByteArray("n.ex\r\n") << QString() << 1
            << QStringLiteral("1 added");
        QTest::newRow("save nothing")
            << QByteArray("a.ex\r\nt.ex\r\n") << QByteArray("t.ex\r\n") << int(PromptAnswer::Cancel)
            << QByteArray("a.ex\r\nt.ex\r\n") << QByteArray("t.ex\r\n")
            << QStringLiteral("modified: main, added") << 1 << QStringLiteral("1 added");
        QTest::newRow("rewritten with the same bytes: no question")
            << QByteArray("a.ex\r\n") << QByteArray() << -1 << QByteArray("a.ex\r\nn.ex\r\n")
            << QByteArray("n.ex\r\n") << QString() << 0 << QStringLiteral("2 listed");
    }

    void saveAfterAnotherWriter() {
        QFETCH(QByteArray, theirMain);
        QFETCH(QByteArray, theirAdded);
        QFETCH(int, answer);
        QFETCH(QByteArray, savedMain);
        QFETCH(QByteArray, savedAdded);
        QFETCH(QString, panel1);
        QFETCH(int, tab);
        QFETCH(QString, panel3);

        Harness h({QStringLiteral("a.ex")}, {}, {});
        QVERIFY(h.open());
        h.type(QStringLiteral("n.ex"));
        h.press("CommandAdd");
        h.showTab(tab);
        h.folder().write(kMainFile, theirMain);
        if (!theirAdded.isNull())
            h.folder().write(kAddedFile, theirAdded);
        if (answer >= 0)
            h.prompter.answerNext(static_cast<PromptAnswer>(answer));
        bool lockedWhileAsking = true;
        h.prompter.whileNextPromptIsOpen([&h, &lockedWhileAsking, answer] {
            lockedWhileAsking = h.folder().exists(kMainFile + QStringLiteral(".lock"));
            if (answer == int(PromptAnswer::Yes)) {
                h.folder().write(kMainFile, "a.ex\r\nt.ex\r\nu.ex\r\n");
                h.folder().write(kAddedFile, "t.ex\r\nu.ex\r\n");
            }
        });
        h.item("mnuFileSave")->trigger();

        QCOMPARE(h.folder().read(kMainFile), savedMain);
        QCOMPARE(h.folder().read(kAddedFile), savedAdded);
        QCOMPARE(h.panel(1), panel1);
        QCOMPARE(h.panel(3), panel3);
        if (answer < 0) {
            QVERIFY(h.prompter.log().isEmpty());
            return;
        }
        QVERIFY(!lockedWhileAsking); // a question left open keeps no other writer waiting
        QCOMPARE(h.prompter.shown().size(), 1);
        QCOMPARE(h.prompter.shown()[0].buttons, PromptButtons::YesNoCancel);
        QCOMPARE(
            h.prompter.shown()[0].text,
            QStringLiteral("Changed by another program since the lists were loaded:\n%1\n%2\n\n"
                           "Yes: apply the changes made here to these files as they are now, "
                           "keeping the other program's changes.\n"
                           "No: overwrite them with the lists shown here; the other program's "
                           "changes are lost.\n"
                           "Cancel: save nothing.")
                .arg(QDir::toNativeSeparators(h.folder().filePath(kAddedFile)),
                     QDir::toNativeSeparators(h.folder().filePath(kMainFile))));
        if (answer == int(PromptAnswer::Yes))
            QCOMPARE(h.rows("List1"),
                     (QStringList{QStringLiteral("a.ex"), QStringLiteral("t.ex"),
                                  QStringLiteral("u.ex"), QStringLiteral("n.ex")}));
        // Once saved, the files are what the window knows: the next save asks nothing.
        if (answer != int(PromptAnswer::Cancel)) {
            h.showTab(0);
            h.press("CommandSort");
            h.item("mnuFileSave")->trigger();
            QCOMPARE(h.prompter.shown().size(), 1);
        }
    }
};

QTEST_MAIN(TestMainWindowSaving)
#include "tst_MainWindowSaving.moc"
