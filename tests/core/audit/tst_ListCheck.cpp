#include "core/audit/ListCheck.h"
#include "fakes/EntryBytes.h"

#include <QTest>
#include <random>
#include <set>

using namespace quillmere;
using namespace quillmere::test;

namespace {

QByteArray repeated(int count, char c) {
    return QByteArray(count, c);
}

// Lowercase host names of two to four labels, as a clean list holds them.
EntryList cleanList(std::size_t count) {
    std::mt19937 random(12);
    const std::string letters = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::set<std::string> seen;
    EntryList list;
    while (list.size() < count) {
        std::string domain;
        const int labels = 2 + static_cast<int>(random() % 3);
        for (int k = 0; k < labels; ++k) {
            if (k > 0)
                domain += '.';
            const int length = 1 + static_cast<int>(random() % 12);
            for (int i = 0; i < length; ++i)
                domain += letters[random() % (i == 0 ? 26 : letters.size())];
            if (length > 2 && random() % 5 == 0)
                domain[static_cast<std::size_t>(length / 2) + domain.size() - length] = '-';
        }
        if (seen.insert(domain).second)
            list.append(domain);
    }
    return list;
}

} // namespace

class TestListCheck : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each row: one entry and the reasons it gives, in report order, joined by "|".
    void entryReasons_data() {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<QString>("reasons");

        const QByteArray label63 = repeated(63, 'a');
        const QByteArray name253 =
            label63 + '.' + label63 + '.' + label63 + '.' + repeated(61, 'd');
        QTest::newRow("a host name") << QByteArray("mail.example.com") << "";
        QTest::newRow("hyphens and digits") << QByteArray("a-1.example.co.uk") << "";
        QTest::newRow("one label") << QByteArray("localhost") << "";
        QTest::newRow("leading blank") << QByteArray(" a.ex") << "leading blank";
        QTest::newRow("trailing tab") << QByteArray("a.ex\t") << "trailing blank";
        QTest::newRow("blank inside") << QByteArray("a .ex") << "blank inside";
        QTest::newRow("only blanks")
            << QByteArray("  ") << "leading blank|trailing blank|empty label";
        QTest::newRow("capitals") << QByteArray("A.ex") << "upper-case letters";
        QTest::newRow("latin-1 capital")
            << QByteArray("\xC9.ex")
            << "upper-case letters|character a host name cannot hold (0xC9)";
        QTest::newRow("underscore")
            << QByteArray("a_b.ex") << "character a host name cannot hold (0x5F)";
        QTest::newRow("first bad byte only")
            << QByteArray("a\x01!.ex") << "character a host name cannot hold (0x01)";
        QTest::newRow("scheme") << QByteArray("http://a.ex") << "URL scheme";
        QTest::newRow("path") << QByteArray("a.ex/x?y=1") << "path";
        QTest::newRow("port") << QByteArray("a.ex:25") << "port";
        QTest::newRow("at sign") << QByteArray("me@a.ex") << "at sign (@)";
        QTest::newRow("a whole URL") << QByteArray("https://me@A.ex:8080/p?q")
                                     << "upper-case letters|URL scheme|path|port|at sign (@)";
        QTest::newRow("IPv4") << QByteArray("192.0.2.1") << "IP address";
        QTest::newRow("IPv4 and port") << QByteArray("192.0.2.1:80") << "port|IP address";
        QTest::newRow("IPv6 in brackets") << QByteArray("[2001:db8::1]") << "IP address";
        QTest::newRow("IPv6 bare") << QByteArray("2001:db8::1") << "IP address";
        QTest::newRow("three numbers are a name") << QByteArray("1.2.3") << "";
        QTest::newRow("empty label") << QByteArray("a..ex") << "empty label";
        QTest::newRow("leading dot") << QByteArray(".a.ex") << "leading dot";
        QTest::newRow("trailing dot") << QByteArray("a.ex.") << "trailing dot";
        QTest::newRow("label of 63") << label63 + ".ex"
                                     << "";
        QTest::newRow("label of 64") << label63 + "a.ex"
                                     << "label over 63 bytes";
        QTest::newRow("name of 253") << name253 << "";
        QTest::newRow("name of 253 and a final dot") << name253 + '.' << "trailing dot";
        QTest::newRow("name of 254") << name253 + 'd' << "name over 253 bytes";
        QTest::newRow("lone LF") << QByteArray("a.ex\nb.ex") << "lone CR or LF";
        QTest::newRow("lone CR") << QByteArray("a.ex\r") << "lone CR or LF";
        QTest::newRow("empty") << QByteArray("") << "empty label";
    }

    void entryReasons() {
        QFETCH(QByteArray, entry);
        QStringList reasons;
        for (const auto& [reason, detail] : quillmere::entryReasons(viewOf(entry)))
            reasons << text(reasonText(reason)) + QString::fromStdString(detail);
        QTEST(reasons.join(QLatin1Char('|')), "reasons");
    }

    // Each row: the three lists, the one list checked ("" for all) and the report, summary last.
    void report_data() {
        QTest::addColumn<QString>("main");
        QTest::addColumn<QString>("added");
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QString>("only");
        QTest::addColumn<QStringList>("report");

        QTest::newRow("clean") << "a.ex|b.ex"
                               << "c.ex"
                               << "d.ex"
                               << "" << lines({"0 found"});
        QTest::newRow("the entry a capital duplicates")
            << "example.com|Example.com|x.ex|EXAMPLE.com"
            << ""
            << ""
            << ""
            << lines({"main:2: Example.com: upper-case letters, same as line 1 when folded",
                      "main:4: EXAMPLE.com: upper-case letters, same as line 1 when folded",
                      "2 found: 2 upper-case letters"});
        QTest::newRow("the duplicate may come later, or hold capitals itself")
            << "A.ex|x.ex|a.EX|B.ex"
            << ""
            << ""
            << ""
            << lines({"main:1: A.ex: upper-case letters, same as line 3 when folded",
                      "main:3: a.EX: upper-case letters, same as line 1 when folded",
                      "main:4: B.ex: upper-case letters", "3 found: 3 upper-case letters"});
        QTest::newRow("copies of a capital: the first entry that differs from them")
            << "A.ex|A.ex|a.EX|a.ex"
            << ""
            << ""
            << ""
            << lines({"main:1: A.ex: upper-case letters, same as line 3 when folded",
                      "main:1: A.ex: same entry twice (also line 2)",
                      "main:2: A.ex: upper-case letters, same as line 3 when folded",
                      "main:2: A.ex: same entry twice (also line 1)",
                      "main:3: a.EX: upper-case letters, same as line 1 when folded",
                      "5 found: 3 upper-case letters, 2 same entry twice"});
        QTest::newRow("copies of a capital and nothing else")
            << "B.ex|b.EX.x|B.ex"
            << ""
            << ""
            << ""
            << lines({"main:1: B.ex: upper-case letters",
                      "main:1: B.ex: same entry twice (also line 3)",
                      "main:2: b.EX.x: upper-case letters", "main:3: B.ex: upper-case letters",
                      "main:3: B.ex: same entry twice (also line 1)",
                      "5 found: 3 upper-case letters, 2 same entry twice"});
        QTest::newRow("same entry, every copy")
            << "a.ex|b.ex|a.ex|a.ex|A.ex|A.ex"
            << ""
            << ""
            << ""
            << lines({"main:1: a.ex: same entry twice (also line 3)",
                      "main:3: a.ex: same entry twice (also line 1)",
                      "main:4: a.ex: same entry twice (also line 1)",
                      "main:5: A.ex: upper-case letters, same as line 1 when folded",
                      "main:5: A.ex: same entry twice (also line 6)",
                      "main:6: A.ex: upper-case letters, same as line 1 when folded",
                      "main:6: A.ex: same entry twice (also line 5)",
                      "7 found: 2 upper-case letters, 5 same entry twice"});
        QTest::newRow("in both tracking lists")
            << "y.ex"
            << "x.ex|y.ex"
            << "z.ex|y.ex"
            << ""
            << lines({"added:2: y.ex: in both added and removed (removed:2)",
                      "removed:2: y.ex: in both added and removed (added:2)",
                      "2 found: 2 in both added and removed"});
        QTest::newRow("one list only")
            << " y.ex"
            << "y.ex"
            << "y.ex|y.ex"
            << "removed"
            << lines({"removed:1: y.ex: same entry twice (also line 2)",
                      "removed:1: y.ex: in both added and removed (added:1)",
                      "removed:2: y.ex: same entry twice (also line 1)",
                      "removed:2: y.ex: in both added and removed (added:1)",
                      "4 found: 2 same entry twice, 2 in both added and removed"});
        QTest::newRow("sorted by list, line and reason")
            << "b.ex| http://a.ex"
            << "C"
            << ""
            << ""
            << lines({"main:2:  http://a.ex: leading blank", "main:2:  http://a.ex: URL scheme",
                      "added:1: C: upper-case letters",
                      "3 found: 1 leading blank, 1 upper-case letters, 1 URL scheme"});
    }

    void report() {
        QFETCH(QString, main);
        QFETCH(QString, added);
        QFETCH(QString, removed);
        QFETCH(QString, only);
        TrackedLists lists;
        lists.replace(ListId::Main, split(main));
        lists.replace(ListId::Added, split(added));
        lists.replace(ListId::Removed, split(removed));
        std::optional<ListId> checked;
        for (ListId id : {ListId::Main, ListId::Added, ListId::Removed}) {
            if (only == text(listName(id)))
                checked = id;
        }
        const std::vector<CheckFinding> findings = checkLists(lists, checked);
        QStringList report;
        for (const CheckFinding& finding : findings)
            report << QString::fromStdString(findingLine(finding));
        report << QString::fromStdString(checkSummary(findings));
        QTEST(report, "report");
    }

    // Every copy of a capitalised entry names the first entry that differs from it only in
    // letter case, however many copies there are.
    void manyCopiesOfACapitalisedEntry() {
        constexpr std::size_t copies = 5000;
        EntryList list;
        for (std::size_t k = 0; k < copies; ++k)
            list.append("Spam.EX");
        list.append("spam.ex");
        list.append("SPAM.ex");
        for (std::size_t k = 0; k < copies; ++k)
            list.append("Spam.EX");
        TrackedLists lists;
        lists.replace(ListId::Main, std::move(list));

        const std::vector<CheckFinding> findings = checkLists(lists);
        std::vector<std::string> expected;
        for (std::size_t line = 1; line <= 2 * copies + 2; ++line) {
            const std::string number = std::to_string(line);
            if (line == copies + 1)
                continue;
            if (line == copies + 2) {
                expected.push_back("main:" + number +
                                   ": SPAM.ex: upper-case letters, same as line 1 when folded");
                continue;
            }
            expected.push_back("main:" + number + ": Spam.EX: upper-case letters, same as line " +
                               std::to_string(copies + 1) + " when folded");
            expected.push_back("main:" + number + ": Spam.EX: same entry twice (also line " +
                               (line == 1 ? "2" : "1") + ")");
        }
        QCOMPARE(findings.size(), expected.size());
        for (std::size_t k = 0; k < findings.size(); ++k) {
            if (findingLine(findings[k]) != expected[k])
                QCOMPARE(QString::fromStdString(findingLine(findings[k])),
                         QString::fromStdString(expected[k]));
        }
        QCOMPARE(QString::fromStdString(checkSummary(findings)),
                 QStringLiteral("%1 found: %2 upper-case letters, %3 same entry twice")
                     .arg(4 * copies + 1)
                     .arg(2 * copies + 1)
                     .arg(2 * copies));
    }

    void aCleanGeneratedListGivesNothing() {
        TrackedLists lists;
        lists.replace(ListId::Main, cleanList(20000));
        lists.replace(ListId::Added, cleanList(300));
        const std::vector<CheckFinding> findings = checkLists(lists);
        QVERIFY2(findings.empty(), findings.empty() ? "" : findingLine(findings.front()).c_str());
    }
};

QTEST_GUILESS_MAIN(TestListCheck)
#include "tst_ListCheck.moc"
