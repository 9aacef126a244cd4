#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

// Named text styles as fonts derived from the application font, so every
// window scales with the desktop's chosen text size instead of fixed pixels.
namespace typography {

enum class TextStyle {
    largeTitle,
    title,
    title2,
    title3,
    headline,
    body,
    callout,
    subheadline,
    footnote,
    caption,
    caption2,
};

// The style's size relative to a 13 pt body.
qreal referencePointSize(TextStyle style);

// The style's font, scaled from `appFont` (which is the body style).
QFont font(TextStyle style, const QFont& appFont);
// The same, from the application's current font.
QFont font(TextStyle style);

// How much larger `appFont` shows at `dpi` (logical dots per inch) than the
// 13-point reference body, for lengths laid out for that body: a column
// given as 220 wide is 220 × scale() wide, and grows with the desktop's text.
qreal scale(const QFont& appFont, qreal dpi);

// A dimmed text colour for captions and values: the palette's placeholder
// text, or its disabled text where a hand-made palette left the placeholder
// unreadable or no dimmer than ordinary text. Always opaque, legible against
// the window colour and visibly fainter than the window text.
QColor secondaryTextColor(const QPalette& palette);

} // namespace typography
