#pragma once

#include "Corvina/Library/Bookmark.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace store {
class ModelContext;
}

// What the user typed for a bookmark, before it is written: the add and edit
// sheet keeps one, and the command line's "add" builds one from its options.
struct BookmarkDraft {
    QString url;
    QString title;
    QString description; // saved as the note exactly as typed
    QString tagsField;   // tags separated by commas
};

namespace draft {

// Spaces and tabs only: a newline typed into a field is the user's to keep.
QString trimSpacesAndTabs(const QString& text);

// The tags field split at every comma, each piece trimmed of spaces and tabs,
// empty pieces dropped. Order and duplicates are kept.
QStringList parsedTags(const QString& tagsField);

// The address parses (once trimmed) and the trimmed title is not empty.
bool canSave(const BookmarkDraft& draft);

// Writes the draft into `context`: a new bookmark when `existing` is absent
// (fresh id, both dates now), otherwise the existing one's url, title, note,
// tags and update time, in that order. Not saved. Returns the bookmark
// written, or nothing when the address does not parse.
std::optional<Bookmark> write(store::ModelContext& context, const BookmarkDraft& draft,
                              const std::optional<Bookmark>& existing = std::nullopt);

// write(), then a save. A failed save is ignored and its change stays in
// the context for the next save.
std::optional<Bookmark> save(store::ModelContext& context, const BookmarkDraft& draft,
                             const std::optional<Bookmark>& existing = std::nullopt);

} // namespace draft
