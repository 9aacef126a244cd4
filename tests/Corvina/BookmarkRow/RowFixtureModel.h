#pragma once

#include "Corvina/BookmarkRow/BookmarkRowDelegate.h"

#include <QAbstractListModel>
#include <QStringList>
#include <vector>

namespace rowfixture {

struct Row {
    QString title;
    QString note;
    QString domain;
    QStringList tags;
};

// The list model's side of a row, as the delegate reads it; for tests,
// previews and benchmarks.
class RowModel : public QAbstractListModel {
public:
    explicit RowModel(std::vector<Row> rows)
        : m_rows(std::move(rows)) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const Row& row = m_rows[std::size_t(index.row())];
        switch (role) {
        case Qt::DisplayRole:
            return row.title;
        case BookmarkRowDelegate::NoteRole:
            return row.note;
        case BookmarkRowDelegate::DomainRole:
            return row.domain;
        case BookmarkRowDelegate::TagsRole:
            return row.tags;
        default:
            return {};
        }
    }

private:
    std::vector<Row> m_rows;
};

// `count` rows that look like a real library: varied title lengths, notes,
// up to a dozen tags from a shared vocabulary, a few hundred sites.
inline std::vector<Row> sampleRows(int count) {
    static const QStringList words{u"Rust"_qs,     u"compiler"_qs,  u"design"_qs,  u"notes"_qs,
                                   u"tutorial"_qs, u"Qt"_qs,        u"layout"_qs,  u"recipes"_qs,
                                   u"travel"_qs,   u"Kyoto"_qs,     u"reading"_qs, u"music"_qs,
                                   u"history"_qs,  u"science"_qs,   u"photo"_qs,   u"research"_qs,
                                   u"tools"_qs,    u"typography"_qs};
    std::vector<Row> rows;
    rows.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        Row row;
        const int titleWords = 3 + i % 14;
        for (int w = 0; w < titleWords; ++w)
            row.title += (w ? u" "_qs : QString()) + words[(i * 7 + w * 3) % words.size()];
        if (i % 3 != 0)
            row.note = u"A longer note about "_qs + row.title + u", kept for later reading."_qs;
        row.domain = u"site"_qs + QString::number(i % 300) + u".example"_qs;
        for (int t = 0; t < i % 13; ++t)
            row.tags << words[(i + t * 5) % words.size()];
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace rowfixture
