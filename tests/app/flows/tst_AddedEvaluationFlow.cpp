#include "app/flows/AddedEvaluationFlow.h"
#include "fakes/EntryBytes.h"
#include "fakes/FakeCommandDisplay.h"
#include "fakes/FakePrompter.h"
#include "fakes/TempFolder.h"

#include <QDir>
#include <QTest>

using namespace quillmere;
using namespace quillmere::test;

namespace {

const QStringList kScanProgress{QStringLiteral("progress Loading factory list..."),
                                QStringLiteral("progress Scanning for matches..."),
                                QStringLiteral("progress ")};

// The three lists, the settings and the fakes of one evaluation from the window.
class Harness {
public:
    explicit Harness(const QString& added)
        : display(lists) {
        lists.replace(ListId::Main, split(QStringLiteral("m1.ex|m2.ex")));
        lists.replace(ListId::Added, split(added));
        lists.replace(ListId::Removed, split(QStringLiteral("r.ex")));
        module.settings.importPath = folder.path();
    }

    // Chooses a release holding these bytes in the next file dialog.
    void chooseRelease(const QByteArray& bytes) {
        folder.write(QStringLiteral("release.txt"), bytes);
        prompter.chooseNextFile(folder.filePath(QStringLiteral("release.txt")));
    }

    // The next frmEval: what it shows is kept, and "Trim added list" pressed or not.
    void answerDialog(bool trim) {
        prompter.onNextEvaluationDialog([this, trim](const AddedEvaluation& evaluation) {
            shownUnique = joined(evaluation.unique);
            shownListed = joined(evaluation.listed);
            return trim;
        });
    }

    void run() { flow.run(); }

    bool otherListsUntouched() const {
        return joined(lists.main()) == QStringLiteral("m1.ex|m2.ex") &&
               joined(lists.removed()) == QStringLiteral("r.ex") &&
               !lists.isModified(ListId::Main) && !lists.isModified(ListId::Removed);
    }

    TempFolder folder;
    TrackedLists lists;
    Module1 module;
    FakePrompter prompter;
    FakeCommandDisplay display;
    AddedEvaluationFlow flow{lists, module, prompter, display};
    QString shownUnique;
    QString shownListed;
};

} // namespace

