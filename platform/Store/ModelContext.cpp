#include "platform/Store/ModelContext.h"

#include "platform/Core/FaultPoint.h"
#include "platform/Store/ModelContextPrivate.h"
#include "platform/Store/StringListCodec.h"

#include <QDateTime>
#include <QSet>
#include <QUuid>
#include <algorithm>
#include <limits>
#include <span>
#include <utility>
#include <sqlite3.h>

namespace store {

namespace {

void bindValue(SqliteStatement& statement, int position, AttributeType type,
               const QVariant& value) {
    switch (type) {
    case AttributeType::Uuid:
        statement.bindText(position, value.toUuid().toByteArray(QUuid::WithoutBraces));
        return;
    case AttributeType::String:
        statement.bindText(position, value.toString().toUtf8());
        return;
    case AttributeType::StringList:
        statement.bindText(position, encodeStringList(value.toStringList()));
        return;
    case AttributeType::Date: {
        const QDateTime when = value.toDateTime();
        if (when.isValid())
            statement.bindInt64(position, when.toMSecsSinceEpoch());
        else
            statement.bindNull(position);
        return;
    }
    }
}

void bindAll(SqliteStatement& statement, const ObjectRecord& record) {
    const auto& attributes = record.schema->attributes;
    for (size_t i = 0; i < attributes.size(); ++i)
        bindValue(statement, static_cast<int>(i) + 1, attributes[i].type, record.values[i]);
}

QString textKey(const QVariant& value) {
    return value.typeId() == QMetaType::QStringList ? value.toStringList().join(QChar(0))
                                                    : value.toString();
}

} // namespace

QVariant readValue(const SqliteStatement& statement, int column, AttributeType type) {
    switch (type) {
    case AttributeType::Uuid:
        return QUuid::fromString(QLatin1StringView(statement.columnTextView(column)));
    case AttributeType::String:
        return statement.columnString(column);
    case AttributeType::StringList:
        return decodeStringList(statement.columnTextView(column)).value_or(QStringList());
    case AttributeType::Date:
        if (statement.columnIsNull(column))
            return QDateTime();
        // Plain Qt::UTC, not a QTimeZone: a zone costs an allocation per date.
        return QDateTime::fromMSecsSinceEpoch(statement.columnInt64(column), Qt::UTC);
    }
    return {};
}

// Sort keys, read alike by fetch() and refresh(). A date is read in place:
// converting each value to a QDateTime first would cost a third of a fetch.
qint64 dateKey(const QVariant& value) {
    const auto msecs = [](const QDateTime& when) {
        return when.isValid() ? when.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
    };
    return value.typeId() == QMetaType::QDateTime
               ? msecs(*static_cast<const QDateTime*>(value.constData()))
               : msecs(value.toDateTime());
}

int compareValues(AttributeType type, const QVariant& a, const QVariant& b) {
    const auto compare = [](const auto& x, const auto& y) { return x < y ? -1 : y < x ? 1 : 0; };
    switch (type) {
    case AttributeType::Date:
        return compare(dateKey(a), dateKey(b));
    case AttributeType::Uuid:
        return compare(a.toUuid(), b.toUuid());
    case AttributeType::String:
    case AttributeType::StringList:
        return textKey(a).compare(textKey(b));
    }
    return 0;
}

ModelContext::ModelContext(const EntitySchema& schema, SqliteDatabase& database)
    : m_schema(schema)
    , d(new Private(database)) {
    QByteArray columns, placeholders, assignments;
    for (size_t i = 0; i < schema.attributes.size(); ++i) {
        const QByteArray name = quotedIdentifier(schema.attributes[i].name);
        const QByteArray separator = i == 0 ? QByteArray() : QByteArray(", ");
        columns += separator + name;
        placeholders += separator + '?';
        assignments += separator + name + " = ?";
    }
    const QByteArray table = quotedIdentifier(schema.entityName);
    d->insertSql = "INSERT INTO " + table + " (" + columns + ") VALUES (" + placeholders + ")";
    d->updateSql = "UPDATE " + table + " SET " + assignments + " WHERE rowid = ?";
    d->deleteSql = "DELETE FROM " + table + " WHERE rowid = ?";
    d->selectSql = "SELECT rowid, " + columns + " FROM " + table + " ORDER BY rowid";
}

ModelContext::~ModelContext() {
    for (const RecordPtr& record : d->live)
        record->context = nullptr;
    for (const RecordPtr& record : d->deletes)
        record->context = nullptr;
}

namespace {
// Enough for any edit, deletion or drain of the inbox; an import of more
// than this is followed by one full read anyway.
constexpr std::size_t kJournalLimit = 4096;
} // namespace

void ModelContext::noteChange(ObjectRecord* record) {
    journal(record);
    if (!record->deleted && !record->pendingInsert && !record->pendingUpdate) {
        record->pendingUpdate = true;
        d->updates.emplace_back(record);
    }
}

void ModelContext::journal(ObjectRecord* record) {
    ++d->changeCount;
    if (d->journal.size() == kJournalLimit) {
        d->journal.clear();
        d->journalFloor = d->changeCount - 1;
    }
    d->journal.emplace_back(d->changeCount, RecordPtr(record));
    if (d->changeQueued)
        return;
    d->changeQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            d->changeQueued = false;
            Q_EMIT changed();
        },
        Qt::QueuedConnection);
}

