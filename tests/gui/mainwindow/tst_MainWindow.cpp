#include "fakes/FakePrompter.h"
#include "fakes/FakeQueueLauncher.h"
#include "fakes/SystemReason.h"
#include "fakes/TempFolder.h"
#include "fakes/UnreadableFile.h"
#include "gui/mainwindow/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <memory>

using namespace quillmere;
using namespace quillmere::test;

namespace {

const QString kMainFile = QStringLiteral("imail/url-domain-bl.txt");
const QString kAddedFile = QStringLiteral("data/url-domain-add.txt");
const QString kRemovedFile = QStringLiteral("data/url-domain-rem.txt");
const QString kJournalFile = QStringLiteral("data/url-domain-log.txt");
const QString kInstall = QStringLiteral("/opt/quillmere");

// A list file's bytes: every entry followed by CR LF.
QByteArray file(const QStringList& entries) {
    QByteArray bytes;
    for (const QString& entry : entries)
        bytes += entry.toLatin1() + "\r\n";
    return bytes;
}

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

// The program's window on lists in a temporary folder, with the prompts and the queue restart
// answered by fakes.
class Harness {
public:
    Harness(const QStringList& main, const QStringList& added, const QStringList& removed) {
        m_folder.write(kMainFile, file(main));
        if (!added.isEmpty())
            m_folder.write(kAddedFile, file(added));
        if (!removed.isEmpty())
            m_folder.write(kRemovedFile, file(removed));
        m_folder.subfolder(QStringLiteral("data"));
        AppSettings& settings = module.settings;
        settings.imailPath = m_folder.filePath(QStringLiteral("imail"));
        settings.dataPath = m_folder.filePath(QStringLiteral("data"));
        settings.installPath = kInstall;
        settings.imailInstalled = true;
    }

    TempFolder& folder() { return m_folder; }

    // Form_Load, then the window shown and active as at start-up.
    bool open() {
        window = std::make_unique<MainWindow>(module, prompter, launcher);
        if (!window->formLoad())
            return false;
        window->show();
        return QTest::qWaitForWindowActive(window.get());
    }

    template <typename T> T* find(const QString& name) const {
        T* child = window->findChild<T*>(name);
        if (!child)
            qFatal("no control %s", qPrintable(name));
        return child;
    }
    QAction* item(const char* name) const { return find<QAction>(QLatin1String(name)); }
    QPushButton* button(const char* name) const { return find<QPushButton>(QLatin1String(name)); }
    QListView* list(const char* name) const { return find<QListView>(QLatin1String(name)); }
    QLineEdit* findBox() const { return find<QLineEdit>(QStringLiteral("Text1")); }
    QTabWidget* tabs() const { return find<QTabWidget>(QStringLiteral("TabStrip1")); }
    QString panel(int k) const { return panelLabel(k)->text(); }
    QLabel* panelLabel(int k) const {
        return find<QLabel>(QStringLiteral("sbStatusBarPanel%1").arg(k));
    }
    bool frameVisible(int k) const {
        return find<QFrame>(QStringLiteral("Frame%1").arg(k))->isVisible();
    }

    QStringList rows(const char* name) const {
        const QAbstractItemModel* model = list(name)->model();
        QStringList out;
        for (int row = 0; row < model->rowCount(); ++row)
            out << model->index(row, 0).data().toString();
        return out;
    }
    int selected(const char* name) const {
        const QModelIndexList rows = list(name)->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.constFirst().row();
    }

    // A click on an entry, as the administrator makes it.
    void clickRow(const char* name, int row) const {
        QListView* view = list(name);
        const QModelIndex index = view->model()->index(row, 0);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    }
    void showTab(int index) const { tabs()->setCurrentIndex(index); }
    void press(const char* name) const { QTest::mouseClick(button(name), Qt::LeftButton); }
    void type(const QString& text) const { QTest::keyClicks(findBox(), text); }

