#include "app/flows/FactoryMergeFlow.h"
#include "fakes/EntryBytes.h"
#include "fakes/FakeCommandDisplay.h"
#include "fakes/FakePrompter.h"
#include "fakes/TempFolder.h"

#include <QDir>
#include <QTest>

using namespace quillmere;
using namespace quillmere::test;

namespace {

QStringList progress(std::initializer_list<const char*> texts) {
    QStringList out;
    for (const char* text : texts)
        out << QStringLiteral("progress ") + QLatin1String(text);
    return out;
}

// The three lists, the settings and the fakes of one merge or rebuild from the window.
class Harness {
public:
    Harness(const QString& main, const QString& added, const QString& removed)
        : display(lists) {
        lists.replace(ListId::Main, split(main));
        lists.replace(ListId::Added, split(added));
        lists.replace(ListId::Removed, split(removed));
        module.settings.importPath = folder.path();
    }

    // Chooses a factory file holding these bytes in the next file dialog.
    QString chooseFactoryFile(const QByteArray& bytes) {
        folder.write(QStringLiteral("url-domain-bl.txt"), bytes);
        const QString path = folder.filePath(QStringLiteral("url-domain-bl.txt"));
        prompter.chooseNextFile(path);
        return path;
    }

    void run(bool mergeNewFile) { flow.run(mergeNewFile); }

    TempFolder folder;
    TrackedLists lists;
    Module1 module;
    FakePrompter prompter;
    FakeCommandDisplay display;
    FactoryMergeFlow flow{lists, module, prompter, display};
};

} // namespace

