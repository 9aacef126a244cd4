#include "platform/Widgets/Typography.h"

#include <QApplication>
#include <algorithm>
#include <cmath>

namespace typography {
namespace {

constexpr qreal kBodyReference = 13.0;
// Below this contrast ratio against the window, dimmed text stops being readable.
constexpr qreal kMinimumContrast = 2.5;
// Above this share of the ordinary text's contrast it no longer looks dimmed.
constexpr qreal kMaximumShareOfText = 0.8;

qreal luminance(const QColor& colour) {
    const auto channel = [](qreal c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) +
           0.0722 * channel(rgb.blueF());
}

qreal contrast(const QColor& a, const QColor& b) {
    const qreal la = luminance(a);
    const qreal lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor mix(const QColor& over, const QColor& under, qreal amount) {
    const QColor a = over.toRgb();
    const QColor b = under.toRgb();
    return QColor::fromRgbF(static_cast<float>(a.redF() * amount + b.redF() * (1 - amount)),
                            static_cast<float>(a.greenF() * amount + b.greenF() * (1 - amount)),
                            static_cast<float>(a.blueF() * amount + b.blueF() * (1 - amount)));
}

// Translucent palette colours are drawn over the window; judge what shows.
QColor onWindow(const QColor& colour, const QColor& window) {
    return mix(colour, window, colour.alphaF());
}

} // namespace

qreal referencePointSize(TextStyle style) {
    switch (style) {
    case TextStyle::largeTitle:
        return 26;
    case TextStyle::title:
        return 22;
    case TextStyle::title2:
        return 17;
    case TextStyle::title3:
        return 15;
    case TextStyle::headline:
    case TextStyle::body:
        return 13;
    case TextStyle::callout:
        return 12;
    case TextStyle::subheadline:
        return 11;
    case TextStyle::footnote:
    case TextStyle::caption:
    case TextStyle::caption2:
        return 10;
    }
    return kBodyReference;
}

QFont font(TextStyle style, const QFont& appFont) {
    QFont result = appFont;
    const qreal ratio = referencePointSize(style) / kBodyReference;
    if (appFont.pointSizeF() > 0)
        result.setPointSizeF(appFont.pointSizeF() * ratio);
    else if (appFont.pixelSize() > 0)
        result.setPixelSize(std::max(1, qRound(appFont.pixelSize() * ratio)));
    if (style == TextStyle::headline)
        result.setWeight(QFont::Bold);
    return result;
}

QFont font(TextStyle style) {
    return font(style, QApplication::font());
}

qreal scale(const QFont& appFont, qreal dpi) {
    // The reference was drawn at 72 dots per inch: a point is a pixel there.
    const qreal pixels =
        appFont.pointSizeF() > 0 ? appFont.pointSizeF() * dpi / 72 : qreal(appFont.pixelSize());
    return pixels > 0 ? pixels / kBodyReference : 1.0;
}

QColor secondaryTextColor(const QPalette& palette) {
    const QColor window = palette.color(QPalette::Active, QPalette::Window);
    const QColor text = palette.color(QPalette::Active, QPalette::WindowText);
    const qreal textContrast = contrast(text, window);
    const QColor candidates[] = {
        palette.color(QPalette::Active, QPalette::PlaceholderText),
        palette.color(QPalette::Disabled, QPalette::WindowText),
    };
    for (const QColor& candidate : candidates) {
        const QColor shown = onWindow(candidate, window);
        const qreal shownContrast = contrast(shown, window);
        if (shownContrast >= kMinimumContrast &&
            shownContrast <= kMaximumShareOfText * textContrast)
            return shown;
    }
    // Neither is usable (a hand-made palette often sets one colour for every
    // group): dim the ordinary text towards the window instead.
    return mix(text, window, 0.6);
}

} // namespace typography
