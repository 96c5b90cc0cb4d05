#pragma once

#include <QDialog>

namespace quillmere {

// frmAbout: the program's picture, title, version and description, closed by its OK button on
// Enter or Esc.
class AboutBox final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutBox)

public:
    explicit AboutBox(QWidget* parent = nullptr);

    // "Version 1.0.4": major, minor and revision as plain numbers.
    static QString versionLine(int major, int minor, int revision);
};

} // namespace quillmere
