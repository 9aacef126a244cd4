#include "Corvina/BookmarkRow/TextWidthCache.h"

#include "platform/Widgets/Typography.h"

#include <QFontMetricsF>
#include <QHash>
#include <array>
#include <optional>

namespace TextWidthCache {
namespace {

constexpr std::size_t kStyles = 3;

struct StyleCache {
    std::optional<QFontMetricsF> metrics;
    QHash<QString, qreal> widths;
};

std::array<StyleCache, kStyles>& caches() {
    static std::array<StyleCache, kStyles> all;
    return all;
}

} // namespace

QFont font(Style style) {
    using typography::TextStyle;
    switch (style) {
    case Style::caption1:
        return typography::font(TextStyle::caption);
    case Style::caption2:
        return typography::font(TextStyle::caption2);
    case Style::caption2Medium: {
        QFont medium = typography::font(TextStyle::caption2);
        medium.setWeight(QFont::Medium);
        return medium;
    }
    }
    return typography::font(TextStyle::caption);
}

qreal width(const QString& text, Style style) {
    StyleCache& cache = caches()[static_cast<std::size_t>(style)];
    if (const auto found = cache.widths.constFind(text); found != cache.widths.constEnd())
        return *found;
    if (!cache.metrics)
        cache.metrics.emplace(font(style));
    const qreal measured = cache.metrics->horizontalAdvance(text);
    cache.widths.insert(text, measured);
    return measured;
}

} // namespace TextWidthCache
