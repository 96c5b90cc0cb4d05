#include "gui/dialogs/EvaluationDialog.h"

#include "app/EntryText.h"
#include "core/eval/AddedEvaluation.h"
#include "gui/TextFit.h"

#include <QGroupBox>
#include <QListView>
#include <QPushButton>
#include <QShowEvent>
#include <QStringListModel>

namespace quillmere {

namespace {

// A captioned frame with its list; the list shows the model, so no entry becomes a widget item.
QStringListModel* makeFrame(QWidget* parent, const char* frameName, const char* caption,
                            const char* listName, int left) {
    auto* frame = new QGroupBox(QLatin1String(caption), parent);
    frame->setObjectName(QLatin1String(frameName));
    frame->setGeometry(left, 8, 185, 185);
    auto* list = new QListView(frame);
    list->setObjectName(QLatin1String(listName));
    list->setGeometry(8, 16, 169, 160);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setUniformItemSizes(true);
    auto* model = new QStringListModel(parent);
    list->setModel(model);
    return model;
}

QPushButton* makeButton(QWidget* parent, const char* name, const char* caption, QRect place) {
    auto* button = new QPushButton(QLatin1String(caption), parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(place);
    // Enter in a list presses nothing: trimming takes a deliberate click.
    button->setAutoDefault(false);
    return button;
}

QStringList nonEmptyTexts(const EntryList& entries) {
    QStringList texts;
    for (std::string_view entry : entries) {
        if (!entry.empty())
            texts.append(entryToText(entry));
    }
    return texts;
}

} // namespace

EvaluationDialog::EvaluationDialog(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmEval"));
    setWindowTitle(QStringLiteral("Added URLs"));
    setFixedSize(393, 231);
    m_unique = makeFrame(this, "Frame1", "Unique", "List1", 8);
    m_listed = makeFrame(this, "Frame2", "Listed in release", "List2", 200);
    QPushButton* trim = makeButton(this, "Command1", "Trim added list", QRect(96, 200, 97, 25));
    QPushButton* cancel = makeButton(this, "Command2", "Cancel", QRect(200, 200, 89, 25));
    connect(trim, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    fitEveryText(*this);
}

void EvaluationDialog::showEvent(QShowEvent* event) {
    // A window restored from the task bar is no new showing.
    const bool showing = !event->spontaneous();
    if (showing)
        centreOnOwner();
    QDialog::showEvent(event);
    if (showing) {
        // Windows shows a tool window without activating it; a modal dialog must take the
        // keyboard at once, starting in "Unique".
        findChild<QListView*>(QStringLiteral("List1"))->setFocus(Qt::ActiveWindowFocusReason);
        activateWindow();
    }
}

void EvaluationDialog::load(const AddedEvaluation& evaluation) {
    m_unique->setStringList(nonEmptyTexts(evaluation.unique));
    m_listed->setStringList(nonEmptyTexts(evaluation.listed));
}

bool EvaluationDialog::askToTrim(const AddedEvaluation& evaluation) {
    load(evaluation);
    return exec() == QDialog::Accepted;
}

void EvaluationDialog::centreOnOwner() {
    const QWidget* owner = parentWidget();
    if (!owner)
        return;
    QRect place = geometry();
    place.moveCenter(owner->window()->geometry().center());
    setGeometry(place);
}

} // namespace quillmere
