#pragma once

#include <QDialog>

class QListView;
class QShowEvent;
class QStringListModel;

namespace quillmere {

struct AddedEvaluation;

// frmEval: the Added entries a release lacks ("Unique") and those it lists ("Listed in
// release"). Made once and shown again for every evaluation; each showing loads it afresh.
class EvaluationDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EvaluationDialog)

public:
    explicit EvaluationDialog(QWidget* parent = nullptr);

    // Form_Load: the lists show the evaluation's non-empty entries.
    void load(const AddedEvaluation& evaluation);
    // Loads the evaluation and shows it modally. True for "Trim added list"; "Cancel", Esc and
    // the close box answer false.
    bool askToTrim(const AddedEvaluation& evaluation);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void centreOnOwner();

    QStringListModel* m_unique = nullptr;
    QStringListModel* m_listed = nullptr;
};

} // namespace quillmere
