#pragma once

#include "platform/Store/ModelContext.h"

#include <QString>
#include <optional>

// The one-time move of the old "bookmarks.json" into the store. Runs at every
// start; it does something only while that file exists and decodes.
namespace library {

enum class LegacyMigrationOutcome {
    noFile,      // nothing to do
    unreadable,  // the file stays for the next start
    undecodable, // the file stays for the next start
    saveFailed,  // records stay in the context; the file stays for the next start
    migrated,    // records saved and the file moved to "bookmarks.json.bak"
};

struct LegacyMigrationReport {
    LegacyMigrationOutcome outcome = LegacyMigrationOutcome::noFile;
    int inserted = 0;
    int alreadyPresent = 0;
};

// `folder` is the "Quillan" folder, or nullopt when the application-support
// folder cannot be determined (then nothing happens).
LegacyMigrationReport migrateLegacyBookmarks(store::ModelContext& context,
                                             const std::optional<QString>& folder);

// The "Quillan" folder as the migration looks for it: never created.
std::optional<QString> legacyFolder();

} // namespace library
