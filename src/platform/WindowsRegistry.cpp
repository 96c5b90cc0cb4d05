#include "platform/WindowsRegistry.h"

#include <array>
#include <string>
#include <windows.h>

namespace quillmere {

namespace {

// A value's place: "HKEY_LOCAL_MACHINE\SOFTWARE\Brindlecove\Quillmere\imailPath" is the hive, the
// key below it and the value's name.
struct ValueAddress {
    HKEY hive = nullptr;
    std::wstring key;  // "SOFTWARE\Brindlecove\Quillmere"
    std::wstring name; // "imailPath"
};

std::optional<ValueAddress> split(const QString& fullName) {
    static const std::array<std::pair<const char*, HKEY>, 5> hives{{
        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {"HKEY_USERS", HKEY_USERS},
        {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
    }};
    const qsizetype first = fullName.indexOf(QLatin1Char('\\'));
    const qsizetype last = fullName.lastIndexOf(QLatin1Char('\\'));
    if (first < 0)
        return std::nullopt;
    const QString key = last > first ? fullName.mid(first + 1, last - first - 1) : QString();
    for (const auto& [name, hive] : hives) {
        if (fullName.left(first) == QLatin1String(name))
            return ValueAddress{hive, key.toStdWString(), fullName.mid(last + 1).toStdWString()};
    }
    return std::nullopt;
}

// The installer and Imail, 32-bit programs, keep their values in the 32-bit view (WOW6432Node on
// 64-bit Windows); a 64-bit program must ask for it.
HKEY openKey(const ValueAddress& address, REGSAM access, REGSAM view = KEY_WOW64_32KEY) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(address.hive, address.key.c_str(), 0, access | view, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

bool isReadableType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_DWORD;
}

QString typeName(DWORD type) {
    static const std::array<std::pair<DWORD, const char*>, 9> names{{
        {REG_NONE, "REG_NONE"},
        {REG_BINARY, "REG_BINARY"},
        {REG_DWORD_BIG_ENDIAN, "REG_DWORD_BIG_ENDIAN"},
        {REG_LINK, "REG_LINK"},
        {REG_MULTI_SZ, "REG_MULTI_SZ"},
        {REG_RESOURCE_LIST, "REG_RESOURCE_LIST"},
        {REG_FULL_RESOURCE_DESCRIPTOR, "REG_FULL_RESOURCE_DESCRIPTOR"},
        {REG_RESOURCE_REQUIREMENTS_LIST, "REG_RESOURCE_REQUIREMENTS_LIST"},
        {REG_QWORD, "REG_QWORD"},
    }};
    for (const auto& [number, name] : names) {
        if (number == type)
            return QLatin1String(name);
    }
    return QStringLiteral("type %1").arg(type);
}

class KeyHandle final {
public:
    explicit KeyHandle(HKEY key)
        : m_key(key) {}
    ~KeyHandle() {
        if (m_key)
            RegCloseKey(m_key);
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    HKEY get() const { return m_key; }

private:
    HKEY m_key;
};

} // namespace

std::optional<QString> WindowsRegistry::read(const QString& fullName) {
    const std::optional<ValueAddress> address = split(fullName);
    if (!address)
        return std::nullopt;
    const KeyHandle key(openKey(*address, KEY_QUERY_VALUE));
    if (!key.get())
        return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), address->name.c_str(), nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    // A number stored by hand (REG_DWORD 1 for a switch) reads as its decimal text.
    if (type == REG_DWORD) {
        DWORD number = 0;
        size = sizeof number;
        if (RegQueryValueExW(key.get(), address->name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(&number), &size) != ERROR_SUCCESS ||
            type != REG_DWORD)
            return std::nullopt;
        return QString::number(number);
    }
    if (!isReadableType(type))
        return std::nullopt;
    // The stored bytes exactly: a string another program wrote need not end in a null.
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), address->name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    text.resize(size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return QString::fromStdWString(text);
}

bool WindowsRegistry::write(const QString& fullName, const QString& value) {
    const std::optional<ValueAddress> address = split(fullName);
    // A REG_SZ string ends at its first null: such a value would not read back.
    if (!address || value.contains(QChar::Null))
        return false;
    HKEY created = nullptr;
    if (RegCreateKeyExW(address->hive, address->key.c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &created,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const KeyHandle key(created);
    const std::wstring text = value.toStdWString();
    return RegSetValueExW(key.get(), address->name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

QString WindowsRegistry::valueProblem(const QString& fullName) {
    const std::optional<ValueAddress> address = split(fullName);
    if (!address)
        return QString();
    // The type of the value in a view, or nothing when the view does not hold it.
    const auto storedType = [&address](REGSAM view) -> std::optional<DWORD> {
        const KeyHandle key(openKey(*address, KEY_QUERY_VALUE, view));
        DWORD type = 0;
        if (!key.get() || RegQueryValueExW(key.get(), address->name.c_str(), nullptr, &type,
                                           nullptr, nullptr) != ERROR_SUCCESS)
            return std::nullopt;
        return type;
    };
    if (const std::optional<DWORD> type = storedType(KEY_WOW64_32KEY)) {
        if (isReadableType(*type))
            return QString();
        return QStringLiteral("The registry value %1 is stored as %2, which is not a text: it must "
                              "be a REG_SZ string.")
            .arg(fullName, typeName(*type));
    }
    if (storedType(KEY_WOW64_64KEY)) {
        return QStringLiteral("The registry value %1 is stored only in the 64-bit view of the "
                              "registry; the program reads the 32-bit view (WOW6432Node), where "
                              "its installer and Imail keep their values.")
            .arg(fullName);
    }
    return QString();
}

bool WindowsRegistry::remove(const QString& fullName) {
    const std::optional<ValueAddress> address = split(fullName);
    if (!address)
        return false;
    const KeyHandle key(openKey(*address, KEY_SET_VALUE));
    if (!key.get()) {
        // No key, no value; but a key that exists and refuses the change keeps its value.
        const KeyHandle existing(openKey(*address, KEY_QUERY_VALUE));
        return !existing.get();
    }
    const LONG result = RegDeleteValueW(key.get(), address->name.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

} // namespace quillmere
