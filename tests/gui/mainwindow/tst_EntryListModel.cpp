#include "gui/mainwindow/EntryListModel.h"

#include <QListView>
#include <QSignalSpy>
#include <QTest>

using namespace quillmere;

namespace {
QStringList shown(const QAbstractItemModel& model) {
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows << model.index(row, 0).data().toString();
    return rows;
}

QList<int> rows(const QModelIndexList& indexes) {
    QList<int> out;
    for (const QModelIndex& index : indexes)
        out << index.row();
    return out;
}
} // namespace

class TestEntryListModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsTheTrackedListsAsText() {
        TrackedLists lists;
        TrackedListModels models(lists);
        lists.replace(ListId::Main, EntryList{"b.ex", "caf\xe9.ex"});
        lists.replace(ListId::Removed, EntryList{"r.ex"});
        QCOMPARE(shown(*models.model(ListId::Main)),
                 (QStringList{QStringLiteral("b.ex"), QStringLiteral("caf\u00e9.ex")}));
        QCOMPARE(shown(*models.model(ListId::Added)), QStringList());
        QCOMPARE(shown(*models.model(ListId::Removed)), QStringList{QStringLiteral("r.ex")});
        QVERIFY(!models.model(ListId::Main)->index(0, 0).data(Qt::DecorationRole).isValid());
    }

    // An index is made for a row of the list, in its one column, at its top level; anything else
    // is the invalid index, as the base class would give.
    void indexOnlyInsideTheList_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("underARow");
        QTest::addColumn<bool>("valid");
        QTest::newRow("the first row") << 0 << 0 << false << true;
        QTest::newRow("the last row") << 2 << 0 << false << true;
        QTest::newRow("past the last row") << 3 << 0 << false << false;
        QTest::newRow("before the first row") << -1 << 0 << false << false;
        QTest::newRow("a second column") << 0 << 1 << false << false;
        QTest::newRow("a negative column") << 0 << -1 << false << false;
        QTest::newRow("under a row") << 0 << 0 << true << false;
    }
    void indexOnlyInsideTheList() {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(bool, underARow);
        QFETCH(bool, valid);
        TrackedLists lists;
        TrackedListModels models(lists);
        lists.replace(ListId::Main, EntryList{"a.ex", "b.ex", "c.ex"});
        const QAbstractItemModel& model = *models.model(ListId::Main);
        const QModelIndex parent = underARow ? model.index(0, 0) : QModelIndex();
        const QModelIndex index = model.index(row, column, parent);
        QCOMPARE(index.isValid(), valid);
        QCOMPARE(model.hasIndex(row, column, parent), valid);
        if (valid) {
            QCOMPARE(index.row(), row);
            QCOMPARE(index.model(), &model);
            QCOMPARE(index.data().toString(),
                     QString::fromLatin1(QByteArray(1, "abc"[row]) + ".ex"));
        }
    }

    void followsEveryCommand() {
        TrackedLists lists;
        TrackedListModels models(lists);
        lists.replace(ListId::Main, EntryList{"a.ex", "b.ex"});
        lists.replace(ListId::Removed, EntryList{"x.ex", "n.ex"});
        QSignalSpy inserted(models.model(ListId::Main), &QAbstractItemModel::rowsInserted);
        QSignalSpy removedRows(models.model(ListId::Removed), &QAbstractItemModel::rowsRemoved);
        QSignalSpy addedReset(models.model(ListId::Added), &QAbstractItemModel::modelReset);

        lists.add("n.ex");
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted[0][1].toInt(), 2);
        QCOMPARE(inserted[0][2].toInt(), 2);
        QCOMPARE(removedRows.size(), 1);
        QCOMPARE(removedRows[0][1].toInt(), 1);
        QCOMPARE(
            shown(*models.model(ListId::Main)),
            (QStringList{QStringLiteral("a.ex"), QStringLiteral("b.ex"), QStringLiteral("n.ex")}));
        QCOMPARE(shown(*models.model(ListId::Added)), QStringList{QStringLiteral("n.ex")});

        lists.clearAdded();
        QCOMPARE(addedReset.size(), 1);
        QCOMPARE(models.model(ListId::Added)->rowCount(), 0);
    }

    void stopsObservingWhenGone() {
        TrackedLists lists;
        { TrackedListModels models(lists); }
        lists.add("a.ex"); // would reach a destroyed model
        QCOMPARE(lists.main().size(), std::size_t(1));
    }

    // Each row: the text typed, the row to start from, the match flags, the rows found.
    void match_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("hits");
        QTest::addColumn<QList<int>>("found");
        const int startsWith = Qt::MatchStartsWith;
        const int wrap = Qt::MatchStartsWith | Qt::MatchWrap;
        QTest::newRow("next beginning with the letter") << "b" << 2 << wrap << 1 << QList<int>{3};
        QTest::newRow("case does not count") << "B" << 0 << wrap << 1 << QList<int>{1};
        QTest::newRow("case counts when asked")
            << "B" << 0 << (wrap | int(Qt::MatchCaseSensitive)) << 1 << QList<int>{4};
        QTest::newRow("wraps round to the top") << "a" << 2 << wrap << 1 << QList<int>{0};
        QTest::newRow("without wrap stops at the end")
            << "a" << 2 << startsWith << 1 << QList<int>{};
        QTest::newRow("all hits") << "b" << 0 << wrap << -1 << QList<int>{1, 3, 4};
        QTest::newRow("accented letters fold too") << "\u00c9" << 0 << wrap << 1 << QList<int>{5};
        QTest::newRow("a character no entry can hold")
            << "\u0107" << 0 << wrap << 1 << QList<int>{};
    }

    void match() {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, flags);
        QFETCH(int, hits);
        QFETCH(QList<int>, found);
        TrackedLists lists;
        TrackedListModels models(lists);
        lists.replace(ListId::Main,
                      EntryList{"a.ex", "b.ex", "c.ex", "bb.ex", "B.ex", "\xe9t\xe9.ex"});
        const EntryListModel& model = *models.model(ListId::Main);
        QCOMPARE(rows(model.match(model.index(start, 0), Qt::DisplayRole, text, hits,
                                  Qt::MatchFlags(flags))),
                 found);
    }

    void listTypeAheadUsesIt() {
        TrackedLists lists;
        TrackedListModels models(lists);
        lists.replace(ListId::Main, EntryList{"a.ex", "b.ex", "c.ex", "bb.ex"});
        QListView view;
        view.setModel(models.model(ListId::Main));
        view.setCurrentIndex(view.model()->index(1, 0));
        view.keyboardSearch(QStringLiteral("b"));
        QCOMPARE(view.currentIndex().row(), 3);
    }
};

QTEST_MAIN(TestEntryListModel)
#include "tst_EntryListModel.moc"
