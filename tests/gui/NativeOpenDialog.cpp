#include "NativeOpenDialog.h"

#include <windows.h>
// The list view messages; this header needs the types of windows.h.
#include <commctrl.h>

namespace quillmere::test {

namespace {

// The controls of the common item dialog, by their classic identifiers.
constexpr int kFileTypes = 1136; // cmb1
constexpr int kNameCombo = 1148; // cmb13: Windows' own dialog, the name in its edit field
constexpr int kNameEdit = 1152;  // edt1: Wine's dialog

HWND handle(void* window) {
    return static_cast<HWND>(window);
}

QString windowText(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return QString::fromWCharArray(text);
}

HWND descendantOfClass(HWND parent, const wchar_t* className) {
    struct Search {
        const wchar_t* className;
        HWND found;
    } search{className, nullptr};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            auto* search = reinterpret_cast<Search*>(data);
            wchar_t name[256] = {};
            GetClassNameW(child, name, 256);
            if (wcscmp(name, search->className) != 0)
                return TRUE;
            search->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND nameBox(HWND dialog) {
    if (HWND combo = GetDlgItem(dialog, kNameCombo))
        return descendantOfClass(combo, L"Edit");
    return GetDlgItem(dialog, kNameEdit);
}

} // namespace

std::optional<NativeOpenDialog> NativeOpenDialog::find() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            wchar_t name[256] = {};
            GetClassNameW(window, name, 256);
            // #32770 is the class of every dialog box; Qt's own windows have classes of their own.
            if (wcscmp(name, L"#32770") != 0 || !IsWindowVisible(window))
                return TRUE;
            *reinterpret_cast<HWND*>(data) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    if (!found)
        return std::nullopt;
    return NativeOpenDialog(found);
}

QString NativeOpenDialog::title() const {
    return windowText(handle(m_window));
}

QStringList NativeOpenDialog::fileTypes() const {
    const HWND combo = GetDlgItem(handle(m_window), kFileTypes);
    QStringList types;
    const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (WPARAM k = 0; k < static_cast<WPARAM>(count); ++k) {
        wchar_t text[1024] = {};
        if (SendMessageW(combo, CB_GETLBTEXTLEN, k, 0) < 1024)
            SendMessageW(combo, CB_GETLBTEXT, k, reinterpret_cast<LPARAM>(text));
        types << QString::fromWCharArray(text);
    }
    return types;
}

int NativeOpenDialog::selectedFileType() const {
    return static_cast<int>(
        SendMessageW(GetDlgItem(handle(m_window), kFileTypes), CB_GETCURSEL, 0, 0));
}

QString NativeOpenDialog::fileName() const {
    return windowText(nameBox(handle(m_window)));
}

void NativeOpenDialog::chooseFileType(int index) const {
    const HWND combo = GetDlgItem(handle(m_window), kFileTypes);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // Setting the selection notifies nobody; the user's choice does, to the combo box's parent.
    SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(kFileTypes, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

std::optional<QStringList> NativeOpenDialog::listedFiles() const {
    const HWND list = descendantOfClass(handle(m_window), WC_LISTVIEWW);
    if (!list)
        return std::nullopt;
    QStringList names;
    const auto count = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
    for (WPARAM k = 0; k < static_cast<WPARAM>(count); ++k) {
        wchar_t text[1024] = {};
        LVITEMW item{};
        item.pszText = text;
        item.cchTextMax = 1024;
        SendMessageW(list, LVM_GETITEMTEXTW, k, reinterpret_cast<LPARAM>(&item));
        names << QString::fromWCharArray(text);
    }
    names.sort();
    return names;
}

void NativeOpenDialog::answer(const QString& name) const {
    const HWND dialog = handle(m_window);
    int button = IDCANCEL;
    if (!name.isEmpty()) {
        SetWindowTextW(nameBox(dialog), name.toStdWString().c_str());
        button = IDOK;
    }
    // Posted: the dialog acts on it once the caller, running inside its message loop, returns.
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

} // namespace quillmere::test
