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

    bool matches(const QString& title, const QString& urlText, const QStringList& tags) const;
    bool matches(const Bookmark& bookmark) const;

    // The matching bookmarks, in the order given.
    std::vector<Bookmark> apply(const std::vector<Bookmark>& bookmarks) const;

private:
    QString folded(const QString& text) const;
    bool contains(const QString& field) const;

    std::optional<QString> m_tag;
    QLocale m_locale;
    bool m_plainAscii;
    QString m_needle; // folded, canonically composed
};