class TestFactoryMergeFlow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void mergeShowsEachPhaseThenTheResult() {
        Harness h(QStringLiteral("b.ex|a.ex"), QStringLiteral("c.ex"), QStringLiteral("x.ex"));
        h.chooseFactoryFile("d.ex\r\na.ex\r\nx.ex\r\n");
        h.run(true);
        QCOMPARE(joined(h.lists.main()), QStringLiteral("a.ex|b.ex|c.ex|d.ex"));
        QStringList expected = progress({"Initializing..."});
        expected << QStringLiteral("hide Main list")
                 << progress({"Merging new file...", "Adding URLs...", "Sorting...",
                              "Building and removing duplicates...", "Removing URLs..."})
                 << QStringLiteral("count 4 listed")
                 << QStringLiteral("changeStatus modified: main")
                 << QStringLiteral("show Main list");
        QCOMPARE(h.display.log(), expected);
        QCOMPARE(h.prompter.log(), QStringList{QStringLiteral("[Open: New factory list]")});
    }

    void theFileDialogAsksForAFactoryList() {
        Harness h(QStringLiteral("a.ex"), QString(), QString());
        h.module.settings.importPath = QStringLiteral("/srv/imports");
        h.prompter.chooseNextFile(QString());
        h.run(true);
        QCOMPARE(h.prompter.fileRequests().size(), 1);
        const OpenFileRequest& request = h.prompter.fileRequests().constFirst();
        QCOMPARE(request.title, QStringLiteral("New factory list"));
        QCOMPARE(request.initialFolder, QStringLiteral("/srv/imports"));
        QCOMPARE(request.filter,
                 QStringLiteral("Imail blacklist|url-domain-bl.txt|All Files (*.*)|*.*"));
    }

    void rebuildShowsNoFilePhaseAndMarksTheListModified_data() {
        QTest::addColumn<QString>("added");
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QString>("main");
        QTest::addColumn<QStringList>("phases");
        const QStringList withoutAdded =
            progress({"Sorting...", "Building and removing duplicates...", "Removing URLs..."});
        QTest::newRow("nothing to re-apply, already sorted")
            << QString() << QString() << QStringLiteral("a.ex|b.ex") << withoutAdded;
        QTest::newRow("removed only")
            << QString() << QStringLiteral("b.ex") << QStringLiteral("a.ex") << withoutAdded;
        QTest::newRow("added and removed")
            << QStringLiteral("z.ex|b.ex") << QStringLiteral("z.ex") << QStringLiteral("a.ex|b.ex")
            << progress({"Adding URLs...", "Sorting...", "Building and removing duplicates...",
                         "Removing URLs..."});
    }
    void rebuildShowsNoFilePhaseAndMarksTheListModified() {
        QFETCH(QString, added);
        QFETCH(QString, removed);
        QFETCH(QString, main);
        QFETCH(QStringList, phases);
        Harness h(QStringLiteral("b.ex|a.ex|b.ex"), added, removed);
        h.run(false);
        QCOMPARE(joined(h.lists.main()), main);
        QVERIFY(h.lists.isModified(ListId::Main));
        QStringList expected = progress({"Initializing..."});
        expected << QStringLiteral("hide Main list") << phases
                 << QStringLiteral("count %1 listed").arg(h.lists.main().size())
                 << QStringLiteral("changeStatus modified: main")
                 << QStringLiteral("show Main list");
        QCOMPARE(h.display.log(), expected);
        // No file dialog: the fake would have failed the test.
        QVERIFY(h.prompter.log().isEmpty());
    }

    void theAddedAndRemovedListsAndTheirFlagsStay() {
        Harness h(QStringLiteral("a.ex"), QStringLiteral("c.ex|a.ex"), QStringLiteral("q.ex"));
        h.lists.setModified(ListId::Removed, true);
        h.chooseFactoryFile("q.ex\r\nb.ex");
        h.run(true);
        QCOMPARE(joined(h.lists.main()), QStringLiteral("a.ex|b.ex|c.ex"));
        QCOMPARE(joined(h.lists.added()), QStringLiteral("c.ex|a.ex"));
        QCOMPARE(joined(h.lists.removed()), QStringLiteral("q.ex"));
        QVERIFY(!h.lists.isModified(ListId::Added));
        QVERIFY(h.lists.isModified(ListId::Removed));
        QVERIFY(h.display.log().contains(QStringLiteral("changeStatus modified: main, removed")));
    }

    void anEmptyMainListContributesNothing() {
        Harness h{QString(), QString(), QString()};
        h.chooseFactoryFile("\r\nb.ex\r\na.ex\r\n\r\n");
        h.run(true);
        QCOMPARE(joined(h.lists.main()), QStringLiteral("a.ex|b.ex"));
        QVERIFY(h.display.log().contains(QStringLiteral("count 2 listed")));
    }

    void cancelChangesNothingAndShowsNothing() {
        Harness h(QStringLiteral("b.ex|a.ex"), QStringLiteral("c.ex"), QString());
        h.prompter.chooseNextFile(QString());
        h.run(true);
        QCOMPARE(joined(h.lists.main()), QStringLiteral("b.ex|a.ex"));
        QVERIFY(!h.lists.anyModified());
        QVERIFY(h.display.log().isEmpty());
        QCOMPARE(h.prompter.log(), QStringList{QStringLiteral("[Open: New factory list]")});
    }

    void anUnreadableFileIsReportedAndChangesNothing() {
        Harness h(QStringLiteral("b.ex|a.ex"), QStringLiteral("c.ex"), QString());
        const QString path = h.folder.filePath(QStringLiteral("gone/url-domain-bl.txt"));
        h.prompter.chooseNextFile(path);
        h.run(true);
        QCOMPARE(h.prompter.log().size(), 2);
        const QString message = h.prompter.log().at(1);
        QVERIFY2(message.startsWith(QStringLiteral("Cannot open ") +
                                    QDir::toNativeSeparators(path) + QStringLiteral(": ")),
                 qPrintable(message));
        QCOMPARE(joined(h.lists.main()), QStringLiteral("b.ex|a.ex"));
        QVERIFY(!h.lists.anyModified());
        QVERIFY(h.display.log().isEmpty());
    }

    void runningOutOfMemoryLeavesTheMainListAsItWas_data() {
        QTest::addColumn<QString>("phase");
        QTest::newRow("reading the file") << QStringLiteral("Merging new file...");
        QTest::newRow("sorting") << QStringLiteral("Sorting...");
        QTest::newRow("removing") << QStringLiteral("Removing URLs...");
    }
    void runningOutOfMemoryLeavesTheMainListAsItWas() {
        QFETCH(QString, phase);
        Harness h(QStringLiteral("b.ex|a.ex"), QStringLiteral("c.ex"), QStringLiteral("a.ex"));
        h.lists.setModified(ListId::Added, true);
        h.chooseFactoryFile("d.ex\r\n");
        h.display.runOutOfMemoryAt(phase);
        h.run(true);
        QCOMPARE(joined(h.lists.main()), QStringLiteral("b.ex|a.ex"));
        QVERIFY(!h.lists.isModified(ListId::Main));
        QCOMPARE(
            h.prompter.log().constLast(),
            QStringLiteral("Not enough memory to merge the lists; the Main list is unchanged."));
        // The summary of the flags as they are takes the progress text's place, and the list is
        // shown again.
        const QStringList log = h.display.log();
        QCOMPARE(log.mid(log.size() - 3),
                 (QStringList{QStringLiteral("progress ") + phase,
                              QStringLiteral("changeStatus modified: added"),
                              QStringLiteral("show Main list")}));
    }
};

QTEST_GUILESS_MAIN(TestFactoryMergeFlow)
#include "tst_FactoryMergeFlow.moc"
