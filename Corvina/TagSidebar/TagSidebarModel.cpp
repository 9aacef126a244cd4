#include "Corvina/TagSidebar/TagSidebarModel.h"

#include "platform/Core/LocaleNumbers.h"
#include "platform/Symbols/Symbols.h"

TagSidebarModel::TagSidebarModel(QObject* parent)
    : QAbstractListModel(parent)
    , m_rows{{RowKind::allBookmarks, QString(), 0}} {}

void TagSidebarModel::setCounts(qsizetype bookmarkCount, const std::vector<TagCount>& counts) {
    beginResetModel();
    m_rows.clear();
    m_rows.push_back({RowKind::allBookmarks, QString(), bookmarkCount});
    if (!counts.empty()) {
        m_rows.push_back({RowKind::tagsHeading, QString(), 0});
        for (const TagCount& entry : counts)
            m_rows.push_back({RowKind::tag, entry.name, entry.count});
    }
    endResetModel();
}

int TagSidebarModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant TagSidebarModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& row = m_rows[static_cast<std::size_t>(index.row())];
    const QString text = row.kind == RowKind::allBookmarks  ? tr("All Bookmarks")
                         : row.kind == RowKind::tagsHeading ? tr("Tags")
                                                            : row.name;
    switch (role) {
    case Qt::DisplayRole:
        return text;
    case Qt::DecorationRole:
        if (row.kind == RowKind::tagsHeading)
            return {};
        return symbols::icon(row.kind == RowKind::tag ? QStringLiteral("tag")
                                                      : QStringLiteral("bookmark"));
    case Qt::AccessibleTextRole:
        return row.kind == RowKind::tagsHeading
                   ? text
                   : tr("%1, %2").arg(text, localenumbers::count(row.count));
    case CountRole:
        if (row.kind == RowKind::tagsHeading)
            return {};
        return static_cast<qlonglong>(row.count);
    case KindRole:
        return static_cast<int>(row.kind);
    default:
        return {};
    }
}

Qt::ItemFlags TagSidebarModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    // The heading is neither chosen nor stepped on with the arrow keys.
    if (m_rows[static_cast<std::size_t>(index.row())].kind == RowKind::tagsHeading)
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

std::optional<TagSelection> TagSidebarModel::selectionAt(const QModelIndex& index) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return std::nullopt;
    const Row& row = m_rows[static_cast<std::size_t>(index.row())];
    switch (row.kind) {
    case RowKind::allBookmarks:
        return TagSelection::all();
    case RowKind::tag:
        return TagSelection::tag(row.name);
    case RowKind::tagsHeading:
        break;
    }
    return std::nullopt;
}

QModelIndex TagSidebarModel::indexOf(const TagSelection& selection) const {
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const Row& row = m_rows[i];
        const bool match = selection.isAll()
                               ? row.kind == RowKind::allBookmarks
                               : row.kind == RowKind::tag && row.name == *selection.tagName();
        if (match)
            return index(static_cast<int>(i));
    }
    return {};
}
