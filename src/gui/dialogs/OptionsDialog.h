#pragma once

#include "app/forms/OptionsForm.h"
#include "gui/dialogs/ClassicInput.h"

#include <QHash>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace quillmere {

class Drives;

// frmOptions: the folders and exit switches, stored in the registry by OK. A thin window over
// OptionsForm; the controls carry their names (txtImailPath, CheckSort, cmdOK, ...) as object
// names.
class OptionsDialog final : public ClassicDialog {
    Q_OBJECT
public:
    OptionsDialog(Module1& module, Registry& registry, Prompter& prompter, Drives& drives,
                  QWidget* owner = nullptr);

    // Whether the user left the dialog with its Cancel button.
    bool cancelled() const { return m_form.cancelled(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPaths();
    void buildSwitches();
    void buildButtons();
    void showForm();
    void chooseFolder(PathField field);

    Module1& m_module;
    Drives& m_drives;
    Prompter& m_prompter;
    OptionsForm m_form;
    std::array<QLineEdit*, 3> m_pathEdits{};
    QCheckBox* m_checkSort = nullptr;
    QCheckBox* m_checkSave = nullptr;
    QCheckBox* m_checkQueue = nullptr;
    QLabel* m_hintLabel = nullptr;
    QWidget* m_switchesFrame = nullptr;
    QHash<QObject*, HintControl> m_hintControls;
};

} // namespace quillmere
