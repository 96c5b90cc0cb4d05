#pragma once

#include "app/forms/PathChooserForm.h"
#include "gui/dialogs/ClassicInput.h"

class QComboBox;
class QListView;
class QStandardItemModel;

namespace quillmere {

// frmPathChooser: a drive list (Drive1) and a directory list (Dir1); the caller sets the caption
// and reads the answer from Module1::chosenPath after the dialog closes.
class PathChooserDialog final : public ClassicDialog {
    Q_OBJECT
public:
    PathChooserDialog(Module1& module, Drives& drives, Prompter& prompter,
                      QWidget* owner = nullptr);

    // Places the lists on Module1::chosenPath again.
    void initData();

private:
    void showForm();

    PathChooserForm m_form;
    QComboBox* m_driveList;
    QListView* m_directoryList;
    QStandardItemModel* m_directories;
};

} // namespace quillmere
