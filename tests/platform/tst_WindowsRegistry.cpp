#include "app/forms/OptionsForm.h"
#include "app/settings/AppSettings.h"
#include "app/settings/StoredSettings.h"
#include "cli/SettingsCommands.h"
#include "fakes/FakePrompter.h"
#include "fakes/TempFolder.h"
#include "platform/WindowsRegistry.h"

#include <QRandomGenerator>
#include <QTest>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
// The security descriptor strings; this header needs the types of windows.h.
#include <sddl.h>

using namespace quillmere;
using quillmere::test::FakePrompter;
using quillmere::test::TempFolder;

Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

enum class View { Bits32, Bits64 };

REGSAM viewFlag(View view) {
    return view == View::Bits32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

// A key of this test's own under HKEY_LOCAL_MACHINE\SOFTWARE\Brindlecove, read and written with
// the system's calls to see where the program's values land; removed, in both views, at the end.
class TestKey final {
public:
    TestKey()
        : m_name(QStringLiteral("QuillmereTest-%1")
                     .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))) {}
    ~TestKey() {
        if (m_guard) {
            restoreWrites();
            RegCloseKey(m_guard);
        }
        for (View view : {View::Bits32, View::Bits64}) {
            HKEY parent = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Brindlecove", 0,
                              KEY_ALL_ACCESS | viewFlag(view), &parent) != ERROR_SUCCESS)
                continue;
            RegDeleteTreeW(parent, m_name.toStdWString().c_str());
            RegCloseKey(parent);
        }
    }
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    // "HKEY_LOCAL_MACHINE\SOFTWARE\Brindlecove\QuillmereTest-...\", as regRoot is written.
    QString root() const {
        return QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\%1\\").arg(m_name);
    }

    // The REG_SZ value at the path below the key, as the system reads it in that view; "(type N)"
    // for a value of another type.
    std::optional<QString> value(View view, const QString& below) const {
        const QString path = subkey(below);
        const qsizetype cut = path.lastIndexOf(QLatin1Char('\\'));
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.left(cut).toStdWString().c_str(), 0,
                          KEY_QUERY_VALUE | viewFlag(view), &key) != ERROR_SUCCESS)
            return std::nullopt;
        DWORD type = 0;
        wchar_t data[1024] = {};
        DWORD size = sizeof data - sizeof(wchar_t);
        const LONG result = RegQueryValueExW(key, path.mid(cut + 1).toStdWString().c_str(), nullptr,
                                             &type, reinterpret_cast<BYTE*>(data), &size);
        RegCloseKey(key);
        if (result != ERROR_SUCCESS)
            return std::nullopt;
        if (type != REG_SZ)
            return QStringLiteral("(type %1)").arg(type);
        return QString::fromWCharArray(data, static_cast<int>(size / sizeof(wchar_t))).chopped(1);
    }

    // Writes a value as another program does, in that view.
    bool set(View view, const QString& below, DWORD type, const QByteArray& data) const {
        const QString path = subkey(below);
        const qsizetype cut = path.lastIndexOf(QLatin1Char('\\'));
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.left(cut).toStdWString().c_str(), 0, nullptr,
                            0, KEY_SET_VALUE | viewFlag(view), nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return false;
        const LONG result = RegSetValueExW(key, path.mid(cut + 1).toStdWString().c_str(), 0, type,
                                           reinterpret_cast<const BYTE*>(data.constData()),
                                           static_cast<DWORD>(data.size()));
        RegCloseKey(key);
        return result == ERROR_SUCCESS;
    }

    // Lets everyone only read the key (32-bit view); false when the system would not set that.
    bool refuseWrites() {
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, subkey(QString()).toStdWString().c_str(), 0,
                            nullptr, 0, READ_CONTROL | WRITE_DAC | KEY_WOW64_32KEY, nullptr,
                            &m_guard, nullptr) != ERROR_SUCCESS)
            return false;
        return setAccess(L"D:P(A;;KR;;;WD)");
    }
    // Whether the key, made read-only, would still be opened for writing.
    bool stillWritable() const {
        HKEY key = nullptr;
        const LONG result =
            RegOpenKeyExW(HKEY_LOCAL_MACHINE, subkey(QString()).toStdWString().c_str(), 0,
                          KEY_SET_VALUE | KEY_WOW64_32KEY, &key);
        if (result == ERROR_SUCCESS)
            RegCloseKey(key);
        return result == ERROR_SUCCESS;
    }
    void restoreWrites() { setAccess(L"D:P(A;;KA;;;WD)"); }

