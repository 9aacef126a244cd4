#include "Corvina/Library/BookmarkFilter.h"

namespace {

// Joins the folded fields; a search holding it is answered field by field.
constexpr char kFieldSeparator = '\0';

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
    if (!m_needle.contains(QLatin1Char(kFieldSeparator)) && QStringView(m_needle).isValidUtf16())
        m_needleUtf8 = m_needle.toUtf8();
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

bool BookmarkFilter::appendFoldedField(const QString& field, QByteArray& text) const {
    text.append(kFieldSeparator);
    // Most fields are ASCII: lower-case them straight into the bytes.
    if (m_plainAscii) {
        const qsizetype start = text.size();
        text.resize(start + field.size());
        char* out = text.data() + start;
        bool ascii = true;
        for (const QChar c : field) {
            const char16_t unit = c.unicode();
            if (unit >= 0x80) {
                ascii = false;
                break;
            }
            *out++ = char(unit >= u'A' && unit <= u'Z' ? unit + (u'a' - u'A') : unit);
        }
        if (ascii)
            return true;
        text.resize(start);
    }
    const QString lowered = folded(field);
    text.append(lowered.toUtf8());
    return QStringView(lowered).isValidUtf16();
}

bool BookmarkFilter::appendFolded(const Bookmark& bookmark, QByteArray& text) const {
    bool exact = appendFoldedField(bookmark.title(), text);
    exact = appendFoldedField(bookmark.urlString(), text) && exact;
    for (const QString& tag : bookmark.tags())
        exact = appendFoldedField(tag, text) && exact;
    return exact;
}

bool BookmarkFilter::narrows(const BookmarkFilter& previous) const {
    if (m_tag != previous.m_tag || m_locale != previous.m_locale)
        return false;
    if (!previous.isSearching())
        return true;
    return m_needle.contains(previous.m_needle);
}

std::vector<Bookmark> BookmarkFilter::apply(const std::vector<Bookmark>& bookmarks) const {
    std::vector<Bookmark> visible;
    for (const Bookmark& bookmark : bookmarks) {
        if (matches(bookmark))
            visible.push_back(bookmark);
    }
    return visible;
}
