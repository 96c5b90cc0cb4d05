#include "cli/CliRunner.h"
#include "fakes/TempFolder.h"

#include <QTest>

namespace {

// A folder with an Imail root and a tracking data folder, and quillmere-cli run on them.
class Setup final {
public:
    Setup(const QByteArray& main, const QByteArray& added, const QByteArray& removed) {
        m_folder.write(QStringLiteral("imail/url-domain-bl.txt"), main);
        m_folder.subfolder(QStringLiteral("data"));
        if (!added.isNull())
            m_folder.write(QStringLiteral("data/url-domain-add.txt"), added);
        if (!removed.isNull())
            m_folder.write(QStringLiteral("data/url-domain-rem.txt"), removed);
    }

    TempFolder& folder() { return m_folder; }
    QString path(const QString& name) const { return m_folder.filePath(name); }
    QByteArray main() const { return m_folder.read(QStringLiteral("imail/url-domain-bl.txt")); }
    QByteArray added() const { return m_folder.read(QStringLiteral("data/url-domain-add.txt")); }
    QByteArray removed() const { return m_folder.read(QStringLiteral("data/url-domain-rem.txt")); }

    CliRun run(const QStringList& arguments) const {
        return quillmere::test::runCli(listFolders(m_folder) + arguments);
    }

private:
    TempFolder m_folder;
};

const QByteArray kMainBytes = "b.ex\r\nz.ex\r\n";
const QByteArray kAddedBytes = "n.ex\r\nr.ex\r\n";
const QByteArray kRemovedBytes = "r.ex\r\nz.ex\r\n";
const QByteArray kFactory = "a.ex\r\n\r\nb.ex\r\nA.ex";

} // namespace