private:
    QString subkey(const QString& below) const {
        QString path = QStringLiteral("SOFTWARE\\Brindlecove\\") + m_name;
        if (!below.isEmpty())
            path += QLatin1Char('\\') + below;
        return path;
    }
    bool setAccess(const wchar_t* descriptor) {
        PSECURITY_DESCRIPTOR security = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(descriptor, SDDL_REVISION_1,
                                                                  &security, nullptr))
            return false;
        const LONG result = RegSetKeySecurity(m_guard, DACL_SECURITY_INFORMATION, security);
        LocalFree(security);
        return result == ERROR_SUCCESS;
    }

    QString m_name;
    HKEY m_guard = nullptr;
};

QByteArray utf16(const QString& text) {
    return QByteArray(reinterpret_cast<const char*>(text.utf16()),
                      (text.size() + 1) * static_cast<qsizetype>(sizeof(char16_t)));
}

// The settings key the command line writes, taken to the test's key: "settings set" runs as it
// does, on the system's registry, without touching the program's own settings.
class MovedSettingsKey final : public Registry {
public:
    MovedSettingsKey(Registry& registry, QString root)
        : m_registry(registry)
        , m_root(std::move(root)) {}
    std::optional<QString> read(const QString& fullName) override {
        return m_registry.read(moved(fullName));
    }
    bool write(const QString& fullName, const QString& value) override {
        return m_registry.write(moved(fullName), value);
    }
    bool remove(const QString& fullName) override { return m_registry.remove(moved(fullName)); }
    QString valueProblem(const QString& fullName) override {
        // Named as the program names it, under its own key.
        const QString problem = m_registry.valueProblem(moved(fullName));
        return QString(problem).replace(m_root, settingsKey());
    }

private:
    QString moved(QString fullName) const { return fullName.replace(settingsKey(), m_root); }
    Registry& m_registry;
    QString m_root;
};

