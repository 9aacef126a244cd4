#pragma once

#include <QByteArray>
#include <QImage>
#include <optional>

// Icon bytes as they arrive from a site or the disk cache, and the small
// image the rows paint. Pure and thread-safe: the store calls these on pool
// threads.
namespace favicon {

// Icons are scaled so that their longer side is at most this many pixels.
inline constexpr int kIconPixels = 64;

// Decoding refuses images whose pixels would need more than this. Qt's own
// limit is 256 MiB; no icon needs a fraction of this, and a file that claims
// 100,000 × 100,000 pixels is turned away before any allocation.
inline constexpr int kDecodeLimitMiB = 32;

// Not empty, and the image decoder can name its format from the content.
// Nothing is decoded.
bool isImageData(const QByteArray& bytes);

// The first image in the bytes, decoded from the full image, the file's
// orientation applied, scaled down to kIconPixels on its longer side
// (smaller images keep their size). nullopt when nothing decodes.
std::optional<QImage> decodeIcon(const QByteArray& bytes);

} // namespace favicon
