#include "Corvina/Inbox/InboxDrain.h"

#include "platform/Core/FaultPoint.h"
#include "platform/Folders/RegularFile.h"
#include "platform/Store/ModelContext.h"
#include "shared/Inbox/SharedContainer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace {

// Far beyond any page the share sheet queues; a bigger "entry" is not one.
constexpr qint64 kMaxEntryBytes = qint64(64) << 20;

const QString kReceiptPrefix = QStringLiteral("inbox:");

struct Candidate {
    QString path;
    // The file's name and content: a later file that reuses the name is
    // another entry.
    QString receipt;
    PendingBookmark entry;
};

QString receiptFor(const QString& name, const QByteArray& bytes) {
    return kReceiptPrefix + name + u':' +
           QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
}

// Removes the files of entries now safely in the store; the receipts of
// those gone are dropped in one more small write. A failure there is
// harmless: the next drain drops receipts whose file has gone.
void removeTaken(store::ModelContext& context, const std::vector<Candidate>& taken) {
    QStringList removed;
    for (const Candidate& candidate : taken) {
        if (QFile::remove(candidate.path) || !QFileInfo::exists(candidate.path))
            removed.append(candidate.receipt);
        faultpoint::reach("drain.afterRemove");
    }
    if (removed.isEmpty())
        return;
    auto write = context.beginWrite();
    if (!write)
        return;
    for (const QString& receipt : std::as_const(removed))
        write->dropReceipt(receipt);
    (void)write->commit();
}

} // namespace

Bookmark bookmarkFromPendingBookmark(const PendingBookmark& entry) {
    return Bookmark(QUuid::createUuid(), entry.url(), entry.title(), entry.description(),
                    entry.tags(), entry.receivedAt(), entry.receivedAt());
}

DrainOutcome drainInbox(store::ModelContext& context, qint64& insertedCount) {
    DrainOutcome outcome;
    const std::optional<QString> inbox = sharedcontainer::inboxDirectory();
    if (!inbox)
        return outcome;
    const QDir folder(*inbox);
    // Folders are not entries; special files are, by name, and are met below.
    const QStringList names = folder.entryList(
        QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);

    std::vector<Candidate> candidates;
    for (const QString& name : names) {
        // Only a complete entry ends in ".json": the writer's temporary files
        // never do, so anything else may still be in the making.
        if (QFileInfo(name).suffix() != u"json")
            continue;
        const QString path = folder.filePath(name);
        const auto bytes = folders::readRegularFile(path, kMaxEntryBytes);
        if (!bytes && bytes.error().kind != folders::ReadError::Kind::unreadable) {
            outcome.leftAlone.push_back({name, bytes.error().message});
            continue;
        }
        std::optional<PendingBookmark> entry =
            bytes ? decodePendingBookmark(bytes.value()) : std::nullopt;
        if (!entry) {
            // It can never become a bookmark.
            QFile::remove(path);
            continue;
        }
        candidates.push_back({path, receiptFor(name, bytes.value()), std::move(*entry)});
    }
    if (candidates.empty())
        return outcome;

    auto write = context.beginWrite();
    if (!write) {
        outcome.saveError = write.error();
        return outcome;
    }
    const auto recorded = write->receipts(kReceiptPrefix);
    if (!recorded) {
        outcome.saveError = recorded.error();
        return outcome;
    }
    std::vector<store::ModelObject> added;
    QSet<QString> present;
    for (const Candidate& candidate : candidates) {
        present.insert(candidate.receipt);
        // Saved by an earlier drain that did not live to remove the file.
        if (recorded->contains(candidate.receipt))
            continue;
        store::ModelObject object = bookmarkFromPendingBookmark(candidate.entry).object();
        context.insert(object);
        added.push_back(std::move(object));
        write->addReceipt(candidate.receipt);
    }
    for (const QString& receipt : recorded.value()) {
        if (!present.contains(receipt))
            write->dropReceipt(receipt);
    }
    if (auto committed = write->commit(); !committed) {
        // Nothing of this run stays in the context: the entries are still
        // queued, and the next drain takes them whole.
        for (const store::ModelObject& object : added)
            context.remove(object);
        outcome.saveError = committed.error();
        return outcome;
    }
    insertedCount += qint64(added.size());
    faultpoint::reach("drain.afterCommit");
    removeTaken(context, candidates);
    return outcome;
}
