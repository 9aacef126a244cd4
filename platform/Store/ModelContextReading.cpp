#include "platform/Store/ModelContext.h"

#include "platform/Core/StringPool.h"
#include "platform/Store/ModelContextPrivate.h"
#include "platform/Store/StringListCodec.h"

#include <QAnyStringView>
#include <QUuid>
#include <algorithm>
#include <limits>
#include <sqlite3.h>

// Reading the stored rows: the first load, and taking in what other
// processes committed since.
namespace store {

namespace {

// The stored rows in rowid order, one at a time.
class RowReader {
public:
    RowReader(SqliteDatabase& database, const QByteArray& sql, const EntitySchema& schema)
        : m_select(database, sql.constData())
        , m_schema(schema) {}

    bool isValid() const { return m_select.isValid(); }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return m_select.step(); }
    qint64 rowId() const { return m_select.columnInt64(0); }

    // The current row as a record, not yet placed in any context.
    RecordPtr record() {
        RecordPtr record(new ObjectRecord);
        record->schema = &m_schema;
        record->rowId = rowId();
        record->values = values();
        return record;
    }

    std::vector<QVariant> values() {
        const auto& attributes = m_schema.attributes;
        std::vector<QVariant> values;
        values.reserve(attributes.size());
        for (size_t i = 0; i < attributes.size(); ++i) {
            QVariant value = readValue(m_select, static_cast<int>(i) + 1, attributes[i].type);
            if (attributes[i].type == AttributeType::StringList) {
                QStringList list = value.toStringList();
                for (QString& element : list)
                    element = m_elements.intern(std::move(element));
                value = QVariant(std::move(list));
            }
            values.push_back(std::move(value));
        }
        return values;
    }

    // Whether the current row surely holds `record`'s values, told from the
    // columns as they lie: a look at a large store for another process's
    // few changes would otherwise spend most of its time building values
    // only to find them equal. False may still be equal (a value of an
    // unexpected type, text that is not UTF-8): sameValues() decides then.
    bool matches(const ObjectRecord& record) const {
        const auto& attributes = m_schema.attributes;
        for (size_t i = 0; i < attributes.size(); ++i) {
            const int column = static_cast<int>(i) + 1;
            const QVariant& value = record.values[i];
            switch (attributes[i].type) {
            case AttributeType::Uuid:
                if (QUuid::fromString(QLatin1StringView(m_select.columnTextView(column))) !=
                    value.toUuid())
                    return false;
                break;
            case AttributeType::String:
                if (value.typeId() != QMetaType::QString ||
                    !QAnyStringView::equal(QUtf8StringView(m_select.columnTextView(column)),
                                           *static_cast<const QString*>(value.constData())))
                    return false;
                break;
            case AttributeType::StringList:
                if (value.typeId() != QMetaType::QStringList ||
                    !encodesStringList(m_select.columnTextView(column),
                                       *static_cast<const QStringList*>(value.constData())))
                    return false;
                break;
            case AttributeType::Date:
                if ((m_select.columnIsNull(column)
                         ? std::numeric_limits<qint64>::min()
                         : m_select.columnInt64(column)) != dateKey(value))
                    return false;
                break;
            }
        }
        return true;
    }

private:
    SqliteStatement m_select;
    const EntitySchema& m_schema;
    // List elements repeat across objects (a library uses a few hundred tags
    // on thousands of bookmarks): equal elements share one string.
    StringPool m_elements;
};

bool sameValues(const ObjectRecord& a, const std::vector<QVariant>& b) {
    const auto& attributes = a.schema->attributes;
    for (size_t i = 0; i < attributes.size(); ++i) {
        if (compareValues(attributes[i].type, a.values[i], b[i]) != 0)
            return false;
        // The sort comparison joins list elements; two lists that join alike
        // ("a,b" against "a" and "b") still differ.
        if (attributes[i].type == AttributeType::StringList &&
            a.values[i].toStringList() != b[i].toStringList())
            return false;
    }
    return true;
}

} // namespace

Result<void, StoreError> ModelContext::loadAll() {
    if (d->loaded)
        return {};
    // Read before the rows: a commit in between makes the next check look
    // again, which costs a read but never misses a change.
    d->dataVersion = d->database.dataVersion();
    RowReader reader(d->database, d->selectSql, m_schema);
    if (!reader.isValid())
        return Failure{d->database.lastError(StoreError::Code::cannotOpen)};
    std::vector<RecordPtr> loaded;
    int code;
    while ((code = reader.step()) == SQLITE_ROW) {
        loaded.push_back(reader.record());
        loaded.back()->context = this;
    }
    if (code != SQLITE_DONE)
        return Failure{d->database.lastError(StoreError::Code::cannotOpen)};
    d->loaded = true;
    // Objects inserted before the first load come after the stored ones.
    loaded.insert(loaded.end(), d->live.begin(), d->live.end());
    d->live = std::move(loaded);
    for (const RecordPtr& record : d->live)
        record->sequence = d->nextSequence++;
    return {};
}

