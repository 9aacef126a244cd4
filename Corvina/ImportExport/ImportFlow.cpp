#include "Corvina/ImportExport/ImportFlow.h"

#include "Corvina/Inbox/DuplicateIndexWriter.h"
#include "Corvina/Library/LibraryStore.h"
#include "platform/Core/LocaleNumbers.h"
#include "platform/Store/ModelContext.h"
#include "shared/Duplicates/DuplicateKey.h"

#include <QTimer>

QString ImportResult::title() const {
    return m_kind == Kind::success ? tr("Imported") : tr("Import failed");
}

QString ImportResult::message() const {
    if (m_kind == Kind::error)
        return m_description;
    return localenumbers::withCounts(tr("Added %lld bookmarks."), {m_count});
}

QString PendingImport::message() const {
    return localenumbers::withCounts(tr("%lld of %lld bookmarks are already in your library"),
                                     {duplicateCount, qint64(payloads.size())});
}

namespace importflow {

QSet<QString> duplicateKeys(const QStringList& urls) {
    QSet<QString> keys;
    keys.reserve(urls.size());
    for (const QString& url : urls)
        keys.insert(duplicateKey(url));
    return keys;
}

QStringList libraryUrls(const store::ModelContext& context) {
    QStringList urls;
    for (const Bookmark& bookmark : library::allBookmarks(context))
        urls << bookmark.urlString();
    return urls;
}

qint64 countDuplicates(const std::vector<BookmarkPayload>& payloads, const QSet<QString>& keys) {
    return std::count_if(payloads.cbegin(), payloads.cend(), [&](const BookmarkPayload& payload) {
        return keys.contains(duplicateKey(payload.url));
    });
}

std::vector<BookmarkPayload> withoutDuplicates(std::vector<BookmarkPayload> payloads,
                                               const QSet<QString>& keys) {
    std::erase_if(payloads, [&](const BookmarkPayload& payload) {
        return keys.contains(duplicateKey(payload.url));
    });
    return payloads;
}

} // namespace importflow

ImportCommit::ImportCommit(store::ModelContext& context, std::vector<BookmarkPayload> payloads,
                           QObject* parent, qsizetype slice)
    : QObject(parent)
    , m_context(context)
    , m_payloads(std::move(payloads))
    , m_slice(std::max<qsizetype>(1, slice)) {}

void ImportCommit::start() {
    QTimer::singleShot(0, this, &ImportCommit::addSlice);
}

void ImportCommit::addSlice() {
    const size_t count = std::min(m_payloads.size() - m_next, size_t(m_slice));
    // A failed save keeps the slice pending; the next slice's save, or the
    // next save anywhere, writes it.
    (void)library::insertPayloads(m_context, std::span(m_payloads).subspan(m_next, count));
    m_next += count;
    const bool done = m_next == m_payloads.size();
    if (!done)
        QTimer::singleShot(0, this, &ImportCommit::addSlice);
    // A listener may run the event loop (a modal progress panel does), so
    // nothing after this depends on state a nested slice could change.
    Q_EMIT progressed(qint64(m_next), total());
    if (!done)
        return;
    // Nobody waits for the index; the next start rebuilds it if this is lost.
    (void)rebuildDuplicateIndex(m_context);
    Q_EMIT finished(total());
    deleteLater();
}
