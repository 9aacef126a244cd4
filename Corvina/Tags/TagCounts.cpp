#include "Corvina/Tags/TagCounts.h"

#include "Corvina/Library/Bookmark.h"
#include "Corvina/Library/PreviousListing.h"
#include "Corvina/Tags/StringOrder.h"

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

bool TagCounter::recountInPlace() {
    bool changed = false;
    for (Counted& entry : m_counted) {
        const quint64 revision = entry.bookmark.object().revision();
        if (revision == entry.revision)
            continue;
        add(entry.tags, -1);
        entry.revision = revision;
        entry.tags = entry.bookmark.storedTags();
        add(entry.tags, +1);
        changed = true;
    }
    return changed;
}

const std::vector<TagCount>& TagCounter::update(const std::vector<Bookmark>& library) {
    // Most changes are edits, which leave the listing as it was.
    const bool sameListing =
        library.size() == m_counted.size() &&
        std::equal(library.cbegin(), library.cend(), m_counted.cbegin(),
                   [](const Bookmark& a, const Counted& b) { return a == b.bookmark; });
    if (sameListing)
        return sorted(recountInPlace());
    // The previous round's vector, kept for its memory: a fresh one of this
    // size would be faulted in page by page at every change.
    std::vector<Counted>& counted = m_spare;
    counted.clear();
    counted.reserve(library.size());
    bool changed = false;
    PreviousListing<Counted> previous(m_counted);
    for (const Bookmark& bookmark : library) {
        const quint64 revision = bookmark.object().revision();
        const std::optional<std::size_t> was = previous.find(bookmark);
        if (was && m_counted[*was].revision == revision) {
            counted.push_back(std::move(m_counted[*was]));
            continue;
        }
        if (was)
            add(m_counted[*was].tags, -1);
        counted.push_back({bookmark, revision, bookmark.storedTags()});
        add(counted.back().tags, +1);
        changed = true;
    }
    // What is left of the old listing: bookmarks gone, and the old places of
    // bookmarks that moved far (counted again above where they are now).
    for (const std::size_t at : previous.unclaimed()) {
        add(m_counted[at].tags, -1);
        changed = true;
    }
    std::swap(m_counted, m_spare);
    m_spare.clear();
    return sorted(changed);
}

const std::vector<TagCount>& TagCounter::sorted(bool changed) {
    // With canonically equal spellings the listing's order alone can change
    // the answer (see below).
    if (!changed && m_sortedCurrent && !m_tied)
        return m_sorted;
    m_sortedCurrent = true;

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
        for (const Counted& entry : m_counted)
            counter.add(entry.tags);
        m_sorted = std::move(counter).sorted();
    }
    return m_sorted;
}
