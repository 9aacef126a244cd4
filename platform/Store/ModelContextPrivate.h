#pragma once

// The context's state and the value helpers its parts share: the one file
// that reads the stored rows and takes in other processes' commits, and
// the one that fetches, changes and writes.

#include "platform/Store/ModelContext.h"
#include "platform/Store/ObjectRecord.h"
#include "platform/Store/Sqlite.h"

#include <QByteArray>
#include <QExplicitlySharedDataPointer>
#include <QVariant>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace store {

using RecordPtr = QExplicitlySharedDataPointer<ObjectRecord>;

struct ModelContext::Private {
    explicit Private(SqliteDatabase& db)
        : database(db) {}
    SqliteDatabase& database;
    bool loaded = false;
    bool changeQueued = false;
    quint64 changeCount = 0;
    quint64 nextSequence = 0;
    // Store order: rows as loaded (rowid order), then inserts in insertion order.
    std::vector<RecordPtr> live;
    std::vector<RecordPtr> inserts;
    std::vector<RecordPtr> updates;
    std::vector<RecordPtr> deletes;
    // The objects of the latest changes, with the change count each brought;
    // changes up to journalFloor are forgotten.
    std::vector<std::pair<quint64, RecordPtr>> journal;
    quint64 journalFloor = 0;
    // What PRAGMA data_version said when the context last read the store;
    // another value means another process has committed since.
    std::optional<qint64> dataVersion;
    QString readOnlyReason;
    // The open write, if any: one at a time.
    std::unique_ptr<SqliteTransaction> write;

    QByteArray insertSql, updateSql, deleteSql, selectSql;
};

// A column of the current row as the attribute's value.
QVariant readValue(const SqliteStatement& statement, int column, AttributeType type);
// A date's sort key, read in place; an invalid date sorts first.
qint64 dateKey(const QVariant& value);
// The sort order of two values of one attribute: below, at or above 0.
int compareValues(AttributeType type, const QVariant& a, const QVariant& b);

} // namespace store
