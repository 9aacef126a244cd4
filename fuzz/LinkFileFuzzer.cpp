// Feeds arbitrary bytes to every link-file reader and to the share sheet's
// text rule. An address, when one is found, is never empty and never carries
// white space at either end; the text rule accepts only what it can parse
// as a web address of bounded length.

#include "extension/Controller/ExtractURL.h"
#include "fuzz/FuzzCheck.h"
#include "platform/Extension/LinkFile.h"

#include <QByteArrayView>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace {

void checkAddress(const std::optional<QString>& address) {
    if (!address)
        return;
    FUZZ_CHECK(!address->isEmpty());
    FUZZ_CHECK(!address->front().isSpace() && !address->back().isSpace());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    for (const linkfile::Kind kind : {linkfile::Kind::desktopEntry, linkfile::Kind::windowsShortcut,
                                      linkfile::Kind::webLocation}) {
        const auto link = linkfile::parse(kind, bytes);
        checkAddress(link ? std::optional(link->url) : std::nullopt);
    }
    checkAddress(linkfile::firstUriInList(bytes));
    const auto moz = linkfile::parseMozUrl(bytes);
    checkAddress(moz ? std::optional(moz->url) : std::nullopt);

    if (const std::optional<Url> url = webURLFromText(QString::fromUtf8(bytes))) {
        FUZZ_CHECK(hasWebScheme(*url));
        FUZZ_CHECK(url->absoluteString().size() <= kMaxSharedURLLength);
    }
    return 0;
}
