#include "extension/Controller/ShareViewController.h"

#include "extension/Controller/ExtractURL.h"
#include "platform/Extension/ExtensionContext.h"
#include "shared/Duplicates/DuplicateIndex.h"
#include "shared/Inbox/InboxWriter.h"
#include "shared/Preferences.h"

#include <QDateTime>

namespace {

// Unicode space separators and the tab; a line break typed into a field is
// the user's and stays.
bool isSpaceOrTab(QChar c) {
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

QString trimmedOfSpacesAndTabs(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpaceOrTab(text.at(begin)))
        ++begin;
    while (end > begin && isSpaceOrTab(text.at(end - 1)))
        --end;
    return text.sliced(begin, end - begin);
}

// The host as the URL gives it, decoded; nullopt when there is none or it is
// empty (a file URL).
std::optional<QString> hostOf(const Url& url) {
    std::optional<QString> host = url.hostDecoded();
    if (!host)
        host = url.host();
    if (host && host->isEmpty())
        return std::nullopt;
    return host;
}

} // namespace

ShareViewController::ShareViewController(ExtensionContext* context, const MetadataFetcher& fetcher,
                                         Preferences& preferences, QObject* parent)
    : QObject(parent)
    , m_context(context)
    , m_fetcher(fetcher)
    , m_preferences(preferences) {}

ShareViewController::~ShareViewController() = default;

std::optional<Url> ShareViewController::currentURL() const {
    const QString text = trimmedOfSpacesAndTabs(m_urlText);
    if (text.isEmpty())
        return std::nullopt;
    std::optional<Url> url = Url::parse(text);
    if (!url || !hasWebScheme(*url))
        return std::nullopt;
    return url;
}

bool ShareViewController::autoFetchEnabled() const {
    return m_preferences.autoFetchMetadata();
}

void ShareViewController::viewDidAppear() {
    if (!m_urlText.isEmpty() || m_loadStarted)
        return;
    m_loadStarted = true;
    // As a task of its own, after the sheet has painted.
    QMetaObject::invokeMethod(this, &ShareViewController::loadSharedItems, Qt::QueuedConnection);
}

void ShareViewController::urlTextEdited(const QString& text) {
    m_urlText = text;
    updateSaveEnabled();
    checkDuplicate();
}

void ShareViewController::titleTextEdited(const QString& text) {
    m_titleText = text;
    updateSaveEnabled();
}

void ShareViewController::descriptionTextEdited(const QString& text) {
    m_descriptionText = text;
}

void ShareViewController::loadSharedItems() {
    m_itemIndex = 0;
    m_attachmentIndex = 0;
    if (!m_context) {
        Q_EMIT sharedItemsLoaded();
        return;
    }
    continueLoading();
}

void ShareViewController::takeTitle(const std::optional<QString>& text) {
    if (!m_foundTitle && text && !text->isEmpty())
        m_foundTitle = *text;
}

void ShareViewController::continueLoading() {
    const std::vector<ExtensionItem>& items = m_context->inputItems();
    while (m_itemIndex < items.size()) {
        const ExtensionItem& item = items[m_itemIndex];
        if (m_attachmentIndex == 0) {
            takeTitle(item.attributedTitle);
            takeTitle(item.attributedContentText);
        }
        if (m_attachmentIndex < item.attachments.size()) {
            extractURL(*item.attachments[m_attachmentIndex], this,
                       [this](std::optional<Url> found) {
                           if (found) {
                               finishLoading(found);
                               return;
                           }
                           ++m_attachmentIndex;
                           continueLoading();
                       });
            return;
        }
        ++m_itemIndex;
        m_attachmentIndex = 0;
    }
    finishLoading(std::nullopt);
}

void ShareViewController::finishLoading(const std::optional<Url>& found) {
    if (m_finished)
        return;
    applyFoundURL(found);
    if (found && autoFetchEnabled()) {
        setSpinning(true);
        // The URL found, not what the Link field may hold by now.
        m_fetch = m_fetcher.fetch(*found, [this](MetadataFetcher::Outcome outcome) {
            setSpinning(false);
            // A failed fetch is not worth the user's attention.
            applyMetadata(outcome ? std::optional(outcome.value()) : std::nullopt);
            Q_EMIT metadataFetchFinished();
        });
    }
    Q_EMIT sharedItemsLoaded();
}

