#include "extension/Controller/ExtractURL.h"

#include "platform/Extension/ItemProvider.h"
#include "platform/Extension/StrictUtf8.h"
#include "platform/Extension/TypeIdentifiers.h"

#include <array>

namespace {

using Done = std::function<void(std::optional<Url>)>;

// "public.url" is asked twice; kept as the share host's order.
const std::array<QString, 4>& candidates() {
    static const std::array<QString, 4> identifiers{uti::url, uti::fileURL, uti::url,
                                                    uti::plainText};
    return identifiers;
}

std::optional<Url> fromItem(const ItemProvider::Item& item) {
    if (const Url* url = std::get_if<Url>(&item)) {
        if (url->absoluteString().size() > kMaxSharedURLLength)
            return std::nullopt;
        return *url;
    }
    if (const QString* text = std::get_if<QString>(&item))
        return webURLFromText(*text);
    const std::optional<QString> text = strictUtf8(std::get<QByteArray>(item));
    return text ? webURLFromText(*text) : std::nullopt;
}

void tryCandidate(const ItemProvider* provider, size_t index, QObject* receiver, Done done) {
    while (index < candidates().size() && !provider->hasItemConformingTo(candidates()[index]))
        ++index;
    if (index == candidates().size()) {
        if (!provider->canLoadURLObject()) {
            QMetaObject::invokeMethod(
                receiver, [done = std::move(done)] { done(std::nullopt); }, Qt::QueuedConnection);
            return;
        }
        provider->loadURLObject(receiver, [done = std::move(done)](std::optional<Url> url) {
            if (url && url->absoluteString().size() > kMaxSharedURLLength)
                url.reset();
            done(std::move(url));
        });
        return;
    }
    provider->loadItem(candidates()[index], receiver,
                       [provider, index, receiver, done](ItemProvider::LoadResult result) {
                           if (result)
                               if (std::optional<Url> url = fromItem(result.value())) {
                                   done(std::move(url));
                                   return;
                               }
                           tryCandidate(provider, index + 1, receiver, done);
                       });
}

} // namespace

bool hasWebScheme(const Url& url) {
    const std::optional<QString> scheme = url.scheme();
    return scheme && scheme->toLower().startsWith(u"http");
}

std::optional<Url> webURLFromText(const QString& text) {
    // trimmed() takes every Unicode space and line break, as wanted here.
    const QString address = text.trimmed();
    if (address.size() > kMaxSharedURLLength)
        return std::nullopt;
    std::optional<Url> url = Url::parse(address);
    if (!url || !hasWebScheme(*url))
        return std::nullopt;
    return url;
}

void extractURL(const ItemProvider& provider, QObject* receiver, Done done) {
    tryCandidate(&provider, 0, receiver, std::move(done));
}
