#include "fakes/TempFolder.h"
#include "platform/IniRegistry.h"
#include "platform/SystemRegistry.h"

#include <QDir>
#include <QStandardPaths>
#include <QTest>

using namespace quillmere;
using quillmere::test::TempFolder;

namespace {

// The program writes the file with the platform's line ends: Notepad of older Windows shows a
// file of LF line ends as one line.
QByteArray withLineEnds(QByteArray text) {
#ifdef Q_OS_WIN
    text.replace("\n", "\r\n");
#endif
    return text;
}

const QString key = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere\\");
const QString imailKey = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Ipswitch\\IMail\\Global\\");

const QByteArray handWritten = "; written by the administrator\n"
                               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere]\n"
                               "installPath=/opt/quillmere\n"
                               "exitSave=1\n"
                               "importPath=/srv/new, unsorted\n"
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

        // Only the new line is added, at the end of its section; the rest stays as it was.
        QCOMPARE(folder.read(QStringLiteral("registry.ini")),
                 QByteArray("; written by the administrator\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere]\n"
                            "installPath=/opt/quillmere\n"
                            "exitSave=1\n"
                            "importPath=/srv/new, unsorted\n"
                            "restartQueue=\n"
                            "dataPath=/opt/quillmere/URLdata\n"
                            "\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ipswitch\\IMail\\Global]\n"
                            "TopDir=/srv/imail\n"));

        IniRegistry again(folder.filePath(QStringLiteral("registry.ini")));
        QCOMPARE(again.read(key + QStringLiteral("dataPath")),
                 std::optional(QStringLiteral("/opt/quillmere/URLdata")));
        QCOMPARE(again.read(key + QStringLiteral("importPath")),
                 std::optional(QStringLiteral("/srv/new, unsorted")));
        QCOMPARE(again.read(imailKey + QStringLiteral("TopDir")),
                 std::optional(QStringLiteral("/srv/imail")));
    }

    void handWrittenValuesReadLiterally_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("value");
        const QByteArray section = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere]\n";
        QTest::newRow("comma") << section + "importPath=/mnt/a,b\n" << QStringLiteral("/mnt/a,b");
        QTest::newRow("backslash") << section + "importPath=C:\\Imail\n"
                                   << QStringLiteral("C:\\Imail");
        QTest::newRow("quotes") << section + "importPath=\"/srv/x\"\n"
                                << QStringLiteral("\"/srv/x\"");
        QTest::newRow("blanks after =") << section + "importPath= /srv/x \n"
                                        << QStringLiteral(" /srv/x ");
        QTest::newRow("blanks around the name") << section + "  importPath =/srv/x\n"
                                                << QStringLiteral("/srv/x");
        QTest::newRow("equals in the value") << section + "importPath=a=b;c\n"
                                             << QStringLiteral("a=b;c");
        QTest::newRow("UTF-8") << section + "importPath=/srv/Donn\xc3\xa9"
                                            "es\n"
                               << QStringLiteral("/srv/Donn\u00e9es");
        QTest::newRow("CR LF line ends") << section + "importPath=/srv/x\r\n"
                                         << QStringLiteral("/srv/x");
        QTest::newRow("section with a closing backslash")
            << QByteArray("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere\\]\n"
                          "importPath=/srv/x\n")
            << QStringLiteral("/srv/x");
        QTest::newRow("form of earlier versions")
            << QByteArray("[HKEY_LOCAL_MACHINE]\n"
                          "SOFTWARE\\Brindlecove\\Quillmere\\importPath=/srv/x\n")
            << QStringLiteral("/srv/x");
        QTest::newRow("form of earlier versions, quoted")
            << QByteArray("[HKEY_LOCAL_MACHINE]\n"
                          "SOFTWARE\\Brindlecove\\Quillmere\\importPath=\"/srv/new, \\\"x\\\" \"\n")
            << QStringLiteral("/srv/new, \"x\" ");
        QTest::newRow("form of earlier versions, escaped")
            << QByteArray("[HKEY_LOCAL_MACHINE]\n"
                          "SOFTWARE\\Brindlecove\\Quillmere\\importPath=C:\\\\Data\\x\n")
            << QStringLiteral("C:\\Data\\x");
        QTest::newRow("form of earlier versions, at sign")
            << QByteArray("[HKEY_LOCAL_MACHINE]\n"
                          "SOFTWARE\\Brindlecove\\Quillmere\\importPath=@@Variant(x)\n")
            << QStringLiteral("@Variant(x)");
    }
    void handWrittenValuesReadLiterally() {
        QFETCH(QByteArray, file);
        QFETCH(QString, value);
        TempFolder folder;
        folder.write(QStringLiteral("registry.ini"), file);
        IniRegistry registry(folder.filePath(QStringLiteral("registry.ini")));
        QCOMPARE(registry.problem(), QString());
        QCOMPARE(registry.read(key + QStringLiteral("importPath")), std::optional(value));
    }

    void unreadableFileIsAProblemAndNeverWritten_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("reason");
        const QByteArray section = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere]\n";
        QTest::newRow("no equals sign")
            << section + "imailPath=/srv\nexitSave 1\n"
            << QStringLiteral("line 3 is neither a [section] nor a name=value line");
        QTest::newRow("no name") << section + "=1\n"
                                 << QStringLiteral(
                                        "line 2 is neither a [section] nor a name=value line");
        QTest::newRow("value before any section")
            << "; settings\nimailPath=/srv\n" + section
            << QStringLiteral("line 2 holds a value before any [section]");
        QTest::newRow("unclosed section")
            << QByteArray("[HKEY_LOCAL_MACHINE\\SOFTWARE\n")
            << QStringLiteral("line 1 opens a [section] it does not close");
        QTest::newRow("empty section")
            << QByteArray("[]\n") << QStringLiteral("line 1 names no section");
        QTest::newRow("a folder") << QByteArray() << QStringLiteral("it is a folder, not a file");
        // The file is UTF-8; bytes of another encoding are not guessed at, and a write would
        // store what was guessed.
        QTest::newRow("ISO-8859-1")
            << section + "imailPath=/srv/Donn\xe9"
                         "es/imail\n"
            << QStringLiteral("line 2 is not UTF-8 text (byte 0xE9 at column 20)");
        QTest::newRow("a sequence cut short")
            << section + "importPath=/srv/\xc3\n"
            << QStringLiteral("line 2 is not UTF-8 text (byte 0xC3 at column 17)");
        QTest::newRow("an overlong sequence")
            << section + "importPath=/\xc0\xaf\n"
            << QStringLiteral("line 2 is not UTF-8 text (byte 0xC0 at column 13)");
        QTest::newRow("a UTF-16 surrogate")
            << section + "importPath=\xed\xa0\x80\n"
            << QStringLiteral("line 2 is not UTF-8 text (byte 0xED at column 12)");
        QTest::newRow("past U+10FFFF")
            << section + "importPath=\xf4\x90\x80\x80\n"
            << QStringLiteral("line 2 is not UTF-8 text (byte 0xF4 at column 12)");
        QTest::newRow("in a comment")
            << "; caf\xe9\n" + section + "imailPath=/srv\n"
            << QStringLiteral("line 1 is not UTF-8 text (byte 0xE9 at column 6)");
    }
    void unreadableFileIsAProblemAndNeverWritten() {
        QFETCH(QByteArray, file);
        QFETCH(QString, reason);
        TempFolder folder;
        const QString path = folder.filePath(QStringLiteral("registry.ini"));
        if (file.isNull())
            folder.subfolder(QStringLiteral("registry.ini"));
        else
            folder.write(QStringLiteral("registry.ini"), file);
        IniRegistry registry(path);
        QCOMPARE(registry.problem(), QStringLiteral("Cannot read the settings file %1: %2")
                                         .arg(QDir::toNativeSeparators(path), reason));
        QCOMPARE(registry.read(key + QStringLiteral("imailPath")), std::nullopt);
        QVERIFY(!registry.write(key + QStringLiteral("dataPath"), QStringLiteral("/d")));
        QVERIFY(!registry.remove(key + QStringLiteral("imailPath")));
        if (!file.isNull())
            QCOMPARE(folder.read(QStringLiteral("registry.ini")), file);
    }

    void problemOfAFallbackIsReported() {
        TempFolder folder;
        folder.write(QStringLiteral("installed.ini"), "broken\n");
        IniRegistry registry(folder.filePath(QStringLiteral("user.ini")),
                             {folder.filePath(QStringLiteral("installed.ini"))});
        QCOMPARE(
            registry.problem(),
            QStringLiteral("Cannot read the settings file %1: line 1 is neither a [section] "
                           "nor a name=value line")
                .arg(QDir::toNativeSeparators(folder.filePath(QStringLiteral("installed.ini")))));
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
        QTest::newRow("comma, no blank") << QStringLiteral("/mnt/a,b");
        QTest::newRow("backslash before a letter") << QStringLiteral("C:\\Imail");
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
                 withLineEnds("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere]\n"
                              "dataPath=/kept\n"));
    }

    // Each row: a file, one change (a value, or a removal for a null one), and the file after it:
    // only the lines of that value change.
    void aChangeTouchesOnlyItsLines_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        const QByteArray section = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere]";
        QTest::newRow("a name given twice: the one that reads changes")
            << section + "\nimailPath=/a\n# note\nimailPath=/b\n"
            << QStringLiteral("/c") << section + "\nimailPath=/a\n# note\nimailPath=/c\n";
        QTest::newRow("a name given twice, removed: both go")
            << section + "\nimailPath=/a\nexitSave=1\nimailPath=/b\n"
            << QString() << section + "\nexitSave=1\n";
        QTest::newRow("blanks around the name stay")
            << section + "\n  imailPath = /a\n"
            << QStringLiteral("/c") << section + "\n  imailPath =/c\n";
        QTest::newRow("CR LF line ends stay")
            << section + "\r\nexitSave=1\r\n"
            << QStringLiteral("/c") << section + "\r\nexitSave=1\r\nimailPath=/c\r\n";
        QTest::newRow("no line end at the end") << section + "\nexitSave=1" << QStringLiteral("/c")
                                                << section + "\nexitSave=1\nimailPath=/c\n";
        QTest::newRow("no section yet") << QByteArray("; mine\n") << QStringLiteral("/c")
                                        << "; mine\n\n" + section + "\nimailPath=/c\n";
        QTest::newRow("the form of earlier versions is replaced")
            << QByteArray(
                   "[HKEY_LOCAL_MACHINE]\nSOFTWARE\\Brindlecove\\Quillmere\\imailPath=\"/a\"\n"
                   "SOFTWARE\\Brindlecove\\Quillmere\\exitSave=1\n")
            << QStringLiteral("C:\\Imail")
            << QByteArray(
                   "[HKEY_LOCAL_MACHINE]\nSOFTWARE\\Brindlecove\\Quillmere\\exitSave=1\n\n") +
                   section + "\nimailPath=C:\\Imail\n";
    }
    void aChangeTouchesOnlyItsLines() {
        QFETCH(QByteArray, before);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        TempFolder folder;
        folder.write(QStringLiteral("registry.ini"), before);
        IniRegistry registry(folder.filePath(QStringLiteral("registry.ini")));
        const QString name = key + QStringLiteral("imailPath");
        QVERIFY(value.isNull() ? registry.remove(name) : registry.write(name, value));
        QCOMPARE(folder.read(QStringLiteral("registry.ini")), after);
        QCOMPARE(registry.read(name), value.isNull() ? std::nullopt : std::optional(value));
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
