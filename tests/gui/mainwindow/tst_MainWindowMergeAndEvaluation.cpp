#include "fakes/SystemReason.h"
#include "gui/mainwindow/MainWindowFixture.h"

#include <QApplication>
#include <QDir>

using namespace quillmere;
using namespace quillmere::test;

namespace {

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

} // namespace

// Merging a factory list and evaluating the Added list from the main window's menus.
class TestMainWindowMergeAndEvaluation : public QObject {
    Q_OBJECT
private Q_SLOTS:
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

    void trimmingEveryEntryDisablesTheEvaluation() {
        Harness h({QStringLiteral("a.ex"), QStringLiteral("b.ex")},
                  {QStringLiteral("b.ex"), QStringLiteral("a.ex")}, {QStringLiteral("r.ex")});
        h.module.settings.importPath = h.folder().filePath(QStringLiteral("import"));
        h.folder().write(QStringLiteral("import/release.txt"), "a.ex\r\nb.ex\r\nc.ex\r\n");
        QVERIFY(h.open());
        QVERIFY(h.item("mnuToolsEval")->isEnabled());
        h.prompter.chooseNextFile(h.folder().filePath(QStringLiteral("import/release.txt")));
        QStringList listed;
        h.prompter.onNextEvaluationDialog([&listed](const AddedEvaluation& evaluation) {
            for (std::string_view entry : evaluation.listed)
                listed << QString::fromLatin1(entry.data(), static_cast<qsizetype>(entry.size()));
            return true;
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
        h.prompter.onNextEvaluationDialog([](const AddedEvaluation&) { return true; });

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
        h.prompter.onNextEvaluationDialog([](const AddedEvaluation&) { return false; });

        h.item("mnuToolsEval")->trigger();

        QCOMPARE(h.rows("List2"), (QStringList{QStringLiteral("b.ex"), QStringLiteral("a.ex")}));
        QVERIFY(!h.window->lists().anyModified());
        QCOMPARE(h.panel(1), QString());
        QVERIFY(!h.item("mnuFileSave")->isEnabled());
    }

    // The merge and the evaluation each ask for a file first; a cancelled or unreadable choice
    // leaves the lists, the selection and the panels as they were.
    void aFileThatIsNotChosenOrNotReadChangesNothing_data() {
        QTest::addColumn<QByteArray>("item");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QStringList>("painted");
        QTest::addColumn<QString>("status");
        const QString modified = QStringLiteral("modified: main, added");
        const QString merge = QStringLiteral("New factory list");
        const QString evaluation = QStringLiteral("Ipswitch release to cross check");
        QTest::newRow("merge cancelled") << QByteArray("mnuFileOpen") << merge << QString()
                                         << QString() << QStringList() << modified;
        // The merge reads its file before it shows a phase.
        QTest::newRow("merge of a file in a missing folder")
            << QByteArray("mnuFileOpen") << merge << QStringLiteral("missing/url-domain-bl.txt")
            << missingFolderReason() << QStringList() << modified;
        QTest::newRow("evaluation cancelled")
            << QByteArray("mnuToolsEval") << evaluation << QString() << QString() << QStringList()
            << modified;
        // The evaluation shows its first phase, then clears the panel as after every evaluation.
        QTest::newRow("evaluation of a missing file")
            << QByteArray("mnuToolsEval") << evaluation << QStringLiteral("missing.txt")
            << missingFileReason()
            << QStringList{QStringLiteral("Loading factory list... | shown"),
                           QStringLiteral(" | shown")}
            << QString();
    }
    void aFileThatIsNotChosenOrNotReadChangesNothing() {
        QFETCH(QByteArray, item);
        QFETCH(QString, title);
        QFETCH(QString, file);
        QFETCH(QString, reason);
        QFETCH(QStringList, painted);
        QFETCH(QString, status);
        Harness h({QStringLiteral("b.ex"), QStringLiteral("a.ex")}, {QStringLiteral("z.ex")}, {});
        QVERIFY(h.open());
        h.type(QStringLiteral("x.ex"));
        h.press("CommandAdd");
        h.clickRow("List1", 0);
        const QStringList main = h.rows("List1");
        const QStringList added = h.rows("List2");
        const QString path = file.isEmpty() ? QString() : h.folder().filePath(file);
        h.prompter.chooseNextFile(path);
        PanelPainting panel1(h.panelLabel(1), h.list("List1"));

        h.item(item.constData())->trigger();
        QApplication::processEvents();

        QStringList log{QStringLiteral("[Open: %1]").arg(title)};
        if (!path.isEmpty())
            log << QStringLiteral("Cannot open %1: %2")
                       .arg(QDir::toNativeSeparators(path), withoutFullStop(reason));
        QCOMPARE(h.prompter.log(), log);
        QCOMPARE(panel1.painted(), painted);
        QCOMPARE(h.panel(1), status);
        QCOMPARE(h.panel(3), QStringLiteral("3 listed"));
        QCOMPARE(h.rows("List1"), main);
        QCOMPARE(h.rows("List2"), added);
        QCOMPARE(h.selected("List1"), 0);
        QVERIFY(h.list("List1")->isVisible());
        QVERIFY(!h.window->lists().isModified(ListId::Removed));
    }
};

QTEST_MAIN(TestMainWindowMergeAndEvaluation)
#include "tst_MainWindowMergeAndEvaluation.moc"
