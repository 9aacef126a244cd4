#include "Corvina/Inbox/InboxDrain.h"

#include "platform/Store/ModelContext.h"
#include "shared/Inbox/SharedContainer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace {

std::optional<QByteArray> readWhole(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

} // namespace

Bookmark bookmarkFromPendingBookmark(const PendingBookmark& entry) {
    return Bookmark(QUuid::createUuid(), entry.url(), entry.title(), entry.description(),
                    entry.tags(), entry.receivedAt(), entry.receivedAt());
}

void drainInbox(store::ModelContext& context, qint64& insertedCount) {
    const std::optional<QString> inbox = sharedcontainer::inboxDirectory();
    if (!inbox)
        return;
    const QDir folder(*inbox);
    // Files only: a folder that happens to be called "x.json" is not an entry
    // and stays where it is.
    const QStringList names = folder.entryList(
        QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);

    for (const QString& name : names) {
        // Only a complete entry ends in ".json": the writer's temporary files
        // never do, so anything else may still be in the making.
        if (QFileInfo(name).suffix() != u"json")
            continue;
        const QString path = folder.filePath(name);
        const std::optional<QByteArray> bytes = readWhole(path);
        const std::optional<PendingBookmark> entry =
            bytes ? decodePendingBookmark(*bytes) : std::nullopt;
        if (entry) {
            context.insert(bookmarkFromPendingBookmark(*entry).object());
            ++insertedCount;
        }
        // A failed removal leaves the file for the next drain, which takes it
        // again: a duplicate is better than a lost page.
        QFile::remove(path);
    }
}
