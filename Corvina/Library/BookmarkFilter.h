#pragma once

#include "Corvina/Library/Bookmark.h"

#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// Which bookmarks a tag and a search text leave visible. The library window
// and the command line's "list" use the same rules:
// - tag: the bookmark's tag list holds that exact string (case counts);
// - search: the text trimmed of white space and newlines, lower-cased for
//   the user's locale, is one substring (spaces included) of the title, the
//   URL's text or one of the tags, each lower-cased the same way. The note is
//   not searched. Precomposed and decomposed accents match each other.
class BookmarkFilter {
public:
    BookmarkFilter(std::optional<QString> tag, const QString& search);

    // Whether the trimmed search text is not empty.
    bool isSearching() const { return !m_needle.isEmpty(); }
    const QLocale& locale() const { return m_locale; }

    bool matches(const QString& title, const QString& urlText, const QStringList& tags) const;
    bool matches(const Bookmark& bookmark) const;

    // The matching bookmarks, in the order given.
    std::vector<Bookmark> apply(const std::vector<Bookmark>& bookmarks) const;

    // Whether the bookmark passes the tag test (always, without a tag).
    bool passesTag(const Bookmark& bookmark) const {
        return !m_tag || bookmark.storedTags().contains(*m_tag);
    }

    // A list folds its bookmarks once so that each keystroke compares bytes
    // without allocating. The folding depends only on the user's locale.
    // Appends a NUL and the folded field in UTF-8 for the title, the URL
    // text and each tag; false when a field holds text UTF-8 cannot carry
    // (a lone surrogate), and the bookmark must be matched by matches().
    bool appendFolded(const Bookmark& bookmark, QByteArray& text) const;
    // The folded search text in UTF-8, to be found in what appendFolded()
    // wrote. Empty when it cannot be: a search holding NUL or a lone
    // surrogate goes through matches().
    QByteArrayView foldedNeedle() const { return m_needleUtf8; }
    // Whether every bookmark this filter matches is also matched by
    // `previous`, so that narrowing can start from what `previous` left.
    bool narrows(const BookmarkFilter& previous) const;

private:
    QString folded(const QString& text) const;
    bool contains(const QString& field) const;

    std::optional<QString> m_tag;
    QLocale m_locale;
    bool m_plainAscii;
    QString m_needle; // folded, canonically composed
    bool appendFoldedField(const QString& field, QByteArray& text) const;

    QByteArray m_needleUtf8;
};
