#include "Corvina/LibraryList/FoldedLibrary.h"

#include "Corvina/Library/PreviousListing.h"
#include "platform/Core/ByteSearch.h"
#include "platform/Store/ModelContext.h"

#include <algorithm>

void FoldedLibrary::clear() {
    m_context = nullptr;
    m_rows.clear();
    m_text.clear();
    m_spareRows.clear();
    m_spareText.clear();
    m_byField.clear();
}

void FoldedLibrary::update(const std::vector<Bookmark>& library, const BookmarkFilter& folding,
                           const store::ModelContext& context) {
    if (folding.locale() != m_locale) {
        clear();
        m_locale = folding.locale();
    }
    // What the store says changed since the last update: the other bookmarks
    // keep their text without a look at them (a visit to every bookmark is
    // most of the cost of an update). Without it, revisions tell.
    const std::optional<std::vector<store::ModelObject>> changed =
        m_context == &context ? context.changedSince(m_seen) : std::nullopt;
    m_context = &context;
    m_seen = context.changeCount();
    const auto unchanged = [&changed](const Row& kept, const Bookmark& bookmark) {
        if (changed)
            return !std::binary_search(changed->cbegin(), changed->cend(), bookmark.object());
        return kept.revision == bookmark.object().revision();
    };
    PreviousListing<Row> previous(m_rows);
    // The previous round's buffers, kept for their memory: fresh ones of this
    // size would be faulted in page by page at every change of the store.
    std::vector<Row>& rows = m_spareRows;
    rows.clear();
    rows.reserve(library.size());
    QByteArray& text = m_spareText;
    text.resize(0);
    text.reserve(m_text.isEmpty() ? qsizetype(library.size()) * 96 : m_text.size());
    m_byField.clear();
    for (const Bookmark& bookmark : library) {
        const std::optional<std::size_t> was = previous.find(bookmark);
        Row* const kept = was ? &m_rows[*was] : nullptr;
        // The handle is taken over from the previous row (the same bookmark)
        // rather than copied: a copy per bookmark at every change is a
        // reference-count round trip through the whole library.
        const bool reuse = kept && unchanged(*kept, bookmark);
        Row row{kept ? std::move(kept->bookmark) : Bookmark(bookmark),
                std::uint32_t(text.size()), 0,
                reuse ? kept->revision : bookmark.object().revision()};
        if (reuse && kept->length > 0)
            text.append(m_text.constData() + kept->offset, kept->length);
        else if (!folding.appendFolded(bookmark, text))
            text.truncate(row.offset);
        row.length = std::uint32_t(text.size()) - row.offset;
        if (row.length == 0)
            m_byField.push_back(std::uint32_t(rows.size()));
        rows.push_back(std::move(row));
    }
    std::swap(m_rows, m_spareRows);
    std::swap(m_text, m_spareText);
    m_spareRows.clear();
}

bool FoldedLibrary::matchesRow(const BookmarkFilter& filter, const Row& row) const {
    const QByteArrayView needle = filter.foldedNeedle();
    if (needle.isEmpty() || row.length == 0)
        return filter.matches(row.bookmark);
    return bytesearch::find(m_text.constData() + row.offset, row.length, needle.data(),
                            std::size_t(needle.size())) != nullptr &&
           filter.passesTag(row.bookmark);
}

std::vector<std::uint32_t> FoldedLibrary::search(const BookmarkFilter& filter,
                                                 std::span<const std::uint32_t> among) const {
    std::vector<std::uint32_t> found;
    for (const std::uint32_t index : among) {
        if (index < m_rows.size() && matchesRow(filter, m_rows[index]))
            found.push_back(index);
    }
    return found;
}

std::vector<std::uint32_t> FoldedLibrary::search(const BookmarkFilter& filter) const {
    std::vector<std::uint32_t> found;
    const QByteArrayView needle = filter.foldedNeedle();
    if (needle.isEmpty()) {
        for (std::uint32_t index = 0; index < m_rows.size(); ++index) {
            if (filter.matches(m_rows[index].bookmark))
                found.push_back(index);
        }
        return found;
    }
    // One scan of the whole text. The needle holds no NUL, so a hit never
    // runs from one bookmark's text into the next one's.
    const char* const begin = m_text.constData();
    const char* const end = begin + m_text.size();
    const char* from = begin;
    auto row = m_rows.cbegin();
    while (from < end) {
        const char* hit =
            bytesearch::find(from, std::size_t(end - from), needle.data(), std::size_t(needle.size()));
        if (!hit)
            break;
        const auto offset = std::uint32_t(hit - begin);
        // The row holding the hit: the last one starting at or before it.
        row = std::upper_bound(row, m_rows.cend(), offset,
                               [](std::uint32_t at, const Row& r) { return at < r.offset; }) - 1;
        if (filter.passesTag(row->bookmark))
            found.push_back(std::uint32_t(row - m_rows.cbegin()));
        from = begin + row->offset + row->length;
        ++row;
    }
    if (!m_byField.empty()) {
        for (const std::uint32_t index : m_byField) {
            if (filter.matches(m_rows[index].bookmark))
                found.push_back(index);
        }
        std::sort(found.begin(), found.end());
    }
    return found;
}