void ModelContext::insert(const ModelObject& object) {
    insert(std::span(&object, 1));
}

void ModelContext::insert(std::span<const ModelObject> objects) {
    bool revived = false;
    for (const ModelObject& object : objects) {
        ObjectRecord* record = object.m_record.data();
        if (!record || record->schema != &m_schema)
            continue;
        if (record->context == this && record->deleted) {
            // Deleted and not yet saved: bring it back, row and all, so the
            // next save writes it once (the pending deletion goes below).
            record->deleted = false;
            revived = true;
            d->live.emplace_back(record);
            record->sequence = d->nextSequence++;
            if (record->rowId == 0) {
                record->pendingInsert = true;
                d->inserts.emplace_back(record);
            }
            noteChange(record);
            continue;
        }
        if (record->context)
            continue;
        (void)loadAll();
        record->context = this;
        // It may have been inserted and removed again before any save, or
        // its deletion saved: either way it has no row now.
        record->deleted = false;
        record->rowId = 0;
        record->pendingInsert = true;
        d->inserts.emplace_back(record);
        d->live.emplace_back(record);
        record->sequence = d->nextSequence++;
        noteChange(record);
    }
    if (revived)
        std::erase_if(d->deletes, [](const RecordPtr& record) { return !record->deleted; });
}

void ModelContext::remove(const ModelObject& object) {
    remove(std::span(&object, 1));
}

void ModelContext::remove(std::span<const ModelObject> objects) {
    std::vector<RecordPtr> removed;
    for (const ModelObject& object : objects) {
        ObjectRecord* record = object.m_record.data();
        if (!record || record->context != this || record->deleted)
            continue;
        record->deleted = true;
        removed.emplace_back(record);
    }
    if (removed.empty())
        return;
    // One pass over each list for all of them: one pass per object would
    // make deleting a large selection take minutes.
    const auto isDeleted = [](const RecordPtr& record) { return record->deleted; };
    std::erase_if(d->live, isDeleted);
    std::erase_if(d->inserts, isDeleted);
    std::erase_if(d->updates, isDeleted);
    for (const RecordPtr& record : removed) {
        record->pendingUpdate = false;
        if (record->pendingInsert) {
            // Never written: forget it entirely.
            record->pendingInsert = false;
            record->context = nullptr;
        } else {
            d->deletes.push_back(record);
        }
        noteChange(record.data());
    }
}

std::vector<ModelObject> ModelContext::fetch(const SortDescriptor& sort) const {
    (void)const_cast<ModelContext*>(this)->loadAll();
    const std::vector<RecordPtr>& live = d->live;
    std::vector<size_t> order(live.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;

    const size_t attribute = static_cast<size_t>(sort.attribute);
    const bool descending = sort.order == Qt::DescendingOrder;
    Q_ASSERT(attribute < m_schema.attributes.size());
    switch (m_schema.attributes[attribute].type) {
    case AttributeType::Date: {
        std::vector<qint64> keys(live.size());
        for (size_t i = 0; i < live.size(); ++i)
            keys[i] = dateKey(live[i]->values[attribute]);
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            return descending ? keys[a] > keys[b] : keys[a] < keys[b];
        });
        break;
    }
    case AttributeType::Uuid: {
        std::vector<QUuid> keys(live.size());
        for (size_t i = 0; i < live.size(); ++i)
            keys[i] = live[i]->values[attribute].toUuid();
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            return descending ? keys[b] < keys[a] : keys[a] < keys[b];
        });
        break;
    }
    case AttributeType::String:
    case AttributeType::StringList: {
        std::vector<QString> keys(live.size());
        for (size_t i = 0; i < live.size(); ++i)
            keys[i] = textKey(live[i]->values[attribute]);
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            const int comparison = keys[a].compare(keys[b]);
            return descending ? comparison > 0 : comparison < 0;
        });
        break;
    }
    }

    std::vector<ModelObject> result;
    result.reserve(order.size());
    for (size_t index : order)
        result.push_back(ModelObject(live[index].data()));
    return result;
}

qsizetype ModelContext::count() const {
    (void)const_cast<ModelContext*>(this)->loadAll();
    return static_cast<qsizetype>(d->live.size());
}

