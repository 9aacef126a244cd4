#include "Corvina/BookmarkEditor/BookmarkEditorController.h"

#include "Corvina/BookmarkEditor/TagCompletion.h"
#include "Corvina/Favicons/FaviconStore.h"
#include "Corvina/Inbox/DuplicateIndexWriter.h"
#include "Corvina/Library/BookmarkDraft.h"
#include "platform/Store/ModelContext.h"
#include "platform/Tagger/NaturalLanguageTagger.h"
#include "platform/Url/Url.h"
#include "shared/Duplicates/DuplicateKey.h"
#include "shared/Preferences.h"

#include <algorithm>

namespace {

constexpr int kSuggestionLimit = 6;

// Only plain and secure HTTP are ever fetched; "javascript:", "file:" and
// the like may be saved but are never requested.
bool isWebAddress(const Url& url) {
    const QString scheme = url.scheme().value_or(QString()).toLower();
    return scheme == u"http" || scheme == u"https";
}

std::optional<Url> webAddress(const QString& text) {
    std::optional<Url> url = Url::parse(text.trimmed());
    if (url && !isWebAddress(*url))
        url.reset();
    return url;
}

std::optional<Url> typedUrl(const QString& text) {
    return Url::parse(draft::trimSpacesAndTabs(text));
}

TagSuggester makeSuggester(const nl::TextTagger* tagger) {
    if (tagger)
        return TagSuggester(*tagger);
    // The word lists take a moment to read; start now so the first keystroke need not wait.
    nl::NaturalLanguageTagger::preload();
    return TagSuggester();
}

} // namespace

BookmarkEditorController::BookmarkEditorController(BookmarkEditorInput input,
                                                   BookmarkEditorServices services,
                                                   std::chrono::milliseconds fetchDelay,
                                                   QObject* parent)
    : QObject(parent)
    , m_context(services.context)
    , m_preferences(services.preferences)
    , m_favicons(services.favicons)
    , m_initial(std::move(input.initial))
    , m_allTags(std::move(input.allTags))
    , m_existingTags(tagcompletion::foldedSet(m_allTags))
    , m_existingBookmarks(std::move(input.existingBookmarks))
    , m_metadataFetcher(services.network)
    , m_tagSuggester(makeSuggester(services.tagger)) {
    if (m_initial) {
        m_url = m_initial->urlString();
        m_title = m_initial->title();
        m_descriptionText = m_initial->note();
        m_tagsField = m_initial->tags().join(QStringLiteral(", "));
    } else {
        m_url = input.prefillUrl;
        m_title = input.prefillTitle;
    }
    m_fetchWait.setSingleShot(true);
    m_fetchWait.setInterval(fetchDelay);
    connect(&m_fetchWait, &QTimer::timeout, this, &BookmarkEditorController::startFetch);
}

BookmarkEditorController::~BookmarkEditorController() = default;

void BookmarkEditorController::setUrl(const QString& text) {
    if (text == m_url)
        return;
    m_url = text;
    Q_EMIT urlChanged(m_url);
    urlChangeHandler(m_url);
    Q_EMIT derivedChanged();
}

void BookmarkEditorController::setTitle(const QString& text) {
    if (text == m_title)
        return;
    m_title = text;
    Q_EMIT titleChanged(m_title);
    refreshSuggestions();
}

void BookmarkEditorController::setDescriptionText(const QString& text) {
    if (text == m_descriptionText)
        return;
    m_descriptionText = text;
    Q_EMIT descriptionTextChanged(m_descriptionText);
    refreshSuggestions();
}

void BookmarkEditorController::setTagsField(const QString& text) {
    if (text == m_tagsField)
        return;
    m_tagsField = text;
    m_highlight = -1;
    Q_EMIT tagsFieldChanged(m_tagsField);
    Q_EMIT derivedChanged();
}

void BookmarkEditorController::sheetShown(const ClipboardReader& readClipboard) {
    if (!m_initial && m_preferences.autofillFromClipboard() && m_url.isEmpty() && readClipboard) {
        if (const std::optional<QString> text = readClipboard()) {
            const std::optional<Url> url = Url::parse(text->trimmed());
            if (url && url->scheme().value_or(QString()).toLower().startsWith(u"http"))
                setUrl(url->absoluteString());
        }
    }
    urlChangeHandler(m_url);
    refreshSuggestions();
}

void BookmarkEditorController::urlChangeHandler(const QString& text) {
    if (m_closed || !m_preferences.autoFetchMetadata())
        return;
    std::optional<Url> url = webAddress(text);
    if (!url || url->absoluteString() == m_lastFetchedURLString)
        return;
    // A newer address replaces the older one, whether still waiting or
    // already being fetched: its answer no longer belongs to this form.
    stopFetching();
    m_waitingFor = std::move(url);
    m_fetchWait.start();
}

void BookmarkEditorController::startFetch() {
    if (!m_waitingFor)
        return;
    const Url url = *std::exchange(m_waitingFor, std::nullopt);
    // The address was edited into something that is not fetched (a space, a
    // scheme removed): the page waited for is no longer what the form shows.
    if (m_url.trimmed() != url.absoluteString())
        return;
    m_lastFetchedURLString = url.absoluteString();
    setFetching(true);
    m_fetchTask = m_metadataFetcher.fetch(url, [this](MetadataFetcher::Outcome outcome) {
        setFetching(false);
        if (outcome && m_url.trimmed() == m_lastFetchedURLString)
            applyFetched(outcome.value());
    });
}

