#pragma once

#include "Corvina/Tags/TagCounts.h"
#include "Corvina/Tags/TagSelection.h"

#include <QAbstractListModel>
#include <optional>
#include <vector>

// The sidebar's rows: "All Bookmarks" with the library's size, then, when
// the library uses any tag, a "Tags" heading and one row per tag with its
// count, in tag-count order. Recomputed whenever the library is handed in.
class TagSidebarModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum class RowKind { allBookmarks, tagsHeading, tag };
    enum Role {
        CountRole = Qt::UserRole + 1, // qlonglong; none for the heading
        KindRole,                     // RowKind as int
    };

    explicit TagSidebarModel(QObject* parent = nullptr);

    // The whole library's size and tag counts (tagCounts() or a
    // TagCounter's); call again whenever the library changes.
    void setCounts(qsizetype bookmarkCount, const std::vector<TagCount>& counts);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // What choosing a row selects; nothing for the heading.
    std::optional<TagSelection> selectionAt(const QModelIndex& index) const;
    // The row that shows `selection`; invalid when no row does (a tag no
    // bookmark carries any more).
    QModelIndex indexOf(const TagSelection& selection) const;

private:
    struct Row {
        RowKind kind;
        QString name;
        qsizetype count;
    };
    std::vector<Row> m_rows;
};
