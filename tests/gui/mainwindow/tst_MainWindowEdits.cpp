#include "gui/mainwindow/MainWindowFixture.h"

#include <QApplication>

using namespace quillmere;
using namespace quillmere::test;

// Adding, removing, re-activating, clearing and sorting in the main window.
class TestMainWindowEdits : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void typicalEditEndToEnd() {
        Harness h({QStringLiteral("spam.example"), QStringLiteral("junk.example")}, {}, {});
        QVERIFY(h.open());

        h.type(QStringLiteral("junkmail.example"));
        QTest::keyClick(h.findBox(), Qt::Key_Return);
        QCOMPARE(h.panel(1), QStringLiteral("modified: main, added"));
        QVERIFY(h.item("mnuFileSave")->isEnabled());
        QVERIFY(h.item("mnuFileRevert")->isEnabled());
        QCOMPARE(h.findBox()->text(), QString());
        QCOMPARE(h.panel(3), QStringLiteral("3 listed"));

        h.prompter.answerNext(PromptAnswer::Yes);
        h.prompter.answerNext(PromptAnswer::Yes);
        h.item("mnuFileExit")->trigger();
        QVERIFY(!h.window->isVisible());

        QCOMPARE(h.folder().read(kMainFile),
                 QByteArray("spam.example\r\njunk.example\r\njunkmail.example\r\n"));
        QCOMPARE(h.folder().read(kAddedFile), QByteArray("junkmail.example\r\n"));
        QVERIFY(!h.folder().exists(kRemovedFile));
        QCOMPARE(h.prompter.shown().size(), 2);
        QCOMPARE(h.prompter.shown()[0].text,
                 QStringLiteral("Save list modifications before exit?"));
        QCOMPARE(h.prompter.shown()[0].title, QStringLiteral("list modified"));
        QCOMPARE(h.prompter.shown()[0].buttons, PromptButtons::YesNoCancel);
        QCOMPARE(h.prompter.shown()[1].text, QStringLiteral("Restart the queue manager?"));
        QCOMPARE(h.prompter.shown()[1].title, QStringLiteral("Imail Quillmere"));
        QCOMPARE(h.prompter.shown()[1].buttons, PromptButtons::YesNo);
        QCOMPARE(h.launcher.starts(), QStringList{kInstall});
    }

    void addIsEnabledExactlyWhileTheFindBoxHasText() {
        Harness h({QStringLiteral("a.ex")}, {}, {});
        QVERIFY(h.open());
        QVERIFY(!h.button("CommandAdd")->isEnabled());
        h.type(QStringLiteral("x"));
        QVERIFY(h.button("CommandAdd")->isEnabled());
        QTest::keyClick(h.findBox(), Qt::Key_Backspace);
        QVERIFY(!h.button("CommandAdd")->isEnabled());
        h.type(QStringLiteral("y.ex"));
        h.press("CommandAdd");
        QVERIFY(!h.button("CommandAdd")->isEnabled());
        // Enter over an empty find box adds nothing.
        QTest::keyClick(h.findBox(), Qt::Key_Return);
        QCOMPARE(h.rows("List1"), (QStringList{QStringLiteral("a.ex"), QStringLiteral("y.ex")}));
    }

    void addingADuplicateShowsTheNotice() {
        Harness h({QStringLiteral("a.ex"), QStringLiteral("b.ex")}, {}, {});
        QVERIFY(h.open());
        h.type(QStringLiteral("b.ex"));
        QCOMPARE(h.selected("List1"), 1);
        h.prompter.whileNextPromptIsOpen([&h] { anotherWindowTakesTheKeys(h.window.get()); });
        QTest::keyClick(h.findBox(), Qt::Key_Return);
        QCOMPARE(h.prompter.shown().size(), 1);
        QCOMPARE(h.prompter.shown()[0].text, QStringLiteral("b.ex is already blacklisted"));
        QCOMPARE(h.prompter.shown()[0].buttons, PromptButtons::Ok);
        QCOMPARE(h.findBox()->text(), QString());
        QCOMPARE(QApplication::focusWidget(), h.findBox());
        QCOMPARE(h.rows("List1"), (QStringList{QStringLiteral("a.ex"), QStringLiteral("b.ex")}));
        QCOMPARE(h.panel(1), QString());
        QVERIFY(!h.item("mnuFileSave")->isEnabled());
        // The notice cleared the selection. It had the keys while it was open, so the release
        // of the Enter that closed it reaches the find box and searches nothing.
        QCOMPARE(h.selected("List1"), -1);
    }

    void addingByClickLeavesNoSelection() {
        Harness h({QStringLiteral("a.ex"), QStringLiteral("b.ex")}, {}, {});
        QVERIFY(h.open());
        h.type(QStringLiteral("b.ex"));
        h.prompter.whileNextPromptIsOpen([&h] { anotherWindowTakesTheKeys(h.window.get()); });
        h.press("CommandAdd");
        QCOMPARE(h.prompter.shownTexts(),
                 QStringList{QStringLiteral("b.ex is already blacklisted")});
        QCOMPARE(QApplication::focusWidget(), h.findBox());
        // The Enter that closed the notice is released over the find box.
        QTest::keyRelease(h.findBox(), Qt::Key_Return);
        QCOMPARE(h.selected("List1"), -1);
    }

    // Each row: how "add" is pressed. Whichever way, the find box keeps the focus, so the next
    // domain typed goes there and Enter adds it: typed into the Main list, its first letter would
    // select an entry by type-ahead for Enter to remove.
    void addLeavesTheFocusInTheFindBox_data() {
        QTest::addColumn<QByteArray>("press");
        QTest::newRow("Enter in the find box") << QByteArray("Enter");
        QTest::newRow("clicked with the mouse") << QByteArray("click");
        QTest::newRow("Space on the button reached with Tab") << QByteArray("Space");
    }

    void addLeavesTheFocusInTheFindBox() {
        QFETCH(QByteArray, press);
        const QStringList main{QStringLiteral("a.ex"), QStringLiteral("tango.example")};
        Harness h(main, {}, {});
        QVERIFY(h.open());
        h.type(QStringLiteral("n.ex"));
        if (press == "Enter") {
            QTest::keyClick(h.findBox(), Qt::Key_Return);
        } else if (press == "click") {
            h.press("CommandAdd");
        } else {
            QTest::keyClick(h.findBox(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), h.button("CommandAdd"));
            QTest::keyClick(h.button("CommandAdd"), Qt::Key_Space);
        }
        QCOMPARE(h.rows("List1"), (main + QStringList{QStringLiteral("n.ex")}));
        QCOMPARE(QApplication::focusWidget(), h.findBox());
        QVERIFY(h.button("CommandAdd")->isDefault());

        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("tz.ex"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(h.rows("List1"),
                 (main + QStringList{QStringLiteral("n.ex"), QStringLiteral("tz.ex")}));
        QCOMPARE(h.rows("List3"), QStringList());
    }

    void textOutsideTheCodePageIsRefused() {
        Harness h({QStringLiteral("a.ex")}, {}, {});
        QVERIFY(h.open());
        // Pasted: no key of a keyboard under test types it.
        h.findBox()->insert(QStringLiteral("\u0107evap.ex"));
        QTest::keyClick(h.findBox(), Qt::Key_Return);
        QCOMPARE(h.prompter.shownTexts(),
                 QStringList{QStringLiteral(
                     "\"\u0107evap.ex\" cannot be stored: the character \u0107 (U+0107) is not in "
                     "the single-byte code page of the list files (ISO-8859-1)")});
        QCOMPARE(h.rows("List1"), QStringList{QStringLiteral("a.ex")});
        QVERIFY(!h.window->lists().anyModified());
        QCOMPARE(h.findBox()->text(), QStringLiteral("\u0107evap.ex"));
    }

    void latin1TextIsStoredAsItsBytes() {
        Harness h({QStringLiteral("a.ex")}, {}, {});
        QVERIFY(h.open());
        h.findBox()->insert(QStringLiteral(" caf\u00e9.ex"));
        QTest::keyClick(h.findBox(), Qt::Key_Return);
        h.item("mnuFileSave")->trigger();
        QCOMPARE(h.folder().read(kMainFile), QByteArray("a.ex\r\n caf\xe9.ex\r\n"));
        QCOMPARE(h.folder().read(kAddedFile), QByteArray(" caf\xe9.ex\r\n"));
    }

    void enterInTheMainListRemoves() {
        Harness h({QStringLiteral("a.ex"), QStringLiteral("b.ex"), QStringLiteral("c.ex")},
                  {QStringLiteral("c.ex")}, {});
        QVERIFY(h.open());
        h.clickRow("List1", 1);
        QVERIFY(h.button("CommandRem")->isEnabled());
        QVERIFY(h.button("CommandRem")->isDefault());
        QTest::keyClick(h.list("List1"), Qt::Key_Return);
        QCOMPARE(h.rows("List1"), (QStringList{QStringLiteral("a.ex"), QStringLiteral("c.ex")}));
        QCOMPARE(h.rows("List3"), QStringList{QStringLiteral("b.ex")});
        QCOMPARE(h.panel(1), QStringLiteral("modified: main, removed"));
        QCOMPARE(h.panel(3), QStringLiteral("2 listed"));
        QVERIFY(h.button("CommandRem")->isEnabled()); // never disabled again

        // A hand addition removed again leaves no trace.
        h.clickRow("List1", 1);
        h.press("CommandRem");
        QCOMPARE(h.rows("List1"), QStringList{QStringLiteral("a.ex")});
        QCOMPARE(h.rows("List2"), QStringList());
        QCOMPARE(h.rows("List3"), QStringList{QStringLiteral("b.ex")});
        QCOMPARE(h.panel(1), QStringLiteral("modified: main, added, removed"));
        QVERIFY(!h.item("mnuToolsEval")->isEnabled());

        // With nothing selected the button changes nothing.
        QTest::mouseClick(h.findBox(), Qt::LeftButton);
        h.press("CommandRem");
        QCOMPARE(h.rows("List1"), QStringList{QStringLiteral("a.ex")});
    }

    // The Enter that removed the clicked entry must not remove its neighbour as well.
    void enterTwiceRemovesOnlyTheClickedEntry() {
        Harness h({QStringLiteral("a.ex"), QStringLiteral("b.ex"), QStringLiteral("c.ex"),
                   QStringLiteral("d.ex")},
                  {}, {});
        QVERIFY(h.open());
        h.clickRow("List1", 1);
        QTest::keyClick(h.list("List1"), Qt::Key_Return);
        QTest::keyClick(h.list("List1"), Qt::Key_Return);
        QCOMPARE(h.rows("List1"), (QStringList{QStringLiteral("a.ex"), QStringLiteral("c.ex"),
                                               QStringLiteral("d.ex")}));
        QCOMPARE(h.rows("List3"), QStringList{QStringLiteral("b.ex")});
        QCOMPARE(h.selected("List1"), -1);
        QCOMPARE(h.panel(3), QStringLiteral("3 listed"));
    }

    void removeFromAddedAndReactivate() {
        Harness h({QStringLiteral("a.ex"), QStringLiteral("n.ex")},
                  {QStringLiteral("n.ex"), QStringLiteral("m.ex")}, {QStringLiteral("r.ex")});
        QVERIFY(h.open());
        h.showTab(1);
        QVERIFY(!h.button("CommandRemAdded")->isEnabled());
        h.clickRow("List2", 0);
        QVERIFY(h.button("CommandRemAdded")->isEnabled());
        h.press("CommandRemAdded");
        QCOMPARE(h.rows("List2"), QStringList{QStringLiteral("m.ex")});
        QCOMPARE(h.rows("List1"), QStringList{QStringLiteral("a.ex")});
        QCOMPARE(h.panel(3), QStringLiteral("1 added"));
        QCOMPARE(h.panel(1), QStringLiteral("modified: main, added"));
        QVERIFY(!h.button("CommandRemAdded")->isEnabled());

        h.showTab(2);
        h.clickRow("List3", 0);
        QVERIFY(h.button("CommandRemRemoved")->isEnabled());
        h.press("CommandRemRemoved");
        QCOMPARE(h.rows("List3"), QStringList());
        QCOMPARE(h.rows("List1"), (QStringList{QStringLiteral("a.ex"), QStringLiteral("r.ex")}));
        QCOMPARE(h.panel(3), QStringLiteral("0 removed"));
        QCOMPARE(h.panel(1), QStringLiteral("modified: main, added, removed"));
        QVERIFY(!h.button("CommandRemRemoved")->isEnabled());
    }

    // Each row: the tab, its list and button, and how the button is pressed. The button disables
    // itself; the focus goes back to its list, as after a click there, and not on down the chain
    // to "clear" (whose question Enter would answer Yes) or to the Removed tab's "sort". Enter
    // in the list then changes nothing: no entry is selected.
    void removeAndReactivateLeaveTheFocusInTheirList_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QByteArray>("press");
        for (const char* press : {"click", "Space", "Enter"}) {
            QTest::addRow("remove on the Added tab, %s", press)
                << 1 << QByteArray("List2") << QByteArray("CommandRemAdded") << QByteArray(press);
            QTest::addRow("re-activate, %s", press)
                << 2 << QByteArray("List3") << QByteArray("CommandRemRemoved") << QByteArray(press);
        }
    }

    void removeAndReactivateLeaveTheFocusInTheirList() {
        QFETCH(int, tab);
        QFETCH(QByteArray, list);
        QFETCH(QByteArray, button);
        QFETCH(QByteArray, press);
        const QStringList entries{QStringLiteral("n.ex"), QStringLiteral("m.ex"),
                                  QStringLiteral("b.ex")};
        Harness h({QStringLiteral("a.ex")}, entries, entries);
        QVERIFY(h.open());
        h.showTab(tab);
        h.clickRow(list.constData(), 0);
        QPushButton* pressed = h.button(button.constData());
        if (press == "click") {
            h.press(button.constData());
        } else {
            QTest::keyClick(h.list(list.constData()), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), pressed);
            QTest::keyClick(pressed, press == "Space" ? Qt::Key_Space : Qt::Key_Return);
        }
        const QStringList left{QStringLiteral("m.ex"), QStringLiteral("b.ex")};
        QCOMPARE(h.rows(list.constData()), left);
        QVERIFY(!pressed->isEnabled());
        QCOMPARE(QApplication::focusWidget(), h.list(list.constData()));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(h.rows(list.constData()), left);
        QCOMPARE(h.prompter.shown().size(), 0);
        QCOMPARE(h.selected(list.constData()), -1);
    }

    void clearAsksFirst() {
        Harness h({QStringLiteral("a.ex")}, {QStringLiteral("a.ex")}, {});
        QVERIFY(h.open());
        h.showTab(1);
        h.prompter.answerNext(PromptAnswer::No);
        h.press("cmdAddedClear");
        QCOMPARE(h.rows("List2"), QStringList{QStringLiteral("a.ex")});
        QVERIFY(!h.window->lists().anyModified());

        h.prompter.answerNext(PromptAnswer::Yes);
        h.press("cmdAddedClear");
        QCOMPARE(h.rows("List2"), QStringList());
        QCOMPARE(h.rows("List1"), QStringList{QStringLiteral("a.ex")});
        QCOMPARE(h.panel(1), QStringLiteral("modified: added"));
        QCOMPARE(h.panel(3), QStringLiteral("0 added"));
        QVERIFY(!h.item("mnuToolsEval")->isEnabled());
        QVERIFY(!h.item("mnuFileRevert")->isEnabled());
        QCOMPARE(h.prompter.shown().size(), 2);
        QCOMPARE(h.prompter.shown()[0].text,
                 QStringLiteral("This will clear the Added list while leaving entries alone in "
                                "the Main list. Is this what you want to do?"));
        QCOMPARE(h.prompter.shown()[0].buttons, PromptButtons::YesNo);
    }

    void sortingTheRemovedListOnly() {
        Harness h({QStringLiteral("a.ex")}, {}, {QStringLiteral("b.ex"), QStringLiteral("A.ex")});
        QVERIFY(h.open());
        h.showTab(2);
        h.clickRow("List3", 0);
        h.press("CommandSortRem");
        QCOMPARE(h.rows("List3"), (QStringList{QStringLiteral("A.ex"), QStringLiteral("b.ex")}));
        QCOMPARE(h.selected("List3"), -1);
        QCOMPARE(h.panel(1), QStringLiteral("modified: removed"));
        QVERIFY(!h.item("mnuFileRevert")->isEnabled());
        QVERIFY(h.item("mnuFileSave")->isEnabled());
        QCOMPARE(h.panel(3), QStringLiteral("2 removed"));
    }
};

QTEST_MAIN(TestMainWindowEdits)
#include "tst_MainWindowEdits.moc"
