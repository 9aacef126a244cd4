// Feeds arbitrary home pages to the icon-link search. Besides the
// sanitizers it checks that an answer is always an absolute address on the
// web (or the href as written when that already began with "http"), that
// text after "</head>" never changes the answer, and that the image test
// and the decoder take the same bytes without trouble.

#include "Corvina/Favicons/IconImage.h"
#include "Corvina/Favicons/IconLinkSearch.h"
#include "fuzz/FuzzCheck.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString page = QString::fromUtf8(bytes);
    const QString domain = QStringLiteral("site.test");
    const std::optional<QString> link = favicon::findIconLink(page, domain);
    if (link)
        FUZZ_CHECK(link->startsWith(QLatin1StringView("http")));

    const QString withTail =
        page + QStringLiteral("</head><link rel=\"apple-touch-icon\" href=\"/tail.png\">");
    FUZZ_CHECK(favicon::findIconLink(withTail, domain) == link);

    if (favicon::isImageData(bytes)) {
        if (const auto icon = favicon::decodeIcon(bytes))
            FUZZ_CHECK(icon->width() <= favicon::kIconPixels &&
                       icon->height() <= favicon::kIconPixels);
    }
    return 0;
}
