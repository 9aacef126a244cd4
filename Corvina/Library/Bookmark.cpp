#include "Corvina/Library/Bookmark.h"

#include "platform/Core/IsoDate.h"

namespace {

const Url& aboutBlank() {
    static const Url blank = *Url::parse(QStringLiteral("about:blank"));
    return blank;
}

store::EntitySchema makeSchema() {
    using store::AttributeType;
    store::EntitySchema schema;
    schema.entityName = QStringLiteral("Bookmark");
    schema.version = QStringLiteral("1.0.0");
    // Stored files depend on these names.
    schema.attributes = {
        {QStringLiteral("id"), AttributeType::Uuid, [] { return QVariant(QUuid::createUuid()); }},
        {QStringLiteral("url"), AttributeType::String,
         [] { return QVariant(QStringLiteral("about:blank")); }},
        {QStringLiteral("title"), AttributeType::String, [] { return QVariant(QString()); }},
        {QStringLiteral("note"), AttributeType::String, [] { return QVariant(QString()); }},
        {QStringLiteral("tags"), AttributeType::StringList, [] { return QVariant(QStringList()); }},
        {QStringLiteral("createdAt"), AttributeType::Date, [] { return QVariant(isodate::now()); }},
        {QStringLiteral("updatedAt"), AttributeType::Date, [] { return QVariant(isodate::now()); }},
    };
    return schema;
}

} // namespace

const store::EntitySchema& Bookmark::schema() {
    static const store::EntitySchema schema = makeSchema();
    return schema;
}

Bookmark::Bookmark()
    : m_object(schema()) {}

Bookmark::Bookmark(const QUuid& id, const Url& url, const QString& title, const QString& note,
                   const QStringList& tags, const QDateTime& createdAt,
                   const std::optional<QDateTime>& updatedAt)
    : m_object(schema()) {
    setId(id);
    setUrl(url);
    setTitle(title);
    setNote(note);
    setTags(tags);
    setCreatedAt(createdAt);
    setUpdatedAt(updatedAt.value_or(createdAt));
}

Bookmark::Bookmark(store::ModelObject object)
    : m_object(std::move(object)) {
    Q_ASSERT(!m_object.isNull() && &m_object.schema() == &schema());
}

Bookmark Bookmark::fromPayload(const BookmarkPayload& payload) {
    return Bookmark(payload.id, payload.url, payload.title, payload.description, payload.tags,
                    payload.createdAt, payload.updatedAt);
}

BookmarkPayload Bookmark::toPayload() const {
    BookmarkPayload payload;
    payload.id = id();
    payload.url = url();
    payload.title = title();
    payload.description = note();
    payload.tags = tags();
    payload.createdAt = createdAt();
    payload.updatedAt = updatedAt();
    return payload;
}

QUuid Bookmark::id() const {
    return m_object.value(kId).toUuid();
}
void Bookmark::setId(const QUuid& id) {
    m_object.setValue(kId, id);
}

Url Bookmark::url() const {
    // Only parsed URLs are ever written, so the stored text parses; a record
    // damaged outside the program reads as a blank page rather than failing.
    return Url::parse(urlString()).value_or(aboutBlank());
}
QString Bookmark::urlString() const {
    return m_object.value(kUrl).toString();
}
void Bookmark::setUrl(const Url& url) {
    m_object.setValue(kUrl, url.absoluteString());
}

QString Bookmark::title() const {
    return m_object.value(kTitle).toString();
}
void Bookmark::setTitle(const QString& title) {
    m_object.setValue(kTitle, title);
}

QString Bookmark::note() const {
    return m_object.value(kNote).toString();
}
void Bookmark::setNote(const QString& note) {
    m_object.setValue(kNote, note);
}

QStringList Bookmark::tags() const {
    return m_object.value(kTags).toStringList();
}
const QStringList& Bookmark::storedTags() const {
    static const QStringList none;
    const QVariant& value = m_object.value(kTags);
    return value.typeId() == QMetaType::QStringList
               ? *static_cast<const QStringList*>(value.constData())
               : none;
}
void Bookmark::setTags(const QStringList& tags) {
    m_object.setValue(kTags, tags);
}

QDateTime Bookmark::createdAt() const {
    return m_object.value(kCreatedAt).toDateTime();
}
void Bookmark::setCreatedAt(const QDateTime& when) {
    m_object.setValue(kCreatedAt, when);
}

QDateTime Bookmark::updatedAt() const {
    return m_object.value(kUpdatedAt).toDateTime();
}
void Bookmark::setUpdatedAt(const QDateTime& when) {
    m_object.setValue(kUpdatedAt, when);
}

QString Bookmark::domain() const {
    return domainOf(url());
}

QString domainOf(const Url& url) {
    const std::optional<QString> host = url.hostDecoded();
    if (host && !host->isEmpty()) {
        if (host->startsWith(QStringLiteral("www.")))
            return host->mid(4);
        return *host;
    }
    return url.absoluteString();
}
