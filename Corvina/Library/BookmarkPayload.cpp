#include "Corvina/Library/BookmarkPayload.h"

#include "platform/Core/IsoDate.h"

#include <QJsonArray>

namespace {

bool canonicallyEqual(const QString& a, const QString& b) {
    if (a == b)
        return true;
    return a.normalized(QString::NormalizationForm_D) == b.normalized(QString::NormalizationForm_D);
}

QString hashForm(const QString& text) {
    return text.normalized(QString::NormalizationForm_D);
}

PayloadDecodeError missing(const QString& key) {
    return {key, QStringLiteral("No value associated with key \"%1\".").arg(key)};
}

PayloadDecodeError mismatch(const QString& key, const QString& expected) {
    return {key, QStringLiteral("Expected %1 for key \"%2\".").arg(expected, key)};
}

} // namespace

QString uuidString(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> uuidFromString(QStringView text) {
    const QUuid id = QUuid::fromString(text);
    if (text.size() != 36 || (id.isNull() && text != u"00000000-0000-0000-0000-000000000000"))
        return std::nullopt;
    return id;
}

bool BookmarkPayload::operator==(const BookmarkPayload& other) const {
    if (id != other.id || !(url == other.url) || !canonicallyEqual(title, other.title) ||
        !canonicallyEqual(description, other.description) || tags.size() != other.tags.size())
        return false;
    for (qsizetype i = 0; i < tags.size(); ++i) {
        if (!canonicallyEqual(tags[i], other.tags[i]))
            return false;
    }
    return createdAt == other.createdAt && updatedAt == other.updatedAt;
}

size_t qHash(const BookmarkPayload& payload, size_t seed) {
    seed = qHashMulti(seed, payload.id, payload.url.absoluteString(), hashForm(payload.title),
                      hashForm(payload.description), payload.tags.size());
    for (const QString& tag : payload.tags)
        seed = qHashMulti(seed, hashForm(tag));
    return qHashMulti(seed, payload.createdAt.toMSecsSinceEpoch(),
                      payload.updatedAt.toMSecsSinceEpoch());
}

QJsonObject payloadToJson(const BookmarkPayload& payload) {
    QJsonObject object;
    object.insert(QStringLiteral("id"), uuidString(payload.id));
    object.insert(QStringLiteral("url"), payload.url.absoluteString());
    object.insert(QStringLiteral("title"), payload.title);
    object.insert(QStringLiteral("description"), payload.description);
    object.insert(QStringLiteral("tags"), QJsonArray::fromStringList(payload.tags));
    object.insert(QStringLiteral("createdAt"), isodate::format(payload.createdAt));
    object.insert(QStringLiteral("updatedAt"), isodate::format(payload.updatedAt));
    return object;
}

Result<BookmarkPayload, PayloadDecodeError> payloadFromJson(const QJsonValue& value) {
    if (!value.isObject())
        return Failure{
            PayloadDecodeError{QString(), QStringLiteral("Expected a bookmark object.")}};
    const QJsonObject object = value.toObject();

    const auto string = [&](const QString& key, QString& out) -> std::optional<PayloadDecodeError> {
        const auto found = object.constFind(key);
        if (found == object.constEnd())
            return missing(key);
        if (!found->isString())
            return mismatch(key, QStringLiteral("a string"));
        out = found->toString();
        return std::nullopt;
    };
    const auto date = [&](const QString& key, QDateTime& out) -> std::optional<PayloadDecodeError> {
        QString text;
        if (auto error = string(key, text))
            return error;
        const auto parsed = isodate::parse(text);
        if (!parsed)
            return PayloadDecodeError{
                key, QStringLiteral("Expected date string to be ISO8601-formatted for key \"%1\".")
                         .arg(key)};
        out = *parsed;
        return std::nullopt;
    };

    BookmarkPayload payload;
    QString idText, urlText;
    if (auto error = string(QStringLiteral("id"), idText))
        return Failure{*error};
    const auto id = uuidFromString(idText);
    if (!id)
        return Failure{PayloadDecodeError{
            QStringLiteral("id"),
            QStringLiteral("Attempted to decode UUID from invalid UUID string for key \"id\".")}};
    payload.id = *id;
    if (auto error = string(QStringLiteral("url"), urlText))
        return Failure{*error};
    const auto url = Url::parse(urlText);
    if (!url)
        return Failure{PayloadDecodeError{QStringLiteral("url"),
                                          QStringLiteral("Invalid URL string for key \"url\".")}};
    payload.url = *url;
    if (auto error = string(QStringLiteral("title"), payload.title))
        return Failure{*error};
    if (auto error = string(QStringLiteral("description"), payload.description))
        return Failure{*error};

    const auto tags = object.constFind(QStringLiteral("tags"));
    if (tags == object.constEnd())
        return Failure{missing(QStringLiteral("tags"))};
    if (!tags->isArray())
        return Failure{mismatch(QStringLiteral("tags"), QStringLiteral("an array of strings"))};
    for (const QJsonValue& tag : tags->toArray()) {
        if (!tag.isString())
            return Failure{mismatch(QStringLiteral("tags"), QStringLiteral("an array of strings"))};
        payload.tags.append(tag.toString());
    }

    if (auto error = date(QStringLiteral("createdAt"), payload.createdAt))
        return Failure{*error};
    if (auto error = date(QStringLiteral("updatedAt"), payload.updatedAt))
        return Failure{*error};
    return payload;
}

Result<std::vector<BookmarkPayload>, PayloadDecodeError>
payloadsFromJsonArray(const QJsonValue& value) {
    if (!value.isArray())
        return Failure{
            PayloadDecodeError{QString(), QStringLiteral("Expected an array of bookmarks.")}};
    const QJsonArray array = value.toArray();
    std::vector<BookmarkPayload> payloads;
    payloads.reserve(static_cast<size_t>(array.size()));
    for (qsizetype index = 0; index < array.size(); ++index) {
        auto payload = payloadFromJson(array.at(index));
        if (!payload) {
            PayloadDecodeError error = payload.error();
            error.message = QStringLiteral("Index %1: %2").arg(index).arg(error.message);
            return Failure{error};
        }
        payloads.push_back(std::move(payload).value());
    }
    return payloads;
}
