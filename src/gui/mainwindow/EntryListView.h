#pragma once

#include <QListView>

namespace quillmere {

// A list box of the main window, with the manners of the classic list box:
// - userSelected() reports only a selection the user made with the mouse or the keyboard (or a
//   click on the entry already selected); selections the program makes report nothing;
// - once an entry has been taken out of the list, no entry is selected, so the next Enter cannot
//   act on an entry nobody chose;
// - type-ahead takes each typed character on its own: it selects the next entry after the selected
//   one that begins with that character, in either letter case, wrapping to the top;
// - the selection is drawn as in a focused list whether or not the list has the focus: the find
//   box keeps the focus while its match is selected here.
class EntryListView final : public QListView {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EntryListView)

public:
    explicit EntryListView(QWidget* parent = nullptr);
    ~EntryListView() override;

    void keyboardSearch(const QString& search) override;

Q_SIGNALS:
    void userSelected();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
    void initViewItemOption(QStyleOptionViewItem* option) const override;

private:
    // True while the view handles the user's own mouse or key event.
    bool m_userInput = false;
};

} // namespace quillmere
