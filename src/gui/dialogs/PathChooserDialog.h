#pragma once

#include "app/forms/PathChooserForm.h"
#include "gui/dialogs/ClassicInput.h"

class QComboBox;
class QListView;
class QStandardItemModel;

namespace quillmere {

// frmPathChooser: a drive list (Drive1) and a directory list (Dir1); the caller sets the caption
// and reads the answer from chosenPath() after the dialog closes. Its load places it on
// Module1::lastChosenPath.
class PathChooserDialog final : public ClassicDialog {
    Q_OBJECT
public:
    PathChooserDialog(Module1& module, Drives& drives, Prompter& prompter,
                      QWidget* owner = nullptr);

    // Places the lists on the start folder.
    void initData(const QString& startFolder);
    // The folder chosen with OK, an empty string after Cancel, no answer when closed from the
    // window frame.
    const std::optional<QString>& chosenPath() const { return m_form.chosenPath(); }

private:
    void showForm();

    PathChooserForm m_form;
    QComboBox* m_driveList;
    QListView* m_directoryList;
    QStandardItemModel* m_directories;
};

} // namespace quillmere
