#pragma once

#include "Corvina/Library/BookmarkPayload.h"

#include <QCoreApplication>
#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

namespace store {
class ModelContext;
}

// What the user is told after an import.
class ImportResult {
    Q_DECLARE_TR_FUNCTIONS(ImportResult)
public:
    enum class Kind { success, error };

    ImportResult() = default; // a success of nothing, for the meta-type system

    static ImportResult success(qint64 count) { return {Kind::success, count, {}}; }
    static ImportResult error(QString description) {
        return {Kind::error, 0, std::move(description)};
    }

    Kind kind() const { return m_kind; }
    qint64 count() const { return m_count; }
    // "Imported" or "Import failed".
    QString title() const;
    // "Added N bookmarks." or the error's description.
    QString message() const;

private:
    ImportResult(Kind kind, qint64 count, QString description)
        : m_kind(kind)
        , m_count(count)
        , m_description(std::move(description)) {}

    Kind m_kind = Kind::success;
    qint64 m_count = 0;
    QString m_description;
};

Q_DECLARE_METATYPE(ImportResult)

// A read file waiting for the user's decision about the bookmarks it shares
// with the library.
struct PendingImport {
    Q_DECLARE_TR_FUNCTIONS(PendingImport)
public:
    std::vector<BookmarkPayload> payloads; // in file order
    qint64 duplicateCount = 0;             // payloads whose address the library already has

    // "N of M bookmarks are already in your library".
    QString message() const;
};

// The duplicates rule of imports: two addresses are one bookmark when their
// duplicate keys are equal. Pure functions, so a file can be checked on a
// pool thread against the library's addresses collected beforehand.
namespace importflow {

QSet<QString> duplicateKeys(const QStringList& urls);
// The library's addresses, read on the store's thread.
QStringList libraryUrls(const store::ModelContext& context);

// How many payloads the keys already hold; each repeated payload counts.
qint64 countDuplicates(const std::vector<BookmarkPayload>& payloads, const QSet<QString>& keys);
// The payloads whose key is not in `keys`, in order. The set is not
// extended on the way, so a new address the file lists twice stays twice.
std::vector<BookmarkPayload> withoutDuplicates(std::vector<BookmarkPayload> payloads,
                                               const QSet<QString>& keys);

// Inserts the payloads as new bookmarks in order, saves (a failed save is
// left for the next one) and rewrites the duplicate index, even when
// nothing was inserted. Returns how many were inserted.
qint64 commit(store::ModelContext& context, const std::vector<BookmarkPayload>& payloads);

} // namespace importflow
