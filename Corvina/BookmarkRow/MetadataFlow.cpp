#include "Corvina/BookmarkRow/MetadataFlow.h"

#include <cmath>

using Style = TextWidthCache::Style;
using Kind = MetadataFlow::Item::Kind;

qreal MetadataFlow::itemWidth(Kind kind, const QString& text, const TextMeasure& measure) {
    switch (kind) {
    case Kind::domain:
        return std::ceil(measure.width(text, Style::caption1));
    case Kind::dot:
        return std::ceil(measure.width(dotText(), Style::caption1));
    case Kind::tag:
        return std::ceil(measure.width(text, Style::caption2Medium)) + 2 * kChipHorizontalPadding;
    }
    return 0;
}

qreal MetadataFlow::counterWidth(int overflow, const TextMeasure& measure) {
    return std::ceil(measure.width(counterText(overflow), Style::caption2));
}

MetadataFlow::Plan MetadataFlow::plan(qreal availableWidth, const TextMeasure& measure) const {
    Plan result;
    const auto tagCount = static_cast<int>(tags.size());
    const Item domainItem{Kind::domain, domain, itemWidth(Kind::domain, domain, measure)};
    if (availableWidth <= 0) {
        result.rows.push_back({domainItem});
        result.overflow = tagCount;
        return result;
    }

    std::vector<Item> items;
    items.reserve(std::size_t(tagCount) + 2);
    items.push_back(domainItem);
    if (tagCount > 0) {
        items.push_back({Kind::dot, QString(), itemWidth(Kind::dot, QString(), measure)});
        for (const QString& tag : tags)
            items.push_back({Kind::tag, tag, itemWidth(Kind::tag, tag, measure)});
    }

    result.rows.emplace_back();
    std::vector<qreal> rowWidths{0};
    int placedTags = 0;
    for (const Item& item : items) {
        bool placed = false;
        while (!placed) {
            std::vector<Item>& row = result.rows.back();
            const qreal gap = row.empty() ? 0 : hSpacing;
            const qreal candidate = rowWidths.back() + gap + item.width;
            if (candidate <= availableWidth) {
                row.push_back(item);
                rowWidths.back() = candidate;
                placed = true;
            } else if (static_cast<int>(result.rows.size()) >= maxLines) {
                break;
            } else {
                result.rows.emplace_back();
                rowWidths.push_back(0);
            }
        }
        if (!placed)
            break;
        if (item.kind == Kind::tag)
            ++placedTags;
    }
    result.overflow = tagCount - placedTags;

    if (result.overflow >= 1) {
        std::vector<Item>& last = result.rows.back();
        qreal& width = rowWidths.back();
        while (!last.empty() &&
               width + hSpacing + counterWidth(result.overflow, measure) > availableWidth) {
            const Item removed = last.back();
            last.pop_back();
            width -= removed.width;
            if (!last.empty())
                width -= hSpacing;
            if (removed.kind == Kind::tag)
                ++result.overflow;
        }
        if (last.empty() && result.rows.size() >= 2)
            result.rows.pop_back();
    }
    std::vector<Item>& last = result.rows.back();
    if (!last.empty() && last.back().kind == Kind::dot)
        last.pop_back();
    return result;
}
