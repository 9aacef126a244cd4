// Arbitrary bytes as an inbox entry file: decoding must never crash, and an
// entry that decodes must come back equal from its own encoding, since the
// share sheet writes exactly that encoding and the app reads it.
#include "shared/Inbox/PendingBookmark.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<PendingBookmark> entry = decodePendingBookmark(bytes);
    if (!entry)
        return 0;
    const std::optional<PendingBookmark> again =
        decodePendingBookmark(encodePendingBookmark(*entry));
    if (!again || !(*again == *entry))
        std::abort();
    // Decoded dates are whole seconds in UTC, so the text form is stable too.
    if (encodePendingBookmark(*again) != encodePendingBookmark(*entry))
        std::abort();
    return 0;
}
