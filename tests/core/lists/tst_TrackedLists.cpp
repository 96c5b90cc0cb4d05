#include "core/lists/TrackedLists.h"
#include "core/lists/WantedCopies.h"
#include "fakes/EntryBytes.h"

#include <QTest>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

using namespace quillmere;
using namespace quillmere::test;

namespace {
QString flags(const TrackedLists& lists) {
    QString out;
    out += lists.isModified(ListId::Main) ? QLatin1Char('M') : QLatin1Char('-');
    out += lists.isModified(ListId::Added) ? QLatin1Char('A') : QLatin1Char('-');
    out += lists.isModified(ListId::Removed) ? QLatin1Char('R') : QLatin1Char('-');
    return out;
}

// The recorded edits as "add c.ex|sort main".
QString editsText(const EditRecord& record) {
    QStringList out;
    for (const Edit& edit : record.edits()) {
        const std::string_view action = editActionName(edit.action);
        const std::string_view object =
            edit.action == EditAction::Sort ? listName(edit.list) : std::string_view(edit.domain);
        out << QString::fromLatin1(action.data(), static_cast<qsizetype>(action.size())) +
                   QLatin1Char(' ') +
                   QString::fromLatin1(object.data(), static_cast<qsizetype>(object.size()));
    }
    return out.join(QLatin1Char('|'));
}

void load(TrackedLists& lists, const QString& main, const QString& added, const QString& removed) {
    lists.replace(ListId::Main, split(main));
    lists.replace(ListId::Added, split(added));
    lists.replace(ListId::Removed, split(removed));
}

// A command given many domains, applied at once and one domain at a time as the window's buttons
// would (each on the first equal entry of its list at that moment), to two copies of the lists.
// Each returns the outcome per domain as a text: "+" done, "-" not found or already listed.
QString applyAtOnce(TrackedLists& lists, const QString& command,
                    const std::vector<std::string>& texts) {
    // The lists share the domains' blocks, which outlive this list of them.
    EntryList domains;
    for (const std::string& text : texts)
        domains.append(text);
    QString out;
    if (command == QLatin1String("add")) {
        for (AddOutcome outcome : lists.addEach(domains))
            out += outcome == AddOutcome::Added ? QLatin1Char('+') : QLatin1Char('-');
        return out;
    }
    const std::vector<bool> done =
        command == QLatin1String("remove")  ? lists.removeEachFromMain(domains)
        : command == QLatin1String("unadd") ? lists.removeEachFromAdded(domains)
                                            : lists.reactivateEach(domains);
    for (bool one : done)
        out += one ? QLatin1Char('+') : QLatin1Char('-');
    return out;
}

QString applyOneAtATime(TrackedLists& lists, const QString& command,
                        const std::vector<std::string>& domains) {
    QString out;
    for (const std::string& domain : domains) {
        bool done = false;
        if (command == QLatin1String("add"))
            done = lists.add(domain) == AddOutcome::Added;
        else if (command == QLatin1String("remove"))
            done = lists.removeFromMain(lists.main().find(domain));
        else if (command == QLatin1String("unadd"))
            done = lists.removeFromAdded(lists.added().find(domain));
        else
            done = lists.reactivate(lists.removed().find(domain));
        out += done ? QLatin1Char('+') : QLatin1Char('-');
    }
    return out;
}

// Everything a command leaves: the three lists, the flags and the recorded edits.
QString state(const TrackedLists& lists) {
    return joined(lists.main()) + QLatin1Char('/') + joined(lists.added()) + QLatin1Char('/') +
           joined(lists.removed()) + QLatin1Char('/') + flags(lists) + QLatin1Char('/') +
           editsText(lists.edits());
}

// Applies the command both ways to the same lists and compares what each leaves.
void compareAtOnceWithOneAtATime(const QString& main, const QString& added, const QString& removed,
                                 const QString& command, const std::vector<std::string>& domains) {
    TrackedLists atOnce;
    TrackedLists oneByOne;
    load(atOnce, main, added, removed);
    load(oneByOne, main, added, removed);
    const QString atOnceOutcomes = applyAtOnce(atOnce, command, domains);
    const QString oneByOneOutcomes = applyOneAtATime(oneByOne, command, domains);
    QCOMPARE(atOnceOutcomes, oneByOneOutcomes);
    QCOMPARE(state(atOnce), state(oneByOne));
    // The lists keep what they view of the domains given once the edits are journaled and
    // forgotten.
    atOnce.edits().clear();
    oneByOne.edits().clear();
    QCOMPARE(state(atOnce), state(oneByOne));
}

std::vector<std::string> domainsOf(const QString& text) {
    std::vector<std::string> domains;
    for (const QString& domain : text.split(QLatin1Char('|'), Qt::SkipEmptyParts))
        domains.push_back(domain.toLatin1().toStdString());
    return domains;
}

} // namespace

