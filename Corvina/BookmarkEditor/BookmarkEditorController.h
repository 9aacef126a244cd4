#pragma once

#include "Corvina/Library/Bookmark.h"
#include "Corvina/Library/BookmarkDraft.h"
#include "Corvina/Tags/TagSuggester.h"
#include "shared/Metadata/MetadataFetcher.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>
#include <vector>

class FaviconStore;
class Preferences;
class QNetworkAccessManager;
namespace nl {
class TextTagger;
}
namespace store {
class ModelContext;
}

// What the add and edit sheet opens with.
struct BookmarkEditorInput {
    std::optional<Bookmark> initial; // absent for a new bookmark
    QString prefillUrl;              // new bookmarks only
    QString prefillTitle;
    QStringList allTags;                     // the library's tags, one spelling each, sorted
    std::vector<Bookmark> existingBookmarks; // the whole library, newest first
};

// The services the sheet works with. The favicon store and the tagger may be
// left out (no icon fetch after a save; the application's tagger).
struct BookmarkEditorServices {
    store::ModelContext& context;
    Preferences& preferences;
    QNetworkAccessManager& network;
    FaviconStore* favicons = nullptr;
    const nl::TextTagger* tagger = nullptr;
};

// The state and rules of the add and edit sheet, without widgets: the four
// field texts, the clipboard autofill, the metadata fetch once a new web
// address has stayed unchanged for the fetch delay, the duplicate warning,
// tag suggestions, completion and chips, and save. Main thread only.
class BookmarkEditorController : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kFetchDelay{600};

    using ClipboardReader = std::function<std::optional<QString>()>;

    BookmarkEditorController(BookmarkEditorInput input, BookmarkEditorServices services,
                             std::chrono::milliseconds fetchDelay = kFetchDelay,
                             QObject* parent = nullptr);
    ~BookmarkEditorController() override;

    bool isEditing() const { return m_initial.has_value(); }
    const QString& url() const { return m_url; }
    const QString& title() const { return m_title; }
    const QString& descriptionText() const { return m_descriptionText; }
    const QString& tagsField() const { return m_tagsField; }
    bool isFetching() const { return m_isFetching; }
    const QString& lastFetchedURLString() const { return m_lastFetchedURLString; }
    const QStringList& suggestedTags() const { return m_suggestedTags; }

    void setUrl(const QString& text);
    void setTitle(const QString& text);
    void setDescriptionText(const QString& text);
    void setTagsField(const QString& text);

    // The sheet is on screen: the clipboard autofill (the clipboard is read
    // only when a new, empty form may take from it), then the address's
    // fetch wait and the suggestions.
    void sheetShown(const ClipboardReader& readClipboard);

    // Derived from the fields whenever asked.
    QStringList parsedTags() const;
    QString currentFragment() const;
    std::optional<Bookmark> duplicate() const;
    bool canSave() const;
    QStringList completions() const;
    QStringList railSuggestions() const;
    bool railShowsSparkle() const;
    // The library's tags in lower case, for marking chips as new.
    const QSet<QString>& existingTags() const { return m_existingTags; }

    void applyTag(const QString& tag);

    // While completions of the tag being typed show, one chip is highlighted
    // (an index into railSuggestions(), else -1): the first completion until
    // moveHighlight() moves it. acceptHighlightedChip() applies it, or is
    // false when no completion shows.
    qsizetype highlightedChip() const;
    void moveHighlight(int step);
    bool acceptHighlightedChip();

    // Writes the bookmark, rewrites the duplicate index, asks for the site's
    // icon and closes; false (and nothing changes) while canSave() is false.
    // A store write that fails leaves the change in the context, where the
    // library shows it and the next successful save writes it, so closing
    // loses nothing the user typed. False as well, writing nothing, when the
    // bookmark being edited has left the library meanwhile
    // (isEditedBookmarkGone()): the user decides whether saveAsNew().
    bool save();
    bool isEditedBookmarkGone() const;
    // Saves the form as a new bookmark (fresh id, created now), as if added.
    bool saveAsNew();
    // Closes without changing anything.
    void cancel();

Q_SIGNALS:
    // A field changed, by the user or by the sheet itself (autofill, fetch, chips).
    void urlChanged(const QString& text);
    void titleChanged(const QString& text);
    void descriptionTextChanged(const QString& text);
    void tagsFieldChanged(const QString& text);
    void fetchingChanged(bool fetching);
    // Suggestions, completions or the duplicate may read differently now.
    void derivedChanged();
    // The sheet is done (Save or Cancel); the owner closes it.
    void dismissed();
    // What Save wrote, just before the sheet closes, for the undo history:
    // a new bookmark, or an existing one and its values before the edit.
    // Sent even when the store write failed, since the change stays in the
    // context and is written later.
    void bookmarkAdded(const Bookmark& bookmark);
    void bookmarkEdited(const BookmarkPayload& before, const Bookmark& bookmark);

private:
    void urlChangeHandler(const QString& text);
    void startFetch();
    void applyFetched(const PageMetadata& page);
    void stopFetching();
    void setFetching(bool fetching);
    void refreshSuggestions();
    void close();
    BookmarkDraft currentDraft() const;
    bool finishSave(const std::optional<Bookmark>& written,
                    const std::optional<BookmarkPayload>& before);
    const QStringList& existingKeys() const;

    store::ModelContext& m_context;
    Preferences& m_preferences;
    FaviconStore* m_favicons;
    std::optional<Bookmark> m_initial;
    QString m_url;
    QString m_title;
    QString m_descriptionText;
    QString m_tagsField;
    qsizetype m_highlight = -1; // moved by the user; -1 for the first completion
    bool m_isFetching = false;
    QTimer m_fetchWait;
    std::optional<Url> m_waitingFor;
    MetadataFetch m_fetchTask;
    QString m_lastFetchedURLString;
    QStringList m_suggestedTags;
    QStringList m_allTags;
    QSet<QString> m_existingTags;
    std::vector<Bookmark> m_existingBookmarks;
    // Duplicate keys of m_existingBookmarks, made on first use, so that a long
    // library is not re-keyed on every keystroke in the Link field. The sheet
    // works from the library as it was when it opened.
    mutable std::optional<QStringList> m_existingKeys;
    MetadataFetcher m_metadataFetcher;
    TagSuggester m_tagSuggester;
    bool m_closed = false;
};
