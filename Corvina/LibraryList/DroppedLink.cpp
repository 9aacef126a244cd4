#include "Corvina/LibraryList/DroppedLink.h"

#include "platform/Extension/LinkFile.h"
#include "platform/Folders/RegularFile.h"
#include "platform/Url/Url.h"

#include <QMimeData>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace droppedlink {
namespace {

const QString kMozUrl = u"text/x-moz-url"_s;

std::optional<QString> readLinkFile(const QString& path, linkfile::Kind kind) {
    const auto bytes = folders::readRegularFile(path, linkfile::kMaxLinkFileBytes);
    if (!bytes)
        return std::nullopt;
    const std::optional<linkfile::Link> link = linkfile::parse(kind, bytes.value());
    return link ? std::optional(link->url) : std::nullopt;
}

// The first item's address as offered, before any check.
std::optional<QString> offeredText(const QMimeData& data) {
    const QList<QUrl> urls = data.urls();
    if (!urls.isEmpty()) {
        const QUrl& first = urls.first();
        if (first.isLocalFile()) {
            const QString path = first.toLocalFile();
            if (const auto kind = linkfile::kindForFileName(path))
                return readLinkFile(path, *kind);
        }
        return first.toString(QUrl::FullyEncoded);
    }
    if (data.hasFormat(kMozUrl)) {
        const auto link = linkfile::parseMozUrl(data.data(kMozUrl));
        return link ? std::optional(link->url) : std::nullopt;
    }
    if (data.hasText())
        return data.text().trimmed();
    return std::nullopt;
}

} // namespace

bool offersLink(const QMimeData& data) {
    return data.hasUrls() || data.hasFormat(kMozUrl) || data.hasText();
}

std::optional<QString> webAddress(const QMimeData& data) {
    const std::optional<QString> text = offeredText(data);
    if (!text)
        return std::nullopt;
    const std::optional<Url> url = Url::parse(*text);
    if (!url)
        return std::nullopt;
    const std::optional<QString> scheme = url->scheme();
    if (!scheme || !scheme->toLower().startsWith(u"http"))
        return std::nullopt;
    return url->absoluteString();
}

} // namespace droppedlink
