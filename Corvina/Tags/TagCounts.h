#pragma once

#include "Corvina/Library/Bookmark.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

namespace store {
class ModelContext;
}

// One row of the sidebar's tag list.
struct TagCount {
    QString name;
    qsizetype count = 0;

    friend bool operator==(const TagCount&, const TagCount&) = default;
};

// How often each tag is used across `bookmarks`: tags counted by exact string
// (a tag twice on one bookmark counts twice), listed by name in the standard
// string order, so upper-case names come before lower-case ones. Counts do
// not affect the order.
std::vector<TagCount> tagCounts(const QList<Bookmark>& bookmarks);
// The same over the bookmarks' tag lists alone.
std::vector<TagCount> tagCounts(const QList<QStringList>& tagLists);

// The tag counts of a library kept from one change of it to the next: only
// the bookmarks the store reports as added, edited or gone since the last
// count are counted again, so a large library is not read tag by tag at
// every change. Main thread only.
class TagCounter {
public:
    // tagCounts() of `library`, which is every bookmark of `context` in the
    // order the library lists them, as they stand now.
    const std::vector<TagCount>& update(const std::vector<Bookmark>& library,
                                        const store::ModelContext& context);

private:
    void add(const QStringList& tags, qsizetype by);
    void countAfresh(const std::vector<Bookmark>& library);
    // The sorted counts, worked out again when `changed`.
    const std::vector<TagCount>& sorted(bool changed, const std::vector<Bookmark>& library);

    const store::ModelContext* m_context = nullptr;
    quint64 m_seen = 0; // the context's change count at the last update
    // Each bookmark's tags as counted.
    QHash<store::ModelObject, QStringList> m_counted;
    QHash<QString, qsizetype> m_counts;
    std::vector<TagCount> m_sorted;
    bool m_tied = false; // canonically equal spellings among the names
};
