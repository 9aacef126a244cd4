#include "Corvina/Library/LibraryStore.h"

#include "Corvina/Library/Bookmark.h"
#include "platform/Folders/StandardFolders.h"
#include "platform/Store/ModelContext.h"

#include <QDir>

namespace library {

QString storeFolder() {
    const QString base =
        folders::applicationSupport(folders::Create::yes).value_or(folders::temporary());
    const QString folder = base + QStringLiteral("/Quillan");
    // A failure here surfaces as the store failing to open.
    QDir().mkpath(folder);
    return folder;
}

QString storeFilePath() {
    return storeFolder() + QStringLiteral("/Quillan.store");
}

QString openFailureMessage(const store::StoreError& error) {
    return QStringLiteral("Quillan: failed to open SwiftData store — ") + error.message;
}

QString readOnlyMessage(const QString& reason) {
    return QStringLiteral("Corvina: the library can only be read (%1); changes will not be saved")
        .arg(reason);
}

Result<std::unique_ptr<store::ModelContainer>, store::StoreError>
openStore(const QString& filePath, int busyTimeoutMs) {
    store::StoreConfiguration configuration;
    configuration.busyTimeoutMs = busyTimeoutMs;
    configuration.filePath = filePath;
    configuration.allowsSave = true;
    configuration.cloudDatabase = store::CloudDatabase::automatic;
    return store::ModelContainer::open(Bookmark::schema(), configuration);
}

namespace {
const store::SortDescriptor kNewestFirst{Bookmark::kCreatedAt, Qt::DescendingOrder};

// Handles are moved, not copied, between the two kinds of list: a copy of
// every handle is a reference-count round trip per bookmark at every change.
std::vector<Bookmark> bookmarksOf(std::vector<store::ModelObject>& objects) {
    std::vector<Bookmark> bookmarks;
    bookmarks.reserve(objects.size());
    for (store::ModelObject& object : objects)
        bookmarks.emplace_back(std::move(object));
    return bookmarks;
}

std::vector<store::ModelObject> objectsOf(std::vector<Bookmark>& bookmarks) {
    std::vector<store::ModelObject> objects;
    objects.reserve(bookmarks.size());
    for (Bookmark& bookmark : bookmarks)
        objects.push_back(std::move(bookmark).takeObject());
    return objects;
}
} // namespace

std::vector<Bookmark> allBookmarks(const store::ModelContext& context) {
    std::vector<store::ModelObject> objects = context.fetch(kNewestFirst);
    return bookmarksOf(objects);
}

bool refreshBookmarks(const store::ModelContext& context, std::vector<Bookmark>& library,
                      quint64 since) {
    std::vector<store::ModelObject> objects = objectsOf(library);
    const bool refreshed = context.refresh(objects, kNewestFirst, since);
    library = bookmarksOf(objects);
    return refreshed;
}

std::vector<BookmarkPayload> allPayloads(const store::ModelContext& context) {
    std::vector<BookmarkPayload> payloads;
    for (const Bookmark& bookmark : allBookmarks(context))
        payloads.push_back(bookmark.toPayload());
    return payloads;
}

void addPayloads(store::ModelContext& context, std::span<const BookmarkPayload> payloads) {
    for (const BookmarkPayload& payload : payloads)
        context.insert(Bookmark::fromPayload(payload).object());
}

Result<void, store::StoreError> insertPayloads(store::ModelContext& context,
                                               std::span<const BookmarkPayload> payloads) {
    addPayloads(context, payloads);
    return context.save();
}

} // namespace library
