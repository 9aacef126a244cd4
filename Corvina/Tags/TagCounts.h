#pragma once

#include "Corvina/Library/Bookmark.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

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
// bookmarks that are new, edited or gone are counted again, so a large
// library is not read tag by tag at every change. Main thread only.
class TagCounter {
public:
    // tagCounts() of `library`, given in the order the library lists it.
    const std::vector<TagCount>& update(const std::vector<Bookmark>& library);

private:
    struct Counted {
        Bookmark bookmark;
        quint64 revision = 0;
        QStringList tags;
    };
    void add(const QStringList& tags, qsizetype by);
    // For a listing of the same bookmarks in the same order; whether any
    // bookmark's tags may have changed.
    bool recountInPlace();
    // The sorted counts, worked out again when `changed`.
    const std::vector<TagCount>& sorted(bool changed);

    std::vector<Counted> m_counted; // the previous listing
    std::vector<Counted> m_spare;
    QHash<QString, qsizetype> m_counts;
    std::vector<TagCount> m_sorted;
    bool m_sortedCurrent = false;
    bool m_tied = false; // canonically equal spellings among the names
};