class TestAddedEvaluationFlow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theFileDialogAsksForARelease() {
        Harness h(QStringLiteral("a.ex"));
        h.module.settings.importPath = QStringLiteral("/srv/imports");
        h.prompter.chooseNextFile(QString());
        h.run();
        QCOMPARE(h.prompter.fileRequests().size(), 1);
        const OpenFileRequest& request = h.prompter.fileRequests().constFirst();
        QCOMPARE(request.title, QStringLiteral("Ipswitch release to cross check"));
        QCOMPARE(request.initialFolder, QStringLiteral("/srv/imports"));
        QCOMPARE(request.filter,
                 QStringLiteral("Imail blacklist|url-domain-bl.txt|All Files (*.*)|*.*"));
    }

    void cancelShowsNothing() {
        Harness h(QStringLiteral("a.ex|b.ex"));
        h.prompter.chooseNextFile(QString());
        h.run();
        QVERIFY(h.display.log().isEmpty());
        QCOMPARE(h.prompter.log(),
                 QStringList{QStringLiteral("[Open: Ipswitch release to cross check]")});
        QCOMPARE(joined(h.lists.added()), QStringLiteral("a.ex|b.ex"));
        QVERIFY(!h.lists.anyModified());
    }

    void theDialogShowsTheSplitAfterTheProgress() {
        Harness h(QStringLiteral("b.ex|A.ex|c.ex |a.ex|b.ex"));
        h.chooseRelease("a.ex\r\nb.ex\r\nc.ex\r\n");
        h.answerDialog(false);
        h.run();
        QCOMPARE(h.shownUnique, QStringLiteral("A.ex|c.ex "));
        QCOMPARE(h.shownListed, QStringLiteral("b.ex|a.ex|b.ex"));
        QCOMPARE(h.display.log(), kScanProgress);
        QCOMPARE(h.prompter.log(),
                 (QStringList{QStringLiteral("[Open: Ipswitch release to cross check]"),
                              QStringLiteral("[Evaluation]")}));
        // Cancelled: nothing changes.
        QCOMPARE(joined(h.lists.added()), QStringLiteral("b.ex|A.ex|c.ex |a.ex|b.ex"));
        QVERIFY(!h.lists.anyModified());
        QVERIFY(h.otherListsUntouched());
    }

    void trimKeepsTheUniqueEntries_data() {
        QTest::addColumn<QString>("added");
        QTest::addColumn<QByteArray>("release");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QString>("trimmed");
        QTest::newRow("no match") << QStringLiteral("c.ex|a.ex") << QByteArray("x.ex\r\ny.ex")
                                  << QStringLiteral("c.ex|a.ex") << QString();
        QTest::newRow("LF line ends are one line")
            << QStringLiteral("a.ex|b.ex") << QByteArray("a.ex\nb.ex\n")
            << QStringLiteral("a.ex|b.ex") << QString();
        QTest::newRow("empty release")
            << QStringLiteral("a.ex") << QByteArray() << QStringLiteral("a.ex") << QString();
        QTest::newRow("some listed") << QStringLiteral("a.ex|b.ex|c.ex") << QByteArray("b.ex\r\n")
                                     << QStringLiteral("a.ex|c.ex") << QStringLiteral("b.ex");
        QTest::newRow("all listed, one twice")
            << QStringLiteral("a.ex|b.ex|a.ex") << QByteArray("b.ex\r\na.ex\r\n") << QString()
            << QStringLiteral("a.ex|b.ex|a.ex");
    }
    void trimKeepsTheUniqueEntries() {
        QFETCH(QString, added);
        QFETCH(QByteArray, release);
        QFETCH(QString, kept);
        QFETCH(QString, trimmed);
        Harness h(added);
        h.chooseRelease(release);
        h.answerDialog(true);
        h.run();
        QCOMPARE(joined(h.lists.added()), kept);
        // Each entry dropped is a trim for the journal, one per copy, as the command line records.
        QStringList trims;
        for (const Edit& edit : h.lists.edits().edits()) {
            QCOMPARE(edit.action, EditAction::Trim);
            trims << QString::fromStdString(std::string(edit.domain));
        }
        QCOMPARE(trims.join(QLatin1Char('|')), trimmed);
        // Marked modified even when nothing was dropped.
        QVERIFY(h.lists.isModified(ListId::Added));
        QVERIFY(h.otherListsUntouched());
        QCOMPARE(h.display.log(),
                 kScanProgress + QStringList{QStringLiteral("changeStatus modified: added")});
    }

    void theCountIsShownOnlyOnTheAddedTab_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QStringList>("after");
        const QString status = QStringLiteral("changeStatus modified: added");
        QTest::newRow("Main") << 1 << QStringList{status};
        QTest::newRow("Added") << 2 << QStringList{status, QStringLiteral("count 1 added")};
        QTest::newRow("Removed") << 3 << QStringList{status};
    }
    void theCountIsShownOnlyOnTheAddedTab() {
        QFETCH(int, tab);
        QFETCH(QStringList, after);
        Harness h(QStringLiteral("a.ex|b.ex"));
        h.display.setSelectedTab(tab);
        h.chooseRelease("a.ex\r\n");
        h.answerDialog(true);
        h.run();
        QCOMPARE(h.display.log(), kScanProgress + after);
    }

    void trimTakesOnlyNonEmptyUniqueElements() {
        Harness h(QStringLiteral("|a.ex||b.ex|"));
        h.chooseRelease("b.ex\r\n");
        h.answerDialog(true);
        h.run();
        QCOMPARE(h.shownUnique, QStringLiteral("a.ex"));
        QCOMPARE(joined(h.lists.added()), QStringLiteral("a.ex"));
    }

    void anUnreadableReleaseIsReportedAndChangesNothing() {
        Harness h(QStringLiteral("a.ex"));
        const QString path = h.folder.filePath(QStringLiteral("gone.txt"));
        h.prompter.chooseNextFile(path);
        h.run();
        QCOMPARE(h.display.log(), (QStringList{QStringLiteral("progress Loading factory list..."),
                                               QStringLiteral("progress ")}));
        QCOMPARE(h.prompter.log().size(), 2);
        const QString message = h.prompter.log().at(1);
        QVERIFY2(message.startsWith(QStringLiteral("Cannot open ") +
                                    QDir::toNativeSeparators(path) + QStringLiteral(": ")),
                 qPrintable(message));
        QCOMPARE(joined(h.lists.added()), QStringLiteral("a.ex"));
        QVERIFY(!h.lists.anyModified());
        QVERIFY(h.otherListsUntouched());
    }

    void eachEvaluationStartsFromAnEmptyResult() {
        Harness h(QStringLiteral("a.ex|b.ex"));
        h.chooseRelease("a.ex\r\n");
        h.answerDialog(false);
        h.run();
        h.chooseRelease("b.ex\r\n");
        h.answerDialog(false);
        h.run();
        QCOMPARE(h.shownUnique, QStringLiteral("a.ex"));
        QCOMPARE(h.shownListed, QStringLiteral("b.ex"));
    }
};

QTEST_GUILESS_MAIN(TestAddedEvaluationFlow)
#include "tst_AddedEvaluationFlow.moc"