void ShareViewController::applyFoundURL(const std::optional<Url>& found) {
    if (found)
        setUrlText(found->absoluteString());
    if (m_foundTitle && !m_foundTitle->isEmpty()) {
        setTitleText(*m_foundTitle);
    } else if (found) {
        if (const std::optional<QString> host = hostOf(*found))
            setTitleText(*host);
    }
    updateSaveEnabled();
    checkDuplicate();
}

void ShareViewController::applyMetadata(const std::optional<PageMetadata>& result) {
    if (!result)
        return;
    const QString current = trimmedOfSpacesAndTabs(m_titleText);
    const std::optional<Url> url = currentURL();
    const QString host = url ? hostOf(*url).value_or(QString()) : QString();
    // Only the title put there for want of a better one (none, or the host)
    // gives way; a title the user typed stays.
    if ((current.isEmpty() || current == host) && !result->title.isEmpty())
        setTitleText(result->title);
    if (m_descriptionText.isEmpty() && !result->description.isEmpty())
        setDescriptionText(result->description);
    updateSaveEnabled();
}

void ShareViewController::updateSaveEnabled() {
    const bool enabled = currentURL() && !trimmedOfSpacesAndTabs(m_titleText).isEmpty();
    if (enabled == m_saveEnabled)
        return;
    m_saveEnabled = enabled;
    Q_EMIT saveEnabledChanged(enabled);
}

void ShareViewController::checkDuplicate() {
    std::optional<QString> warning;
    if (const std::optional<Url> url = currentURL())
        if (const std::optional<QString> title = lookUpDuplicate(*url))
            warning = tr("Already saved as “%1”").arg(*title);
    if (warning != m_duplicateWarning) {
        m_duplicateWarning = warning;
        Q_EMIT duplicateWarningChanged(warning);
    }
    setPreferredContentSize(warning ? kSheetSizeWithWarning : kSheetSize);
}

void ShareViewController::save() {
    if (m_finished)
        return;
    const std::optional<Url> url = currentURL();
    if (!url) {
        m_finished = true;
        m_fetch.cancel();
        if (m_context)
            m_context->completeRequest();
        return;
    }
    QString title = trimmedOfSpacesAndTabs(m_titleText);
    if (title.isEmpty())
        title = m_foundTitle ? *m_foundTitle : hostOf(*url).value_or(url->absoluteString());
    const PendingBookmark entry(*url, title, m_descriptionText, {},
                                QDateTime::currentDateTimeUtc());
    if (const Result<void, InboxError> queued = enqueue(entry); !queued) {
        logEnqueueFailure(queued.error());
        // Closing now would tell the user the page was saved when it was not.
        setSaveFailure(tr("The page could not be saved."));
        return;
    }
    m_finished = true;
    m_fetch.cancel();
    if (m_context)
        m_context->completeRequest();
}

void ShareViewController::cancel() {
    if (m_finished)
        return;
    m_finished = true;
    m_fetch.cancel();
    if (m_context)
        m_context->cancelRequest();
}

void ShareViewController::setUrlText(const QString& text) {
    if (text == m_urlText)
        return;
    m_urlText = text;
    Q_EMIT urlTextChanged(text);
}

void ShareViewController::setTitleText(const QString& text) {
    if (text == m_titleText)
        return;
    m_titleText = text;
    Q_EMIT titleTextChanged(text);
}

void ShareViewController::setDescriptionText(const QString& text) {
    if (text == m_descriptionText)
        return;
    m_descriptionText = text;
    Q_EMIT descriptionTextChanged(text);
}

void ShareViewController::setSpinning(bool spinning) {
    if (spinning == m_spinning)
        return;
    m_spinning = spinning;
    Q_EMIT spinningChanged(spinning);
}

void ShareViewController::setPreferredContentSize(QSize size) {
    if (size == m_preferredContentSize)
        return;
    m_preferredContentSize = size;
    Q_EMIT preferredContentSizeChanged(size);
}

void ShareViewController::setSaveFailure(const std::optional<QString>& failure) {
    m_saveFailure = failure;
    Q_EMIT saveFailureChanged(failure);
}
