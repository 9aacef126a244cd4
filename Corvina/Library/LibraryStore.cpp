#include "Corvina/Library/LibraryStore.h"

#include "Corvina/Library/Bookmark.h"
#include "platform/Folders/StandardFolders.h"

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

} // namespace library
