#pragma once

#include "Corvina/BookmarkRow/TextWidthCache.h"

#include <QString>
#include <QStringList>
#include <vector>

// Where a text's width comes from: the process-wide cache when painting,
// fixed numbers in tests.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    virtual qreal width(const QString& text, TextWidthCache::Style style) const = 0;
};

// Measures through TextWidthCache.
class CachedTextMeasure final : public TextMeasure {
public:
    qreal width(const QString& text, TextWidthCache::Style style) const override {
        return TextWidthCache::width(text, style);
    }
};

// The row's metadata line: the domain, a dot, then one chip per tag, packed
// into at most `maxLines` lines of the width the row gets. What does not fit
// is replaced by "+N", N being the number of tags not shown. The plan is
// computed afresh for every paint from measured widths only; nothing about a
// row's layout is kept.
class MetadataFlow {
public:
    struct Item {
        enum class Kind { domain, tag, dot };
        Kind kind;
        QString text; // empty for a dot
        qreal width;  // whole points, padding of a chip included
    };
    struct Plan {
        std::vector<std::vector<Item>> rows;
        int overflow = 0; // tags not shown
    };

    // Chip padding on each side, left/right and top/bottom.
    static constexpr qreal kChipHorizontalPadding = 6;
    static constexpr qreal kChipVerticalPadding = 2;

    QString domain;
    QStringList tags;
    int maxLines = 2;
    qreal hSpacing = 6;
    qreal vSpacing = 4;

    // Without a width (0 or less) only the domain shows, with every tag counted.
    Plan plan(qreal availableWidth, const TextMeasure& measure = CachedTextMeasure()) const;

    static QString dotText() { return QStringLiteral("\u00B7"); }
    static QString counterText(int overflow) { return u'+' + QString::number(overflow); }
    static qreal itemWidth(Item::Kind kind, const QString& text, const TextMeasure& measure);
    static qreal counterWidth(int overflow, const TextMeasure& measure);
};
