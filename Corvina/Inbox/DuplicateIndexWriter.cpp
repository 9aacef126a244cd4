#include "Corvina/Inbox/DuplicateIndexWriter.h"

#include "Corvina/Library/Bookmark.h"
#include "platform/Folders/AtomicWrite.h"
#include "platform/Store/ModelContext.h"
#include "shared/Duplicates/DuplicateIndex.h"
#include "shared/Duplicates/DuplicateKey.h"
#include "shared/Inbox/SharedContainer.h"

#include <QFileInfo>
#include <QHash>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// One low-priority thread: overlapping rebuilds are written in the order they
// were started, so the file ends up with the newest map. Never destroyed, on
// purpose: a write still running at exit is abandoned (the next start
// rebuilds) instead of being waited for during static destruction.
QThreadPool& writerPool() {
    static QThreadPool* const pool = [] {
        auto* created = new QThreadPool;
        created->setMaxThreadCount(1);
        created->setThreadPriority(QThread::LowPriority);
        return created;
    }();
    return *pool;
}

struct Entry {
    QString url;
    QString title;
};

void writeIndex(const std::vector<Entry>& entries) {
    // The folder is not created here: until the drain has made it there is
    // nobody to read the file, and the write fails harmlessly.
    const std::optional<QString> support = sharedcontainer::supportDirectory();
    if (!support)
        return;
    QHash<QString, QString> index;
    index.reserve(static_cast<qsizetype>(entries.size()));
    // Oldest first, so among bookmarks that share a key the newest title
    // wins. Keys come from the stored text: a URL that no longer parses keeps
    // a key of its own instead of collapsing into a shared fallback address.
    for (const Entry& entry : entries)
        index.insert(duplicateKey(entry.url), entry.title);
    (void)folders::writeAtomically(duplicateIndexPath(*support), encodeDuplicateIndex(index));
}

} // namespace

QFuture<void> rebuildDuplicateIndex(store::ModelContext& context) {
    // Every window activation asks for a rebuild; reading a large library
    // again when nothing has changed since the last one would only stall
    // the window. A file removed meanwhile is written again.
    static constexpr char kIndexedAt[] = "corvinaDuplicateIndexChangeCount";
    const QVariant indexedAt = context.property(kIndexedAt);
    const std::optional<QString> support = sharedcontainer::supportDirectory();
    if (indexedAt.isValid() && indexedAt.toULongLong() == context.changeCount() && support &&
        QFileInfo::exists(duplicateIndexPath(*support)))
        return QtFuture::makeReadyFuture();
    context.setProperty(kIndexedAt, QVariant::fromValue(context.changeCount()));
    // Only the store read happens here; keys, encoding and the write are the
    // pool thread's, so a large library does not stall the window.
    const std::vector<store::ModelObject> objects = context.fetch({Bookmark::kCreatedAt});
    std::vector<Entry> entries;
    entries.reserve(objects.size());
    for (const store::ModelObject& object : objects) {
        const Bookmark bookmark(object);
        entries.push_back({bookmark.urlString(), bookmark.title()});
    }
    return QtConcurrent::run(&writerPool(), [entries = std::move(entries)]() mutable {
        writeIndex(entries);
        // Freed before the future reports the write finished.
        entries = {};
    });
}
