#pragma once

#include "Corvina/Library/Bookmark.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

// The editor's tag rules over the text of the Tags field (tags separated by
// commas, the last piece being the one typed now). Completion, chip
// de-duplication and "new tag" marks compare locale-aware lower-case forms;
// the library's own filtering and counting compare exact strings.
namespace tagcompletion {

// Lower case for the user's locale, canonically composed.
QString folded(const QString& tag);
QSet<QString> foldedSet(const QStringList& tags);

// The text after the last comma (the whole field without one), untrimmed.
QString currentFragment(const QString& tagsField);
// The tags before the fragment, trimmed of spaces and tabs, empty ones dropped.
QStringList committedTags(const QString& tagsField);

// Library tags that contain the fragment, excluding the fragment itself and
// tags already typed; prefix matches first, each group in case-insensitive
// order for the locale.
QStringList completions(const QStringList& allTags, const QString& tagsField);

inline constexpr qsizetype kMaxRailChips = 8;

// The chips under the Tags field. With no fragment: the suggester's tags
// not yet typed. With one: the completions, led by the fragment itself when
// it is new to the library and not typed yet; at most kMaxRailChips.
QStringList railSuggestions(const QStringList& suggestedTags, const QStringList& allTags,
                            const QString& tagsField);

// The field after tapping `tag`: the fragment replaced by it, pieces trimmed,
// empty and later case-insensitive duplicates dropped, and ", " at the end
// ready for the next tag.
QString applyTag(const QString& tagsField, const QString& tag);

// Every tag of the library once per lower-case form, in the spelling met
// first walking the bookmarks in order, sorted case-insensitively.
QStringList libraryTags(const std::vector<Bookmark>& bookmarks);

} // namespace tagcompletion
