#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace quillmere::test {

// The system's open dialog, which Qt shows on Windows in place of its own (QFileDialog then makes
// none of its widgets): found among this thread's windows, and read and answered through its
// controls, as its user sees and uses them.
class NativeOpenDialog final {
public:
    // The dialog box this thread shows, once it is on the screen.
    static std::optional<NativeOpenDialog> find();

    QString title() const;
    QStringList fileTypes() const;
    int selectedFileType() const;
    QString fileName() const;
    // Chooses a file type as the user does, in the list of file types.
    void chooseFileType(int index) const;
    // The names the file list shows, sorted; nothing when the list is not a list view control
    // (Windows' own dialog draws it itself).
    std::optional<QStringList> listedFiles() const;
    // Types the name into the file name box and presses Open; an empty name presses Cancel.
    void answer(const QString& name) const;

private:
    explicit NativeOpenDialog(void* window)
        : m_window(window) {}
    void* m_window; // the dialog's HWND
};

} // namespace quillmere::test