quint64 ModelContext::changeCount() const {
    return d->changeCount;
}

std::optional<std::vector<ObjectRecord*>> ModelContext::changedRecordsSince(quint64 since) const {
    if (since < d->journalFloor || since > d->changeCount)
        return std::nullopt;
    const auto first = std::upper_bound(
        d->journal.cbegin(), d->journal.cend(), since,
        [](quint64 count, const auto& entry) { return count < entry.first; });
    std::vector<ObjectRecord*> records;
    records.reserve(std::size_t(d->journal.cend() - first));
    for (auto it = first; it != d->journal.cend(); ++it)
        records.push_back(it->second.data());
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    return records;
}

std::optional<std::vector<ModelObject>> ModelContext::changedSince(quint64 since) const {
    const std::optional<std::vector<ObjectRecord*>> records = changedRecordsSince(since);
    if (!records)
        return std::nullopt;
    std::vector<ModelObject> objects;
    objects.reserve(records->size());
    for (ObjectRecord* record : *records)
        objects.push_back(ModelObject(record));
    return objects;
}

bool ModelContext::refresh(std::vector<ModelObject>& objects, const SortDescriptor& sort,
                           quint64 since) const {
    const std::optional<std::vector<ObjectRecord*>> changed = changedRecordsSince(since);
    if (!changed)
        return false;
    if (changed->empty())
        return true;
    const std::size_t attribute = static_cast<std::size_t>(sort.attribute);
    Q_ASSERT(attribute < m_schema.attributes.size());
    const AttributeType type = m_schema.attributes[attribute].type;
    const bool descending = sort.order == Qt::DescendingOrder;
    // fetch()'s order: the sort key, then the store order.
    const auto before = [&](const ObjectRecord* a, const ObjectRecord* b) {
        const int order = compareValues(type, a->values[attribute], b->values[attribute]);
        if (order != 0)
            return descending ? order > 0 : order < 0;
        return a->sequence < b->sequence;
    };
    // Every changed object leaves its place; those still here come back
    // where they now belong.
    const auto isChanged = [&](const ModelObject& object) {
        return std::binary_search(changed->cbegin(), changed->cend(), object.m_record.data());
    };
    std::erase_if(objects, isChanged);
    std::vector<ObjectRecord*> placed;
    for (ObjectRecord* record : *changed) {
        if (record->context == this && !record->deleted)
            placed.push_back(record);
    }
    std::sort(placed.begin(), placed.end(), before);
    if (placed.empty())
        return true;
    std::vector<ModelObject> merged;
    merged.reserve(objects.size() + placed.size());
    auto rest = objects.begin();
    for (ObjectRecord* record : placed) {
        const auto at = std::upper_bound(rest, objects.end(), record,
                                         [&](const ObjectRecord* value, const ModelObject& object) {
                                             return before(value, object.m_record.data());
                                         });
        std::move(rest, at, std::back_inserter(merged));
        merged.push_back(ModelObject(record));
        rest = at;
    }
    std::move(rest, objects.end(), std::back_inserter(merged));
    objects = std::move(merged);
    return true;
}

bool ModelContext::hasChanges() const {
    return !d->inserts.empty() || !d->updates.empty() || !d->deletes.empty();
}

qsizetype ModelContext::pendingChangeCount() const {
    return qsizetype(d->inserts.size() + d->updates.size() + d->deletes.size());
}

void ModelContext::setReadOnly(const QString& reason) {
    d->readOnlyReason = reason;
}

Result<void, StoreError> ModelContext::save() {
    if (!hasChanges())
        return {};
    auto write = beginWrite();
    if (!write)
        return Failure{write.error()};
    return write->commit();
}

Result<StoreWrite, StoreError> ModelContext::beginWrite() {
    if (!d->readOnlyReason.isEmpty())
        return Failure{StoreError{StoreError::Code::readOnly,
                                  QStringLiteral("the library is read-only: ") +
                                      d->readOnlyReason}};
    if (d->write)
        return Failure{StoreError{StoreError::Code::writeFailed,
                                  QStringLiteral("another write is still open")}};
    auto transaction = std::make_unique<SqliteTransaction>(d->database);
    if (auto begun = transaction->begin(); !begun) {
        StoreError error = begun.error();
        if ((error.sqliteCode & 0xff) == SQLITE_BUSY)
            error.message = QStringLiteral("another program is writing to the library (%1)")
                                .arg(error.message);
        return Failure{error};
    }
    if (auto caughtUp = catchUp(); !caughtUp)
        return Failure{StoreError{StoreError::Code::writeFailed, caughtUp.error().message,
                                  caughtUp.error().sqliteCode}};
    d->write = std::move(transaction);
    return StoreWrite(*this);
}

