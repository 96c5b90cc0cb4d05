#include "core/audit/DomainQuery.h"
#include "fakes/EntryBytes.h"

#include <QTest>

using namespace quillmere;
using namespace quillmere::test;

namespace {

QString kindText(MatchKind kind) {
    switch (kind) {
    case MatchKind::Exact:
        return QStringLiteral("exact");
    case MatchKind::OtherCase:
        return QStringLiteral("case");
    case MatchKind::Parent:
        return QStringLiteral("parent");
    case MatchKind::ParentOtherCase:
        return QStringLiteral("parent case");
    }
    return {};
}

} // namespace

class TestDomainQuery : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each row: the three lists ("a|b"), the queried domains, whether case is ignored, every hit
    // as "DOMAIN-INDEX LIST:LINE: ENTRY: KIND" (by domain, then main, added, removed, by line),
    // and for each domain whether the Main list holds it ("1") or not ("0").
    void answers_data() {
        QTest::addColumn<QString>("main");
        QTest::addColumn<QString>("added");
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QString>("domains");
        QTest::addColumn<bool>("ignoreCase");
        QTest::addColumn<QStringList>("hits");
        QTest::addColumn<QString>("inMain");

        QTest::newRow("every copy, in every list")
            << "x.ex|a.ex|x.ex"
            << "x.ex"
            << "b.ex|x.ex"
            << "x.ex" << false
            << lines({"0 main:1: x.ex: exact", "0 main:3: x.ex: exact", "0 added:1: x.ex: exact",
                      "0 removed:2: x.ex: exact"})
            << "1";
        QTest::newRow("parents in the main list only, in line order")
            << "example.com|b.example.com|com|a.b.example.com|xample.com"
            << "example.com"
            << ""
            << "a.b.example.com" << false
            << lines({"0 main:1: example.com: parent", "0 main:2: b.example.com: parent",
                      "0 main:3: com: parent", "0 main:4: a.b.example.com: exact"})
            << "1";
        QTest::newRow("a parent alone does not list the domain")
            << "example.com"
            << ""
            << ""
            << "www.example.com" << false << lines({"0 main:1: example.com: parent"}) << "0";
        QTest::newRow("in the removed list only")
            << "a.ex"
            << ""
            << "x.ex"
            << "x.ex" << false << lines({"0 removed:1: x.ex: exact"}) << "0";
        QTest::newRow("letter case counts") << "X.ex|Example.com"
                                            << "X.EX"
                                            << ""
                                            << "x.ex|a.example.com" << false << lines({}) << "00";
        QTest::newRow("ignore case shows other case")
            << "X.ex|x.ex|Example.com"
            << "X.EX"
            << ""
            << "x.ex|a.example.com" << true
            << lines({"0 main:1: X.ex: case", "0 main:2: x.ex: exact", "0 added:1: X.EX: case",
                      "1 main:3: Example.com: parent case"})
            << "10";
        QTest::newRow("blanks count") << " x.ex|x.ex |x .ex"
                                      << ""
                                      << ""
                                      << "x.ex" << true << lines({}) << "0";
        QTest::newRow("several domains, each answered on its own")
            << "a.ex|b.ex"
            << ""
            << ""
            << "b.ex|c.ex|a.ex|b.ex" << false
            << lines({"0 main:2: b.ex: exact", "2 main:1: a.ex: exact", "3 main:2: b.ex: exact"})
            << "1011";
        QTest::newRow("a queried domain that is another's parent")
            << "example.com"
            << ""
            << ""
            << "a.example.com|example.com" << false
            << lines({"0 main:1: example.com: parent", "1 main:1: example.com: exact"}) << "01";
        QTest::newRow("latin-1 capitals fold")
            << QString::fromLatin1("CAF\xC9.ex") << ""
            << "" << QString::fromLatin1("caf\xe9.ex") << true
            << QStringList{QString::fromLatin1("0 main:1: CAF\xC9.ex: case")} << "0";
        QTest::newRow("the multiplication sign is no capital")
            << QString::fromLatin1("\xD7.ex") << ""
            << "" << QString::fromLatin1("\xF7.ex") << true << lines({}) << "0";
        QTest::newRow("a long entry")
            << QString(300, QLatin1Char('a')) << ""
            << "" << QString(300, QLatin1Char('a')) << false
            << QStringList{QStringLiteral("0 main:1: ") + QString(300, QLatin1Char('a')) +
                           QStringLiteral(": exact")}
            << "1";
    }

    void answers() {
        QFETCH(QString, main);
        QFETCH(QString, added);
        QFETCH(QString, removed);
        QFETCH(QString, domains);
        QFETCH(bool, ignoreCase);
        TrackedLists lists;
        lists.replace(ListId::Main, split(main));
        lists.replace(ListId::Added, split(added));
        lists.replace(ListId::Removed, split(removed));
        std::vector<std::string> queried;
        for (const QString& domain : domains.split(QLatin1Char('|')))
            queried.push_back(domain.toLatin1().toStdString());

        const std::vector<DomainAnswer> answers = queryDomains(lists, queried, ignoreCase);
        QCOMPARE(answers.size(), queried.size());
        QStringList hits;
        QString inMain;
        for (std::size_t i = 0; i < answers.size(); ++i) {
            for (const QueryHit& hit : answers[i].hits)
                hits << QStringLiteral("%1 %2:%3: %4: %5")
                            .arg(i)
                            .arg(text(listName(hit.list)))
                            .arg(hit.line)
                            .arg(text(hit.entry), kindText(hit.kind));
            inMain += answers[i].inMain ? QLatin1Char('1') : QLatin1Char('0');
        }
        QTEST(hits, "hits");
        QTEST(inMain, "inMain");
    }
};

QTEST_GUILESS_MAIN(TestDomainQuery)
#include "tst_DomainQuery.moc"
