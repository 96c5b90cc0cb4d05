#include "gui/mainwindow/EntryListView.h"

#include <QScopedValueRollback>
#include <QStyleOptionViewItem>

namespace quillmere {

EntryListView::EntryListView(QWidget* parent)
    : QListView(parent) {
    // A click counts even on the entry already selected (say, by the find box's search).
    connect(this, &QAbstractItemView::clicked, this, &EntryListView::userSelected);
}

EntryListView::~EntryListView() = default;

void EntryListView::keyboardSearch(const QString& search) {
    // Qt would join the keys typed in quick succession into one prefix; the classic list box
    // looks at each key on its own.
    if (search.isEmpty() || !model())
        return;
    const int rows = model()->rowCount(rootIndex());
    if (rows == 0)
        return;
    const QModelIndexList selected = selectionModel()->selectedRows();
    const int from = selected.isEmpty() ? 0 : (selected.constFirst().row() + 1) % rows;
    const QModelIndexList found =
        model()->match(model()->index(from, 0, rootIndex()), Qt::DisplayRole, search.left(1), 1,
                       Qt::MatchStartsWith | Qt::MatchWrap);
    if (found.isEmpty())
        return;
    setCurrentIndex(found.constFirst());
    scrollTo(found.constFirst());
}

void EntryListView::mousePressEvent(QMouseEvent* event) {
    const QScopedValueRollback<bool> input(m_userInput, true);
    QListView::mousePressEvent(event);
}

void EntryListView::mouseMoveEvent(QMouseEvent* event) {
    const QScopedValueRollback<bool> input(m_userInput, true);
    QListView::mouseMoveEvent(event);
}

void EntryListView::mouseReleaseEvent(QMouseEvent* event) {
    const QScopedValueRollback<bool> input(m_userInput, true);
    QListView::mouseReleaseEvent(event);
}

void EntryListView::keyPressEvent(QKeyEvent* event) {
    const QScopedValueRollback<bool> input(m_userInput, true);
    QListView::keyPressEvent(event);
}

void EntryListView::selectionChanged(const QItemSelection& selected,
                                     const QItemSelection& deselected) {
    QListView::selectionChanged(selected, deselected);
    if (m_userInput && !selected.isEmpty())
        Q_EMIT userSelected();
}

void EntryListView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    // Cleared before Qt's own handling, which would otherwise select the entry that moves into
    // the removed one's place.
    selectionModel()->clear();
    QListView::rowsAboutToBeRemoved(parent, start, end);
}

void EntryListView::initViewItemOption(QStyleOptionViewItem* option) const {
    QListView::initViewItemOption(option);
    // Qt draws the rows of a view without the focus as in an inactive window, which some styles
    // (and Windows' own colours) make all but white.
    option->state |= QStyle::State_Active;
}

} // namespace quillmere
