#include "Corvina/Favicons/IconImage.h"

#include <QBuffer>
#include <QImageReader>

namespace favicon {

bool isImageData(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return false;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return !QImageReader::imageFormat(&buffer).isEmpty();
}

std::optional<QImage> decodeIcon(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return std::nullopt;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    reader.setAllocationLimit(kDecodeLimitMiB);
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    if (image.width() > kIconPixels || image.height() > kIconPixels) {
        // A 1000 × 1 strip would round to no height at all; keep one pixel.
        const QSize size =
            image.size().scaled(kIconPixels, kIconPixels, Qt::KeepAspectRatio).expandedTo({1, 1});
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    // Painting a premultiplied image is the fast path for every row redraw.
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace favicon
