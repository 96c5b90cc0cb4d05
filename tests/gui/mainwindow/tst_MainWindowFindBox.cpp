#include "gui/mainwindow/MainWindowFixture.h"

#include <QApplication>
#include <QScrollBar>
#include <QSignalSpy>

using namespace quillmere;
using namespace quillmere::test;

namespace {

// The Main list of the find box tests: "e00.ex" to "e39.ex", with rows 3, 20 and 30 replaced.
QStringList findList() {
    QStringList entries;
    for (int k = 0; k < 40; ++k)
        entries << QStringLiteral("e%1.ex").arg(k, 2, 10, QLatin1Char('0'));
    entries[3] = QStringLiteral("ab.ex");
    entries[20] = QStringLiteral("abc.ex");
    entries[30] = QStringLiteral("abx.ex");
    return entries;
}

} // namespace

// The main window's find box, the selection in its lists, and its tabs.
class TestMainWindowFindBox : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Key strokes in the find box over findList(): "+x" types x, "<" is Backspace, "!" is
    // Escape. After each stroke: the selected Main row (-1 for none).
    void findBoxSequences_data() {
        QTest::addColumn<QStringList>("strokes");
        QTest::addColumn<QList<int>>("selected");
        QTest::newRow("growing text follows the matches")
            << QStringList{QStringLiteral("+a"), QStringLiteral("+b"), QStringLiteral("+c")}
            << QList<int>{3, 3, 20};
        QTest::newRow("Backspace starts again at the first entry")
            << QStringList{QStringLiteral("+a"), QStringLiteral("+b"), QStringLiteral("+x"),
                           QStringLiteral("<")}
            << QList<int>{3, 3, 30, 3};
        QTest::newRow("no match keeps the selection")
            << QStringList{QStringLiteral("+a"), QStringLiteral("+b"), QStringLiteral("+q")}
            << QList<int>{3, 3, 3};
        QTest::newRow("case counts") << QStringList{QStringLiteral("+A")} << QList<int>{-1};
        QTest::newRow("Escape empties and deselects")
            << QStringList{QStringLiteral("+a"), QStringLiteral("+b"), QStringLiteral("+x"),
                           QStringLiteral("!")}
            << QList<int>{3, 3, 30, -1};
        QTest::newRow("a key over an empty box selects the first entry")
            << QStringList{QStringLiteral("+e"), QStringLiteral("<")} << QList<int>{0, 0};
    }

    void findBoxSequences() {
        QFETCH(QStringList, strokes);
        QFETCH(QList<int>, selected);
        Harness h(findList(), {}, {});
        QVERIFY(h.open());
        QList<int> got;
        for (const QString& stroke : strokes) {
            if (stroke.startsWith(QLatin1Char('+')))
                h.type(stroke.mid(1));
            else
                QTest::keyClick(h.findBox(),
                                stroke == QStringLiteral("<") ? Qt::Key_Backspace : Qt::Key_Escape);
            got << h.selected("List1");
        }
        QCOMPARE(got, selected);
        QVERIFY(h.prompter.log().isEmpty());
        QVERIFY(!h.window->lists().anyModified());
    }

    // Each row: the key stroke whose release reaches the find box (Enter closing the merge's
    // file dialog or answering the Revert question, both windows of their own; Shift+Tab from
    // "add" into the find box), then the Main entry selected afterwards (-1: none). Only a key
    // pressed in this window searches.
    void keyReleasedOverTheFindBox_data() {
        QTest::addColumn<QByteArray>("stroke");
        QTest::addColumn<int>("selected");
        QTest::newRow("Enter closing the merge's file dialog") << QByteArray("merge") << -1;
        QTest::newRow("Enter answering the Revert question") << QByteArray("revert") << -1;
        QTest::newRow("Shift+Tab from add into the find box") << QByteArray("backtab") << 0;
    }

    void keyReleasedOverTheFindBox() {
        QFETCH(QByteArray, stroke);
        QFETCH(int, selected);
        Harness h({QStringLiteral("a.ex"), QStringLiteral("b.ex")}, {}, {});
        h.folder().write(QStringLiteral("factory.txt"), "c.ex\r\n");
        QVERIFY(h.open());
        h.type(QStringLiteral("n.ex"));
        QTest::keyClick(h.findBox(), Qt::Key_Return);
        // Left in the find box: a search would select the first entry.
        h.type(QStringLiteral("a"));
        const auto takeTheKeys = [&h] { anotherWindowTakesTheKeys(h.window.get()); };
        Qt::Key released = Qt::Key_Return;
        if (stroke == "merge") {
            h.prompter.chooseNextFile(h.folder().filePath(QStringLiteral("factory.txt")));
            h.prompter.whileNextPromptIsOpen(takeTheKeys);
            h.item("mnuFileOpen")->trigger();
        } else if (stroke == "revert") {
            h.prompter.answerNext(PromptAnswer::Ok);
            h.prompter.whileNextPromptIsOpen(takeTheKeys);
            h.item("mnuFileRevert")->trigger();
        } else {
            QTest::keyClick(h.findBox(), Qt::Key_Tab);
            released = Qt::Key_Backtab;
            QTest::keyPress(h.button("CommandAdd"), released, Qt::ShiftModifier);
        }
        QCOMPARE(QApplication::focusWidget(), h.findBox());
        QTest::keyRelease(h.findBox(), released);
        QCOMPARE(h.selected("List1"), selected);
        QVERIFY(!h.button("CommandRem")->isEnabled());
        QVERIFY(h.prompter.allAnswersUsed());
    }

    void findSelectsTheFollowerFirstThenTheMatch() {
        Harness h(findList(), {}, {});
        QVERIFY(h.open());
        QList<int> currentRows;
        QSignalSpy spy(h.list("List1")->selectionModel(), &QItemSelectionModel::currentChanged);
        h.type(QStringLiteral("ab"));
        for (const QList<QVariant>& change : spy)
            currentRows << change[0].toModelIndex().row();
        // "a": entry 17 then the match 3; "ab" again 17 then 3.
        QCOMPARE(currentRows, (QList<int>{17, 3, 17, 3}));
        QCOMPARE(h.selected("List1"), 3);

        spy.clear();
        h.type(QStringLiteral("x"));
        QCOMPARE(spy.size(), 2);
        QCOMPARE(spy[0][0].toModelIndex().row(), 39); // fewer than 15 entries from 30 on
        QCOMPARE(spy[1][0].toModelIndex().row(), 30);
        QVERIFY(!h.button("CommandRem")->isEnabled()); // the search is no click on the list
        // A click on the entry the search selected is.
        h.clickRow("List1", 30);
        QVERIFY(h.button("CommandRem")->isEnabled());
        h.press("CommandRem");
        QCOMPARE(h.rows("List3"), QStringList{QStringLiteral("abx.ex")});
    }

    void escapeScrollsToTheTop() {
        Harness h(findList(), {}, {});
        QVERIFY(h.open());
        h.type(QStringLiteral("abx"));
        QVERIFY(h.list("List1")->verticalScrollBar()->value() > 0);
        QTest::keyClick(h.findBox(), Qt::Key_Escape);
        QCOMPARE(h.findBox()->text(), QString());
        QVERIFY(!h.button("CommandAdd")->isEnabled());
        QCOMPARE(h.list("List1")->verticalScrollBar()->value(), 0);
        QCOMPARE(h.selected("List1"), -1);
    }

    void findBoxFocusClearsTheMainSelection() {
        Harness h(findList(), {}, {});
        QVERIFY(h.open());
        h.clickRow("List1", 5);
        QCOMPARE(h.selected("List1"), 5);
        QVERIFY(h.button("CommandRem")->isEnabled());
        QTest::mouseClick(h.findBox(), Qt::LeftButton);
        QCOMPARE(h.selected("List1"), -1);
        QVERIFY(h.button("CommandRem")->isEnabled());
    }

    void tabsShowTheirPageAndCount() {
        Harness h({QStringLiteral("a.ex"), QStringLiteral("b.ex"), QStringLiteral("c.ex")},
                  {QStringLiteral("a.ex"), QStringLiteral("b.ex")}, {QStringLiteral("r.ex")});
        QVERIFY(h.open());
        h.showTab(1);
        QCOMPARE(h.panel(3), QStringLiteral("2 added"));
        QVERIFY(h.frameVisible(2));
        QVERIFY(!h.frameVisible(1));
        h.showTab(2);
        QCOMPARE(h.panel(3), QStringLiteral("1 removed"));
        QVERIFY(h.frameVisible(3));
        QVERIFY(!h.frameVisible(2));
        h.showTab(0);
        QCOMPARE(h.panel(3), QStringLiteral("3 listed"));
        QVERIFY(h.frameVisible(1));
        QCOMPARE(h.panel(1), QString());
    }

    // Each row: the tab and the list whose entry is clicked, the command that takes it out
    // (a button, Enter in the Main list, or "add" of the clicked text through the find box), the
    // count panel after it, and the button that is pressed once more while nothing is selected.
    void noEntryStaysSelectedAfterARemoval_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QByteArray>("again");
        QTest::newRow("Main remove by Enter")
            << 0 << QByteArray("List1") << QByteArray("Enter") << QStringLiteral("3 listed")
            << QByteArray("CommandRem");
        QTest::newRow("Main remove by click")
            << 0 << QByteArray("List1") << QByteArray("CommandRem") << QStringLiteral("3 listed")
            << QByteArray("CommandRem");
        QTest::newRow("Added remove") << 1 << QByteArray("List2") << QByteArray("CommandRemAdded")
                                      << QStringLiteral("2 added") << QByteArray("CommandRemAdded");
        QTest::newRow("re-activate")
            << 2 << QByteArray("List3") << QByteArray("CommandRemRemoved")
            << QStringLiteral("2 removed") << QByteArray("CommandRemRemoved");
        QTest::newRow("add takes the entry out of the Removed list")
            << 2 << QByteArray("List3") << QByteArray("add") << QStringLiteral("5 listed")
            << QByteArray("CommandRemRemoved");
    }

    void noEntryStaysSelectedAfterARemoval() {
        QFETCH(int, tab);
        QFETCH(QByteArray, list);
        QFETCH(QByteArray, command);
        QFETCH(QString, count);
        QFETCH(QByteArray, again);
        Harness h({QStringLiteral("a.ex"), QStringLiteral("n.ex"), QStringLiteral("b.ex"),
                   QStringLiteral("c.ex")},
                  {QStringLiteral("k.ex"), QStringLiteral("m.ex"), QStringLiteral("o.ex")},
                  {QStringLiteral("r.ex"), QStringLiteral("s.ex"), QStringLiteral("t.ex")});
        QVERIFY(h.open());
        h.showTab(tab);
        const int clicked = tab == 0 ? 1 : 0;
        const QString text = h.rows(list.constData()).at(clicked);
        h.clickRow(list.constData(), clicked);

        if (command == "Enter") {
            QTest::keyClick(h.list(list.constData()), Qt::Key_Return);
        } else if (command == "add") {
            h.showTab(0);
            QTest::mouseClick(h.findBox(), Qt::LeftButton);
            h.type(text);
            QTest::keyClick(h.findBox(), Qt::Key_Return);
        } else {
            h.press(command.constData());
        }
        QVERIFY(!h.rows(list.constData()).contains(text));
        QCOMPARE(h.selected(list.constData()), -1);
        QCOMPARE(h.panel(3), count);

        const QStringList main = h.rows("List1");
        const QStringList added = h.rows("List2");
        const QStringList removed = h.rows("List3");
        h.showTab(tab);
        h.press(again.constData());
        QCOMPARE(h.rows("List1"), main);
        QCOMPARE(h.rows("List2"), added);
        QCOMPARE(h.rows("List3"), removed);
    }

    // The find box's search selects a Main entry; when another command then takes that entry out,
    // no entry is selected and no remove button comes on by itself.
    void aSelectionTheProgramMadeIsNoClick() {
        Harness h({QStringLiteral("a.ex"), QStringLiteral("n.ex"), QStringLiteral("b.ex")},
                  {QStringLiteral("n.ex")}, {});
        QVERIFY(h.open());
        h.type(QStringLiteral("n"));
        QCOMPARE(h.selected("List1"), 1);
        QVERIFY(!h.button("CommandRem")->isEnabled());
        h.showTab(1);
        h.clickRow("List2", 0);
        h.press("CommandRemAdded");
        QCOMPARE(h.rows("List1"), (QStringList{QStringLiteral("a.ex"), QStringLiteral("b.ex")}));
        QCOMPARE(h.selected("List1"), -1);
        QVERIFY(!h.button("CommandRem")->isEnabled());
    }

    // Each row: the keys typed quickly into the Main list, the entry then selected (-1: none).
    void typeAheadTakesOneLetterAtATime_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("selected");
        QTest::newRow("first match") << QStringLiteral("b") << 0;
        QTest::newRow("same letter, other case, goes to the next") << QStringLiteral("bB") << 2;
        QTest::newRow("another letter after the selected entry") << QStringLiteral("bBa") << 3;
        QTest::newRow("wraps to the top") << QStringLiteral("bbb") << 0;
        QTest::newRow("letters are not combined") << QStringLiteral("ab") << 2;
        QTest::newRow("no entry begins with it") << QStringLiteral("x") << -1;
    }

    void typeAheadTakesOneLetterAtATime() {
        QFETCH(QString, keys);
        QFETCH(int, selected);
        Harness h({QStringLiteral("b1.ex"), QStringLiteral("A1.ex"), QStringLiteral("b2.ex"),
                   QStringLiteral("a2.ex")},
                  {}, {});
        QVERIFY(h.open());
        h.list("List1")->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(h.list("List1"), keys);
        QCOMPARE(h.selected("List1"), selected);
        // A selection by keyboard is the user's.
        QCOMPARE(h.button("CommandRem")->isEnabled(), selected != -1);
    }

    void findBoxKeepsTheSelectionWhenTheWindowComesBack() {
        Harness h(findList(), {}, {});
        QVERIFY(h.open());
        h.type(QStringLiteral("abx"));
        QCOMPARE(h.selected("List1"), 30);
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        h.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
        QCOMPARE(QApplication::focusWidget(), h.findBox());
        QCOMPARE(h.selected("List1"), 30);
        QVERIFY(h.button("CommandAdd")->isDefault());
    }

    void defaultButtonFollowsTheFocus() {
        Harness h({QStringLiteral("a.ex")}, {}, {});
        QVERIFY(h.open());
        QVERIFY(h.button("CommandAdd")->isDefault());
        h.clickRow("List1", 0);
        QVERIFY(h.button("CommandRem")->isDefault());
        QVERIFY(!h.button("CommandAdd")->isDefault());
        QTest::mouseClick(h.findBox(), Qt::LeftButton);
        QVERIFY(h.button("CommandAdd")->isDefault());
    }
};

QTEST_MAIN(TestMainWindowFindBox)
#include "tst_MainWindowFindBox.moc"
