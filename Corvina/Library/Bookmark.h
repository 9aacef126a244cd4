#pragma once

#include "Corvina/Library/BookmarkPayload.h"
#include "platform/Store/ModelObject.h"
#include "platform/Store/Schema.h"
#include "platform/Url/Url.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <optional>

// One saved link: a handle to the library's one persistent entity. Copies of
// a handle refer to the same record, and equality is the record's identity.
// The record stores what it is given and normalises nothing. Main thread only.
class Bookmark {
public:
    // Attribute order is the schema's order.
    enum Attribute : int { kId = 0, kUrl, kTitle, kNote, kTags, kCreatedAt, kUpdatedAt };

    static const store::EntitySchema& schema();

    // A new, unattached record with every attribute at its default:
    // a fresh id, "about:blank", empty strings and tags, both dates now.
    Bookmark();
    // A new, unattached record. Without `updatedAt` the record takes `createdAt`.
    Bookmark(const QUuid& id, const Url& url, const QString& title, const QString& note,
             const QStringList& tags, const QDateTime& createdAt,
             const std::optional<QDateTime>& updatedAt = std::nullopt);
    // Wraps a record fetched from the store.
    explicit Bookmark(store::ModelObject object);

    // Keeps the payload's id and both dates.
    static Bookmark fromPayload(const BookmarkPayload& payload);
    BookmarkPayload toPayload() const;

    QUuid id() const;
    void setId(const QUuid& id);
    Url url() const;
    QString urlString() const;
    void setUrl(const Url& url);
    QString title() const;
    void setTitle(const QString& title);
    QString note() const;
    void setNote(const QString& note);
    QStringList tags() const;
    // The stored list without a copy, for passes over the whole library;
    // valid until the tags are next set.
    const QStringList& storedTags() const;
    void setTags(const QStringList& tags);
    QDateTime createdAt() const;
    void setCreatedAt(const QDateTime& when);
    QDateTime updatedAt() const;
    void setUpdatedAt(const QDateTime& when);

    // The host without a leading "www.", or the whole URL when there is no host.
    QString domain() const;

    const store::ModelObject& object() const { return m_object; }
    // The handle itself, moved out; this bookmark is left null.
    store::ModelObject takeObject() && { return std::move(m_object); }
    bool operator==(const Bookmark& other) const { return m_object == other.m_object; }
    friend size_t qHash(const Bookmark& bookmark, size_t seed = 0) {
        return qHash(bookmark.m_object, seed);
    }

private:
    store::ModelObject m_object;
};

// The domain rule on its own, for callers that hold only a URL.
QString domainOf(const Url& url);