Result<void, StoreError> ModelContext::writePending() {
    const auto failed = [&] {
        return Failure{d->database.lastError(StoreError::Code::writeFailed)};
    };
    if (!d->deletes.empty()) {
        SqliteStatement statement(d->database, d->deleteSql.constData());
        if (!statement.isValid())
            return failed();
        for (const RecordPtr& record : d->deletes) {
            statement.bindInt64(1, record->rowId);
            if (statement.step() != SQLITE_DONE)
                return failed();
            statement.reset();
        }
    }
    if (!d->updates.empty()) {
        SqliteStatement statement(d->database, d->updateSql.constData());
        if (!statement.isValid())
            return failed();
        const int rowIdPosition = static_cast<int>(m_schema.attributes.size()) + 1;
        for (const RecordPtr& record : d->updates) {
            bindAll(statement, *record);
            statement.bindInt64(rowIdPosition, record->rowId);
            if (statement.step() != SQLITE_DONE)
                return failed();
            statement.reset();
        }
    }
    return {};
}

StoreWrite::StoreWrite(ModelContext& context)
    : m_context(&context) {}

StoreWrite::StoreWrite(StoreWrite&& other) noexcept
    : m_context(std::exchange(other.m_context, nullptr))
    , m_open(std::exchange(other.m_open, false))
    , m_added(std::move(other.m_added))
    , m_dropped(std::move(other.m_dropped)) {}

StoreWrite::~StoreWrite() {
    // Rolled back by the transaction's own destructor unless committed.
    if (m_context && m_open)
        m_context->d->write.reset();
}

Result<QSet<QString>, StoreError> StoreWrite::receipts(const QString& prefix) const {
    SqliteDatabase& database = m_context->d->database;
    SqliteStatement select(database,
                           "SELECT name FROM corvina_receipts WHERE substr(name, 1, ?) = ?");
    if (!select.isValid())
        return Failure{database.lastError(StoreError::Code::writeFailed)};
    const QByteArray utf8 = prefix.toUtf8();
    select.bindInt64(1, prefix.size());
    select.bindText(2, utf8);
    QSet<QString> names;
    int code;
    while ((code = select.step()) == SQLITE_ROW)
        names.insert(select.columnString(0));
    if (code != SQLITE_DONE)
        return Failure{database.lastError(StoreError::Code::writeFailed)};
    return names;
}

void StoreWrite::addReceipt(const QString& name) {
    m_added.append(name);
}

void StoreWrite::dropReceipt(const QString& name) {
    m_dropped.append(name);
}

Result<void, StoreError> StoreWrite::commit() {
    if (!m_context || !m_open)
        return Failure{StoreError{StoreError::Code::writeFailed,
                                  QStringLiteral("the write was already ended")}};
    ModelContext::Private& d = *m_context->d;
    SqliteDatabase& database = d.database;
    const auto failed = [&] {
        return Failure{database.lastError(StoreError::Code::writeFailed)};
    };
    if (auto written = m_context->writePending(); !written)
        return written;
    // Row ids are handed to the objects only once the commit has succeeded,
    // so a failed save leaves every object exactly as it was.
    std::vector<qint64> newRowIds;
    newRowIds.reserve(d.inserts.size());
    if (!d.inserts.empty()) {
        SqliteStatement statement(database, d.insertSql.constData());
        if (!statement.isValid())
            return failed();
        for (const RecordPtr& record : d.inserts) {
            bindAll(statement, *record);
            if (statement.step() != SQLITE_DONE)
                return failed();
            newRowIds.push_back(database.lastInsertRowId());
            statement.reset();
        }
    }
    for (const auto& [sql, names] :
         {std::pair{"INSERT OR IGNORE INTO corvina_receipts (name) VALUES (?)", &m_added},
          std::pair{"DELETE FROM corvina_receipts WHERE name = ?", &m_dropped}}) {
        if (names->isEmpty())
            continue;
        SqliteStatement statement(database, sql);
        if (!statement.isValid())
            return failed();
        for (const QString& name : std::as_const(*names)) {
            statement.bindText(1, name.toUtf8());
            if (statement.step() != SQLITE_DONE)
                return failed();
            statement.reset();
        }
    }
    faultpoint::reach("store.save.beforeCommit");
    if (auto committed = d.write->commit(); !committed)
        return committed;
    faultpoint::reach("store.save.afterCommit");
    d.write.reset();
    m_open = false;
    m_added.clear();
    m_dropped.clear();

    for (size_t i = 0; i < d.inserts.size(); ++i) {
        d.inserts[i]->rowId = newRowIds[i];
        d.inserts[i]->pendingInsert = false;
    }
    for (const RecordPtr& record : d.updates)
        record->pendingUpdate = false;
    for (const RecordPtr& record : d.deletes)
        record->context = nullptr;
    d.inserts.clear();
    d.updates.clear();
    d.deletes.clear();
    return {};
}

} // namespace store
