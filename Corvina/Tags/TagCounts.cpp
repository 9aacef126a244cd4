#include "Corvina/Tags/TagCounts.h"

#include "Corvina/Library/Bookmark.h"
#include "Corvina/Tags/StringOrder.h"
#include "platform/Store/ModelContext.h"

#include <QHash>
#include <algorithm>

namespace {

std::vector<TagCount> sortedByName(std::vector<TagCount> counts, bool* tied = nullptr) {
    std::vector<std::pair<tags::ScalarOrderKey, TagCount>> keyed;
    keyed.reserve(counts.size());
    for (TagCount& entry : counts)
        keyed.emplace_back(tags::ScalarOrderKey(entry.name), std::move(entry));
    // Stable: names that are distinct strings but canonically equal keep
    // the order in which they came.
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<TagCount> result;
    result.reserve(keyed.size());
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        if (tied && i > 0 && !(keyed[i - 1].first < keyed[i].first))
            *tied = true;
        result.push_back(std::move(keyed[i].second));
    }
    return result;
}

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

    // In the order the library first used them, for the stable sort.
    std::vector<TagCount> sorted() && { return sortedByName(std::move(m_counts)); }

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

void TagCounter::add(const QStringList& tags, qsizetype by) {
    for (const QString& tag : tags) {
        qsizetype& count = m_counts[tag];
        count += by;
        if (count == 0)
            m_counts.remove(tag);
    }
}

void TagCounter::countAfresh(const std::vector<Bookmark>& library) {
    m_counted.clear();
    m_counts.clear();
    m_counted.reserve(qsizetype(library.size()));
    for (const Bookmark& bookmark : library) {
        const QStringList& tags = *m_counted.insert(bookmark.object(), bookmark.storedTags());
        add(tags, +1);
    }
}

const std::vector<TagCount>& TagCounter::update(const std::vector<Bookmark>& library,
                                                const store::ModelContext& context) {
    const std::optional<std::vector<store::ModelObject>> changes =
        m_context == &context ? context.changedSince(m_seen) : std::nullopt;
    m_context = &context;
    m_seen = context.changeCount();
    if (!changes) {
        countAfresh(library);
        return sorted(true, library);
    }
    for (const store::ModelObject& object : *changes) {
        if (const auto counted = m_counted.constFind(object); counted != m_counted.cend()) {
            add(*counted, -1);
            m_counted.erase(counted);
        }
        if (object.context() == &context && !object.isDeleted()) {
            const Bookmark bookmark(object);
            add(*m_counted.insert(object, bookmark.storedTags()), +1);
        }
    }
    return sorted(!changes->empty(), library);
}

const std::vector<TagCount>& TagCounter::sorted(bool changed,
                                                const std::vector<Bookmark>& library) {
    // The listing's order follows from the store alone: with nothing
    // changed, neither counts nor order can have.
    if (!changed)
        return m_sorted;

    std::vector<TagCount> counts;
    counts.reserve(std::size_t(m_counts.size()));
    for (auto it = m_counts.cbegin(); it != m_counts.cend(); ++it)
        counts.push_back({it.key(), it.value()});
    m_tied = false;
    m_sorted = sortedByName(std::move(counts), &m_tied);
    // Canonically equal spellings are ordered by the library's first use of
    // them, which the counts alone do not keep: count those afresh.
    if (m_tied) {
        Counter counter;
        for (const Bookmark& bookmark : library)
            counter.add(bookmark.storedTags());
        m_sorted = std::move(counter).sorted();
    }
    return m_sorted;
}