    Module1 module;
    FakePrompter prompter;
    FakeQueueLauncher launcher;
    std::unique_ptr<MainWindow> window;

private:
    TempFolder m_folder;
};

QStringList captions(const QMenu* menu) {
    QStringList out;
    for (const QAction* action : menu->actions())
        out << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return out;
}

// Every text panel 1 shows on the screen, in order: recorded when the panel paints, with whether
// the Main list was shown at that moment ("shown" or "hidden"), a text painted twice in a row
// recorded once.
class PanelPainting final : public QObject {
public:
    PanelPainting(QLabel* panel, QListView* mainList)
        : m_panel(panel)
        , m_mainList(mainList) {
        QApplication::processEvents();
        m_panel->installEventFilter(this);
    }

    const QStringList& painted() const { return m_painted; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_panel && event->type() == QEvent::Paint && m_panel->text() != m_lastText) {
            m_lastText = m_panel->text();
            m_painted << m_lastText + (m_mainList->isHidden() ? QStringLiteral(" | hidden")
                                                              : QStringLiteral(" | shown"));
        }
        return false;
    }

private:
    QLabel* m_panel;
    QListView* m_mainList;
    QString m_lastText = QStringLiteral("(none)");
    QStringList m_painted;
};

// What a message box or the file dialog does to the window while it is open: it becomes the
// active window and takes the keys, and gives them back when it closes.
void anotherWindowTakesTheKeys(QWidget* window) {
    QWidget box;
    box.show();
    box.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&box));
    box.close();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

QStringList names(const QMenu* menu) {
    QStringList out;
    for (const QAction* action : menu->actions())
        out << action->objectName();
    return out;
}

} // namespace