Result<void, StoreError> ModelContext::catchUp() {
    if (!d->loaded)
        return loadAll();
    const std::optional<qint64> version = d->database.dataVersion();
    if (version && version == d->dataVersion)
        return {};

    // What the context knows of the store, in the rows' order, so that one
    // pass side by side with them tells what is new, edited and gone. Row
    // ids only grow, so the live objects are nearly in order already.
    std::vector<ObjectRecord*> known;
    known.reserve(d->live.size() + d->deletes.size());
    for (const RecordPtr& record : d->live) {
        if (record->rowId != 0)
            known.push_back(record.data());
    }
    for (const RecordPtr& record : d->deletes)
        known.push_back(record.data());
    const auto byRowId = [](const ObjectRecord* a, const ObjectRecord* b) {
        return a->rowId < b->rowId;
    };
    if (!std::is_sorted(known.cbegin(), known.cend(), byRowId))
        std::sort(known.begin(), known.end(), byRowId);

    // Nothing changes until every row has been read: a failed read leaves
    // the context as it was, to look again next time.
    RowReader reader(d->database, d->selectSql, m_schema);
    if (!reader.isValid())
        return Failure{d->database.lastError(StoreError::Code::cannotOpen)};
    std::vector<RecordPtr> added;
    std::vector<std::pair<ObjectRecord*, std::vector<QVariant>>> edited;
    std::vector<ObjectRecord*> gone;
    auto next = known.cbegin();
    int code;
    while ((code = reader.step()) == SQLITE_ROW) {
        const qint64 rowId = reader.rowId();
        for (; next != known.cend() && (*next)->rowId < rowId; ++next)
            gone.push_back(*next);
        if (next == known.cend() || (*next)->rowId != rowId) {
            // Made by another process.
            added.push_back(reader.record());
            continue;
        }
        ObjectRecord* mine = *next++;
        // A deletion or an edit made here and not yet saved wins.
        if (mine->deleted || mine->pendingUpdate || reader.matches(*mine))
            continue;
        std::vector<QVariant> values = reader.values();
        if (!sameValues(*mine, values))
            edited.emplace_back(mine, std::move(values));
    }
    if (code != SQLITE_DONE)
        return Failure{d->database.lastError(StoreError::Code::cannotOpen)};
    gone.insert(gone.end(), next, known.cend());
    d->dataVersion = version;

    for (auto& [record, values] : edited) {
        record->values = std::move(values);
        ++record->revision;
        journal(record);
    }
    for (RecordPtr& record : added) {
        record->context = this;
        record->sequence = d->nextSequence++;
        journal(record.data());
        d->live.push_back(std::move(record));
    }
    if (gone.empty())
        return {};
    for (ObjectRecord* record : gone) {
        if (record->deleted) {
            // Deleted here and there: nothing left to delete.
            record->context = nullptr;
        } else if (record->pendingUpdate) {
            // Deleted elsewhere while edited here: the edit is kept, as a
            // new object.
            record->pendingUpdate = false;
            record->rowId = 0;
            record->pendingInsert = true;
            d->inserts.emplace_back(record);
            journal(record);
        } else {
            record->deleted = true;
            record->context = nullptr;
            journal(record);
        }
    }
    // One pass each, however many went.
    std::erase_if(d->live, [](const RecordPtr& record) { return record->deleted; });
    std::erase_if(d->updates, [](const RecordPtr& record) { return !record->pendingUpdate; });
    std::erase_if(d->deletes, [](const RecordPtr& record) { return !record->context; });
    return {};
}

Result<bool, StoreError> ModelContext::takeInOutsideChanges() {
    // Nothing read yet: the first fetch reads it all. An open write has
    // caught up already and holds the lock, so nobody committed since.
    if (!d->loaded || d->write)
        return false;
    // Outside any transaction: when nothing changed, this is all it costs.
    const std::optional<qint64> version = d->database.dataVersion();
    if (version && version == d->dataVersion)
        return false;
    const quint64 before = d->changeCount;
    // The version and the rows from one snapshot; ended by rolling back,
    // as there is nothing to commit.
    SqliteTransaction read(d->database);
    if (auto begun = read.begin(SqliteTransaction::Lock::read); !begun)
        return Failure{begun.error()};
    if (auto caughtUp = catchUp(); !caughtUp)
        return Failure{caughtUp.error()};
    return d->changeCount != before;
}

} // namespace store
