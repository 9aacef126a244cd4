#include "Corvina/Library/LegacyMigration.h"

#include "Corvina/Library/Bookmark.h"
#include "Corvina/Library/BookmarkPayload.h"
#include "platform/Folders/RegularFile.h"
#include "platform/Folders/StandardFolders.h"
#include "platform/Store/ModelContext.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

namespace library {
namespace {
// Far beyond any library the earlier format held; a bigger file is not one.
constexpr qint64 kMaxLegacyFileBytes = qint64(512) << 20;
} // namespace

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
    if (!QFileInfo::exists(path))
        return report;
    const auto read = folders::readRegularFile(path, kMaxLegacyFileBytes);
    if (!read) {
        report.outcome = LegacyMigrationOutcome::unreadable;
        return report;
    }
    const QByteArray& bytes = read.value();

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
    // In one write with the check: another process migrating the same file
    // at the same start is seen.
    auto write = context.beginWrite();
    if (!write) {
        report.outcome = LegacyMigrationOutcome::saveFailed;
        return report;
    }
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
    if (!write->commit()) {
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
