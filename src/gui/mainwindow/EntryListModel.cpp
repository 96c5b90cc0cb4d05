#include "gui/mainwindow/EntryListModel.h"

#include "app/EntryText.h"

#include <array>
#include <limits>

namespace quillmere {

namespace {

int toRow(std::size_t row) {
    return static_cast<int>(row);
}

// Letters of ISO-8859-1 folded to one case, for the type-ahead that ignores case.
const std::array<unsigned char, 256>& foldTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> folded{};
        for (int byte = 0; byte < 256; ++byte) {
            const char16_t lower = QChar(static_cast<char16_t>(byte)).toLower().unicode();
            folded[static_cast<std::size_t>(byte)] =
                static_cast<unsigned char>(lower <= 0xFF ? lower : byte);
        }
        return folded;
    }();
    return table;
}

bool startsWith(std::string_view entry, std::string_view prefix, bool caseSensitive) {
    if (entry.size() < prefix.size())
        return false;
    if (caseSensitive)
        return entry.starts_with(prefix);
    const auto& fold = foldTable();
    for (std::size_t k = 0; k < prefix.size(); ++k) {
        if (fold[static_cast<unsigned char>(entry[k])] !=
            fold[static_cast<unsigned char>(prefix[k])])
            return false;
    }
    return true;
}

} // namespace

EntryListModel::EntryListModel(const TrackedLists& lists, ListId list, QObject* parent)
    : QAbstractListModel(parent)
    , m_lists(lists)
    , m_list(list) {}

QModelIndex EntryListModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column != 0 || parent.isValid() ||
        static_cast<std::size_t>(row) >= entries().size())
        return QModelIndex();
    return createIndex(row, column);
}

int EntryListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    const std::size_t size = entries().size();
    return size > static_cast<std::size_t>(std::numeric_limits<int>::max())
               ? std::numeric_limits<int>::max()
               : toRow(size);
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    return entryToText(entries()[static_cast<std::size_t>(index.row())]);
}

QModelIndexList EntryListModel::match(const QModelIndex& start, int role, const QVariant& value,
                                      int hits, Qt::MatchFlags flags) const {
    const auto type = flags & Qt::MatchTypeMask;
    if (role != Qt::DisplayRole || type != Qt::MatchStartsWith || !start.isValid() ||
        start.parent().isValid())
        return QAbstractListModel::match(start, role, value, hits, flags);

    QModelIndexList found;
    const auto prefix = textToEntry(value.toString());
    if (!prefix)
        return found;
    const bool caseSensitive = flags.testFlag(Qt::MatchCaseSensitive);
    const std::size_t count = static_cast<std::size_t>(rowCount());
    const std::size_t from = static_cast<std::size_t>(start.row());
    const std::size_t span = flags.testFlag(Qt::MatchWrap) ? count : count - from;
    for (std::size_t step = 0; step < span; ++step) {
        const std::size_t row = (from + step) % count;
        if (!startsWith(entries()[row], *prefix, caseSensitive))
            continue;
        found.append(index(toRow(row)));
        if (hits != -1 && found.size() >= hits)
            break;
    }
    return found;
}

TrackedListModels::TrackedListModels(TrackedLists& lists)
    : m_lists(lists)
    , m_main(std::make_unique<EntryListModel>(lists, ListId::Main))
    , m_added(std::make_unique<EntryListModel>(lists, ListId::Added))
    , m_removed(std::make_unique<EntryListModel>(lists, ListId::Removed)) {
    m_lists.setObserver(this);
}

TrackedListModels::~TrackedListModels() {
    m_lists.setObserver(nullptr);
}

EntryListModel* TrackedListModels::model(ListId list) const {
    switch (list) {
    case ListId::Main:
        return m_main.get();
    case ListId::Added:
        return m_added.get();
    case ListId::Removed:
        return m_removed.get();
    }
    return m_main.get();
}

void TrackedListModels::beginAppend(ListId list, std::size_t row) {
    model(list)->beginInsertRows(QModelIndex(), toRow(row), toRow(row));
}

void TrackedListModels::endAppend(ListId list) {
    model(list)->endInsertRows();
}

void TrackedListModels::beginRemove(ListId list, std::size_t row) {
    model(list)->beginRemoveRows(QModelIndex(), toRow(row), toRow(row));
}

void TrackedListModels::endRemove(ListId list) {
    model(list)->endRemoveRows();
}

void TrackedListModels::beginReset(ListId list) {
    model(list)->beginResetModel();
}

void TrackedListModels::endReset(ListId list) {
    model(list)->endResetModel();
}

} // namespace quillmere