// What the program prints on standard error meanwhile.
class CapturedStandardError final {
public:
    explicit CapturedStandardError(const QString& file)
        : m_file(file) {
        std::fflush(stderr);
        m_saved = _dup(_fileno(stderr));
        const int into = _wopen(reinterpret_cast<const wchar_t*>(file.utf16()),
                                _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
        _dup2(into, _fileno(stderr));
        _close(into);
    }
    ~CapturedStandardError() { release(); }
    CapturedStandardError(const CapturedStandardError&) = delete;
    CapturedStandardError& operator=(const CapturedStandardError&) = delete;

    QByteArray text() {
        release();
        QFile file(m_file);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    void release() {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        _dup2(m_saved, _fileno(stderr));
        _close(m_saved);
        m_saved = -1;
    }
    QString m_file;
    int m_saved = -1;
};

} // namespace

class TestWindowsRegistry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each row: a value the program stores. It reads back exactly, and lands as that REG_SZ
    // string in the 32-bit view (WOW6432Node), where `reg query ... /reg:32` and Imail look.
    void valuesComeBackExactlyInThe32BitView_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("folder") << QStringLiteral("C:\\Program Files\\Imail");
        QTest::newRow("drive root") << QStringLiteral("C:\\");
        QTest::newRow("share") << QStringLiteral("\\\\mailhost\\imail$");
        QTest::newRow("blanks around") << QStringLiteral("  D:\\x  ");
        QTest::newRow("empty") << QString();
        QTest::newRow("switch") << QStringLiteral("1");
        QTest::newRow("non-ASCII") << QStringLiteral("D:\\Donn\u00e9es \u0107");
        QTest::newRow("at sign first") << QStringLiteral("@Variant(x)");
        QTest::newRow("two at signs") << QStringLiteral("@@x");
        QTest::newRow("slashes") << QStringLiteral("C:/Imail/a,b;c=d");
    }
    void valuesComeBackExactlyInThe32BitView() {
        QFETCH(QString, value);
        TestKey key;
        WindowsRegistry registry;
        QVERIFY(registry.write(key.root() + QStringLiteral("imailPath"), value));
        QCOMPARE(registry.read(key.root() + QStringLiteral("imailPath")), std::optional(value));
        QCOMPARE(key.value(View::Bits32, QStringLiteral("imailPath")), std::optional(value));
        QCOMPARE(key.value(View::Bits64, QStringLiteral("imailPath")), std::nullopt);
    }

    void missingValuesAndKeysReadAsMissing() {
        TestKey key;
        WindowsRegistry registry;
        QCOMPARE(registry.read(key.root() + QStringLiteral("installPath")), std::nullopt);
        QVERIFY(registry.write(key.root() + QStringLiteral("dataPath"), QStringLiteral("C:\\d")));
        QCOMPARE(registry.read(key.root() + QStringLiteral("installPath")), std::nullopt);
        QCOMPARE(registry.read(key.root() + QStringLiteral("none\\Global\\TopDir")), std::nullopt);
        QCOMPARE(registry.read(QStringLiteral("HKEY_NOWHERE\\SOFTWARE\\x")), std::nullopt);
    }

    // Each row: a value another program stored (Imail's 32-bit installer, an administrator), what
    // the program reads of it, and what it says of a value it cannot read.
    void valuesOfOtherPrograms_data() {
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<std::optional<QString>>("read");
        QTest::addColumn<QString>("problem");
        const QString notText = QStringLiteral(
            "The registry value %1 is stored as %2, which is not a text: it must be a REG_SZ "
            "string.");
        QTest::newRow("REG_SZ in the 32-bit view")
            << int(View::Bits32) << int(REG_SZ) << utf16(QStringLiteral("C:\\IMail"))
            << std::optional(QStringLiteral("C:\\IMail")) << QString();
        QTest::newRow("REG_SZ in the 64-bit view only")
            << int(View::Bits64) << int(REG_SZ) << utf16(QStringLiteral("C:\\IMail"))
            << std::optional<QString>()
            << QStringLiteral("The registry value %1 is stored only in the 64-bit view of the "
                              "registry; the program reads the 32-bit view (WOW6432Node), where "
                              "its installer and Imail keep their values.");
        QTest::newRow("REG_EXPAND_SZ, as stored")
            << int(View::Bits32) << int(REG_EXPAND_SZ)
            << utf16(QStringLiteral("%SystemDrive%\\IMail"))
            << std::optional(QStringLiteral("%SystemDrive%\\IMail")) << QString();
        QTest::newRow("REG_DWORD, as its number")
            << int(View::Bits32) << int(REG_DWORD) << QByteArray("\x01\x00\x00\x00", 4)
            << std::optional(QStringLiteral("1")) << QString();
        QTest::newRow("REG_SZ without its closing null")
            << int(View::Bits32) << int(REG_SZ) << utf16(QStringLiteral("8.10")).chopped(2)
            << std::optional(QStringLiteral("8.10")) << QString();
        QTest::newRow("REG_BINARY: not a text")
            << int(View::Bits32) << int(REG_BINARY) << QByteArray("ab") << std::optional<QString>()
            << notText.arg(QStringLiteral("%1"), QStringLiteral("REG_BINARY"));
        QTest::newRow("REG_MULTI_SZ: not a text")
            << int(View::Bits32) << int(REG_MULTI_SZ)
            << utf16(QStringLiteral("C:\\IMail")) + QByteArray(2, '\0') << std::optional<QString>()
            << notText.arg(QStringLiteral("%1"), QStringLiteral("REG_MULTI_SZ"));
        QTest::newRow("REG_QWORD: not a text")
            << int(View::Bits32) << int(REG_QWORD) << QByteArray("\x01\0\0\0\0\0\0\0", 8)
            << std::optional<QString>()
            << notText.arg(QStringLiteral("%1"), QStringLiteral("REG_QWORD"));
    }
    void valuesOfOtherPrograms() {
        QFETCH(int, view);
        QFETCH(int, type);
        QFETCH(QByteArray, data);
        QFETCH(std::optional<QString>, read);
        QFETCH(QString, problem);
        TestKey key;
        const QString name = QStringLiteral("Ipswitch\\IMail\\Global\\TopDir");
        QVERIFY(key.set(static_cast<View>(view), name, static_cast<DWORD>(type), data));
        WindowsRegistry registry;
        QCOMPARE(registry.read(key.root() + name), read);
        QCOMPARE(registry.valueProblem(key.root() + name),
                 problem.isEmpty() ? problem : problem.arg(key.root() + name));
        // Not stored at all is no problem: the program's defaults are for that.
        QCOMPARE(registry.valueProblem(key.root() + QStringLiteral("exitSave")), QString());
    }

    // A dataPath the program cannot read stops the command line, naming it, rather than sending
    // the lists to the install folder's URLdata.
    void anUnreadableDataPathIsNamedNotReplaced() {
        TestKey key;
        WindowsRegistry registry;
        QVERIFY(
            registry.write(key.root() + QStringLiteral("installPath"), QStringLiteral("C:\\q")));
        QVERIFY(key.set(View::Bits32, QStringLiteral("dataPath"), REG_MULTI_SZ,
                        utf16(QStringLiteral("D:\\data")) + QByteArray(2, '\0')));
        MovedSettingsKey moved(registry, key.root());
        QCOMPARE(storedValuesProblem(moved),
                 QStringLiteral("The registry value %1dataPath is stored as REG_MULTI_SZ, which "
                                "is not a text: it must be a REG_SZ string.")
                     .arg(settingsKey()));
        TempFolder folder;
        cli::CliContext context;
        int status = 0;
        QByteArray printed;
        {
            CapturedStandardError error(folder.filePath(QStringLiteral("stderr.txt")));
            status = cli::useStoredFolders(moved, context, false, true);
            printed = error.text();
        }
        QCOMPARE(status, int(cli::Failure));
        QCOMPARE(printed, "The registry value " + settingsKey().toUtf8() +
                              "dataPath is stored as REG_MULTI_SZ, which is not a text: it must "
                              "be a REG_SZ string.\r\n");
        QCOMPARE(context.dataPath, QString());
    }

    void removeDeletesOneValue() {
        TestKey key;
        WindowsRegistry registry;
        QVERIFY(registry.write(key.root() + QStringLiteral("exitSave"), QStringLiteral("1")));
        QVERIFY(registry.write(key.root() + QStringLiteral("exitSort"), QStringLiteral("0")));
        QVERIFY(registry.remove(key.root() + QStringLiteral("exitSave")));
        QCOMPARE(key.value(View::Bits32, QStringLiteral("exitSave")), std::nullopt);
        QCOMPARE(key.value(View::Bits32, QStringLiteral("exitSort")),
                 std::optional(QStringLiteral("0")));
        // Gone already, or never there: gone afterwards all the same.
        QVERIFY(registry.remove(key.root() + QStringLiteral("exitSave")));
        QVERIFY(registry.remove(key.root() + QStringLiteral("missing\\exitSave")));
        QCOMPARE(key.value(View::Bits32, QStringLiteral("missing\\exitSave")), std::nullopt);
    }

    // A key the administrator's account may only read: nothing is written, and the Options
    // dialog and "settings set" say so, as they do for every failed write.
    void aKeyThatCannotBeWrittenIsReported() {
        TestKey key;
        WindowsRegistry registry;
        QVERIFY(
            registry.write(key.root() + QStringLiteral("imailPath"), QStringLiteral("C:\\old")));
        QVERIFY(key.refuseWrites());
        if (key.stillWritable())
            QSKIP("this system opens a key for writing whose access list lets everyone only read");

        QVERIFY(
            !registry.write(key.root() + QStringLiteral("imailPath"), QStringLiteral("C:\\new")));
        QVERIFY(!registry.write(key.root() + QStringLiteral("exitSave"), QStringLiteral("1")));
        QVERIFY(!registry.remove(key.root() + QStringLiteral("imailPath")));
        QCOMPARE(registry.read(key.root() + QStringLiteral("imailPath")),
                 std::optional(QStringLiteral("C:\\old")));
        QCOMPARE(key.value(View::Bits32, QStringLiteral("exitSave")), std::nullopt);

        Module1 module;
        module.settings.regRoot = key.root();
        module.settings.imailPath = QStringLiteral("C:\\old");
        FakePrompter prompter;
        OptionsForm form(module, registry, prompter);
        form.load();
        form.setPathText(PathField::ImailRoot, QStringLiteral("C:\\new"));
        QVERIFY(!form.ok());
        QCOMPARE(prompter.log(), QStringList{QStringLiteral("Could not write the registry value "
                                                            "%1imailPath. No setting was changed.")
                                                 .arg(key.root())});
        QCOMPARE(module.settings.imailPath, QStringLiteral("C:\\old"));

        TempFolder folder;
        MovedSettingsKey moved(registry, key.root());
        cli::CliContext context;
        int status = 0;
        QByteArray printed;
        {
            CapturedStandardError error(folder.filePath(QStringLiteral("stderr.txt")));
            status = cli::runSettingsCommand(
                moved, context,
                {QStringLiteral("set"), QStringLiteral("exitSave"), QStringLiteral("1")});
            printed = error.text();
        }
        QCOMPARE(status, int(cli::Failure));
        QCOMPARE(printed,
                 "Could not write the registry value " + settingsKey().toUtf8() + "exitSave\r\n");
        QCOMPARE(key.value(View::Bits32, QStringLiteral("exitSave")), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestWindowsRegistry)
#include "tst_WindowsRegistry.moc"
