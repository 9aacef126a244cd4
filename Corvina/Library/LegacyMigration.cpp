#include "Corvina/Library/LegacyMigration.h"

#include "Corvina/Library/Bookmark.h"
#include "Corvina/Library/BookmarkPayload.h"
#include "platform/Folders/StandardFolders.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

namespace library {

std::optional<QString> legacyFolder() {
    const auto support = folders::applicationSupport(folders::Create::no);
    if (!support)
        return std::nullopt;
    return *support + QStringLiteral("/Quillan");
}

LegacyMigrationReport migrateLegacyBookmarks(store::ModelContext& context,
                                             const std::optional<QString>& folder) {
    LegacyMigrationReport report;
    if (!folder)
        return report;
    const QString path = *folder + QStringLiteral("/bookmarks.json");
    QFile file(path);
    if (!file.exists())
        return report;
    if (!file.open(QIODevice::ReadOnly)) {
        report.outcome = LegacyMigrationOutcome::unreadable;
        return report;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        report.outcome = LegacyMigrationOutcome::unreadable;
        return report;
    }
    file.close();

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isArray()) {
        report.outcome = LegacyMigrationOutcome::undecodable;
        return report;
    }
    auto payloads = payloadsFromJsonArray(QJsonValue(document.array()));
    if (!payloads) {
        report.outcome = LegacyMigrationOutcome::undecodable;
        return report;
    }

    // A start that was killed after the save but before the file was moved
    // would otherwise import everything a second time: records that carry an
    // id already in the store are taken to be from that earlier run.
    QSet<QUuid> present;
    for (const store::ModelObject& object : context.fetch({Bookmark::kCreatedAt}))
        present.insert(Bookmark(object).id());

    for (const BookmarkPayload& payload : payloads.value()) {
        if (present.contains(payload.id)) {
            ++report.alreadyPresent;
            continue;
        }
        context.insert(Bookmark::fromPayload(payload).object());
        ++report.inserted;
    }

    // Moving the file after a failed save would leave the records only in
    // memory; keep it so the next start tries again (the id check above keeps
    // that retry from doubling what a later save in this run writes).
    if (!context.save()) {
        report.outcome = LegacyMigrationOutcome::saveFailed;
        return report;
    }

    const QString backup = path + QStringLiteral(".bak");
    QFile::remove(backup);
    QFile::rename(path, backup);
    report.outcome = LegacyMigrationOutcome::migrated;
    return report;
}

} // namespace library
