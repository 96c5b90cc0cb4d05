#include "app/files/ListFiles.h"
#include "app/files/ListLoader.h"
#include "app/files/ListSaver.h"
#include "app/files/MainListBackups.h"
#include "fakes/TempFolder.h"

#include <QDir>
#include <QTest>

using namespace quillmere;
using quillmere::test::TempFolder;

namespace {

const QString kMain = QStringLiteral("imail/url-domain-bl.txt");

// The save times, as seconds after a fixed moment: the clock of the saves.
using Times = QList<int>;

QDateTime at(int seconds) {
    return QDateTime(QDate(2026, 12, 8), QTime(5, 19, 49), Qt::UTC).addSecs(seconds);
}

// Saves a Main list of 1, 2, ... entries at the given times, after a first one of 0 entries.
void saveInTurn(const TempFolder& folder, const Times& times) {
    folder.write(kMain, "");
    folder.subfolder(QStringLiteral("data"));
    for (int k = 0; k < times.size(); ++k) {
        TrackedLists lists;
        QVERIFY(loadLists(lists, folder.filePath(QStringLiteral("imail")),
                          folder.filePath(QStringLiteral("data")))
                    .mainRead);
        EntryList main = lists.main();
        main.append(QStringLiteral("e%1.ex").arg(k + 1).toStdString());
        lists.replace(ListId::Main, std::move(main));
        lists.setModified(ListId::Main, true);
        SaveRequest request{folder.filePath(QStringLiteral("imail")),
                            folder.filePath(QStringLiteral("data"))};
        request.time = at(times.at(k));
        const SaveOutcome outcome = saveAll(lists, request);
        QVERIFY2(outcome.saved() && outcome.warnings.isEmpty(),
                 qPrintable((outcome.errors + outcome.warnings).join(QLatin1Char('\n'))));
    }
}

// The entry count of each kept backup, oldest first.
QList<int> keptCounts(const TempFolder& folder) {
    const MainListBackups backups(folder.filePath(QStringLiteral("data")));
    QList<int> counts;
    for (const QString& name : backups.names())
        counts << int(readListFile(backups.pathOf(name))->size());
    return counts;
}

} // namespace

class TestMainListBackups : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Whatever the clock does, the kept backups are the lists the last ten saves replaced.
    void newestTenWhateverTheClock_data() {
        QTest::addColumn<Times>("times");
        Times steady, oneSecond, steppedBack;
        for (int k = 0; k < 13; ++k) {
            steady << k * 60;
            oneSecond << 0;
            steppedBack << (k < 6 ? 3600 + k : k); // an hour fast, then corrected
        }
        QTest::newRow("a save a minute") << steady;
        QTest::newRow("13 saves in one second") << oneSecond;
        QTest::newRow("clock stepped back an hour") << steppedBack;
    }
    void newestTenWhateverTheClock() {
        QFETCH(Times, times);
        TempFolder folder;
        saveInTurn(folder, times);
        QCOMPARE(keptCounts(folder), (QList<int>{3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    }

    void namesCarryASequenceAndTheTime() {
        TempFolder folder;
        saveInTurn(folder, {0, 0, 61});
        QCOMPARE(MainListBackups(folder.filePath(QStringLiteral("data"))).names(),
                 (QStringList{QStringLiteral("url-domain-bl-000001-20261208-051949.txt"),
                              QStringLiteral("url-domain-bl-000002-20261208-051949.txt"),
                              QStringLiteral("url-domain-bl-000003-20261208-052050.txt")}));
    }

    // Backups named by earlier versions, by the time alone, stay listed, older than every new one.
    void earlierNamesAreOlder() {
        TempFolder folder;
        folder.write(QStringLiteral("data/backups/url-domain-bl-20991231-235959.txt"), "x\r\n");
        folder.write(QStringLiteral("data/backups/url-domain-bl-20991231-235959-2.txt"), "x\r\n");
        folder.write(QStringLiteral("data/backups/url-domain-bl-20200101-000000.txt"), "x\r\n");
        folder.write(QStringLiteral("data/backups/notes.txt"), "x\r\n");
        saveInTurn(folder, {0});
        QCOMPARE(MainListBackups(folder.filePath(QStringLiteral("data"))).names(),
                 (QStringList{QStringLiteral("url-domain-bl-20200101-000000.txt"),
                              QStringLiteral("url-domain-bl-20991231-235959.txt"),
                              QStringLiteral("url-domain-bl-20991231-235959-2.txt"),
                              QStringLiteral("url-domain-bl-000001-20261208-051949.txt")}));
    }

    // Each row: a file planted among the backups, and the backups after one save. Only names of
    // the program's own form count: a number of another length, or a time that is none, is no
    // backup and gives no number; the highest number the form holds starts them from 1 again.
    void namesTheProgramDidNotMakeAreNoBackups_data() {
        QTest::addColumn<QString>("planted");
        QTest::addColumn<QStringList>("names");
        const QString saved = QStringLiteral("url-domain-bl-000001-20261208-051949.txt");
        QTest::newRow("a number of 18 digits")
            << QStringLiteral("url-domain-bl-999999999999999999-20261208-051949.txt")
            << QStringList{saved};
        QTest::newRow("a number of 7 digits")
            << QStringLiteral("url-domain-bl-0000005-20261208-051949.txt") << QStringList{saved};
        QTest::newRow("a time that is none")
            << QStringLiteral("url-domain-bl-000005-20261399-251949.txt") << QStringList{saved};
        QTest::newRow("an earlier version's name with a time that is none")
            << QStringLiteral("url-domain-bl-20261399-251949.txt") << QStringList{saved};
        QTest::newRow("an earlier version's name with an empty number")
            << QStringLiteral("url-domain-bl-20261207-000000-.txt") << QStringList{saved};
        QTest::newRow("an earlier version's name with a letter in its number")
            << QStringLiteral("url-domain-bl-20261207-000000-2a.txt") << QStringList{saved};
        QTest::newRow("no separator between number and time")
            << QStringLiteral("url-domain-bl-000005_20261207-000000.txt") << QStringList{saved};
        QTest::newRow("digits of another script")
            << QStringLiteral("url-domain-bl-000005-2026120\u0667-000000.txt")
            << QStringList{saved};
        QTest::newRow("nothing between prefix and suffix")
            << QStringLiteral("url-domain-bl-.txt") << QStringList{saved};
        QTest::newRow("the highest number")
            << QStringLiteral("url-domain-bl-999999-20261207-000000.txt")
            << QStringList{QStringLiteral("url-domain-bl-000001-20261207-000000.txt"),
                           QStringLiteral("url-domain-bl-000002-20261208-051949.txt")};
    }
    void namesTheProgramDidNotMakeAreNoBackups() {
        QFETCH(QString, planted);
        QFETCH(QStringList, names);
        TempFolder folder;
        folder.write(QStringLiteral("data/backups/") + planted, "planted\r\n");
        saveInTurn(folder, {0});
        const MainListBackups backups(folder.filePath(QStringLiteral("data")));
        QCOMPARE(backups.names(), names);
        QCOMPARE(backups.pathOf(planted).isEmpty(), !names.contains(planted));
        // A file that is no backup is left alone.
        if (names.size() == 1)
            QCOMPARE(folder.read(QStringLiteral("data/backups/") + planted),
                     QByteArray("planted\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestMainListBackups)
#include "tst_MainListBackups.moc"