class TestCliMerge : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void mergeSavesTheMainListOnly() {
        Setup setup(kMainBytes, kAddedBytes, kRemovedBytes);
        setup.folder().write(QStringLiteral("factory.txt"), kFactory);
        const CliRun run =
            setup.run({QStringLiteral("merge"), setup.path(QStringLiteral("factory.txt"))});
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray("4 listed\n"));
        QCOMPARE(setup.main(), QByteArray("A.ex\r\na.ex\r\nb.ex\r\nn.ex\r\n"));
        QCOMPARE(setup.added(), kAddedBytes);
        QCOMPARE(setup.removed(), kRemovedBytes);
    }

    void mergeWritesNoTrackingFile() {
        Setup setup("b.ex\r\n", QByteArray(), QByteArray());
        setup.folder().write(QStringLiteral("factory.txt"), "c.ex\r\n");
        const CliRun run =
            setup.run({QStringLiteral("merge"), setup.path(QStringLiteral("factory.txt"))});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(setup.main(), QByteArray("b.ex\r\nc.ex\r\n"));
        QVERIFY(!setup.folder().exists(QStringLiteral("data/url-domain-add.txt")));
        QVERIFY(!setup.folder().exists(QStringLiteral("data/url-domain-rem.txt")));
    }

    void rebuild() {
        Setup setup("c.ex\r\nb.ex\r\nc.ex\r\n", "a.ex\r\n", QByteArray());
        const CliRun run = setup.run({QStringLiteral("rebuild")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray("3 listed\n"));
        QCOMPARE(setup.main(), QByteArray("a.ex\r\nb.ex\r\nc.ex\r\n"));
        QCOMPARE(setup.added(), QByteArray("a.ex\r\n"));
    }

    void dryRunsSaveNothing_data() {
        QTest::addColumn<QByteArray>("main");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("merge") << kMainBytes
                               << QStringList{QStringLiteral("merge"), QStringLiteral("FACTORY"),
                                              QStringLiteral("--dry-run")}
                               << QByteArray("3 gained\n1 lost\n4 listed\n");
        QTest::newRow("rebuild") << kMainBytes
                                 << QStringList{QStringLiteral("--dry-run"),
                                                QStringLiteral("rebuild")}
                                 << QByteArray("1 gained\n1 lost\n2 listed\n");
        // The dropped second copy of b.ex is lost although b.ex stays listed: 4 - 2 + 1 = 3.
        QTest::newRow("rebuild, duplicate copy")
            << QByteArray("b.ex\r\na.ex\r\nb.ex\r\nz.ex\r\n")
            << QStringList{QStringLiteral("rebuild"), QStringLiteral("--dry-run")}
            << QByteArray("1 gained\n2 lost\n3 listed\n");
    }
    void dryRunsSaveNothing() {
        QFETCH(QByteArray, main);
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, out);
        Setup setup(main, kAddedBytes, kRemovedBytes);
        setup.folder().write(QStringLiteral("factory.txt"), kFactory);
        arguments.replaceInStrings(QStringLiteral("FACTORY"),
                                   setup.path(QStringLiteral("factory.txt")));
        const CliRun run = setup.run(arguments);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, out);
        QCOMPARE(setup.main(), main);
        QCOMPARE(setup.added(), kAddedBytes);
        QCOMPARE(setup.removed(), kRemovedBytes);
    }

    void unreadableFileChangesNothing_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("merge") << QStringList{QStringLiteral("merge"), QStringLiteral("MISSING")};
        QTest::newRow("evaluate --trim") << QStringList{
            QStringLiteral("evaluate"), QStringLiteral("MISSING"), QStringLiteral("--trim")};
    }
    void unreadableFileChangesNothing() {
        QFETCH(QStringList, arguments);
        Setup setup(kMainBytes, kAddedBytes, kRemovedBytes);
        arguments.replaceInStrings(QStringLiteral("MISSING"),
                                   setup.path(QStringLiteral("no-such-release.txt")));
        const CliRun run = setup.run(arguments);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.startsWith("Cannot open ") && run.err.contains("no-such-release.txt"),
                 run.err.constData());
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(setup.main(), kMainBytes);
        QCOMPARE(setup.added(), kAddedBytes);
        QCOMPARE(setup.removed(), kRemovedBytes);
    }

    void evaluatePrintsBothGroupsAndChangesNothing() {
        Setup setup(kMainBytes, "n.ex\r\nb.ex\r\nq.ex\r\nn.ex\r\n", kRemovedBytes);
        setup.folder().write(QStringLiteral("release.txt"), "b.ex\r\nn.ex\r\nx.ex\r\n");
        const CliRun run =
            setup.run({QStringLiteral("evaluate"), setup.path(QStringLiteral("release.txt"))});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray("Unique\nq.ex\n\nListed in release\nn.ex\nb.ex\nn.ex\n"));
        QCOMPARE(setup.added(), QByteArray("n.ex\r\nb.ex\r\nq.ex\r\nn.ex\r\n"));
        QCOMPARE(setup.main(), kMainBytes);
    }

    void evaluateTrimKeepsTheUniqueEntries() {
        Setup setup(kMainBytes, "n.ex\r\nb.ex\r\nq.ex\r\n", kRemovedBytes);
        setup.folder().write(QStringLiteral("release.txt"), "b.ex\r\n");
        const CliRun run =
            setup.run({QStringLiteral("evaluate"), setup.path(QStringLiteral("release.txt")),
                       QStringLiteral("--trim")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray("Unique\nn.ex\nq.ex\n\nListed in release\nb.ex\n"));
        QCOMPARE(setup.added(), QByteArray("n.ex\r\nq.ex\r\n"));
        QCOMPARE(setup.main(), kMainBytes);
        QCOMPARE(setup.removed(), kRemovedBytes);
    }

    // The window disables the command then; the tool says why and writes no empty file.
    void evaluateTrimOnAnEmptyAddedListChangesNothing_data() {
        QTest::addColumn<QByteArray>("added");
        QTest::newRow("no tracking file") << QByteArray();
        QTest::newRow("empty tracking file") << QByteArray("");
    }
    void evaluateTrimOnAnEmptyAddedListChangesNothing() {
        QFETCH(QByteArray, added);
        Setup setup(kMainBytes, added, kRemovedBytes);
        setup.folder().write(QStringLiteral("release.txt"), "b.ex\r\n");
        const CliRun run =
            setup.run({QStringLiteral("evaluate"), setup.path(QStringLiteral("release.txt")),
                       QStringLiteral("--trim")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray("The Added list is empty.\n"));
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(setup.folder().exists(QStringLiteral("data/url-domain-add.txt")), !added.isNull());
        QCOMPARE(setup.main(), kMainBytes);
        QCOMPARE(setup.removed(), kRemovedBytes);
    }

    void optionsOnlyWhereTheyApply_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("error");
        QTest::newRow("count --dry-run")
            << QStringList{QStringLiteral("count"), QStringLiteral("--dry-run")}
            << QByteArray("The command count takes no --dry-run option.\n");
        QTest::newRow("rebuild --trim")
            << QStringList{QStringLiteral("rebuild"), QStringLiteral("--trim")}
            << QByteArray("The command rebuild takes no --trim option.\n");
        QTest::newRow("evaluate --dry-run")
            << QStringList{QStringLiteral("evaluate"), QStringLiteral("x"),
                           QStringLiteral("--dry-run")}
            << QByteArray("The command evaluate takes no --dry-run option.\n");
    }
    void optionsOnlyWhereTheyApply() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, error);
        Setup setup("b.ex\r\na.ex\r\n", kAddedBytes, kRemovedBytes);
        const CliRun run = setup.run(arguments);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.err, error);
        QCOMPARE(setup.main(), QByteArray("b.ex\r\na.ex\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestCliMerge)
#include "tst_CliMerge.moc"
