#pragma once

#include <QDialog>

class QListView;
class QShowEvent;
class QStringListModel;

namespace quillmere {

struct Module1;

// frmEval: the Added entries a release lacks ("Unique") and those it lists ("Listed in
// release"), from Module1::evalUnique and evalListed. Made once and shown again for every
// evaluation; each showing loads it afresh. "Trim added list" answers with Module1::modalFlag
// true; "Cancel", Esc and the close box leave it false.
class EvaluationDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EvaluationDialog)

public:
    explicit EvaluationDialog(Module1& module, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void formLoad();
    void centreOnOwner();
    void trimClicked();

    Module1& m_module;
    QStringListModel* m_unique = nullptr;
    QStringListModel* m_listed = nullptr;
};

} // namespace quillmere