class TestMainWindow : public QObject {
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
        h.prompter.onNextOptionsDialog([&h] { h.module.modalFlag = true; });
        h.item("mnuFileRevert")->trigger();
        QVERIFY(!h.window->isVisible());
        QCOMPARE(h.prompter.log(),
                 (QStringList{QStringLiteral("Discard changes?"), QStringLiteral("[Options]")}));
        QVERIFY(!h.folder().exists(kMainFile));
        QVERIFY(!h.folder().exists(kAddedFile));
    }

    void missingMainFileAsksForTheFolderUntilFound() {
        Harness h({QStringLiteral("a.ex")}, {QStringLiteral("x.ex")}, {});
        const QString rightFolder = h.module.settings.imailPath;
        h.module.settings.imailPath = h.folder().filePath(QStringLiteral("elsewhere"));
        QStringList offered;
        // The first time the user presses OK without a change; the second time picks the folder.
        h.prompter.onNextOptionsDialog([&] { offered << h.module.settings.imailPath; });
        h.prompter.onNextOptionsDialog([&] {
            offered << h.module.settings.imailPath;
            h.module.settings.imailPath = rightFolder;
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
        h.prompter.onNextOptionsDialog([&h] { h.module.modalFlag = true; });
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
        h.prompter.onNextOptionsDialog([&h] { h.module.modalFlag = true; });
        QVERIFY(!h.open());
        QCOMPARE(h.prompter.log(),
                 (QStringList{unreadable.message(), QStringLiteral("[Options]")}));
    }

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

    void mergeFromTheMenuPaintsEachPhase() {
        Harness h({QStringLiteral("b.ex"), QStringLiteral("a.ex"), QStringLiteral("c.ex")},
                  {QStringLiteral("z.ex")}, {QStringLiteral("c.ex")});
        h.module.settings.importPath = h.folder().filePath(QStringLiteral("import"));
        h.folder().write(QStringLiteral("import/url-domain-bl.txt"), "d.ex\r\na.ex\r\n");
        QVERIFY(h.open());
        h.clickRow("List1", 1);
        QCOMPARE(h.selected("List1"), 1);
        h.showTab(1);
        h.prompter.chooseNextFile(h.folder().filePath(QStringLiteral("import/url-domain-bl.txt")));
        PanelPainting panel1(h.panelLabel(1), h.list("List1"));

        h.item("mnuFileOpen")->trigger();

        const QStringList expected{
            QStringLiteral("Initializing... | shown"),
            QStringLiteral("Merging new file... | hidden"),
            QStringLiteral("Adding URLs... | hidden"),
            QStringLiteral("Sorting... | hidden"),
            QStringLiteral("Building and removing duplicates... | hidden"),
            QStringLiteral("Removing URLs... | hidden"),
            QStringLiteral("modified: main | shown"),
        };
        QTRY_COMPARE(panel1.painted(), expected);
        QCOMPARE(h.rows("List1"), (QStringList{QStringLiteral("a.ex"), QStringLiteral("b.ex"),
                                               QStringLiteral("d.ex"), QStringLiteral("z.ex")}));
        QCOMPARE(h.selected("List1"), -1);
        QVERIFY(!h.list("List1")->isHidden());
        // The count of the Main list, though the Added tab stays selected.
        QCOMPARE(h.panel(3), QStringLiteral("4 listed"));
        QCOMPARE(h.tabs()->currentIndex(), 1);
        QVERIFY(h.frameVisible(2));
        QCOMPARE(h.rows("List2"), QStringList{QStringLiteral("z.ex")});
        QCOMPARE(h.rows("List3"), QStringList{QStringLiteral("c.ex")});
        QVERIFY(h.window->lists().isModified(ListId::Main));
        QVERIFY(!h.window->lists().isModified(ListId::Added));
        QVERIFY(!h.window->lists().isModified(ListId::Removed));
        for (const char* name : {"mnuFileSave", "mnuFileRevert"})
            QVERIFY2(h.item(name)->isEnabled(), name);

        QCOMPARE(h.prompter.fileRequests().size(), 1);
        const OpenFileRequest& request = h.prompter.fileRequests().constFirst();
        QCOMPARE(request.title, QStringLiteral("New factory list"));
        QCOMPARE(request.initialFolder, h.module.settings.importPath);
        QCOMPARE(request.filter,
                 QStringLiteral("Imail blacklist|url-domain-bl.txt|All Files (*.*)|*.*"));
        // Nothing is written: the merged list waits for a save.
        QCOMPARE(h.folder().read(kMainFile), QByteArray("b.ex\r\na.ex\r\nc.ex\r\n"));
    }

    void rebuildFromTheMenuAsksForNoFile() {
        Harness h({QStringLiteral("b.ex"), QStringLiteral("a.ex"), QStringLiteral("b.ex")}, {}, {});
        QVERIFY(h.open());
        PanelPainting panel1(h.panelLabel(1), h.list("List1"));

        h.item("mnuFileRebuild")->trigger();

        QTRY_COMPARE(panel1.painted(),
                     (QStringList{QStringLiteral("Initializing... | shown"),
                                  QStringLiteral("Sorting... | hidden"),
                                  QStringLiteral("Building and removing duplicates... | hidden"),
                                  QStringLiteral("Removing URLs... | hidden"),
                                  QStringLiteral("modified: main | shown")}));
        QCOMPARE(h.rows("List1"), (QStringList{QStringLiteral("a.ex"), QStringLiteral("b.ex")}));
        QCOMPARE(h.panel(3), QStringLiteral("2 listed"));
        QVERIFY(h.list("List1")->isVisible());
        QVERIFY(h.prompter.log().isEmpty());
        QVERIFY(h.item("mnuFileRevert")->isEnabled());
    }

    void mergeCancelledChangesNothing() {
        Harness h({QStringLiteral("b.ex"), QStringLiteral("a.ex")}, {QStringLiteral("z.ex")}, {});
        QVERIFY(h.open());
        h.clickRow("List1", 0);
        h.prompter.chooseNextFile(QString());
        PanelPainting panel1(h.panelLabel(1), h.list("List1"));

        h.item("mnuFileOpen")->trigger();
        QApplication::processEvents();

        QVERIFY(panel1.painted().isEmpty());
        QCOMPARE(h.panel(1), QString());
        QCOMPARE(h.panel(3), QStringLiteral("2 listed"));
        QCOMPARE(h.rows("List1"), (QStringList{QStringLiteral("b.ex"), QStringLiteral("a.ex")}));
        QCOMPARE(h.selected("List1"), 0);
        QVERIFY(!h.window->lists().anyModified());
        for (const char* name : {"mnuFileSave", "mnuFileRevert"})
            QVERIFY2(!h.item(name)->isEnabled(), name);
        QCOMPARE(h.prompter.log(), QStringList{QStringLiteral("[Open: New factory list]")});
    }

    void anUnreadableFactoryFileIsReportedAndChangesNothing() {
        Harness h({QStringLiteral("b.ex"), QStringLiteral("a.ex")}, {}, {});
        QVERIFY(h.open());
        const QString path = h.folder().filePath(QStringLiteral("missing/url-domain-bl.txt"));
        h.prompter.chooseNextFile(path);

        h.item("mnuFileOpen")->trigger();

        QCOMPARE(h.prompter.log(),
                 (QStringList{QStringLiteral("[Open: New factory list]"),
                              QStringLiteral("Cannot open %1: %2")
                                  .arg(QDir::toNativeSeparators(path), missingFolderReason())}));
        QCOMPARE(h.rows("List1"), (QStringList{QStringLiteral("b.ex"), QStringLiteral("a.ex")}));
        QVERIFY(!h.window->lists().anyModified());
        QCOMPARE(h.panel(1), QString());
        QVERIFY(!h.item("mnuFileSave")->isEnabled());
        QVERIFY(h.list("List1")->isVisible());
    }

    void evaluationCancelledShowsNothing() {
        Harness h({QStringLiteral("a.ex")}, {QStringLiteral("n.ex")}, {});
        QVERIFY(h.open());
        h.type(QStringLiteral("x.ex"));
        h.press("CommandAdd");
        QCOMPARE(h.panel(1), QStringLiteral("modified: main, added"));
        h.prompter.chooseNextFile(QString());
        PanelPainting panel1(h.panelLabel(1), h.list("List1"));

        h.item("mnuToolsEval")->trigger();
        QApplication::processEvents();

        QVERIFY(panel1.painted().isEmpty());
        QCOMPARE(h.panel(1), QStringLiteral("modified: main, added"));
        QCOMPARE(h.rows("List2"), (QStringList{QStringLiteral("n.ex"), QStringLiteral("x.ex")}));
        QCOMPARE(h.prompter.log(),
                 QStringList{QStringLiteral("[Open: Ipswitch release to cross check]")});
    }

    void trimmingEveryEntryDisablesTheEvaluation() {
        Harness h({QStringLiteral("a.ex"), QStringLiteral("b.ex")},
                  {QStringLiteral("b.ex"), QStringLiteral("a.ex")}, {QStringLiteral("r.ex")});
        h.module.settings.importPath = h.folder().filePath(QStringLiteral("import"));
        h.folder().write(QStringLiteral("import/release.txt"), "a.ex\r\nb.ex\r\nc.ex\r\n");
        QVERIFY(h.open());
        QVERIFY(h.item("mnuToolsEval")->isEnabled());
        h.prompter.chooseNextFile(h.folder().filePath(QStringLiteral("import/release.txt")));
        QStringList listed;
        h.prompter.onNextEvaluationDialog([&h, &listed] {
            for (std::string_view entry : h.module.evalListed)
                listed << QString::fromLatin1(entry.data(), static_cast<qsizetype>(entry.size()));
            h.module.modalFlag = true;
        });
        PanelPainting panel1(h.panelLabel(1), h.list("List1"));

        h.item("mnuToolsEval")->trigger();

        QTRY_COMPARE(
            panel1.painted(),
            (QStringList{QStringLiteral("Loading factory list... | shown"),
                         QStringLiteral("Scanning for matches... | shown"),
                         QStringLiteral(" | shown"), QStringLiteral("modified: added | shown")}));
        QCOMPARE(listed, (QStringList{QStringLiteral("b.ex"), QStringLiteral("a.ex")}));
        QCOMPARE(h.rows("List2"), QStringList());
        QVERIFY(!h.item("mnuToolsEval")->isEnabled());
        QVERIFY(h.window->lists().isModified(ListId::Added));
        QVERIFY(!h.window->lists().isModified(ListId::Main));
        QVERIFY(!h.window->lists().isModified(ListId::Removed));
        QCOMPARE(h.rows("List1"), (QStringList{QStringLiteral("a.ex"), QStringLiteral("b.ex")}));
        QCOMPARE(h.rows("List3"), QStringList{QStringLiteral("r.ex")});
        QCOMPARE(h.prompter.log(),
                 (QStringList{QStringLiteral("[Open: Ipswitch release to cross check]"),
                              QStringLiteral("[Evaluation]")}));
    }

    void trimWritesTheCountOnlyOnTheAddedTab_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("count");
        QTest::newRow("Main tab") << 0 << QStringLiteral("1 listed");
        QTest::newRow("Added tab") << 1 << QStringLiteral("1 added");
        QTest::newRow("Removed tab") << 2 << QStringLiteral("0 removed");
    }
    void trimWritesTheCountOnlyOnTheAddedTab() {
        QFETCH(int, tab);
        QFETCH(QString, count);
        Harness h({QStringLiteral("a.ex")}, {QStringLiteral("b.ex"), QStringLiteral("a.ex")}, {});
        h.folder().write(QStringLiteral("release.txt"), "a.ex\r\n");
        QVERIFY(h.open());
        h.showTab(tab);
        h.prompter.chooseNextFile(h.folder().filePath(QStringLiteral("release.txt")));
        h.prompter.onNextEvaluationDialog([&h] { h.module.modalFlag = true; });

        h.item("mnuToolsEval")->trigger();

        QCOMPARE(h.rows("List2"), QStringList{QStringLiteral("b.ex")});
        QCOMPARE(h.panel(3), count);
        QCOMPARE(h.panel(1), QStringLiteral("modified: added"));
        QVERIFY(h.item("mnuToolsEval")->isEnabled());
    }

    void evaluationNotTrimmedChangesNothing() {
        Harness h({QStringLiteral("a.ex")}, {QStringLiteral("b.ex"), QStringLiteral("a.ex")}, {});
        h.folder().write(QStringLiteral("release.txt"), "x.ex\r\n");
        QVERIFY(h.open());
        h.prompter.chooseNextFile(h.folder().filePath(QStringLiteral("release.txt")));
        h.prompter.onNextEvaluationDialog([] {});

        h.item("mnuToolsEval")->trigger();

        QCOMPARE(h.rows("List2"), (QStringList{QStringLiteral("b.ex"), QStringLiteral("a.ex")}));
        QVERIFY(!h.window->lists().anyModified());
        QCOMPARE(h.panel(1), QString());
        QVERIFY(!h.item("mnuFileSave")->isEnabled());
    }

    void anUnreadableReleaseIsReportedAndChangesNothing() {
        Harness h({QStringLiteral("a.ex")}, {QStringLiteral("b.ex")}, {});
        QVERIFY(h.open());
        const QString path = h.folder().filePath(QStringLiteral("missing.txt"));
        h.prompter.chooseNextFile(path);

        h.item("mnuToolsEval")->trigger();

        QCOMPARE(h.prompter.log(),
                 (QStringList{QStringLiteral("[Open: Ipswitch release to cross check]"),
                              QStringLiteral("Cannot open %1: %2")
                                  .arg(QDir::toNativeSeparators(path), missingFileReason())}));
        QCOMPARE(h.panel(1), QString());
        QCOMPARE(h.rows("List2"), QStringList{QStringLiteral("b.ex")});
        QVERIFY(!h.window->lists().anyModified());
    }

    void toolsAndHelpItems() {
        Harness h({QStringLiteral("a.ex")}, {}, {});
        QVERIFY(h.open());
        // Options changes folders but does not reload the lists.
        h.prompter.onNextOptionsDialog([&h] {
            h.folder().write(QStringLiteral("other/url-domain-bl.txt"), "z.ex\r\n");
            h.module.settings.imailPath = h.folder().filePath(QStringLiteral("other"));
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

QTEST_MAIN(TestMainWindow)
#include "tst_MainWindow.moc"
