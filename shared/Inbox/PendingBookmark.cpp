#include "shared/Inbox/PendingBookmark.h"

#include "platform/Core/IsoDate.h"
#include "platform/Core/JsonText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <utility>

namespace {

const QString kUrl = QStringLiteral("url");
const QString kTitle = QStringLiteral("title");
const QString kDescription = QStringLiteral("description");
const QString kTags = QStringLiteral("tags");
const QString kReceivedAt = QStringLiteral("receivedAt");

std::optional<QString> stringAt(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

} // namespace

PendingBookmark::PendingBookmark(Url url, QString title, QString description, QStringList tags,
                                 QDateTime receivedAt)
    : m_url(std::move(url))
    , m_title(std::move(title))
    , m_description(std::move(description))
    , m_tags(std::move(tags))
    , m_receivedAt(std::move(receivedAt)) {}

QByteArray encodePendingBookmark(const PendingBookmark& entry) {
    QJsonObject object;
    object.insert(kUrl, entry.url().absoluteString());
    object.insert(kTitle, entry.title());
    object.insert(kDescription, entry.description());
    object.insert(kTags, QJsonArray::fromStringList(entry.tags()));
    object.insert(kReceivedAt, isodate::format(entry.receivedAt()));
    return jsontext::compact(QJsonDocument(object));
}

std::optional<PendingBookmark> decodePendingBookmark(const QByteArray& bytes) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();

    const std::optional<QString> urlText = stringAt(object, kUrl);
    const std::optional<QString> title = stringAt(object, kTitle);
    const std::optional<QString> description = stringAt(object, kDescription);
    const std::optional<QString> dateText = stringAt(object, kReceivedAt);
    const QJsonValue tagsValue = object.value(kTags);
    if (!urlText || !title || !description || !dateText || !tagsValue.isArray())
        return std::nullopt;

    // A relative reference is kept as written: refusing it would delete a page
    // the user saved, and the app stores what it is given anyway.
    std::optional<Url> url = Url::parse(*urlText);
    if (!url)
        return std::nullopt;

    // The shared date reader also takes "+hh:mm" offsets; entries are UTC only.
    if (!dateText->endsWith(u'Z'))
        return std::nullopt;
    std::optional<QDateTime> receivedAt = isodate::parse(*dateText);
    if (!receivedAt)
        return std::nullopt;

    QStringList tags;
    const QJsonArray tagArray = tagsValue.toArray();
    tags.reserve(tagArray.size());
    for (const QJsonValue& tag : tagArray) {
        if (!tag.isString())
            return std::nullopt;
        tags.append(tag.toString());
    }
    return PendingBookmark(std::move(*url), *title, *description, std::move(tags),
                           std::move(*receivedAt));
}
