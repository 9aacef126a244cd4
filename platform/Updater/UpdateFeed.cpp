#include "platform/Updater/UpdateFeed.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <limits>

std::optional<VersionNumber> parseVersion(QStringView text) {
    VersionNumber version;
    std::size_t count = 0;
    qsizetype start = 0;
    while (true) {
        qsizetype end = text.indexOf(u'.', start);
        if (end < 0)
            end = text.size();
        if (count == version.components.size() || end == start)
            return std::nullopt;
        quint64 value = 0;
        for (const QChar c : text.sliced(start, end - start)) {
            if (c < u'0' || c > u'9')
                return std::nullopt;
            value = value * 10 + (c.unicode() - u'0');
            if (value > std::numeric_limits<quint32>::max())
                return std::nullopt;
        }
        version.components[count++] = static_cast<quint32>(value);
        if (end == text.size())
            return version;
        start = end + 1;
    }
}

std::partial_ordering compareVersions(QStringView a, QStringView b) {
    const auto left = parseVersion(a);
    const auto right = parseVersion(b);
    if (!left || !right)
        return std::partial_ordering::unordered;
    return *left <=> *right;
}

namespace {
Failure<UpdateFeedError> feedError(const char* text) {
    return Failure{UpdateFeedError{QCoreApplication::translate("UpdateFeed", text)}};
}
} // namespace

Result<UpdateFeed, UpdateFeedError> parseUpdateFeed(const QByteArray& json) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return Failure{UpdateFeedError{
            QCoreApplication::translate("UpdateFeed", "The update information is not valid JSON "
                                                      "(%1 at offset %2).")
                .arg(parseError.errorString())
                .arg(parseError.offset)}};
    if (!document.isObject())
        return feedError(
            QT_TRANSLATE_NOOP("UpdateFeed", "The update information is not a JSON object."));
    const QJsonObject object = document.object();

    const QJsonValue version = object.value(u"version");
    if (!version.isString() || !parseVersion(version.toString()))
        return feedError(
            QT_TRANSLATE_NOOP("UpdateFeed", "The update information has no valid version number."));
    UpdateFeed feed{version.toString(), {}, {}};

    if (const QJsonValue url = object.value(u"url"); !url.isUndefined()) {
        if (!url.isString())
            return feedError(QT_TRANSLATE_NOOP(
                "UpdateFeed", "The download address in the update information is not text."));
        // The app opens this address in the browser, so nothing but a web page may come in.
        feed.url = QUrl(url.toString(), QUrl::StrictMode);
        const QString scheme = feed.url.scheme();
        if (!url.toString().isEmpty() && (!feed.url.isValid() || feed.url.host().isEmpty() ||
                                          (scheme != u"https" && scheme != u"http")))
            return feedError(QT_TRANSLATE_NOOP(
                "UpdateFeed", "The download address in the update information is not a web page."));
    }
    if (const QJsonValue notes = object.value(u"notes"); !notes.isUndefined()) {
        if (!notes.isString())
            return feedError(QT_TRANSLATE_NOOP(
                "UpdateFeed", "The release notes in the update information are not text."));
        feed.notes = notes.toString();
    }
    return feed;
}
