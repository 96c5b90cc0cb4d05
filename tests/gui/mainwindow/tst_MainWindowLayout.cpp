#include "fakes/UnreadableFile.h"
#include "gui/mainwindow/MainWindowFixture.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>

using namespace quillmere;
using namespace quillmere::test;

namespace {

QStringList captions(const QMenu* menu) {
    QStringList out;
    for (const QAction* action : menu->actions())
        out << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return out;
}

QStringList names(const QMenu* menu) {
    QStringList out;
    for (const QAction* action : menu->actions())
        out << action->objectName();
    return out;
}

} // namespace

// The main window as it opens: its layout, menus and captions, the state after the load, the
// load's failures, and the menu items that open other windows.
class TestMainWindowLayout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void layoutMenusAndCaptions() {
        Harness h({QStringLiteral("a.ex")}, {}, {});
        QVERIFY(h.open());
        QCOMPARE(h.window->objectName(), QStringLiteral("frmMain"));
        QCOMPARE(h.window->windowTitle(), QStringLiteral("Quillmere"));
        QCOMPARE(h.window->centralWidget()->size(), QSize(399, 455));

        QStringList menus;
        for (const QAction* menu : h.window->menuBar()->actions())
            menus << menu->text();
        QCOMPARE(menus, (QStringList{QStringLiteral("&File"), QStringLiteral("&Tools"),
                                     QStringLiteral("&Help")}));
        const auto* fileMenu = h.find<QMenu>(QStringLiteral("mnuFile"));
        QCOMPARE(captions(fileMenu),
                 (QStringList{QStringLiteral("&Merge new factory list..."),
                              QStringLiteral("Rebuild"), QStringLiteral("&Revert"),
                              QStringLiteral("-"), QStringLiteral("&Save All"), QStringLiteral("-"),
                              QStringLiteral("Exit without saving"), QStringLiteral("E&xit")}));
        QCOMPARE(names(fileMenu),
                 (QStringList{QStringLiteral("mnuFileOpen"), QStringLiteral("mnuFileRebuild"),
                              QStringLiteral("mnuFileRevert"), QStringLiteral("mnuFileBar0"),
                              QStringLiteral("mnuFileSave"), QStringLiteral("mnuFileBar1"),
                              QStringLiteral("mnuFileExitNosave"), QStringLiteral("mnuFileExit")}));
        const auto* toolsMenu = h.find<QMenu>(QStringLiteral("mnuTools"));
        QCOMPARE(captions(toolsMenu), (QStringList{QStringLiteral("&Restart Queue Manager"),
                                                   QStringLiteral("&Evaluate added URLs..."),
                                                   QStringLiteral("&Options...")}));
        QCOMPARE(names(toolsMenu),
                 (QStringList{QStringLiteral("mnuQueueRestart"), QStringLiteral("mnuToolsEval"),
                              QStringLiteral("mnuToolsOptions")}));
        const auto* helpMenu = h.find<QMenu>(QStringLiteral("mnuHelp"));
        QCOMPARE(captions(helpMenu), QStringList{QStringLiteral("&About ")});
        QCOMPARE(names(helpMenu), QStringList{QStringLiteral("mnuHelpAbout")});

        QCOMPARE(h.tabs()->count(), 3);
        QCOMPARE(h.tabs()->tabText(0), QStringLiteral("Main"));
        QCOMPARE(h.tabs()->tabText(1), QStringLiteral("Added"));
        QCOMPARE(h.tabs()->tabText(2), QStringLiteral("Removed"));

