// Arbitrary bytes as a legacy/backup bookmark array: decoding must never
// crash, and whatever decodes must survive a round trip through its JSON form.
#include "Corvina/Library/BookmarkPayload.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    const QJsonValue value =
        document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
    auto payloads = payloadsFromJsonArray(value);
    if (!payloads.ok()) {
        if (payloads.error().message.isEmpty())
            std::abort();
        return 0;
    }
    for (const BookmarkPayload& payload : payloads.value()) {
        const auto again = payloadFromJson(payloadToJson(payload));
        if (!again.ok())
            std::abort();
        // Written dates are whole seconds, so compare everything else exactly.
        if (again->id != payload.id || !(again->url == payload.url) ||
            again->tags != payload.tags || again->title != payload.title ||
            again->description != payload.description)
            std::abort();
    }
    return 0;
}
