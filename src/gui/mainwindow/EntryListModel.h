#pragma once

#include "core/lists/TrackedLists.h"

#include <QAbstractListModel>
#include <memory>

namespace quillmere {

// One of the three tracked lists as a Qt list model. The model holds no entries of its own: it
// reads them from the tracked list when a view asks, so a list of millions of domains needs no
// item per entry. TrackedListModels tells it about every change.
class EntryListModel final : public QAbstractListModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EntryListModel)

public:
    EntryListModel(const TrackedLists& lists, ListId list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // The list view makes an index of every row each time it lays the list out: made here
    // without the virtual calls of rowCount and columnCount that the base class makes for each.
    QModelIndex index(int row, int column = 0,
                      const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The list view's type-ahead asks for the next entry beginning with the typed text; answered
    // on the entries' bytes, without making a QString per entry.
    QModelIndexList match(const QModelIndex& start, int role, const QVariant& value, int hits = 1,
                          Qt::MatchFlags flags = Qt::MatchFlags(Qt::MatchStartsWith |
                                                                Qt::MatchWrap)) const override;

private:
    friend class TrackedListModels;
    const EntryList& entries() const { return m_lists.list(m_list); }

    const TrackedLists& m_lists;
    const ListId m_list;
};

// Forwards the tracked lists' changes to the three models, which is how the views follow them.
class TrackedListModels final : public ListObserver {
public:
    explicit TrackedListModels(TrackedLists& lists);
    ~TrackedListModels() override;
    TrackedListModels(const TrackedListModels&) = delete;
    TrackedListModels& operator=(const TrackedListModels&) = delete;

    EntryListModel* model(ListId list) const;

    void beginAppend(ListId list, std::size_t row) override;
    void endAppend(ListId list) override;
    void beginRemove(ListId list, std::size_t row) override;
    void endRemove(ListId list) override;
    void beginReset(ListId list) override;
    void endReset(ListId list) override;

private:
    TrackedLists& m_lists;
    std::unique_ptr<EntryListModel> m_main;
    std::unique_ptr<EntryListModel> m_added;
    std::unique_ptr<EntryListModel> m_removed;
};

} // namespace quillmere
