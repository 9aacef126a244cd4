#include "Corvina/ImportExport/ImportFlow.h"

#include "Corvina/Inbox/DuplicateIndexWriter.h"
#include "Corvina/Library/LibraryStore.h"
#include "shared/Duplicates/DuplicateKey.h"

QString ImportResult::title() const {
    return m_kind == Kind::success ? tr("Imported") : tr("Import failed");
}

QString ImportResult::message() const {
    if (m_kind == Kind::error)
        return m_description;
    // The key keeps the "%lld" of the original message; the count goes in here.
    return tr("Added %lld bookmarks.").replace(QLatin1StringView("%lld"), QString::number(m_count));
}

QString PendingImport::message() const {
    QString text = tr("%lld of %lld bookmarks are already in your library");
    const qsizetype first = text.indexOf(QLatin1StringView("%lld"));
    if (first >= 0)
        text.replace(first, 4, QString::number(duplicateCount));
    const qsizetype second = text.indexOf(QLatin1StringView("%lld"));
    if (second >= 0)
        text.replace(second, 4, QString::number(qint64(payloads.size())));
    return text;
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

qint64 commit(store::ModelContext& context, const std::vector<BookmarkPayload>& payloads) {
    (void)library::insertPayloads(context, payloads);
    // Nobody waits for the index; the next start rebuilds it if this is lost.
    (void)rebuildDuplicateIndex(context);
    return qint64(payloads.size());
}

} // namespace importflow
