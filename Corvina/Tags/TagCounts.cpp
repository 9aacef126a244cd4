#include "Corvina/Tags/TagCounts.h"

#include "Corvina/Library/Bookmark.h"
#include "Corvina/Tags/StringOrder.h"

#include <QHash>
#include <algorithm>

namespace {

class Counter {
public:
    void add(const QStringList& tags) {
        for (const QString& tag : tags) {
            auto found = m_index.constFind(tag);
            if (found == m_index.constEnd()) {
                found = m_index.insert(tag, m_counts.size());
                m_counts.push_back({tag, 0});
            }
            ++m_counts[*found].count;
        }
    }

    std::vector<TagCount> sorted() && {
        std::vector<std::pair<tags::ScalarOrderKey, TagCount>> keyed;
        keyed.reserve(m_counts.size());
        for (TagCount& entry : m_counts)
            keyed.emplace_back(tags::ScalarOrderKey(entry.name), std::move(entry));
        // Stable: names that are distinct strings but canonically equal keep
        // the order in which the library first used them.
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<TagCount> result;
        result.reserve(keyed.size());
        for (auto& [key, entry] : keyed)
            result.push_back(std::move(entry));
        return result;
    }

private:
    QHash<QString, std::size_t> m_index;
    std::vector<TagCount> m_counts;
};

} // namespace

std::vector<TagCount> tagCounts(const QList<Bookmark>& bookmarks) {
    Counter counter;
    for (const Bookmark& bookmark : bookmarks)
        counter.add(bookmark.storedTags());
    return std::move(counter).sorted();
}

std::vector<TagCount> tagCounts(const QList<QStringList>& tagLists) {
    Counter counter;
    for (const QStringList& tags : tagLists)
        counter.add(tags);
    return std::move(counter).sorted();
}