void BookmarkEditorController::applyFetched(const PageMetadata& page) {
    // Only fields the user left blank take the page's text.
    if (draft::trimSpacesAndTabs(m_title).isEmpty() && !page.title.isEmpty()) {
        m_title = page.title;
        Q_EMIT titleChanged(m_title);
    }
    if (draft::trimSpacesAndTabs(m_descriptionText).isEmpty() && !page.description.isEmpty()) {
        m_descriptionText = page.description;
        Q_EMIT descriptionTextChanged(m_descriptionText);
    }
    refreshSuggestions();
}

void BookmarkEditorController::stopFetching() {
    m_fetchWait.stop();
    m_waitingFor.reset();
    m_fetchTask.cancel();
    setFetching(false);
}

void BookmarkEditorController::setFetching(bool fetching) {
    if (fetching == m_isFetching)
        return;
    m_isFetching = fetching;
    Q_EMIT fetchingChanged(m_isFetching);
}

void BookmarkEditorController::refreshSuggestions() {
    std::optional<QString> domain;
    if (const std::optional<Url> url = typedUrl(m_url)) {
        if (std::optional<QString> host = url->hostDecoded(); host && !host->isEmpty())
            domain = host->startsWith(u"www.") ? host->mid(4) : *host;
    }
    m_suggestedTags = m_tagSuggester.suggest(m_title, m_descriptionText, domain, kSuggestionLimit);
    Q_EMIT derivedChanged();
}

QStringList BookmarkEditorController::parsedTags() const {
    return draft::parsedTags(m_tagsField);
}

QString BookmarkEditorController::currentFragment() const {
    return tagcompletion::currentFragment(m_tagsField);
}

const QStringList& BookmarkEditorController::existingKeys() const {
    if (!m_existingKeys) {
        QStringList keys;
        keys.reserve(qsizetype(m_existingBookmarks.size()));
        for (const Bookmark& bookmark : m_existingBookmarks)
            keys.append(duplicateKey(bookmark.urlString()));
        m_existingKeys = std::move(keys);
    }
    return *m_existingKeys;
}

std::optional<Bookmark> BookmarkEditorController::duplicate() const {
    const std::optional<Url> url = typedUrl(m_url);
    if (!url)
        return std::nullopt;
    const QString key = duplicateKey(*url);
    const QStringList& keys = existingKeys();
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const Bookmark& candidate = m_existingBookmarks[std::size_t(i)];
        if (keys[i] == key && !(m_initial && candidate.id() == m_initial->id()))
            return candidate;
    }
    return std::nullopt;
}

bool BookmarkEditorController::canSave() const {
    return draft::canSave(currentDraft());
}

QStringList BookmarkEditorController::completions() const {
    return tagcompletion::completions(m_allTags, m_tagsField);
}

QStringList BookmarkEditorController::railSuggestions() const {
    return tagcompletion::railSuggestions(m_suggestedTags, m_allTags, m_tagsField);
}

bool BookmarkEditorController::railShowsSparkle() const {
    return draft::trimSpacesAndTabs(currentFragment()).isEmpty();
}

void BookmarkEditorController::applyTag(const QString& tag) {
    setTagsField(tagcompletion::applyTag(m_tagsField, tag));
}

qsizetype BookmarkEditorController::highlightedChip() const {
    const QStringList completions = this->completions();
    if (completions.isEmpty())
        return -1;
    const QStringList chips = railSuggestions();
    return m_highlight >= 0 && m_highlight < chips.size() ? m_highlight
                                                          : chips.indexOf(completions.first());
}

void BookmarkEditorController::moveHighlight(int step) {
    const qsizetype current = highlightedChip();
    if (current < 0)
        return;
    m_highlight = std::clamp<qsizetype>(current + step, 0, railSuggestions().size() - 1);
    Q_EMIT derivedChanged();
}

bool BookmarkEditorController::acceptHighlightedChip() {
    const qsizetype chip = highlightedChip();
    if (chip < 0)
        return false;
    applyTag(railSuggestions().at(chip));
    return true;
}

BookmarkDraft BookmarkEditorController::currentDraft() const {
    return {m_url, m_title, m_descriptionText, m_tagsField};
}

bool BookmarkEditorController::save() {
    if (m_closed || !canSave())
        return false;
    if (!m_initial)
        return finishSave(draft::save(m_context, currentDraft()), std::nullopt);
    // The write is begun first: it catches up with other programs under the
    // store's lock, so a bookmark they deleted is found gone here, rather
    // than written back by this save as a new one without a word.
    auto write = m_context.beginWrite();
    if (isEditedBookmarkGone())
        return false;
    const BookmarkPayload before = m_initial->toPayload();
    const std::optional<Bookmark> written = draft::write(m_context, currentDraft(), m_initial);
    if (write)
        (void)write->commit();
    return finishSave(written, before);
}

bool BookmarkEditorController::isEditedBookmarkGone() const {
    return m_initial && m_initial->object().isDeleted();
}

bool BookmarkEditorController::saveAsNew() {
    if (m_closed || !canSave())
        return false;
    return finishSave(draft::save(m_context, currentDraft()), std::nullopt);
}

bool BookmarkEditorController::finishSave(const std::optional<Bookmark>& written,
                                          const std::optional<BookmarkPayload>& before) {
    if (!written)
        return false;
    if (before)
        Q_EMIT bookmarkEdited(*before, *written);
    else
        Q_EMIT bookmarkAdded(*written);
    (void)rebuildDuplicateIndex(m_context);
    const Url url = written->url();
    if (const std::optional<QString> host = url.hostDecoded();
        m_favicons && host && !host->isEmpty())
        m_favicons->fetchIcon(domainOf(url));
    close();
    return true;
}

void BookmarkEditorController::cancel() {
    if (!m_closed)
        close();
}

void BookmarkEditorController::close() {
    // Nothing that answers after the sheet has gone may write into it.
    stopFetching();
    m_closed = true;
    Q_EMIT dismissed();
}
