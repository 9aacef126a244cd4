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

Result<std::unique_ptr<store::ModelContainer>, store::StoreError>
openStore(const QString& filePath) {
    store::StoreConfiguration configuration;
    configuration.filePath = filePath;
    configuration.allowsSave = true;
    configuration.cloudDatabase = store::CloudDatabase::automatic;
    return store::ModelContainer::open(Bookmark::schema(), configuration);
}

std::vector<Bookmark> allBookmarks(const store::ModelContext& context) {
    const auto objects = context.fetch({Bookmark::kCreatedAt, Qt::DescendingOrder});
    return std::vector<Bookmark>(objects.cbegin(), objects.cend());
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
