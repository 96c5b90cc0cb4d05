#include "fakes/TempFolder.h"
#include "platform/IniRegistry.h"
#include "platform/SystemRegistry.h"

#include <QStandardPaths>
#include <QTest>

using namespace quillmere;
using quillmere::test::TempFolder;

namespace {

const QString key = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere\\");
const QString imailKey = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Ipswitch\\IMail\\Global\\");

const QByteArray handWritten = "; written by the administrator\n"
                               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere]\n"
                               "installPath=/opt/quillmere\n"
                               "exitSave=1\n"
                               "importPath=\"/srv/new, unsorted\"\n"
                               "restartQueue=\n"
                               "\n"
                               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ipswitch\\IMail\\Global]\n"
                               "TopDir=/srv/imail\n";

} // namespace

class TestIniRegistry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void readsSectionsNamedByTheirFullPath() {
        TempFolder folder;
        folder.write(QStringLiteral("registry.ini"), handWritten);
        IniRegistry registry(folder.filePath(QStringLiteral("registry.ini")));
        QCOMPARE(registry.read(key + QStringLiteral("installPath")),
                 std::optional(QStringLiteral("/opt/quillmere")));
        QCOMPARE(registry.read(key + QStringLiteral("exitSave")),
                 std::optional(QStringLiteral("1")));
        QCOMPARE(registry.read(key + QStringLiteral("importPath")),
                 std::optional(QStringLiteral("/srv/new, unsorted")));
        QCOMPARE(registry.read(key + QStringLiteral("restartQueue")), std::optional(QString()));
        QCOMPARE(registry.read(imailKey + QStringLiteral("TopDir")),
                 std::optional(QStringLiteral("/srv/imail")));
        QCOMPARE(registry.read(key + QStringLiteral("dataPath")), std::nullopt);
        QCOMPARE(registry.read(imailKey + QStringLiteral("Version")), std::nullopt);
    }

    void missingFileHasNoValues() {
        TempFolder folder;
        IniRegistry registry(folder.filePath(QStringLiteral("none.ini")));
        QCOMPARE(registry.read(key + QStringLiteral("installPath")), std::nullopt);
        QVERIFY(!folder.exists(QStringLiteral("none.ini")));
    }

    void writeKeepsEveryValueOfAHandWrittenFile() {
        TempFolder folder;
        folder.write(QStringLiteral("registry.ini"), handWritten);
        IniRegistry registry(folder.filePath(QStringLiteral("registry.ini")));
        QVERIFY(registry.write(key + QStringLiteral("dataPath"),
                               QStringLiteral("/opt/quillmere/URLdata")));

        // QSettings writes the first part of a key as the section and the rest into the names;
        // both forms name the same values.
        QCOMPARE(folder.read(QStringLiteral("registry.ini")),
                 QByteArray("[HKEY_LOCAL_MACHINE]\n"
                            "SOFTWARE\\Brindlecove\\Quillmere\\dataPath=/opt/quillmere/URLdata\n"
                            "SOFTWARE\\Brindlecove\\Quillmere\\exitSave=1\n"
                            "SOFTWARE\\Brindlecove\\Quillmere\\importPath=\"/srv/new, unsorted\"\n"
                            "SOFTWARE\\Brindlecove\\Quillmere\\installPath=/opt/quillmere\n"
                            "SOFTWARE\\Brindlecove\\Quillmere\\restartQueue=\n"
                            "SOFTWARE\\Ipswitch\\IMail\\Global\\TopDir=/srv/imail\n"));

        IniRegistry again(folder.filePath(QStringLiteral("registry.ini")));
        QCOMPARE(again.read(key + QStringLiteral("dataPath")),
                 std::optional(QStringLiteral("/opt/quillmere/URLdata")));
        QCOMPARE(again.read(key + QStringLiteral("importPath")),
                 std::optional(QStringLiteral("/srv/new, unsorted")));
        QCOMPARE(again.read(imailKey + QStringLiteral("TopDir")),
                 std::optional(QStringLiteral("/srv/imail")));
    }

    void valuesComeBackExactly_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("backslashes") << QStringLiteral("C:\\Tools\\URLdata");
        QTest::newRow("comma") << QStringLiteral("/srv/a, b");
        QTest::newRow("blanks around") << QStringLiteral("  /srv/x  ");
        QTest::newRow("quotes") << QStringLiteral("say \"hi\"");
        QTest::newRow("at sign") << QStringLiteral("@Variant(x)");
        QTest::newRow("semicolon and equals") << QStringLiteral("a;b=c#d");
        QTest::newRow("empty") << QString();
        QTest::newRow("non-ASCII") << QStringLiteral("/srv/d\u00e9j\u00e0 vu");
        QTest::newRow("number") << QStringLiteral("1");
    }
    void valuesComeBackExactly() {
        QFETCH(QString, value);
        TempFolder folder;
        const QString file = folder.filePath(QStringLiteral("registry.ini"));
        QVERIFY(IniRegistry(file).write(key + QStringLiteral("dataPath"), value));
        QCOMPARE(IniRegistry(file).read(key + QStringLiteral("dataPath")), std::optional(value));
    }

    void failedWriteIsReportedAndNotStoredLater() {
        TempFolder folder;
        // A file where the registry's folder should be: nothing can be written there.
        folder.write(QStringLiteral("blocked"), "");
        const QString file = folder.filePath(QStringLiteral("blocked/registry.ini"));
        IniRegistry registry(file);
        QVERIFY(!registry.write(key + QStringLiteral("imailPath"), QStringLiteral("/lost")));
        QCOMPARE(registry.read(key + QStringLiteral("imailPath")), std::nullopt);

        QVERIFY(QFile::remove(folder.filePath(QStringLiteral("blocked"))));
        folder.subfolder(QStringLiteral("blocked"));
        QVERIFY(registry.write(key + QStringLiteral("dataPath"), QStringLiteral("/kept")));
        QCOMPARE(folder.read(QStringLiteral("blocked/registry.ini")),
                 QByteArray("[HKEY_LOCAL_MACHINE]\n"
                            "SOFTWARE\\Brindlecove\\Quillmere\\dataPath=/kept\n"));
    }

    void removeDeletesOneValue() {
        TempFolder folder;
        folder.write(QStringLiteral("registry.ini"), handWritten);
        IniRegistry registry(folder.filePath(QStringLiteral("registry.ini")));
        QVERIFY(registry.remove(key + QStringLiteral("exitSave")));
        QCOMPARE(registry.read(key + QStringLiteral("exitSave")), std::nullopt);
        QCOMPARE(registry.read(key + QStringLiteral("installPath")),
                 std::optional(QStringLiteral("/opt/quillmere")));
        QVERIFY(registry.remove(key + QStringLiteral("neverThere")));
    }

    void seesChangesMadeByAnotherProgram() {
        TempFolder folder;
        const QString file = folder.filePath(QStringLiteral("registry.ini"));
        IniRegistry registry(file);
        QCOMPARE(registry.read(key + QStringLiteral("exitSort")), std::nullopt);
        folder.write(QStringLiteral("registry.ini"),
                     "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere]\nexitSort=1\n");
        QCOMPARE(registry.read(key + QStringLiteral("exitSort")),
                 std::optional(QStringLiteral("1")));
    }

    void installedFilesAreReadOnlyFallbacks() {
        TempFolder folder;
        const QByteArray installed = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere]\n"
                                     "installPath=/usr\n"
                                     "importPath=/from/package\n";
        folder.write(QStringLiteral("share/registry.ini"), installed);
        folder.write(QStringLiteral("user.ini"),
                     "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere]\n"
                     "importPath=/from/user\n");
        IniRegistry registry(folder.filePath(QStringLiteral("user.ini")),
                             {folder.filePath(QStringLiteral("missing.ini")),
                              folder.filePath(QStringLiteral("share/registry.ini"))});
        QCOMPARE(registry.read(key + QStringLiteral("installPath")),
                 std::optional(QStringLiteral("/usr")));
        QCOMPARE(registry.read(key + QStringLiteral("importPath")),
                 std::optional(QStringLiteral("/from/user")));

        QVERIFY(registry.write(key + QStringLiteral("dataPath"), QStringLiteral("/d")));
        QVERIFY(registry.remove(key + QStringLiteral("installPath")));
        QCOMPARE(registry.read(key + QStringLiteral("installPath")),
                 std::optional(QStringLiteral("/usr")));
        QCOMPARE(folder.read(QStringLiteral("share/registry.ini")), installed);
        QVERIFY(!folder.exists(QStringLiteral("missing.ini")));
    }

    void fileIsChosenByOptionThenEnvironmentThenConfigurationFolder() {
        const QByteArray saved = qgetenv(registryVariable);
        qputenv(registryVariable, "/from/environment.ini");
        QCOMPARE(registryFile(QStringLiteral("/from/option.ini")),
                 QStringLiteral("/from/option.ini"));
        QCOMPARE(registryFile(QString()), QStringLiteral("/from/environment.ini"));
        qunsetenv(registryVariable);
        QCOMPARE(registryFile(QString()),
                 QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                     QStringLiteral("/quillmere/registry.ini"));
        if (!saved.isNull())
            qputenv(registryVariable, saved);
    }
};

QTEST_GUILESS_MAIN(TestIniRegistry)
#include "tst_IniRegistry.moc"
