#include "core/lists/SortList.h"

#include <QTest>
#include <algorithm>
#include <random>
#include <string>

using namespace quillmere;

namespace {
std::vector<std::string_view> views(const std::vector<std::string>& strings) {
    return {strings.begin(), strings.end()};
}
QStringList texts(const std::vector<std::string_view>& entries) {
    QStringList out;
    for (std::string_view entry : entries)
        out << QString::fromLatin1(entry.data(), static_cast<qsizetype>(entry.size()));
    return out;
}
} // namespace

class TestSortList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ordersByByteValue_data() {
        QTest::addColumn<QStringList>("input");
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("empty") << QStringList() << QStringList();
        QTest::newRow("one") << QStringList{QStringLiteral("x")}
                             << QStringList{QStringLiteral("x")};
        QTest::newRow("case and hyphen")
            << QStringList{QStringLiteral("b.example"), QStringLiteral("A.example"),
                           QStringLiteral("a.example"), QStringLiteral("a-b.example")}
            << QStringList{QStringLiteral("A.example"), QStringLiteral("a-b.example"),
                           QStringLiteral("a.example"), QStringLiteral("b.example")};
        QTest::newRow("prefix first")
            << QStringList{QStringLiteral("abc.example.org"), QStringLiteral("abc.example")}
            << QStringList{QStringLiteral("abc.example"), QStringLiteral("abc.example.org")};
        QTest::newRow("duplicates kept together")
            << QStringList{QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("b"),
                           QStringLiteral("a"), QStringLiteral("b")}
            << QStringList{QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("b"),
                           QStringLiteral("b"), QStringLiteral("b")};
        QTest::newRow("digits before letters, high bytes last")
            << QStringList{QString::fromLatin1("\xe9t\xe9.example"), QStringLiteral("Zed.example"),
                           QStringLiteral("9.example"), QStringLiteral(".example")}
            << QStringList{QStringLiteral(".example"), QStringLiteral("9.example"),
                           QStringLiteral("Zed.example"), QString::fromLatin1("\xe9t\xe9.example")};
        QTest::newRow("equal first eight bytes")
            << QStringList{QStringLiteral("abcdefgh2"), QStringLiteral("abcdefgh"),
                           QStringLiteral("abcdefgh10")}
            << QStringList{QStringLiteral("abcdefgh"), QStringLiteral("abcdefgh10"),
                           QStringLiteral("abcdefgh2")};
        QTest::newRow("embedded NUL after the prefix")
            << QStringList{QString::fromLatin1("a\0b", 3), QStringLiteral("a")}
            << QStringList{QStringLiteral("a"), QString::fromLatin1("a\0b", 3)};
    }
    void ordersByByteValue() {
        QFETCH(QStringList, input);
        QFETCH(QStringList, sorted);
        std::vector<std::string> strings;
        for (const QString& text : input)
            strings.push_back(text.toLatin1().toStdString());
        auto entries = views(strings);
        sortEntries(entries);
        QCOMPARE(texts(entries), sorted);
    }

    // The quicksort on its own must agree with the library sort on every shape of input that
    // stresses its partitioning: sorted, reversed, all equal, few distinct values, random.
    void agreesWithStandardSort_data() {
        QTest::addColumn<int>("shape");
        QTest::newRow("random") << 0;
        QTest::newRow("ascending") << 1;
        QTest::newRow("descending") << 2;
        QTest::newRow("all equal") << 3;
        QTest::newRow("few distinct") << 4;
    }
    void agreesWithStandardSort() {
        QFETCH(int, shape);
        for (int size : {0, 1, 2, 3, 7, 100, 5000}) {
            std::vector<int> values(static_cast<std::size_t>(size));
            std::mt19937 random(static_cast<unsigned>(size));
            for (int i = 0; i < size; ++i) {
                switch (shape) {
                case 0:
                    values[static_cast<std::size_t>(i)] = static_cast<int>(random() % 1000);
                    break;
                case 1:
                    values[static_cast<std::size_t>(i)] = i;
                    break;
                case 2:
                    values[static_cast<std::size_t>(i)] = size - i;
                    break;
                case 3:
                    values[static_cast<std::size_t>(i)] = 7;
                    break;
                default:
                    values[static_cast<std::size_t>(i)] = static_cast<int>(random() % 3);
                    break;
                }
            }
            std::vector<int> expected = values;
            std::sort(expected.begin(), expected.end());
            sortList(std::span<int>(values), std::less<int>());
            QCOMPARE(values, expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestSortList)
#include "tst_SortList.moc"
