#pragma once

#include "Corvina/Library/Bookmark.h"

#include <QHash>
#include <cstddef>
#include <optional>
#include <vector>

// Where each bookmark of a new listing of the library stood in the previous
// one, for the views that keep something per bookmark from one change of the
// store to the next. Ask in the new listing's order. A listing mostly keeps
// its order (an edit moves nothing, an addition or a removal shifts the rest
// by one), so each bookmark is looked for a few rows after the last one
// found; only after a long run of misses (a large removal, a new order) is the
// previous listing indexed. `Row` has a `bookmark` member.
template <typename Row>
class PreviousListing {
public:
    explicit PreviousListing(const std::vector<Row>& rows)
        : m_rows(rows)
        , m_claimed(rows.size(), false) {}

    // The bookmark's row in the previous listing, or nullopt: a new bookmark,
    // or one that moved further than the few rows looked at. A row once
    // returned is never looked at again, so the caller may move out of it.
    std::optional<std::size_t> find(const Bookmark& bookmark) {
        if (m_indexed) {
            const auto found = m_index.constFind(bookmark);
            if (found == m_index.constEnd())
                return std::nullopt;
            return claim(*found);
        }
        for (std::size_t at = m_next; at < m_rows.size() && at < m_next + kLookahead; ++at) {
            if (m_rows[at].bookmark == bookmark) {
                m_misses = 0;
                return claim(at);
            }
        }
        if (++m_misses > kMissesBeforeIndexing) {
            m_index.reserve(qsizetype(m_rows.size()));
            for (std::size_t at = 0; at < m_rows.size(); ++at) {
                if (!m_claimed[at])
                    m_index.insert(m_rows[at].bookmark, at);
            }
            m_indexed = true;
        }
        return std::nullopt;
    }

private:
    static constexpr std::size_t kLookahead = 16;
    static constexpr int kMissesBeforeIndexing = 64;

    std::size_t claim(std::size_t at) {
        m_claimed[at] = true;
        m_next = at + 1;
        return at;
    }

    const std::vector<Row>& m_rows;
    std::vector<bool> m_claimed;
    QHash<Bookmark, std::size_t> m_index;
    bool m_indexed = false;
    std::size_t m_next = 0;
    int m_misses = 0;
};