class TestTrackedLists : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each row: the three lists before, the command and its argument (a typed text or a selected
    // row, -1 for none), the three lists after and the flags set.
    void commands_data() {
        QTest::addColumn<QString>("main");
        QTest::addColumn<QString>("added");
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("mainAfter");
        QTest::addColumn<QString>("addedAfter");
        QTest::addColumn<QString>("removedAfter");
        QTest::addColumn<QString>("flagsAfter");
        QTest::addColumn<QString>("edits");

        QTest::newRow("add appends to main and added") << "b.ex|a.ex"
                                                       << "q.ex"
                                                       << ""
                                                       << "add"
                                                       << "c.ex"
                                                       << "b.ex|a.ex|c.ex"
                                                       << "q.ex|c.ex"
                                                       << ""
                                                       << "MA-"
                                                       << "add c.ex";
        QTest::newRow("add differing in case is a new domain") << "a.ex"
                                                               << ""
                                                               << ""
                                                               << "add"
                                                               << "A.ex"
                                                               << "a.ex|A.ex"
                                                               << "A.ex"
                                                               << ""
                                                               << "MA-"
                                                               << "add A.ex";
        QTest::newRow("add keeps blanks") << "a.ex"
                                          << ""
                                          << ""
                                          << "add"
                                          << " a.ex "
                                          << "a.ex| a.ex "
                                          << " a.ex "
                                          << ""
                                          << "MA-"
                                          << "add  a.ex ";
        QTest::newRow("add a duplicate changes nothing") << "a.ex|b.ex"
                                                         << ""
                                                         << "r.ex"
                                                         << "add"
                                                         << "b.ex"
                                                         << "a.ex|b.ex"
                                                         << ""
                                                         << "r.ex"
                                                         << "---"
                                                         << "";
        QTest::newRow("add takes one copy out of removed") << "a.ex"
                                                           << ""
                                                           << "c.ex|x.ex|c.ex"
                                                           << "add"
                                                           << "c.ex"
                                                           << "a.ex|c.ex"
                                                           << "c.ex"
                                                           << "x.ex|c.ex"
                                                           << "MAR"
                                                           << "add c.ex";
        QTest::newRow("add does not search added") << "a.ex"
                                                   << "c.ex"
                                                   << ""
                                                   << "add"
                                                   << "c.ex"
                                                   << "a.ex|c.ex"
                                                   << "c.ex|c.ex"
                                                   << ""
                                                   << "MA-"
                                                   << "add c.ex";
        QTest::newRow("remove a hand addition leaves no trace") << "a.ex|c.ex|d.ex"
                                                                << "x.ex|c.ex|c.ex"
                                                                << "r.ex"
                                                                << "remove"
                                                                << "1"
                                                                << "a.ex|d.ex"
                                                                << "x.ex|c.ex"
                                                                << "r.ex"
                                                                << "MA-"
                                                                << "remove c.ex";
        QTest::newRow("remove a factory entry records it, even twice") << "a.ex|c.ex"
                                                                       << ""
                                                                       << "c.ex"
                                                                       << "remove"
                                                                       << "1"
                                                                       << "a.ex"
                                                                       << ""
                                                                       << "c.ex|c.ex"
                                                                       << "M-R"
                                                                       << "remove c.ex";
        QTest::newRow("remove with nothing selected") << "a.ex"
                                                      << ""
                                                      << ""
                                                      << "remove"
                                                      << "-1"
                                                      << "a.ex"
                                                      << ""
                                                      << ""
                                                      << "---"
                                                      << "";
        QTest::newRow("unadd takes the first main copy") << "a.ex|c.ex|c.ex"
                                                         << "c.ex|d.ex"
                                                         << "r.ex"
                                                         << "unadd"
                                                         << "0"
                                                         << "a.ex|c.ex"
                                                         << "d.ex"
                                                         << "r.ex"
                                                         << "MA-"
                                                         << "unadd c.ex";
        QTest::newRow("unadd of a domain not in main") << "a.ex"
                                                       << "c.ex"
                                                       << ""
                                                       << "unadd"
                                                       << "0"
                                                       << "a.ex"
                                                       << ""
                                                       << ""
                                                       << "-A-"
                                                       << "unadd c.ex";
        QTest::newRow("unadd with nothing selected") << "a.ex"
                                                     << "c.ex"
                                                     << ""
                                                     << "unadd"
                                                     << "-1"
                                                     << "a.ex"
                                                     << "c.ex"
                                                     << ""
                                                     << "---"
                                                     << "";
        QTest::newRow("reactivate appends without checking") << "a.ex|c.ex"
                                                             << "x.ex"
                                                             << "b.ex|c.ex"
                                                             << "reactivate"
                                                             << "1"
                                                             << "a.ex|c.ex|c.ex"
                                                             << "x.ex"
                                                             << "b.ex"
                                                             << "M-R"
                                                             << "reactivate c.ex";
        QTest::newRow("reactivate with nothing selected") << "a.ex"
                                                          << ""
                                                          << "c.ex"
                                                          << "reactivate"
                                                          << "-1"
                                                          << "a.ex"
                                                          << ""
                                                          << "c.ex"
                                                          << "---"
                                                          << "";
        QTest::newRow("clear empties added only") << "a.ex|c.ex"
                                                  << "c.ex|q.ex"
                                                  << "r.ex"
                                                  << "clear"
                                                  << ""
                                                  << "a.ex|c.ex"
                                                  << ""
                                                  << "r.ex"
                                                  << "-A-"
                                                  << "clear c.ex|clear q.ex";
        QTest::newRow("sort removed") << "b|a"
                                      << "d|c"
                                      << "z|y|Z"
                                      << "sort-removed"
                                      << ""
                                      << "b|a"
                                      << "d|c"
                                      << "Z|y|z"
                                      << "--R"
                                      << "sort removed";
        QTest::newRow("sort an empty main list still marks it") << ""
                                                                << ""
                                                                << ""
                                                                << "sort-main"
                                                                << ""
                                                                << ""
                                                                << ""
                                                                << ""
                                                                << "M--"
                                                                << "sort main";
        QTest::newRow("sort a sorted added list still marks it") << ""
                                                                 << "a|b"
                                                                 << ""
                                                                 << "sort-added"
                                                                 << ""
                                                                 << ""
                                                                 << "a|b"
                                                                 << ""
                                                                 << "-A-"
                                                                 << "sort added";
    }
    void commands() {
        QFETCH(QString, main);
        QFETCH(QString, added);
        QFETCH(QString, removed);
        QFETCH(QString, command);
        QFETCH(QString, argument);
        TrackedLists lists;
        load(lists, main, added, removed);
        const std::string text = argument.toLatin1().toStdString();
        const int row = argument.toInt();
        const std::optional<std::size_t> selected =
            row < 0 ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(row));
        if (command == QLatin1String("add"))
            lists.add(text);
        else if (command == QLatin1String("remove"))
            lists.removeFromMain(selected);
        else if (command == QLatin1String("unadd"))
            lists.removeFromAdded(selected);
        else if (command == QLatin1String("reactivate"))
            lists.reactivate(selected);
        else if (command == QLatin1String("clear"))
            lists.clearAdded();
        else if (command == QLatin1String("sort-main"))
            lists.sort(ListId::Main);
        else if (command == QLatin1String("sort-added"))
            lists.sort(ListId::Added);
        else if (command == QLatin1String("sort-removed"))
            lists.sort(ListId::Removed);
        QTEST(joined(lists.main()), "mainAfter");
        QTEST(joined(lists.added()), "addedAfter");
        QTEST(joined(lists.removed()), "removedAfter");
        QTEST(flags(lists), "flagsAfter");
        QTEST(editsText(lists.edits()), "edits");
    }

    // Each row: the three lists, the command and its domains, and what one command per domain
    // gives: the outcome per domain ("+" done, "-" not), then the lists, the flags and the edits.
    void manyDomainsAtOnceAsOneAtATime_data() {
        QTest::addColumn<QString>("main");
        QTest::addColumn<QString>("added");
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("domains");
        QTest::addColumn<QString>("outcomes");
        QTest::addColumn<QString>("after");

        QTest::newRow("add: a domain twice is added once") << "a"
                                                           << ""
                                                           << ""
                                                           << "add"
                                                           << "b|b"
                                                           << "+-"
                                                           << "a|b/b//MA-/add b";
        QTest::newRow("add: listed, new and case") << "a|B"
                                                   << ""
                                                   << ""
                                                   << "add"
                                                   << "a|b|B|A"
                                                   << "-+-+"
                                                   << "a|B|b|A/b|A//MA-/add b|add A";
        QTest::newRow("add: one removed copy of two, the first") << "m"
                                                                 << ""
                                                                 << "x|r|y|r"
                                                                 << "add"
                                                                 << "r|r"
                                                                 << "+-"
                                                                 << "m|r/r/x|y|r/MAR/add r";
        QTest::newRow("add: in both added and removed") << ""
                                                        << "d|d"
                                                        << "d|e"
                                                        << "add"
                                                        << "e|d"
                                                        << "++"
                                                        << "e|d/d|d|e|d//MAR/add e|add d";
        QTest::newRow("add: nothing new changes nothing") << "a|b"
                                                          << "a"
                                                          << ""
                                                          << "add"
                                                          << "b|a|b"
                                                          << "---"
                                                          << "a|b/a//---/";
        QTest::newRow("remove: duplicates in the list, fewer arguments")
            << "d|x|d|d"
            << ""
            << ""
            << "remove"
            << "d|d"
            << "++"
            << "x|d//d|d/M-R/remove d|remove d";
        QTest::newRow("remove: more arguments than copies") << "d|x"
                                                            << ""
                                                            << ""
                                                            << "remove"
                                                            << "d|x|d"
                                                            << "++-"
                                                            << "//d|x/M-R/remove d|remove x";
        QTest::newRow("remove: a hand addition once, then recorded")
            << "d|d|d"
            << "d|q"
            << "d"
            << "remove"
            << "d|d|d"
            << "+++"
            << "/q/d|d|d/MAR/remove d|remove d|remove d";
        QTest::newRow("remove: two hand additions, in order")
            << "a|b|c"
            << "c|b|c"
            << ""
            << "remove"
            << "c|a|b"
            << "+++"
            << "/c/a/MAR/remove c|remove a|remove b";
        QTest::newRow("remove: nothing found changes nothing") << "a"
                                                               << "b"
                                                               << "c"
                                                               << "remove"
                                                               << "b|c|A"
                                                               << "---"
                                                               << "a/b/c/---/";
        QTest::newRow("unadd: first copy of each, main's first copy")
            << "x|d|y|d"
            << "d|e|d"
            << ""
            << "unadd"
            << "d|e|f|d|d"
            << "++-+-"
            << "x|y///MA-/unadd d|unadd e|unadd d";
        QTest::newRow("unadd: no copy in main leaves main alone") << "a"
                                                                  << "d"
                                                                  << "d"
                                                                  << "unadd"
                                                                  << "d"
                                                                  << "+"
                                                                  << "a//d/-A-/unadd d";
        QTest::newRow("unadd: nothing found changes nothing") << "d"
                                                              << "e"
                                                              << "d"
                                                              << "unadd"
                                                              << "d"
                                                              << "-"
                                                              << "d/e/d/---/";
        QTest::newRow("reactivate: copies back in argument order")
            << "d"
            << ""
            << "d|e|d"
            << "reactivate"
            << "e|d|d|d"
            << "+++-"
            << "d|e|d|d///M-R/reactivate e|reactivate d|reactivate d";
        QTest::newRow("reactivate: in both added and removed keeps added")
            << ""
            << "b"
            << "b|a"
            << "reactivate"
            << "b"
            << "+"
            << "b/b/a/M-R/reactivate b";
        QTest::newRow("reactivate: nothing found changes nothing") << "a"
                                                                   << ""
                                                                   << "b"
                                                                   << "reactivate"
                                                                   << "a|B"
                                                                   << "--"
                                                                   << "a//b/---/";
    }
    void manyDomainsAtOnceAsOneAtATime() {
        QFETCH(QString, main);
        QFETCH(QString, added);
        QFETCH(QString, removed);
        QFETCH(QString, command);
        QFETCH(QString, domains);
        TrackedLists lists;
        load(lists, main, added, removed);
        QTEST(applyAtOnce(lists, command, domainsOf(domains)), "outcomes");
        QTEST(state(lists), "after");
        compareAtOnceWithOneAtATime(main, added, removed, command, domainsOf(domains));
    }

    // Many random lists of few short domains, so that copies, domains in both tracking lists and
    // repeated arguments are the rule; the seed is fixed so that a failure can be run again.
    void manyDomainsAtOnceAsOneAtATimeRandomly() {
        std::mt19937 random(20261209);
        const QStringList words = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                                   QStringLiteral("A"), QStringLiteral("d.ex")};
        const auto pick = [&](int most) {
            QStringList out;
            const int count = static_cast<int>(random() % static_cast<unsigned>(most + 1));
            for (int i = 0; i < count; ++i)
                out << words.at(static_cast<qsizetype>(random() % words.size()));
            return out.join(QLatin1Char('|'));
        };
        for (int round = 0; round < 2000; ++round) {
            for (const char* command : {"add", "remove", "unadd", "reactivate"}) {
                const QString main = pick(6);
                const QString added = pick(4);
                const QString removed = pick(4);
                const QString domains = pick(6);
                compareAtOnceWithOneAtATime(main, added, removed, QLatin1String(command),
                                            domainsOf(domains));
                if (QTest::currentTestFailed()) {
                    qWarning("round %d, %s %s on %s / %s / %s", round, command, qPrintable(domains),
                             qPrintable(main), qPrintable(added), qPrintable(removed));
                    return;
                }
            }
        }
    }

    void addReportsADuplicate() {
        TrackedLists lists;
        load(lists, QStringLiteral("a.ex"), QString(), QString());
        QCOMPARE(lists.add("a.ex"), AddOutcome::AlreadyListed);
        QCOMPARE(lists.add("b.ex"), AddOutcome::Added);
    }

    void changeStatus_data() {
        QTest::addColumn<bool>("main");
        QTest::addColumn<bool>("added");
        QTest::addColumn<bool>("removed");
        QTest::addColumn<QString>("summary");
        QTest::newRow("none") << false << false << false << "";
        QTest::newRow("main") << true << false << false << "modified: main";
        QTest::newRow("added") << false << true << false << "modified: added";
        QTest::newRow("removed") << false << false << true << "modified: removed";
        QTest::newRow("main added") << true << true << false << "modified: main, added";
        QTest::newRow("main removed") << true << false << true << "modified: main, removed";
        QTest::newRow("added removed") << false << true << true << "modified: added, removed";
        QTest::newRow("all") << true << true << true << "modified: main, added, removed";
    }
    void changeStatus() {
        QFETCH(bool, main);
        QFETCH(bool, added);
        QFETCH(bool, removed);
        TrackedLists lists;
        lists.setModified(ListId::Main, main);
        lists.setModified(ListId::Added, added);
        lists.setModified(ListId::Removed, removed);
        const ChangeStatus status = lists.changeStatus();
        QTEST(QString::fromStdString(status.summary), "summary");
        QCOMPARE(status.enableRevert, main);
        QCOMPARE(status.enableSaveAndExitNoSave, main || added || removed);
        QCOMPARE(status.evaluationEnabled.has_value(), added);
    }

    void evaluationFollowsTheAddedCount() {
        TrackedLists lists;
        load(lists, QStringLiteral("a.ex"), QStringLiteral("a.ex"), QString());
        lists.setModified(ListId::Added, true);
        QCOMPARE(lists.changeStatus().evaluationEnabled, std::optional<bool>(true));
        lists.clearAdded();
        QCOMPARE(lists.changeStatus().evaluationEnabled, std::optional<bool>(false));
    }

    void countTexts() {
        TrackedLists lists;
        load(lists, QStringLiteral("a|b|c"), QStringLiteral("a"), QString());
        QCOMPARE(lists.countText(ListId::Main), std::string("3 listed"));
        QCOMPARE(lists.countText(ListId::Added), std::string("1 added"));
        QCOMPARE(lists.countText(ListId::Removed), std::string("0 removed"));
    }

    // The table of wanted texts grows past the room it was given, and what was wanted before it
    // grew is still found: the first copies, as many as wanted.
    void wantedCopiesGrowPastTheirExpectedCount_data() {
        QTest::addColumn<int>("expected");
        QTest::newRow("room for all from the start") << 300;
        QTest::newRow("room for none") << 0;
    }
    void wantedCopiesGrowPastTheirExpectedCount() {
        QFETCH(int, expected);
        std::vector<std::string> texts;
        for (int k = 0; k < 300; ++k)
            texts.push_back(std::string("d").append(std::to_string(k)).append(".ex"));
        // Every text twice, then the even ones a third time.
        std::vector<std::string_view> entries(texts.begin(), texts.end());
        entries.insert(entries.end(), texts.begin(), texts.end());
        for (std::size_t k = 0; k < texts.size(); k += 2)
            entries.push_back(texts[k]);
        const EntryList list = EntryList::fromViews(entries, {});
        WantedCopies wanted(static_cast<std::size_t>(expected));
        for (std::size_t k = 0; k < texts.size(); ++k) {
            QCOMPARE(wanted.want(texts[k]), k);
            if (k % 3 == 0)
                wanted.want(texts[k]);
        }
        std::vector<std::size_t> rows;
        for (std::size_t k = 0; k < texts.size(); ++k) {
            rows.push_back(k);
            if (k % 3 == 0)
                rows.push_back(texts.size() + k);
        }
        std::sort(rows.begin(), rows.end());
        QCOMPARE(wanted.findIn(list), rows);
        QCOMPARE(wanted.found(3), std::size_t{2});
        QCOMPARE(wanted.found(4), std::size_t{1});
    }

    void discardAllEmptiesAndClears() {
        TrackedLists lists;
        load(lists, QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"));
        lists.add("d");
        QVERIFY(!lists.edits().empty());
        lists.discardAll();
        QVERIFY(lists.main().empty() && lists.added().empty() && lists.removed().empty());
        QVERIFY(!lists.anyModified());
        QVERIFY(lists.edits().empty()); // a reverted edit is never journaled
    }
};

QTEST_GUILESS_MAIN(TestTrackedLists)
#include "tst_TrackedLists.moc"
