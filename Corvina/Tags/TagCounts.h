#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

class Bookmark;

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
