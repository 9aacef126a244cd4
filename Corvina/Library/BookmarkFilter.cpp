#include "Corvina/Library/BookmarkFilter.h"

namespace {

bool isAscii(QStringView text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

// Only these languages lower-case an ASCII letter to something else ("I" to
// a dotless i, for one).
bool lowersAsciiSpecially(const QLocale& locale) {
    const QLocale::Language language = locale.language();
    return language == QLocale::Turkish || language == QLocale::Azerbaijani ||
           language == QLocale::Lithuanian;
}

} // namespace

BookmarkFilter::BookmarkFilter(std::optional<QString> tag, const QString& search)
    : m_tag(std::move(tag))
    , m_plainAscii(!lowersAsciiSpecially(m_locale)) {
    const QString trimmed = search.trimmed();
    if (!trimmed.isEmpty())
        m_needle = folded(trimmed);
}

// Lower case for the user's locale, then one canonical form, so that a
// precomposed and a decomposed accent compare equal. Titles and addresses are
// mostly ASCII, where both steps reduce to ASCII lower-casing; this keeps a
// search of a large library fast.
QString BookmarkFilter::folded(const QString& text) const {
    if (m_plainAscii && isAscii(text))
        return text.toLower();
    return m_locale.toLower(text).normalized(QString::NormalizationForm_C);
}

bool BookmarkFilter::contains(const QString& field) const {
    return folded(field).contains(m_needle);
}

bool BookmarkFilter::matches(const QString& title, const QString& urlText,
                             const QStringList& tags) const {
    if (m_tag && !tags.contains(*m_tag))
        return false;
    if (!isSearching())
        return true;
    if (contains(title) || contains(urlText))
        return true;
    for (const QString& tag : tags) {
        if (contains(tag))
            return true;
    }
    return false;
}

bool BookmarkFilter::matches(const Bookmark& bookmark) const {
    return matches(bookmark.title(), bookmark.urlString(), bookmark.tags());
}

std::vector<Bookmark> BookmarkFilter::apply(const std::vector<Bookmark>& bookmarks) const {
    std::vector<Bookmark> visible;
    for (const Bookmark& bookmark : bookmarks) {
        if (matches(bookmark))
            visible.push_back(bookmark);
    }
    return visible;
}
