#pragma once

#include "Corvina/Library/BookmarkPayload.h"

#include <QCoreApplication>
#include <QObject>
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

} // namespace importflow

// Adds an import's payloads to the library as new bookmarks, in order, a
// slice per event-loop turn: each slice is inserted and saved on its own, so
// a window over a large library keeps answering while 100,000 bookmarks go
// in. A failed save leaves its slice pending for the next save; nothing is
// dropped. The duplicate index is rewritten once at the end, even when
// nothing was added. Deletes itself after `finished`.
class ImportCommit : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype kDefaultSlice = 2000;

    ImportCommit(store::ModelContext& context, std::vector<BookmarkPayload> payloads,
                 QObject* parent = nullptr, qsizetype slice = kDefaultSlice);

    void start();
    qint64 total() const { return qint64(m_payloads.size()); }

Q_SIGNALS:
    void progressed(qint64 added, qint64 total);
    void finished(qint64 added);

private:
    void addSlice();

    store::ModelContext& m_context;
    std::vector<BookmarkPayload> m_payloads;
    qsizetype m_slice;
    size_t m_next = 0;
};