        // Captions and places from the design, in pixels.
        const QList<std::tuple<const char*, const char*, QRect>> buttons{
            {"CommandAdd", "add", QRect(280, 16, 97, 17)},
            {"CommandRem", "remove", QRect(280, 48, 97, 17)},
            {"CommandSort", "sort", QRect(280, 400, 97, 17)},
            {"CommandRemAdded", "remove", QRect(280, 22, 97, 17)},
            {"cmdAddedClear", "clear", QRect(280, 48, 97, 17)},
            {"CommandSortAdded", "sort", QRect(280, 400, 97, 17)},
            {"CommandRemRemoved", "re-activate", QRect(280, 22, 97, 17)},
            {"CommandSortRem", "sort", QRect(280, 400, 97, 17)},
        };
        for (const auto& [name, caption, place] : buttons) {
            QCOMPARE(h.button(name)->text(), QLatin1String(caption));
            QCOMPARE(h.button(name)->geometry(), place);
        }
        QCOMPARE(h.findBox()->geometry(), QRect(8, 16, 265, 19));
        QCOMPARE(h.list("List1")->geometry(), QRect(8, 48, 265, 377));
        QCOMPARE(h.list("List2")->geometry(), QRect(8, 22, 265, 394));
        QCOMPARE(h.list("List3")->geometry(), QRect(8, 22, 265, 394));
        for (int k = 1; k <= 3; ++k)
            QCOMPARE(h.find<QFrame>(QStringLiteral("Frame%1").arg(k))->geometry(),
                     QRect(8, 24, 385, 425));
        QCOMPARE(h.button("CommandAdd")->parentWidget()->objectName(), QStringLiteral("Frame1"));
        QCOMPARE(h.list("List2")->parentWidget()->objectName(), QStringLiteral("Frame2"));
        QCOMPARE(h.list("List3")->parentWidget()->objectName(), QStringLiteral("Frame3"));
        QVERIFY(h.list("List1")->uniformItemSizes());
        QCOMPARE(h.list("List1")->selectionMode(), QAbstractItemView::SingleSelection);
    }

    // Each row: the Added file, exitSave, Imail installed; then whether the evaluation item is
    // enabled, whether "Exit without saving" is shown and whether the restart item is enabled.
    void stateAfterLoad_data() {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<int>("exitSave");
        QTest::addColumn<bool>("imailInstalled");
        QTest::addColumn<bool>("evalEnabled");
        QTest::addColumn<bool>("exitNoSaveShown");
        QTest::addColumn<bool>("restartEnabled");
        QTest::newRow("added entries, Imail, exitSave off")
            << QStringList{QStringLiteral("a.ex")} << 0 << true << true << false << true;
        QTest::newRow("no added file, exitSave on")
            << QStringList{} << 1 << true << false << true << true;
        QTest::newRow("Imail not installed")
            << QStringList{} << 0 << false << false << false << false;
    }

    void stateAfterLoad() {
        QFETCH(QStringList, added);
        QFETCH(int, exitSave);
        QFETCH(bool, imailInstalled);
        QFETCH(bool, evalEnabled);
        QFETCH(bool, exitNoSaveShown);
        QFETCH(bool, restartEnabled);
        Harness h({QStringLiteral("b.ex"), QStringLiteral("a.ex"), QStringLiteral("c.ex")}, added,
                  {QStringLiteral("r.ex")});
        h.module.settings.exitSave = static_cast<std::int16_t>(exitSave);
        h.module.settings.imailInstalled = imailInstalled;
        QVERIFY(h.open());

        QCOMPARE(h.item("mnuToolsEval")->isEnabled(), evalEnabled);
        QCOMPARE(h.item("mnuFileExitNosave")->isVisible(), exitNoSaveShown);
        QCOMPARE(h.item("mnuQueueRestart")->isEnabled(), restartEnabled);
        for (const char* name : {"mnuFileSave", "mnuFileRevert", "mnuFileExitNosave"})
            QVERIFY2(!h.item(name)->isEnabled(), name);
        for (const char* name :
             {"mnuFileOpen", "mnuFileRebuild", "mnuFileExit", "mnuToolsOptions", "mnuHelpAbout"})
            QVERIFY2(h.item(name)->isEnabled(), name);
        for (const char* name :
             {"CommandAdd", "CommandRem", "CommandRemAdded", "CommandRemRemoved"})
            QVERIFY2(!h.button(name)->isEnabled(), name);
        for (const char* name :
             {"cmdAddedClear", "CommandSort", "CommandSortAdded", "CommandSortRem"})
            QVERIFY2(h.button(name)->isEnabled(), name);

        QCOMPARE(h.rows("List1"), (QStringList{QStringLiteral("b.ex"), QStringLiteral("a.ex"),
                                               QStringLiteral("c.ex")}));
        QCOMPARE(h.rows("List2"), added);
        QCOMPARE(h.rows("List3"), QStringList{QStringLiteral("r.ex")});
        QCOMPARE(h.panel(1), QString());
        QCOMPARE(h.panel(2), QString());
        QCOMPARE(h.panel(3), QStringLiteral("3 listed"));
        QVERIFY(h.frameVisible(1));
        QVERIFY(!h.frameVisible(2));
        QVERIFY(!h.frameVisible(3));
        QCOMPARE(QApplication::focusWidget(), h.findBox());
        QCOMPARE(h.selected("List1"), -1);
        QVERIFY(h.prompter.log().isEmpty());
    }

    void missingMainFileAsksForTheFolderUntilFound() {
        Harness h({QStringLiteral("a.ex")}, {QStringLiteral("x.ex")}, {});
        const QString rightFolder = h.module.settings.imailPath;
        h.module.settings.imailPath = h.folder().filePath(QStringLiteral("elsewhere"));
        QStringList offered;
        // The first time the user presses OK without a change; the second time picks the folder.
        h.prompter.onNextOptionsDialog([&] {
            offered << h.module.settings.imailPath;
            return false;
        });
        h.prompter.onNextOptionsDialog([&] {
            offered << h.module.settings.imailPath;
            h.module.settings.imailPath = rightFolder;
            return false;
        });
        QVERIFY(h.open());
        QCOMPARE(offered, (QStringList{QString(), QString()}));
        QCOMPARE(h.prompter.log(),
                 (QStringList{QStringLiteral("[Options]"), QStringLiteral("[Options]")}));
        QCOMPARE(h.rows("List1"), QStringList{QStringLiteral("a.ex")});
        QCOMPARE(h.rows("List2"), QStringList{QStringLiteral("x.ex")});
        QCOMPARE(h.panel(3), QStringLiteral("1 listed"));
    }

    void missingMainFileAndOptionsCancelledEndsTheProgram() {
        Harness h({QStringLiteral("a.ex")}, {}, {});
        h.module.settings.imailPath = h.folder().filePath(QStringLiteral("elsewhere"));
        h.prompter.onNextOptionsDialog([] { return true; });
        QVERIFY(!h.open());
        QVERIFY(!h.window->isVisible());
        QCOMPARE(h.prompter.log(), QStringList{QStringLiteral("[Options]")});
        QVERIFY(h.prompter.allAnswersUsed());
    }

    void unreadableTrackingFileIsReported() {
        Harness h({QStringLiteral("a.ex")}, {}, {});
        const UnreadableFile added(h.folder().filePath(kAddedFile));
        if (!added.unavailable().isEmpty())
            QSKIP(qPrintable(added.unavailable()));
        QVERIFY(h.open());
        QCOMPARE(h.prompter.log(), QStringList{added.message()});
        QCOMPARE(h.rows("List1"), QStringList{QStringLiteral("a.ex")});
        QCOMPARE(h.rows("List2"), QStringList());
    }

    void unreadableMainFileIsNotEditedAsAnEmptyList() {
        Harness h({}, {}, {});
        const QString main = h.folder().filePath(kMainFile);
        QFile::remove(main);
        const UnreadableFile unreadable(main);
        if (!unreadable.unavailable().isEmpty())
            QSKIP(qPrintable(unreadable.unavailable()));
        h.prompter.onNextOptionsDialog([] { return true; });
        QVERIFY(!h.open());
        QCOMPARE(h.prompter.log(),
                 (QStringList{unreadable.message(), QStringLiteral("[Options]")}));
    }

    void toolsAndHelpItems() {
        Harness h({QStringLiteral("a.ex")}, {}, {});
        QVERIFY(h.open());
        // Options changes folders but does not reload the lists.
        h.prompter.onNextOptionsDialog([&h] {
            h.folder().write(QStringLiteral("other/url-domain-bl.txt"), "z.ex\r\n");
            h.module.settings.imailPath = h.folder().filePath(QStringLiteral("other"));
            return false;
        });
        h.item("mnuToolsOptions")->trigger();
        QCOMPARE(h.rows("List1"), QStringList{QStringLiteral("a.ex")});
        h.item("mnuHelpAbout")->trigger();
        h.item("mnuQueueRestart")->trigger();
        QCOMPARE(h.prompter.log(),
                 (QStringList{QStringLiteral("[Options]"), QStringLiteral("[About]")}));
        QCOMPARE(h.launcher.starts(), QStringList{kInstall});
    }
};

QTEST_MAIN(TestMainWindowLayout)
#include "tst_MainWindowLayout.moc"
